// The New-code dialog's checks: refused entries, replacing a code, and
// writes that fail.
#include "CodeTreeModel.h"
#include "FileOps.h"
#include "ScopedFileOps.h"
#include "frmNewCode.h"
#include "tst_dialogs_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

using DialogTest::AddOutcome;
using DialogTest::CodeEntry;

namespace {

const QString kOther = QStringLiteral("其他");
const QString kArithmetic = QStringLiteral("运算子程序");

int failingRename(const char *, const char *)
{
    errno = EIO;
    return -1;
}

ssize_t fullDiskWrite(int, const void *, size_t)
{
    errno = ENOSPC;
    return -1;
}

QString reasonText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The entries of /tmp that a write under a refused name could create.
QStringList tmpCandidates()
{
    QStringList found;
    for (const QString &entry : TestLibrary::entries(QStringLiteral("/tmp"))) {
        if (entry.endsWith(QLatin1String(".cod")) || entry.startsWith(QLatin1String(".quillbank-")))
            found << entry;
    }
    return found;
}

} // namespace

class TestNewCodeChecks : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refused_data();
    void refused();
    void replace_data();
    void replace();
    void replaceKeepsTheCodesFile();
    void replaceUnlistedFile_data();
    void replaceUnlistedFile();
    void failedWrite_data();
    void failedWrite();

private:
    AddOutcome add(const CodeEntry &entry, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        return DialogTest::addCode(*m_window, entry, answer);
    }
    QString codePath(const QString &fileName) const { return m_folder + u'/' + fileName; }
    QString countText() const { return DialogTest::panel(*m_window, "Panel2"); }
    QStringList entries() const { return TestLibrary::entries(m_folder); }
    QString categoryOf(const QString &key) const
    {
        return m_window->codeTree()->indexOfKey(key).parent().data().toString();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QByteArray m_yBytes;
    QByteArray m_zBytes;
    std::unique_ptr<frmMain> m_window;
};

void TestNewCodeChecks::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("Codes"));
    QVERIFY(QDir().mkpath(m_folder));
    const CodeRecord y
        = TestLibrary::record(QStringLiteral("y"), kArithmetic, QStringLiteral("old y"));
    QVERIFY(TestLibrary::writeCode(m_folder, QStringLiteral("y.cod"), y));
    m_yBytes = TestLibrary::bytes(y);
    // A code whose file is not named after it.
    const CodeRecord w = TestLibrary::record(QStringLiteral("w"), kOther, QStringLiteral("w's"));
    QVERIFY(TestLibrary::writeCode(m_folder, QStringLiteral("z.cod"), w));
    m_zBytes = TestLibrary::bytes(w);
    m_window = std::make_unique<frmMain>(m_folder);
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
}

void TestNewCodeChecks::cleanup()
{
    fileOps() = FileOps::system();
    m_window.reset();
    m_dir.reset();
}

// Refused entries: a message naming why, the dialog still up with what was
// typed, no write attempted through the FileOps seam, and nothing new in
// the folder, its parent or /tmp.
void TestNewCodeChecks::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("comments");
    QTest::addColumn<QString>("why"); // parts of the message, '|' between them

    const QString leadingDot = QStringLiteral("以“.”开头");
    const QString separator = QStringLiteral("不能包含以下字符");
    const QString reserved = QStringLiteral("系统保留的设备名");
    const QString control = QStringLiteral("控制字符");
    const QString empty = QStringLiteral("不能为空");
    const QString dots = QStringLiteral("“.”或“..”");
    const QString long63(63, u'a');
    const struct {
        const char *title;
        QString name;
        QString why;
    } names[] = {
        { "parent folder", "../x", leadingDot },
        { "parent folder, backslash", "..\\x", leadingDot },
        { "absolute path", "/tmp/x", separator },
        { "slash", "a/b", separator },
        { "backslash", "a\\b", separator },
        { "colon", "a:b", separator },
        { "device", "CON", reserved },
        { "device with extension", "lpt1.txt", reserved },
        { "dot", ".", dots },
        { "dot dot", "..", dots },
        { "hidden", ".hidden", leadingDot },
        { "trailing dot", "x.", QStringLiteral("以“.”结尾") },
        { "control character",
            "a\x01"
            "b",
            control },
        { "NUL", QString(u'a') + QChar(0) + u'b', control },
        { "NUL then ../x", QChar(0) + QStringLiteral("../x"), {} },
        { "tab", "a\tb", control },
        { "line feed", "a\nb", control },
        { "carriage return", "a\rb", control },
        { "escape", "a\x1b[2J", control },
        { "delete", "a\x7f", control },
        { "C1 control U+0085", QStringLiteral("a\u0085b"), control },
        { "unencodable", QStringLiteral("😀"), QStringLiteral("GBK") },
        { "empty", "", empty },
        { "spaces only", "    ", empty },
        { "category name", "其他", QStringLiteral("种类") },
        { "category name with spaces", " 逻辑操作 ", QStringLiteral("种类") },
        { "./x", "./x", {} },
        { "x/..", "x/..", {} },
        { "../../../../tmp/x", "../../../../tmp/x", {} },
        { "..\\..\\x", "..\\..\\x", {} },
        { "/", "/", {} },
        { "\\", "\\", {} },
        { "C:\\x", "C:\\x", {} },
        { "\\\\server\\share\\x", "\\\\server\\share\\x", {} },
        { "spaces around ../x", "  ../x  ", {} },
        { "spaces around ..", "  ..  ", {} },
        { "slash made by the 64-byte cut", long63 + "/b", {} },
        { "trailing dot made by the 64-byte cut", long63 + ".b", {} },
    };
    for (const auto &n : names)
        QTest::newRow(n.title) << n.name << kOther << QStringLiteral("说明") << n.why;
    QTest::newRow("no category") << "x"
                                 << "" << QStringLiteral("说明") << QStringLiteral("种类");
    QTest::newRow("unencodable comments")
        << "x" << kOther << QStringLiteral("笑脸😀与€") << QStringLiteral("😀|说明");
}

void TestNewCodeChecks::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(QString, comments);
    QFETCH(QString, why);

    const QString parent = m_dir->path();
    const QStringList folderBefore = entries();
    const QStringList parentBefore = TestLibrary::entries(parent);
    const QStringList tmpBefore = tmpCandidates();

    ScopedFileOps ops;
    bool wrote = false;
    ops.open = [&](const char *path, int flags, mode_t mode) {
        wrote = wrote || (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
        return ScopedFileOps::system().open(path, flags, mode);
    };
    const AddOutcome outcome = add({ name, category, comments, "", "" });
    QVERIFY(outcome.stayed);
    QCOMPARE(outcome.messages.size(), 1);
    for (const QString &part : why.split(u'|'))
        QVERIFY2(outcome.messages.first().contains(part), qPrintable(outcome.messages.first()));

    QVERIFY(!wrote);
    const QVector<ScopedFileOps::Call> calls = ops.calls();
    QVERIFY(!calls.contains(ScopedFileOps::Write));
    QVERIFY(!calls.contains(ScopedFileOps::Rename));
    QVERIFY(!calls.contains(ScopedFileOps::Unlink));
    QCOMPARE(entries(), folderBefore);
    QCOMPARE(TestLibrary::entries(parent), parentBefore);
    QCOMPARE(tmpCandidates(), tmpBefore);
    QCOMPARE(m_window->codeTree()->codeCount(), 2);
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));

    // The dialog stayed up with what was typed.
    DialogTest::openNewCode(*m_window, [&](frmNewCode *dialog) {
        QCOMPARE(DialogTest::typed(dialog), QStringList({ name, category, comments, "", "" }));
        dialog->hide();
    });
}

void TestNewCodeChecks::replace_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestNewCodeChecks::replace()
{
    QFETCH(bool, yes);
    const AddOutcome outcome
        = add({ " y", kOther, "new y", "", "MOV B,#2" }, yes ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY(outcome.messages.first().contains(QStringLiteral("“y”")));
    QCOMPARE(outcome.stayed, !yes);
    QCOMPARE(m_window->codeTree()->codeCount(), 2);
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    const QByteArray written = TestLibrary::readFile(codePath(QStringLiteral("y.cod")));
    if (yes) {
        QCOMPARE(written,
            TestLibrary::bytes(TestLibrary::record(" y", kOther, "new y", "", "MOV B,#2")));
        // Moved under its new category, as its last code.
        const QModelIndex node = m_window->codeTree()->indexOfKey(QStringLiteral("y"));
        QCOMPARE(node.parent().data().toString(), kOther);
        QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
        QCOMPARE(m_window->codeTree()->rowCount(m_window->codeTree()->indexOfKey(kArithmetic)), 0);
    } else {
        QCOMPARE(written, m_yBytes);
        QCOMPARE(categoryOf(QStringLiteral("y")), kArithmetic);
    }
}

// w was read from z.cod: replacing it rewrites z.cod, and no second file
// of w appears that the next start-up would have to skip.
void TestNewCodeChecks::replaceKeepsTheCodesFile()
{
    const AddOutcome outcome = add({ "w", kArithmetic, "new w", "", "" }, QMessageBox::Yes);
    QVERIFY(!outcome.stayed);
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    QCOMPARE(TestLibrary::readFile(codePath(QStringLiteral("z.cod"))),
        TestLibrary::bytes(TestLibrary::record("w", kArithmetic, "new w", "", "")));
    QCOMPARE(categoryOf(QStringLiteral("w")), kArithmetic);
    frmMain again(m_folder);
    QVERIFY(again.skippedFiles().isEmpty());
    QCOMPARE(again.codeTree()->codeCount(), 2);
}

void TestNewCodeChecks::replaceUnlistedFile_data()
{
    replace_data();
}

void TestNewCodeChecks::replaceUnlistedFile()
{
    QFETCH(bool, yes);
    // z.cod holds the code w, so no code z is in the tree.
    const AddOutcome outcome
        = add({ "z", kOther, "z", "", "" }, yes ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY(outcome.messages.first().contains(QStringLiteral("z.cod")));
    QCOMPARE(outcome.stayed, !yes);
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    const QByteArray written = TestLibrary::readFile(codePath(QStringLiteral("z.cod")));
    if (yes) {
        QCOMPARE(written, TestLibrary::bytes(TestLibrary::record("z", kOther, "z")));
        QCOMPARE(categoryOf(QStringLiteral("z")), kOther);
        QCOMPARE(countText(), QStringLiteral("3 Code(s)"));
    } else {
        QCOMPARE(written, m_zBytes);
        QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("z")));
        QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
    }
}

void TestNewCodeChecks::failedWrite_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder, new code") << "missing folder"
                                              << "x" << reasonText(ENOENT);
    QTest::newRow("missing folder, replacing") << "missing folder"
                                               << "y" << reasonText(ENOENT);
    QTest::newRow("rename fails, new code") << "rename"
                                            << "x" << reasonText(EIO);
    QTest::newRow("rename fails, replacing") << "rename"
                                             << "y" << reasonText(EIO);
    QTest::newRow("full disk, new code") << "full disk"
                                         << "x" << reasonText(ENOSPC);
    QTest::newRow("full disk, replacing") << "full disk"
                                          << "y" << reasonText(ENOSPC);
}

void TestNewCodeChecks::failedWrite()
{
    QFETCH(QString, failure);
    QFETCH(QString, name);
    QFETCH(QString, reason);

    if (failure == u"missing folder")
        QVERIFY(QDir(m_folder).removeRecursively());
    else if (failure == u"rename")
        fileOps().rename = failingRename;
    else
        fileOps().write = fullDiskWrite;
    const QStringList before = entries();

    const AddOutcome outcome = add({ name, kOther, "new", "", "" }, QMessageBox::Yes);
    const bool replacing = name == u"y";
    // Replacing first asks, then tells why the write failed.
    QCOMPARE(outcome.messages.size(), replacing ? 2 : 1);
    const QString message = outcome.messages.last();
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("“%1”").arg(name)));
    QVERIFY(outcome.stayed);

    QCOMPARE(entries(), before); // no file and no temporary file left
    QCOMPARE(QFileInfo::exists(m_folder), failure != u"missing folder");
    if (failure != u"missing folder")
        QCOMPARE(TestLibrary::readFile(codePath(QStringLiteral("y.cod"))), m_yBytes);
    QCOMPARE(m_window->codeTree()->codeCount(), 2);
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
    QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("x")));
    QCOMPARE(categoryOf(QStringLiteral("y")), kArithmetic);
}

QTEST_MAIN(TestNewCodeChecks)
#include "tst_dialogs_newcode_checks.moc"
