// Code files that change after start-up, as the viewer and Find meet them,
// and a library of 40,000 files.
#include "Categories.h"
#include "CodeTreeModel.h"
#include "HostileFolder.h"
#include "PaneText.h"
#include "ScopedFileOps.h"
#include "StderrCapture.h"
#include "frmFind.h"
#include "frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>

using HostileFolder::code;

namespace {

enum Change {
    Removed,
    MadeFifo,
    MadeDirectory,
    MadeDanglingLink,
    MadeLinkLoop,
    Unopenable,
    ReadError,
    Emptied,
    GrownTo10MB,
    Replaced,
};

QString systemReason(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QString paneText(const frmMain &window, const char *name)
{
    return window.findChild<QPlainTextEdit *>(QLatin1String(name))->toPlainText();
}

QString panel1(const frmMain &window)
{
    return window.findChild<QLabel *>(QStringLiteral("Panel1"))->text();
}

// Runs a search of the Find dialog for `text`.
void find(frmMain *window, const QString &text)
{
    QPointer<frmFind> dialog = new frmFind(window);
    dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(text);
    dialog->Command1_Click();
    delete dialog;
}

} // namespace

class TestHostileLibrary : public QObject {
    Q_OBJECT
private slots:
    void changedAfterStartup_data();
    void changedAfterStartup();
    void findWhileFilesChange();
    void manyFiles();
};

void TestHostileLibrary::changedAfterStartup_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("problem"); // empty when the file can be read
    QTest::addColumn<QString>("comments"); // what the viewer then shows

    const QString cannotOpen = QStringLiteral("无法打开文件（%1）");
    const QString notRegular = QStringLiteral("不是普通文件");
    QTest::newRow("removed") << int(Removed) << cannotOpen.arg(systemReason(ENOENT)) << QString();
    QTest::newRow("FIFO") << int(MadeFifo) << notRegular << QString();
    QTest::newRow("directory") << int(MadeDirectory) << notRegular << QString();
    QTest::newRow("dangling link")
        << int(MadeDanglingLink) << cannotOpen.arg(systemReason(ENOENT)) << QString();
    QTest::newRow("link loop") << int(MadeLinkLoop) << cannotOpen.arg(systemReason(ELOOP))
                               << QString();
    QTest::newRow("cannot be opened")
        << int(Unopenable) << cannotOpen.arg(systemReason(EACCES)) << QString();
    QTest::newRow("read error") << int(ReadError)
                                << QStringLiteral("读取失败（%1）").arg(systemReason(EIO))
                                << QString();
    QTest::newRow("emptied") << int(Emptied) << QString() << QString(1500, u' ');
    QTest::newRow("grown to 10 MB") << int(GrownTo10MB) << QString() << QStringLiteral("victim");
    QTest::newRow("replaced") << int(Replaced) << QString() << QStringLiteral("replacement");
}

// The viewer reports a file it cannot read and leaves the panes as they
// were; a file it can read is shown as it is now. Find does not hang on
// any of them and still finds the other code.
void TestHostileLibrary::changedAfterStartup()
{
    QFETCH(int, change);
    QFETCH(QString, problem);
    QFETCH(QString, comments);

    QTemporaryDir dir;
    const QByteArray victim = HostileFolder::path(dir.path(), "victim.cod");
    QVERIFY(TestLibrary::writeFile(dir.path(), "good.cod", code("good", "其他", "good")));
    QVERIFY(TestLibrary::writeFile(dir.path(), "victim.cod", code("victim", "其他", "victim")));
    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), 2);

    // Only the victim fails: the good code stays readable.
    ScopedFileOps ops;
    HostileHooks hooks(&ops);
    if (change == Unopenable || change == ReadError)
        hooks.add("victim.cod",
            change == Unopenable ? HostileHooks::Unopenable : HostileHooks::ReadError);
    const QByteArray content = code("victim", "其他", "victim");
    switch (Change(change)) {
    case MadeFifo:
    case MadeDirectory:
    case MadeDanglingLink:
    case MadeLinkLoop:
    case Removed:
        QCOMPARE(::unlink(victim.constData()), 0);
        if (change == MadeFifo)
            QVERIFY(HostileFolder::makeFifo(dir.path(), "victim.cod"));
        if (change == MadeDirectory)
            QVERIFY(HostileFolder::makeDirectory(dir.path(), "victim.cod"));
        if (change == MadeDanglingLink)
            QVERIFY(HostileFolder::makeLink(dir.path(), "victim.cod", "gone.cod"));
        if (change == MadeLinkLoop)
            QVERIFY(HostileFolder::makeLink(dir.path(), "victim.cod", "victim.cod"));
        break;
    case Emptied:
        QVERIFY(TestLibrary::writeFile(dir.path(), "victim.cod", ""));
        break;
    case GrownTo10MB:
        QVERIFY(TestLibrary::writeFile(
            dir.path(), "victim.cod", content + QByteArray(10 << 20, '\xfe')));
        break;
    case Replaced:
        QVERIFY(TestLibrary::writeFile(
            dir.path(), "victim.cod", code("other", "逻辑操作", "replacement")));
        break;
    case Unopenable:
    case ReadError:
        break;
    }

    const QStringList entries = TestLibrary::entries(dir.path());
    window.tvCodes_NodeClick(window.codeTree()->indexOfKey("good"));
    QCOMPARE(paneText(window, "txtComments"), QStringLiteral("good").leftJustified(1500));
    window.tvCodes_NodeClick(window.codeTree()->indexOfKey("victim"));
    if (!problem.isEmpty()) {
        QCOMPARE(panel1(window), QStringLiteral("无法读取代码“victim”：") + problem);
        QCOMPARE(paneText(window, "txtComments"), QStringLiteral("good").leftJustified(1500));
    } else {
        QCOMPARE(paneText(window, "txtComments"), comments.leftJustified(1500));
        if (change != Emptied)
            QCOMPARE(paneText(window, "txtCode"),
                PaneText::fromField(QStringLiteral("MOV AX,BX").leftJustified(1500)));
    }

    QCOMPARE(TestLibrary::entries(dir.path()), entries); // nothing created or removed

    // Find reads past the changed file and shows the code that matches.
    window.showCodeTexts(CodeRecord());
    find(&window, QStringLiteral("good"));
    QCOMPARE(paneText(window, "txtComments"), QStringLiteral("good").leftJustified(1500));
}

// Files that change between Find's listing and its reads are skipped and
// reported, one line each, and the search goes on to the match.
void TestHostileLibrary::findWhileFilesChange()
{
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("z-good.cod"),
        TestLibrary::record(QStringLiteral("good"), QStringLiteral("其他"), QStringLiteral("good"),
            QStringLiteral("GOOD EQU 1"))));
    const struct {
        const char *fileName;
        HostileHooks::Fault fault;
        QString reason; // empty when the file is read and does not match
    } victims[] = {
        { "a-removed.cod", HostileHooks::RemovedBeforeRead,
            QStringLiteral("无法打开文件（%1）").arg(systemReason(ENOENT)) },
        { "b-fifo.cod", HostileHooks::FifoBeforeRead, QStringLiteral("不是普通文件") },
        { "c-directory.cod", HostileHooks::DirectoryBeforeRead, QStringLiteral("不是普通文件") },
        { "d-locked.cod", HostileHooks::Unopenable,
            QStringLiteral("无法打开文件（%1）").arg(systemReason(EACCES)) },
        { "e-io-error.cod", HostileHooks::ReadError,
            QStringLiteral("读取失败（%1）").arg(systemReason(EIO)) },
        { "f-shrunk.cod", HostileHooks::ShrunkBeforeRead, QString() },
        { "g-replaced.cod", HostileHooks::ReplacedBeforeRead, QString() },
    };
    for (const auto &victim : victims)
        QVERIFY(TestLibrary::writeFile(dir.path(), victim.fileName, code("v", "其他", "good")));
    frmMain window(dir.path());

    ScopedFileOps ops;
    HostileHooks hooks(&ops);
    QList<QByteArray> expected;
    for (const auto &victim : victims) {
        hooks.add(victim.fileName, victim.fault);
        if (!victim.reason.isEmpty()) {
            expected << QStringLiteral("quillbank: 查找时跳过文件“%1”：%2")
                            .arg(QLatin1String(victim.fileName), victim.reason)
                            .toUtf8();
        }
    }
    StderrCapture captured;
    find(&window, QStringLiteral("good"));
    QCOMPARE(captured.lines(), expected);
    QCOMPARE(paneText(window, "txtComments"), QStringLiteral("good").leftJustified(1500));
    QCOMPARE(paneText(window, "txtDeclarations"), QStringLiteral("GOOD EQU 1").leftJustified(1500));
}

// Start-up takes in 40,000 files, skipping and reporting the ones it must,
// and the viewer and Find work on the result.
void TestHostileLibrary::manyFiles()
{
    constexpr int kFiles = 40000;
    QTemporaryDir dir;
    const QStringList &categories = Categories::treeOrder();
    QVector<QStringList> children(categories.size());
    QVector<SkippedFile> expectedSkips;
    const QString unknown = QStringLiteral("无此种类");
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("c%1").arg(i, 5, 10, QLatin1Char('0'));
        const bool skipped = i % 1000 == 999;
        const QString category = skipped ? unknown : categories.at(i % categories.size());
        QVERIFY(TestLibrary::writeFile(dir.path(), QFile::encodeName(name + ".cod"),
            code(name, category, QStringLiteral("说明 %1").arg(i))));
        if (skipped)
            expectedSkips.append({ name + ".cod", QStringLiteral("种类“%1”不存在").arg(unknown) });
        else
            children[i % categories.size()] << name;
    }

    frmMain window(dir.path());
    const CodeTreeModel *model = window.codeTree();
    QCOMPARE(model->codeCount(), kFiles - int(expectedSkips.size()));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(),
        QStringLiteral("%1 Code(s)").arg(kFiles - expectedSkips.size()));
    QCOMPARE(window.skippedFiles().size(), expectedSkips.size());
    for (int i = 0; i < expectedSkips.size(); ++i) {
        QCOMPARE(window.skippedFiles().at(i).fileName, expectedSkips.at(i).fileName);
        QCOMPARE(window.skippedFiles().at(i).reason, expectedSkips.at(i).reason);
    }
    for (int c = 0; c < categories.size(); ++c) {
        const QModelIndex category = model->index(c, 0);
        QCOMPARE(model->rowCount(category), children[c].size());
        for (int row : { 0, 1, int(children[c].size()) / 2, int(children[c].size()) - 1 })
            QCOMPARE(model->index(row, 0, category).data().toString(), children[c].at(row));
    }

    window.tvCodes_NodeClick(model->indexOfKey(QStringLiteral("c12345")));
    QCOMPARE(paneText(window, "txtComments"), QStringLiteral("说明 12345").leftJustified(1500));
    QCOMPARE(panel1(window), QStringLiteral("Code: ") + categories.at(12345 % 8));

    find(&window, QStringLiteral("说明 39998"));
    QCOMPARE(paneText(window, "txtComments"), QStringLiteral("说明 39998").leftJustified(1500));
}

QTEST_MAIN(TestHostileLibrary)
#include "tst_hostile_library.moc"
