// Start-up, the viewer and Find on library folders holding entries meant to
// stop, hang or confuse them, there at start-up or appearing after it: each
// entry is taken in as the code it holds or skipped with its reason, and
// nothing else. Also a library of 40,000 files.
#include "Categories.h"
#include "CodeTreeModel.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "PaneText.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmFind.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString other = QStringLiteral("其他");

QByteArray path(const QString &folder, const QByteArray &fileName)
{
    return QFile::encodeName(folder) + '/' + fileName;
}

QByteArray code(const QString &name, const QString &category = other, const QString &comments = {})
{
    return TestLibrary::bytes(TestLibrary::record(
        name, category, comments, QStringLiteral("DECL EQU 1"), QStringLiteral("MOV AX,BX")));
}

QString cannotOpen(int error)
{
    return QStringLiteral("无法打开文件（%1）").arg(QString::fromLocal8Bit(strerror(error)));
}

QString unknownCategory(const QString &category)
{
    return QStringLiteral("种类“%1”不存在").arg(category);
}

QString pane(const frmMain &window, const char *name)
{
    return window.findChild<QPlainTextEdit *>(QLatin1String(name))->toPlainText();
}

QString panel(const frmMain &window, const char *name)
{
    return window.findChild<QLabel *>(QLatin1String(name))->text();
}

void find(frmMain *window, const QString &text)
{
    auto *dialog = new frmFind(window);
    dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(text);
    dialog->Command1_Click();
    delete dialog;
}

// A record whose Name, Code, Declarations and Comments fields (and with
// alsoCategory its Category field) each end in a lone lead byte, while the
// next field starts with a byte that would be a valid trail byte.
QByteArray leadBytesAtFieldEnds(bool alsoCategory)
{
    QByteArray raw = TestLibrary::bytes(TestLibrary::record(QStringLiteral("lead"), other,
        QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")));
    for (CodeRecord::Field field : { CodeRecord::Name, CodeRecord::Code, CodeRecord::Declarations,
             CodeRecord::Comments, CodeRecord::Category }) {
        if (field != CodeRecord::Category || alsoCategory)
            raw[CodeRecord::offset(field) + CodeRecord::width(field) - 1] = '\x81';
    }
    return raw;
}

// What such a field reads as: its text, spaces, then U+FFFD at the end.
QString leadField(const QString &text, int width)
{
    return text + QString(width - text.size() - 1, u' ') + QChar(0xFFFD);
}

// What `run` writes to standard error, line by line.
template <typename Run> QList<QByteArray> stderrLines(Run run)
{
    QTemporaryFile file;
    if (!file.open())
        qFatal("cannot create a file for standard error");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    const QByteArray all = file.readAll();
    return all.isEmpty() ? QList<QByteArray>() : all.chopped(1).split('\n');
}

// What an entry of the folder is, or becomes as it is first opened.
enum Kind {
    Regular, // a file holding the row's content (as what it becomes: unchanged)
    Directory,
    Fifo,
    DanglingLink,
    LinkLoop,
    LinkToGood, // a link to the code "good"
    Removed,
    Replaced, // another code, in a new file
    Shrunk, // cut to 100 bytes
};

// How the file layer fails on an entry, through its seam.
enum Fault { NoFault, Unopenable, ReadError, InterruptedReads, TrickleReads };

struct Row {
    const char *title;
    QByteArray fileName;
    QByteArray content;
    QString node; // the code's key when start-up takes it in
    QString reason; // why start-up skips it otherwise
    Kind kind = Regular;
    QString viewed; // why the viewer and Find cannot read it once it has changed
    Kind becomes = Regular; // after start-up has listed the folder
    Fault fault = NoFault;
    QString shown = QString::fromUtf8(fileName); // the name under which it is skipped
    QString category = other;
};

// Makes the entry at a native path, in place of whatever had its name.
bool make(const QByteArray &at, Kind kind, const QByteArray &content, const char *good)
{
    if (kind == Shrunk)
        return ::truncate(at.constData(), 100) == 0;
    ::unlink(at.constData());
    switch (kind) {
    case Directory:
        return ::mkdir(at.constData(), 0755) == 0;
    case Fifo:
        return ::mkfifo(at.constData(), 0644) == 0;
    case DanglingLink:
    case LinkLoop:
    case LinkToGood:
        return ::symlink(kind == DanglingLink ? "no-such-file.cod"
                       : kind == LinkLoop     ? at.constData()
                                              : good,
                   at.constData())
            == 0;
    case Removed:
        return true;
    default:
        return bool(std::ofstream(at.constData(), std::ios::binary)
            << (kind == Replaced ? code(QStringLiteral("after"), QStringLiteral("逻辑操作"))
                                 : content)
                   .toStdString());
    }
}

// Gives each victim file its fault and, as it is first opened, makes it what
// it becomes. Victims are known by their file names, whether opened by path
// or within their folder.
class HostileHooks {
public:
    HostileHooks(ScopedFileOps *ops, const QString &folder)
        : m_folder(folder)
    {
        ops->open = [this](const char *p, int flags, mode_t mode) {
            return open(AT_FDCWD, p, flags, mode);
        };
        ops->openat = [this](int dir, const char *p, int flags, mode_t mode) {
            return open(dir, p, flags, mode);
        };
        ops->pread = [this](int fd, void *buffer, size_t size, off_t offset) -> ssize_t {
            const Fault fault = m_open.value(fd, NoFault);
            if (fault == ReadError || (fault == InterruptedReads && ++m_reads % 2 == 1))
                return errno = fault == ReadError ? EIO : EINTR, -1;
            if (fault == TrickleReads)
                size = qMin<size_t>(size, 1);
            return ScopedFileOps::system().pread(fd, buffer, size, offset);
        };
        ops->close = [this](int fd) {
            m_open.remove(fd);
            return ScopedFileOps::system().close(fd);
        };
    }

    void add(const Row &row) { m_victims.insert(row.fileName, row); }

private:
    int open(int dir, const char *given, int flags, mode_t mode)
    {
        const QByteArray name = QByteArray(given).mid(QByteArray(given).lastIndexOf('/') + 1);
        const auto victim = m_victims.constFind(name);
        const bool hit = victim != m_victims.cend();
        if (hit && victim->fault == Unopenable)
            return errno = EACCES, -1;
        if (hit && victim->becomes != Regular && !m_struck.contains(name)) {
            m_struck.insert(name);
            make(path(m_folder, name), victim->becomes, {}, nullptr);
        }
        const int fd = ScopedFileOps::system().openat(dir, given, flags, mode);
        if (fd >= 0 && hit)
            m_open.insert(fd, victim->fault);
        return fd;
    }

    QString m_folder;
    QHash<QByteArray, Row> m_victims;
    QSet<QByteArray> m_struck;
    QHash<int, Fault> m_open;
    int m_reads = 0;
};

QVector<Row> rows()
{
    const QString notRegular = QStringLiteral("不是普通文件");
    const QString noName = QStringLiteral("名称为空");
    const QString readError
        = QStringLiteral("读取失败（%1）").arg(QString::fromLocal8Bit(strerror(EIO)));
    QByteArray badGbk = code(QStringLiteral("bad..gbk"));
    badGbk[3] = '\x81';
    badGbk[4] = '0';
    const QString nulName = QStringLiteral("nul") + QChar(0) + QStringLiteral("name");
    const QString nulComments = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    return {
        { "0 bytes", "empty.cod", "", {}, noName },
        { "1 byte", "one-byte.cod", "x", {}, unknownCategory({}) },
        { "4691 bytes", "short.cod", code("t4691").left(4691), "t4691" },
        { "4693 bytes", "long.cod", code("t4693") + "Z", "t4693" },
        { "10 MB", "huge.cod", code("t10m") + QByteArray(10 << 20, '\x81'), "t10m" },
        { "invalid GBK", "bad-gbk.cod", badGbk, QStringLiteral("bad\uFFFD0gbk") },
        { "lone lead bytes at field ends", "lead.cod", leadBytesAtFieldEnds(false),
            leadField(QStringLiteral("lead"), 64) },
        { "lone lead byte ending the category", "lead-category.cod", leadBytesAtFieldEnds(true), {},
            unknownCategory(other + QString(123, u' ') + QChar(0xFFFD)) },
        { "NUL bytes in the name", "nul-name.cod", code(nulName, other, nulComments), nulName },
        { "only NUL bytes", "all-nul.cod", QByteArray(4692, '\0'), {},
            unknownCategory(QString(128, QChar(0))) },
        { "only 0xFF bytes", "all-ff.cod", QByteArray(4692, '\xff'), {},
            unknownCategory(QString(128, QChar(0xF8F5))) },
        { "line break in the name field", "crlf-name.cod", code("a\r\nb"), "a\r\nb" },
        { "file name neither UTF-8 nor GBK", "\xff\xfe.cod", code("odd-name"), "odd-name" },
        { "skipped file name neither UTF-8 nor GBK", "\xff\xfe-empty.cod", "", {}, noName, Regular,
            {}, Regular, NoFault, QStringLiteral("\uF8F5\uFFFD-empty.cod") },
        { "GBK file name", "\xba\xba\xd7\xd6.cod", "", {}, noName, Regular, {}, Regular, NoFault,
            QStringLiteral("汉字.cod") },
        { "line feed in the file name", "line\nbreak.cod", "", {}, noName },
        { "carriage return in the file name", "carriage\rreturn.cod", "", {}, noName },
        { "byte order mark starting the file name",
            "\xef\xbb\xbf"
            "bom.cod",
            "", {}, noName, Regular, {}, Regular, NoFault, QStringLiteral("\uFEFFbom.cod") },
        { "directory", "x.cod", {}, {}, notRegular, Directory, notRegular },
        { "FIFO", "fifo.cod", {}, {}, notRegular, Fifo, notRegular },
        { "dangling link", "dangling.cod", {}, {}, notRegular, DanglingLink, cannotOpen(ENOENT) },
        { "link loop", "loop.cod", {}, {}, notRegular, LinkLoop, cannotOpen(ELOOP) },
        { "link to a listed code", "link.cod", {}, {}, QStringLiteral("名称“good”与已有的节点重复"),
            LinkToGood },
        { "cannot be opened", "locked.cod", code("locked"), {}, cannotOpen(EACCES), Regular,
            cannotOpen(EACCES), Regular, Unopenable },
        { "removed after listing", "removed.cod", code("removed"), {}, cannotOpen(ENOENT), Regular,
            cannotOpen(ENOENT), Removed },
        { "FIFO after listing", "to-fifo.cod", code("to-fifo"), {}, notRegular, Regular, notRegular,
            Fifo },
        { "directory after listing", "to-dir.cod", code("to-dir"), {}, notRegular, Regular,
            notRegular, Directory },
        { "replaced after listing", "replaced.cod", code("replaced"), "after", {}, Regular, {},
            Replaced, NoFault, "replaced.cod", QStringLiteral("逻辑操作") },
        { "cut short after listing", "shrunk.cod", code("shrunk"), {}, unknownCategory({}), Regular,
            {}, Shrunk },
        { "read error", "io-error.cod", code("io-error"), {}, readError, Regular, readError,
            Regular, ReadError },
        { "interrupted reads", "eintr.cod", code("eintr"), "eintr", {}, Regular, {}, Regular,
            InterruptedReads },
        { "one byte per read", "trickle.cod", code("trickle"), "trickle", {}, Regular, {}, Regular,
            TrickleReads },
    };
}

// A click on the node shows what the node's file holds now.
void checkViewer(frmMain *window, const QString &key)
{
    const QModelIndex node = window->codeTree()->indexOfKey(key);
    QVERIFY(node.isValid());
    window->tvCodes_NodeClick(node);
    std::ifstream in(
        path(window->libraryFolder(), node.data(CodeTreeModel::FileNameRole).toByteArray())
            .constData(),
        std::ios::binary);
    const std::string content { std::istreambuf_iterator<char>(in), {} };
    const CodeRecord expected = CodeRecord::fromBytes(content.data(), qsizetype(content.size()));
    const std::pair<const char *, CodeRecord::Field> panes[]
        = { { "txtComments", CodeRecord::Comments },
              { "txtDeclarations", CodeRecord::Declarations }, { "txtCode", CodeRecord::Code } };
    for (const auto &[name, field] : panes)
        QCOMPARE(pane(*window, name), PaneText::fromField(expected.field(field)));
    QCOMPARE(panel(*window, "Panel1"),
        QStringLiteral("Code: ") + trimmedSpaces(expected.field(CodeRecord::Category)));
}

// Find's reads of the beginning of each listed file's Comments field, by
// path and within the folder, agree with the whole record or fail for the
// same reason; no characters need no read, even of a file that cannot be
// read.
void checkFindReads(const QString &folder)
{
    FileList list;
    QVERIFY(list.setFolder(folder));
    const FolderHandle handle(folder);
    for (int i = 0; i < list.count(); ++i) {
        CodeRecord record;
        QString recordError, text, error, textAt, errorAt;
        const bool readable = modProgramVars::ReadCodeRecord(list.path(i), &record, &recordError);
        for (int characters : { 0, 1, 2, 3, 749, 750, 751, 1499, 1500, 1501 }) {
            const bool ok = modProgramVars::ReadFieldPrefix(
                list.path(i), CodeRecord::Comments, characters, &text, &error);
            QCOMPARE(modProgramVars::ReadFieldPrefixAt(handle.fd(), list.fileName(i).data(),
                         CodeRecord::Comments, characters, &textAt, &errorAt),
                ok);
            QCOMPARE(textAt, text);
            QCOMPARE(errorAt, error);
            if (characters > 0 || !ok)
                QCOMPARE(ok, readable);
            QCOMPARE(ok ? text : error,
                ok ? record.field(CodeRecord::Comments).left(characters) : recordError);
        }
    }
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void hostileEntry_data();
    void hostileEntry();
    void reportsOneLinePerSkippedFile();
    void manyFiles();
};

void TestHostile::hostileEntry_data()
{
    QTest::addColumn<int>("row"); // -1 for all rows at once
    QTest::addColumn<bool>("changed"); // the entry appears after start-up
    const QVector<Row> all = rows();
    for (int i = 0; i < all.size(); ++i) {
        QTest::addRow("%s", all[i].title) << i << false;
        QTest::addRow("%s, after start-up", all[i].title) << i << true;
    }
    QTest::newRow("everything at once") << -1 << false;
}

// At start-up: the right nodes and skips, and the viewer shows each node's
// file. After start-up: Find reports each file it cannot read on one line
// and goes on to the match; the viewer reports it and leaves the panes as
// they were, or shows what the file holds now. Neither hangs, nor creates
// or removes anything.
void TestHostile::hostileEntry()
{
    QFETCH(int, row);
    QFETCH(bool, changed);
    const QVector<Row> all = rows();
    const QVector<Row> chosen = row < 0 ? all : QVector<Row> { all.at(row) };
    QTemporaryDir dir;
    const auto cleanup = qScopeGuard([&] {
        std::error_code ignored; // QTemporaryDir cannot remove names that are not UTF-8
        std::filesystem::remove_all(QFile::encodeName(dir.path()).toStdString(), ignored);
    });
    // Find's match comes after the changed file in the list.
    const char *good = changed ? "~good.cod" : "good.cod";
    QVERIFY(TestLibrary::writeFile(
        dir.path(), good, code("good", QStringLiteral("运算子程序"), "good comments")));
    ScopedFileOps ops;
    HostileHooks hooks(&ops, dir.path());
    std::unique_ptr<frmMain> window;
    if (changed) {
        QVERIFY(TestLibrary::writeFile(dir.path(), chosen[0].fileName, code("victim")));
        window = std::make_unique<frmMain>(dir.path());
        QCOMPARE(window->codeTree()->codeCount(), 2);
    }
    QStringList nodes { QStringLiteral("good") };
    QStringList skips;
    for (const Row &r : chosen) {
        hooks.add(r);
        QVERIFY2(make(path(dir.path(), r.fileName), r.kind, r.content, good), r.title);
        r.reason.isNull() ? nodes << r.node : skips << r.shown + u'|' + r.reason;
    }
    const QList<QByteArray> startupLines = stderrLines([&] {
        if (!changed)
            window = std::make_unique<frmMain>(dir.path());
    });
    QCOMPARE(startupLines.size(), changed ? 0 : skips.size()); // one line per skipped file

    QStringList entries = TestLibrary::entries(dir.path());
    if (changed && chosen[0].becomes == Removed)
        entries.removeOne(QString::fromLatin1(chosen[0].fileName));
    const QList<QByteArray> lines
        = stderrLines([&] { find(window.get(), QStringLiteral("good comments")); });
    QCOMPARE(pane(*window, "txtComments"), QStringLiteral("good comments").leftJustified(1500));

    if (changed) {
        // Find's listing leaves out what is no longer a regular file.
        const Row &r = chosen[0];
        QCOMPARE(lines,
            r.kind != Regular || r.viewed.isNull()
                ? QList<QByteArray>()
                : QList<QByteArray> {
                    "quillbank: 查找时跳过文件“" + r.fileName + "”：" + r.viewed.toUtf8() });
        if (r.viewed.isNull()) {
            checkViewer(window.get(), QStringLiteral("victim"));
        } else {
            window->tvCodes_NodeClick(window->codeTree()->indexOfKey(QStringLiteral("victim")));
            QCOMPARE(panel(*window, "Panel1"), QStringLiteral("无法读取代码“victim”：") + r.viewed);
            QCOMPARE(
                pane(*window, "txtComments"), QStringLiteral("good comments").leftJustified(1500));
        }
        QCOMPARE(TestLibrary::entries(dir.path()), entries);
        return;
    }
    const CodeTreeModel *model = window->codeTree();
    QCOMPARE(model->codeCount(), nodes.size());
    QCOMPARE(model->indexOfKey("good").parent().data().toString(), QStringLiteral("运算子程序"));
    for (const Row &r : chosen) {
        if (!r.node.isNull())
            QCOMPARE(model->indexOfKey(r.node).parent().data().toString(), r.category);
    }
    QStringList skipped;
    for (const SkippedFile &s : window->skippedFiles())
        skipped << s.fileName + u'|' + s.reason;
    skipped.sort();
    skips.sort();
    QCOMPARE(skipped, skips);
    for (const QString &node : nodes)
        checkViewer(window.get(), node);
    checkFindReads(dir.path());
}

// File names and fields may hold line breaks and NUL characters: the
// report still gives one whole line per skipped file, on standard error
// and in the message box, as plain text.
void TestHostile::reportsOneLinePerSkippedFile()
{
    QTemporaryDir dir;
    for (const char *name : { "line\nbreak.cod", "carriage\rreturn.cod", "tab\tname.cod" })
        QVERIFY(TestLibrary::writeFile(dir.path(), name, ""));
    QVERIFY(TestLibrary::writeFile(dir.path(), "all-nul.cod", QByteArray(4692, '\0')));
    QVERIFY(TestLibrary::writeFile(dir.path(), "crlf-category.cod", code("crlf", "其他\r\n")));

    std::unique_ptr<frmMain> window;
    const QList<QByteArray> lines
        = stderrLines([&] { window = std::make_unique<frmMain>(dir.path()); });
    QCOMPARE(window->skippedFiles().size(), 5);
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines.contains("quillbank: 跳过文件“line\\x0Abreak.cod”：名称为空"));
    QVERIFY(lines.contains("quillbank: 跳过文件“crlf-category.cod”：种类“其他\\x0D\\x0A”不存在"));
    QVERIFY(lines.contains(
        "quillbank: 跳过文件“all-nul.cod”：种类“" + QByteArray("\\x00").repeated(128) + "”不存在"));

    window->show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = window->findChild<QMessageBox *>(QStringLiteral("msgSkippedFiles"))));
    QCOMPARE(box->text().count(u'\n'), 5);
    QCOMPARE(box->detailedText().count(u'\n'), 4);
    QVERIFY(!box->text().contains(QChar(0)));
    QVERIFY(box->text().contains(QStringLiteral("“carriage\\x0Dreturn.cod”")));

    // A library folder whose name looks like markup is shown as it is.
    frmMain missing(dir.filePath(QStringLiteral("<b>missing</b>")));
    missing.show();
    QTRY_VERIFY((box = missing.findChild<QMessageBox *>(QStringLiteral("msgSkippedFiles"))));
    QVERIFY(box->text().contains(QStringLiteral("<b>missing</b>")));
    QCOMPARE(box->textFormat(), Qt::PlainText);
}

// Start-up takes in 40,000 files, skipping and reporting the ones it must,
// and the viewer and Find work on the result.
void TestHostile::manyFiles()
{
    constexpr int kFiles = 40000;
    QTemporaryDir dir;
    const QStringList &categories = Categories::treeOrder();
    QVector<QStringList> children(categories.size());
    QStringList skips;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("c%1").arg(i, 5, 10, QLatin1Char('0'));
        const bool skipped = i % 1000 == 999;
        QVERIFY(TestLibrary::writeFile(dir.path(), QFile::encodeName(name + ".cod"),
            code(name, skipped ? QStringLiteral("无此种类") : categories.at(i % categories.size()),
                QStringLiteral("说明 %1").arg(i))));
        if (skipped)
            skips << name + ".cod|" + unknownCategory(QStringLiteral("无此种类"));
        else
            children[i % categories.size()] << name;
    }

    frmMain window(dir.path());
    const CodeTreeModel *model = window.codeTree();
    QCOMPARE(model->codeCount(), kFiles - skips.size());
    QCOMPARE(panel(window, "Panel2"), QStringLiteral("%1 Code(s)").arg(kFiles - skips.size()));
    QStringList skipped; // in list order
    for (const SkippedFile &s : window.skippedFiles())
        skipped << s.fileName + u'|' + s.reason;
    QCOMPARE(skipped, skips);
    for (int c = 0; c < categories.size(); ++c) {
        const QModelIndex category = model->index(c, 0);
        QCOMPARE(model->rowCount(category), children[c].size());
        for (int row : { 0, 1, int(children[c].size()) / 2, int(children[c].size()) - 1 })
            QCOMPARE(model->index(row, 0, category).data().toString(), children[c].at(row));
    }

    window.tvCodes_NodeClick(model->indexOfKey(QStringLiteral("c12345")));
    QCOMPARE(pane(window, "txtComments"), QStringLiteral("说明 12345").leftJustified(1500));
    QCOMPARE(panel(window, "Panel1"), QStringLiteral("Code: ") + categories.at(12345 % 8));
    find(&window, QStringLiteral("说明 39998"));
    QCOMPARE(pane(window, "txtComments"), QStringLiteral("说明 39998").leftJustified(1500));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
