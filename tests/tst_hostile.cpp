// Start-up, the viewer and the reads of Find on library folders holding
// entries meant to stop, hang or confuse them: each entry is either taken
// in as the code it holds or skipped with its reason, and nothing else.
#include "CodeTreeModel.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "HostileFolder.h"
#include "PaneText.h"
#include "StderrCapture.h"
#include "frmFind.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

using HostileFolder::code;

namespace {

enum Kind { Regular, Directory, Fifo, DanglingLink, LinkLoop, LinkToGood, Faulty };

struct Row {
    const char *title;
    Kind kind;
    QByteArray fileName;
    QByteArray content;
    QString node; // the code's key when it is taken in
    QString category; // its category
    QString reason; // why it is skipped otherwise
    QString shownName; // the name under which it is skipped
    HostileHooks::Fault fault = HostileHooks::Unopenable; // for Faulty
};

QString systemReason(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QString unknownCategory(const QString &category)
{
    return QStringLiteral("种类“%1”不存在").arg(category);
}

QVector<Row> rows()
{
    const QString other = QStringLiteral("其他");
    const QString notRegular = QStringLiteral("不是普通文件");
    const QString noName = QStringLiteral("名称为空");
    QByteArray badGbk = code(QStringLiteral("bad..gbk"));
    badGbk[3] = '\x81';
    badGbk[4] = '0';
    const QString nulName = QStringLiteral("nul") + QChar(0) + QStringLiteral("name");
    const QString leadName = HostileFolder::leadField(QStringLiteral("lead"), 64);
    const QString leadCategory = other + QString(123, u' ') + QChar(0xFFFD);
    const QString nulComments = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QVector<Row> r {
        { "0 bytes", Regular, "empty.cod", "", {}, {}, noName, "empty.cod" },
        { "1 byte", Regular, "one-byte.cod", "x", {}, {}, unknownCategory({}), "one-byte.cod" },
        { "4691 bytes", Regular, "short.cod", code("t4691").left(4691), "t4691", other },
        { "4693 bytes", Regular, "long.cod", code("t4693") + "Z", "t4693", other },
        { "10 MB", Regular, "huge.cod", code("t10m") + QByteArray(10 << 20, '\x81'), "t10m",
            other },
        { "invalid GBK", Regular, "bad-gbk.cod", badGbk, QStringLiteral("bad\uFFFD0gbk"), other },
        { "lone lead bytes at field ends", Regular, "lead.cod",
            HostileFolder::leadBytesAtFieldEnds(false), leadName, other },
        { "lone lead byte ending the category", Regular, "lead-category.cod",
            HostileFolder::leadBytesAtFieldEnds(true), {}, {}, unknownCategory(leadCategory),
            "lead-category.cod" },
        { "NUL bytes in the name", Regular, "nul-name.cod", code(nulName, other, nulComments),
            nulName, other },
        { "only NUL bytes", Regular, "all-nul.cod", QByteArray(4692, '\0'), {}, {},
            unknownCategory(QString(128, QChar(0))), "all-nul.cod" },
        { "only 0xFF bytes", Regular, "all-ff.cod", QByteArray(4692, '\xff'), {}, {},
            unknownCategory(QString(128, QChar(0xF8F5))), "all-ff.cod" },
        { "line break in the name field", Regular, "crlf-name.cod", code("a\r\nb"), "a\r\nb",
            other },
        { "file name neither UTF-8 nor GBK", Regular, "\xff\xfe.cod", code("odd-name"), "odd-name",
            other },
        { "skipped file name neither UTF-8 nor GBK", Regular, "\xff\xfe-empty.cod", "", {}, {},
            noName, QStringLiteral("\uF8F5\uFFFD-empty.cod") },
        { "GBK file name", Regular, "\xba\xba\xd7\xd6.cod", "", {}, {}, noName,
            QStringLiteral("汉字.cod") },
        { "line feed in the file name", Regular, "line\nbreak.cod", "", {}, {}, noName,
            "line\nbreak.cod" },
        { "carriage return in the file name", Regular, "carriage\rreturn.cod", "", {}, {}, noName,
            "carriage\rreturn.cod" },
        { "byte order mark starting the file name", Regular,
            "\xef\xbb\xbf"
            "bom.cod",
            "", {}, {}, noName, QStringLiteral("\uFEFFbom.cod") },
        { "directory", Directory, "x.cod", {}, {}, {}, notRegular, "x.cod" },
        { "FIFO", Fifo, "fifo.cod", {}, {}, {}, notRegular, "fifo.cod" },
        { "dangling link", DanglingLink, "dangling.cod", {}, {}, {}, notRegular, "dangling.cod" },
        { "link loop", LinkLoop, "loop.cod", {}, {}, {}, notRegular, "loop.cod" },
        { "link to a listed code", LinkToGood, "link.cod", {}, {}, {},
            QStringLiteral("名称“good”与已有的节点重复"), "link.cod" },
    };
    const QString cannotOpen = QStringLiteral("无法打开文件（%1）");
    const struct {
        const char *title;
        HostileHooks::Fault fault;
        const char *name;
        QString node;
        QString category;
        QString reason;
    } faults[] = {
        { "cannot be opened", HostileHooks::Unopenable, "locked", {}, {},
            cannotOpen.arg(systemReason(EACCES)) },
        { "removed after listing", HostileHooks::RemovedBeforeRead, "removed", {}, {},
            cannotOpen.arg(systemReason(ENOENT)) },
        { "FIFO after listing", HostileHooks::FifoBeforeRead, "to-fifo", {}, {}, notRegular },
        { "directory after listing", HostileHooks::DirectoryBeforeRead, "to-dir", {}, {},
            notRegular },
        { "replaced after listing", HostileHooks::ReplacedBeforeRead, "replaced", "after",
            QStringLiteral("逻辑操作"), {} },
        { "cut short after opening", HostileHooks::ShrunkBeforeRead, "shrunk", {}, {},
            unknownCategory({}) },
        { "read error", HostileHooks::ReadError, "io-error", {}, {},
            QStringLiteral("读取失败（%1）").arg(systemReason(EIO)) },
        { "interrupted reads", HostileHooks::InterruptedReads, "eintr", "eintr", other, {} },
        { "one byte per read", HostileHooks::TrickleReads, "trickle", "trickle", other, {} },
    };
    for (const auto &f : faults) {
        const QByteArray fileName = QByteArray(f.name) + ".cod";
        r.append({ f.title, Faulty, fileName, code(QString::fromLatin1(f.name)), f.node, f.category,
            f.reason, f.reason.isEmpty() ? QString() : QString(fileName), f.fault });
    }
    return r;
}

bool create(const QString &folder, const Row &row, HostileHooks *hooks)
{
    switch (row.kind) {
    case Directory:
        return HostileFolder::makeDirectory(folder, row.fileName);
    case Fifo:
        return HostileFolder::makeFifo(folder, row.fileName);
    case DanglingLink:
        return HostileFolder::makeLink(folder, row.fileName, "no-such-file.cod");
    case LinkLoop:
        return HostileFolder::makeLink(folder, row.fileName, row.fileName);
    case LinkToGood:
        return HostileFolder::makeLink(folder, row.fileName, "good.cod");
    case Faulty:
        hooks->add(row.fileName, row.fault);
        break;
    case Regular:
        break;
    }
    return TestLibrary::writeFile(folder, row.fileName, row.content);
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void oneHostileEntry_data();
    void oneHostileEntry();
    void everythingAtOnce();
    void fieldsSplitBeforeDecoding();
    void reportsOneLinePerSkippedFile();
    void reportsFolderNameAsPlainText();

private:
    static void checkViewer(frmMain *window, const QString &key);
    static void checkFindReads(const QString &folder);
};

// A click on the node shows what the node's file holds now.
void TestHostile::checkViewer(frmMain *window, const QString &key)
{
    const QModelIndex node = window->codeTree()->indexOfKey(key);
    QVERIFY(node.isValid());
    const QByteArray path = HostileFolder::path(
        window->libraryFolder(), node.data(CodeTreeModel::FileNameRole).toByteArray());
    const QByteArray content = HostileFolder::readRaw(path);
    const CodeRecord expected = CodeRecord::fromBytes(content.constData(), content.size());
    window->tvCodes_NodeClick(node);
    const struct {
        const char *pane;
        CodeRecord::Field field;
    } panes[] = { { "txtComments", CodeRecord::Comments },
        { "txtDeclarations", CodeRecord::Declarations }, { "txtCode", CodeRecord::Code } };
    for (const auto &p : panes) {
        QCOMPARE(window->findChild<QPlainTextEdit *>(QLatin1String(p.pane))->toPlainText(),
            PaneText::fromField(expected.field(p.field)));
    }
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Panel1"))->text(),
        QStringLiteral("Code: ") + trimmedSpaces(expected.field(CodeRecord::Category)));
}

// Find reads the beginning of each listed file's Comments field: it agrees
// with the whole record, or fails for the same reason.
void TestHostile::checkFindReads(const QString &folder)
{
    FileList list;
    QVERIFY(list.setFolder(folder));
    const FolderHandle handle(folder);
    for (int i = 0; i < list.count(); ++i) {
        CodeRecord record;
        QString recordError;
        const bool readable = modProgramVars::ReadCodeRecord(list.path(i), &record, &recordError);
        for (int characters : { 0, 1, 2, 3, 749, 750, 751, 1499, 1500, 1501 }) {
            QString text;
            QString error;
            const bool ok = modProgramVars::ReadFieldPrefix(
                list.path(i), CodeRecord::Comments, characters, &text, &error);
            QString textAt;
            QString errorAt;
            QCOMPARE(modProgramVars::ReadFieldPrefixAt(handle.fd(), list.fileName(i).data(),
                         CodeRecord::Comments, characters, &textAt, &errorAt),
                ok);
            QCOMPARE(textAt, text);
            QCOMPARE(errorAt, error);
            // No characters need no read, even of a file that cannot be read.
            if (characters == 0 && ok) {
                QCOMPARE(text, QString());
                continue;
            }
            QCOMPARE(ok, readable);
            if (ok)
                QCOMPARE(text, record.field(CodeRecord::Comments).left(characters));
            else
                QCOMPARE(error, recordError);
        }
    }
}

void TestHostile::oneHostileEntry_data()
{
    QTest::addColumn<int>("row");
    const QVector<Row> all = rows();
    for (int i = 0; i < all.size(); ++i)
        QTest::newRow(all[i].title) << i;
}

void TestHostile::oneHostileEntry()
{
    QFETCH(int, row);
    const Row r = rows().at(row);
    QTemporaryDir dir;
    const auto cleanup = qScopeGuard([&] { HostileFolder::removeTree(dir.path()); });
    QVERIFY(TestLibrary::writeFile(
        dir.path(), "good.cod", code("good", QStringLiteral("运算子程序"), "good comments")));
    ScopedFileOps ops;
    HostileHooks hooks(&ops);
    QVERIFY(create(dir.path(), r, &hooks));

    frmMain window(dir.path());
    const CodeTreeModel *model = window.codeTree();
    QCOMPARE(model->codeCount(), r.node.isNull() ? 1 : 2);
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(),
        QStringLiteral("%1 Code(s)").arg(model->codeCount()));
    QCOMPARE(model->indexOfKey("good").parent().data().toString(), QStringLiteral("运算子程序"));
    if (!r.node.isNull())
        QCOMPARE(model->indexOfKey(r.node).parent().data().toString(), r.category);
    if (r.reason.isNull()) {
        QCOMPARE(window.skippedFiles().size(), 0);
    } else {
        QCOMPARE(window.skippedFiles().size(), 1);
        QCOMPARE(window.skippedFiles().first().fileName, r.shownName);
        QCOMPARE(window.skippedFiles().first().reason, r.reason);
    }

    checkViewer(&window, QStringLiteral("good"));
    if (!r.node.isNull())
        checkViewer(&window, r.node);
    checkFindReads(dir.path());
}

void TestHostile::everythingAtOnce()
{
    QTemporaryDir dir;
    const auto cleanup = qScopeGuard([&] { HostileFolder::removeTree(dir.path()); });
    QVERIFY(TestLibrary::writeFile(
        dir.path(), "good.cod", code("good", QStringLiteral("运算子程序"), "good comments")));
    ScopedFileOps ops;
    HostileHooks hooks(&ops);
    QStringList expectedSkips;
    QStringList nodes { QStringLiteral("good") };
    for (const Row &r : rows()) {
        QVERIFY2(create(dir.path(), r, &hooks), r.title);
        if (r.reason.isNull())
            nodes << r.node;
        else
            expectedSkips << r.shownName + u'|' + r.reason;
    }

    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), nodes.size());
    for (const QString &node : nodes) {
        QVERIFY(window.codeTree()->indexOfKey(node).isValid());
        checkViewer(&window, node);
    }
    QStringList skips;
    for (const SkippedFile &skipped : window.skippedFiles())
        skips << skipped.fileName + u'|' + skipped.reason;
    skips.sort();
    expectedSkips.sort();
    QCOMPARE(skips, expectedSkips);
    checkFindReads(dir.path());

    // Find reads every listed file and shows the one match.
    window.showCodeTexts(CodeRecord());
    auto *find = new frmFind(&window);
    find->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("good comments"));
    find->Command1_Click();
    QCOMPARE(window.findChild<QPlainTextEdit *>(QStringLiteral("txtComments"))->toPlainText(),
        QStringLiteral("good comments").leftJustified(1500));
}

// Each field is decoded on its own: a lone lead byte at a field's end reads
// as U+FFFD and leaves the next field's first character alone.
void TestHostile::fieldsSplitBeforeDecoding()
{
    QTemporaryDir dir;
    QVERIFY(
        TestLibrary::writeFile(dir.path(), "lead.cod", HostileFolder::leadBytesAtFieldEnds(false)));
    frmMain window(dir.path());
    const QString name = HostileFolder::leadField(QStringLiteral("lead"), 64);
    const QModelIndex node = window.codeTree()->indexOfKey(name);
    QVERIFY(node.isValid());
    window.tvCodes_NodeClick(node);
    const auto pane = [&](const char *objectName) {
        return window.findChild<QPlainTextEdit *>(QLatin1String(objectName))->toPlainText();
    };
    QCOMPARE(pane("txtCode"), HostileFolder::leadField(QStringLiteral("A"), 1500));
    QCOMPARE(pane("txtDeclarations"), HostileFolder::leadField(QStringLiteral("B"), 1500));
    QCOMPARE(pane("txtComments"), HostileFolder::leadField(QStringLiteral("C"), 1500));

    const QByteArray path = HostileFolder::path(dir.path(), "lead.cod");
    QString text;
    QString error;
    QVERIFY(modProgramVars::ReadFieldPrefix(path, CodeRecord::Comments, 1, &text, &error));
    QCOMPARE(text, QStringLiteral("C"));
    QVERIFY(modProgramVars::ReadFieldPrefix(path, CodeRecord::Comments, 1500, &text, &error));
    QCOMPARE(text, HostileFolder::leadField(QStringLiteral("C"), 1500));
}

// File names and fields may hold line breaks and NUL characters: the
// report still gives one whole line per skipped file, on standard error
// and in the message box.
void TestHostile::reportsOneLinePerSkippedFile()
{
    QTemporaryDir dir;
    for (const char *name : { "line\nbreak.cod", "carriage\rreturn.cod", "tab\tname.cod" })
        QVERIFY(TestLibrary::writeFile(dir.path(), name, ""));
    QVERIFY(TestLibrary::writeFile(dir.path(), "all-nul.cod", QByteArray(4692, '\0')));
    QVERIFY(TestLibrary::writeFile(
        dir.path(), "crlf-category.cod", code("crlf", QStringLiteral("其他\r\n"))));

    StderrCapture captured;
    frmMain window(dir.path());
    const QList<QByteArray> lines = captured.lines();
    QCOMPARE(window.skippedFiles().size(), 5);
    QCOMPARE(lines.size(), 5);
    for (const QByteArray &line : lines) {
        QVERIFY2(line.startsWith("quillbank: 跳过文件“"), line.constData());
        QVERIFY2(line.endsWith("”：名称为空") || line.endsWith("”不存在"), line.constData());
    }
    QVERIFY(lines.contains("quillbank: 跳过文件“line\\x0Abreak.cod”：名称为空"));
    QVERIFY(lines.contains("quillbank: 跳过文件“crlf-category.cod”：种类“其他\\x0D\\x0A”不存在"));
    QVERIFY(lines.contains(
        "quillbank: 跳过文件“all-nul.cod”：种类“" + QByteArray("\\x00").repeated(128) + "”不存在"));

    window.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = window.findChild<QMessageBox *>(QStringLiteral("msgSkippedFiles"))));
    QCOMPARE(box->text().count(u'\n'), 5);
    QCOMPARE(box->detailedText().count(u'\n'), 4);
    QVERIFY(!box->text().contains(QChar(0)));
    QVERIFY(box->text().contains(QStringLiteral("“carriage\\x0Dreturn.cod”")));
}

// A library folder whose name looks like markup is shown as it is.
void TestHostile::reportsFolderNameAsPlainText()
{
    QTemporaryDir dir;
    frmMain window(dir.filePath(QStringLiteral("<b>missing</b>")));
    window.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = window.findChild<QMessageBox *>(QStringLiteral("msgSkippedFiles"))));
    QVERIFY(box->text().contains(QStringLiteral("<b>missing</b>")));
    QCOMPARE(box->textFormat(), Qt::PlainText);
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
