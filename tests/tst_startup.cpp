// Start-up: the category tree, the codes read from the library folder, and
// the files it passes over, whatever the folder holds.
#include "Categories.h"
#include "CodeTreeModel.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmMain.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeView>
#include <sys/stat.h>

namespace {

QStringList childNames(const CodeTreeModel *model, const QString &category)
{
    const QModelIndex parent = model->indexOfKey(category);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names << model->index(row, 0, parent).data().toString();
    return names;
}

QString panel2(const frmMain &window)
{
    return TestLibrary::child<QLabel>(&window, "Panel2")->text();
}

enum Kind { Regular, Directory, Fifo, Dangling, Loop, Unopenable, ReadError, Interrupted };

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void emptyLibrary();
    void codesInListingOrder();
    void hostileEntry_data();
    void hostileEntry();
    void missingFolder();
    void manyFiles();
};

void TestStartup::emptyLibrary()
{
    QTemporaryDir dir;
    frmMain window(dir.path());
    const CodeTreeModel *model = window.codeTree();
    QCOMPARE(model->rowCount(), 8);
    for (int row = 0; row < 8; ++row) {
        const QModelIndex category = model->index(row, 0);
        QCOMPARE(category.data().toString(), Categories::treeOrder().at(row));
        QVERIFY(category.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(category.data(CodeTreeModel::ImageKeyRole).toString(), QStringLiteral("Closed"));
        QCOMPARE(
            category.data(CodeTreeModel::SelectedImageKeyRole).toString(), QStringLiteral("Open"));
        QCOMPARE(model->rowCount(category), 0);
    }
    QCOMPARE(panel2(window), QStringLiteral("0 Code(s)"));
    QVERIFY(!TestLibrary::child<QTreeView>(&window, "tvCodes")->isExpanded(model->index(0, 0)));
}

// Children in the order of the file names; a node shows the Name field,
// whatever the file is called; keys are unique and case-sensitive.
void TestStartup::codesInListingOrder()
{
    QTemporaryDir dir;
    const QString conversion = QStringLiteral("代码转换");
    QVERIFY(
        TestLibrary::writeCode(dir.path(), "c.cod", TestLibrary::record("  third ", conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), "A.txt", TestLibrary::record("first", conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), "b", TestLibrary::record("second", conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), "d.cod", TestLibrary::record("x", "  其他  ")));
    frmMain window(dir.path());
    CodeTreeModel *model = window.codeTree();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(childNames(model, conversion), (QStringList { "first", "second", "third" }));
    const QModelIndex third = model->indexOfKey(QStringLiteral("third"));
    QCOMPARE(third.data(CodeTreeModel::ImageKeyRole).toString(), QStringLiteral("Code"));
    QCOMPARE(third.data(CodeTreeModel::SelectedImageKeyRole).toString(), QStringLiteral("Code"));
    QCOMPARE(third.data(CodeTreeModel::FileNameRole).toByteArray(), QByteArray("c.cod"));
    QVERIFY(!third.data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(panel2(window), QStringLiteral("4 Code(s)"));

    CodeTreeModel::NewCode code { TestLibrary::kOther, QStringLiteral("y"), "y.cod", {} };
    QVERIFY(model->addCode(code));
    QVERIFY(!model->addCode(code));
    QVERIFY(!model->addCode({ TestLibrary::kOther, conversion, "z.cod", {} }));
    QVERIFY(!model->addCode({ QStringLiteral("无"), QStringLiteral("z"), "z.cod", {} }));
    QVERIFY(model->addCode({ conversion, QStringLiteral("Y"), "Y.cod", {} }));
    QCOMPARE(childNames(model, TestLibrary::kOther), (QStringList { "x", "y" }));
    QVERIFY(model->updateCode(QStringLiteral("y"), conversion, "y.cod"));
    QCOMPARE(childNames(model, conversion), (QStringList { "first", "second", "third", "Y", "y" }));
    QCOMPARE(model->codeCount(), 6);
}

// Each entry is taken in as the code it holds or passed over with a reason
// the user is told, and the files after it still load.
void TestStartup::hostileEntry_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("node"); // null when the entry is passed over
    QTest::addColumn<QString>("reason");
    const auto code = [](const QString &name, const QString &category = TestLibrary::kOther) {
        return TestLibrary::bytes(TestLibrary::record(name, category, "说明"));
    };
    QByteArray badGbk = code("bad..gbk");
    badGbk.replace(3, 2,
        "\x81"
        "0");
    const QString nul = QString(u'a') + QChar(0) + u'b';
    const auto row = [](const char *title, int kind, const QByteArray &fileName,
                         const QByteArray &content, const QString &node, const QString &reason) {
        QTest::newRow(title) << kind << fileName << content << node << reason;
    };
    const QString none;
    row("empty name", Regular, "v", code("   "), none, "v：名称是空的");
    row("unknown category", Regular, "v", code("v", "杂项"), none, "种类“杂项”不是八个种类之一");
    row("empty category", Regular, "v", code("v", ""), none, "种类是空的");
    row("crlf category", Regular, "v", code("v", "其他\r\n"), none, "种类“其他\r\n”不是");
    row("category name", Regular, "v", code("其他"), none, "名称“其他”是一个种类的名称");
    row("repeated name", Regular, "v", code("good"), none, "已有名为“good”的代码");
    row("3 bytes", Regular, "v", "abc", none, "文件只有 3 字节，代码文件应为 4692 字节");
    row("4691 bytes", Regular, "v", code("v").left(4691), "v", {});
    row("10 MB", Regular, "v", code("v") + QByteArray(10 << 20, '\x81'), "v", {});
    row("invalid GBK", Regular, "v", badGbk, "bad\uFFFD0gbk", {});
    row("NUL in name", Regular, "v", code(nul), nul, {});
    row("GBK file name", Regular, "\xba\xba", code(""), none, "汉：名称是空的");
    row("line break in file name", Regular, "a\nb", code(""), none, "a\nb：");
    row("directory", Directory, "v", {}, none, "v：不是普通文件");
    row("FIFO", Fifo, "v", {}, none, "v：不是普通文件");
    row("dangling link", Dangling, "v", {}, none, "v：不是普通文件");
    row("link loop", Loop, "v", {}, none, "v：不是普通文件");
    row("cannot open", Unopenable, "v", code("v"), none, "v：无法打开");
    row("read error", ReadError, "v", code("v"), none, "v：读取失败");
    row("interrupted reads", Interrupted, "v", code("v"), "v", {});
}

void TestStartup::hostileEntry()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, node);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + fileName;
    QVERIFY(TestLibrary::writeCode(dir.path(), "good", TestLibrary::record("good", "运算子程序")));
    QVERIFY(TestLibrary::writeCode(dir.path(), "z", TestLibrary::record("last", "运算子程序")));
    if (kind == Directory)
        QVERIFY(::mkdir(path, 0755) == 0);
    else if (kind == Fifo)
        QVERIFY(::mkfifo(path, 0644) == 0);
    else if (kind == Dangling || kind == Loop)
        QVERIFY(::symlink(kind == Loop ? path.constData() : "none", path) == 0);
    else
        QVERIFY(TestLibrary::writeFile(dir.path(), fileName, content));
    ScopedFileOps ops;
    int reads = 0;
    ops.before = [&](ScopedFileOps::Call call, int) {
        const bool open = call == ScopedFileOps::OpenAt || call == ScopedFileOps::Open;
        if (kind == Unopenable && open && reads++ == 1)
            return EACCES;
        const bool read = call == ScopedFileOps::Pread;
        if (read && (kind == ReadError || kind == Interrupted) && reads++ == 1)
            return kind == ReadError ? EIO : EINTR;
        return 0;
    };
    frmMain window(dir.path());
    QCOMPARE(childNames(window.codeTree(), "运算子程序"), (QStringList { "good", "last" }));
    QCOMPARE(window.codeTree()->codeCount(), node.isNull() ? 2 : 3);
    QCOMPARE(panel2(window), QStringLiteral("%1 Code(s)").arg(window.codeTree()->codeCount()));
    QCOMPARE(window.codeTree()->indexOfKey(node).isValid(), !node.isNull());
    QCOMPARE(window.skippedFiles().size(), node.isNull() ? 1 : 0);
    if (node.isNull()) {
        const SkippedFile &skipped = window.skippedFiles().first();
        QVERIFY2((skipped.fileName + u'：' + skipped.reason).contains(reason),
            qPrintable(skipped.reason));
        // The user is told, without a modal stop, in plain text.
        window.show();
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = TestLibrary::child<QMessageBox>(&window, "msgSkippedFiles")));
        QVERIFY(!box->isModal());
        QVERIFY(!box->text().contains(QStringLiteral("a\nb")));
    }
}

void TestStartup::missingFolder()
{
    QTemporaryDir dir;
    frmMain window(dir.filePath(QStringLiteral("<b>Codes</b>")));
    QCOMPARE(window.codeTree()->rowCount(), 8);
    QCOMPARE(panel2(window), QStringLiteral("0 Code(s)"));
    window.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = TestLibrary::child<QMessageBox>(&window, "msgSkippedFiles")));
    QVERIFY(box->text().contains(QStringLiteral("<b>Codes</b>")));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY(TestLibrary::entries(dir.path()).isEmpty());
}

// A library large enough to be read on several threads keeps the order of
// its listing in the tree and in the report of skipped files.
void TestStartup::manyFiles()
{
    constexpr int kFiles = 3000;
    QTemporaryDir dir;
    const QStringList &categories = Categories::treeOrder();
    QVector<QStringList> expected(8);
    QStringList skips;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("c%1").arg(i, 4, 10, QLatin1Char('0'));
        const bool skip = i % 100 == 99;
        QVERIFY(TestLibrary::writeCode(dir.path(), qPrintable(name),
            TestLibrary::record(name, skip ? QStringLiteral("无") : categories.at(i % 8))));
        skip ? skips << name : expected[i % 8] << name;
    }
    frmMain window(dir.path());
    for (int c = 0; c < 8; ++c)
        QCOMPARE(childNames(window.codeTree(), categories.at(c)), expected.at(c));
    QStringList skipped;
    for (const SkippedFile &s : window.skippedFiles())
        skipped << s.fileName;
    QCOMPARE(skipped, skips);
    QCOMPARE(panel2(window), QStringLiteral("%1 Code(s)").arg(kFiles - skips.size()));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
