// Start-up: the category tree and the codes read from the library folder.
#include "Categories.h"
#include "CodeTreeModel.h"
#include "TestLibrary.h"
#include "frmMain.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void emptyLibrary();
    void childrenInListingOrder();
    void skippedFilesReported_data();
    void skippedFilesReported();
    void missingFolder();
    void staleTemporaryFilesRemoved();
    void modelConsistency();

private:
    static QStringList children(const CodeTreeModel *model, const QString &category);
};

QStringList TestStartup::children(const CodeTreeModel *model, const QString &category)
{
    const QModelIndex parent = model->indexOfKey(category);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names << model->index(row, 0, parent).data().toString();
    return names;
}

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
    QCOMPARE(
        window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), QStringLiteral("0 Code(s)"));
    QCOMPARE(window.windowTitle(), QStringLiteral("汇编语言程序库"));
    QVERIFY(window.skippedFiles().isEmpty());
    // Categories start collapsed.
    QVERIFY(
        !window.findChild<QTreeView *>(QStringLiteral("tvCodes"))->isExpanded(model->index(0, 0)));
}

void TestStartup::childrenInListingOrder()
{
    QTemporaryDir dir;
    const QString conversion = QStringLiteral("代码转换");
    // File names decide the order; the nodes show the Name field.
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("c.cod"),
        TestLibrary::record(QStringLiteral("  third "), conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("A.txt"),
        TestLibrary::record(QStringLiteral("first"), conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("b"),
        TestLibrary::record(QStringLiteral("second"), conversion)));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("d.cod"),
        TestLibrary::record(QStringLiteral("other"), QStringLiteral("  其他  "))));
    frmMain window(dir.path());
    const CodeTreeModel *model = window.codeTree();
    QCOMPARE(children(model, conversion), (QStringList { "first", "second", "third" }));
    QCOMPARE(children(model, QStringLiteral("其他")), QStringList { "other" });
    const QModelIndex third = model->indexOfKey(QStringLiteral("third"));
    QCOMPARE(third.data(CodeTreeModel::ImageKeyRole).toString(), QStringLiteral("Code"));
    QCOMPARE(third.data(CodeTreeModel::FileNameRole).toByteArray(), QByteArray("c.cod"));
    QVERIFY(!third.data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(
        window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), QStringLiteral("4 Code(s)"));
}

void TestStartup::skippedFilesReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("empty name") << QStringLiteral("   ") << QStringLiteral("其他")
                                << QStringLiteral("名称为空");
    QTest::newRow("unknown category")
        << QStringLiteral("x") << QStringLiteral("杂项") << QStringLiteral("杂项");
    QTest::newRow("empty category") << QStringLiteral("x") << QString() << QStringLiteral("种类");
    QTest::newRow("name of a category")
        << QStringLiteral("其他") << QStringLiteral("其他") << QStringLiteral("重复");
    QTest::newRow("repeated name")
        << QStringLiteral("dup") << QStringLiteral("其他") << QStringLiteral("重复");
}

void TestStartup::skippedFilesReported()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(QString, reasonPart);
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("a.cod"),
        TestLibrary::record(QStringLiteral("dup"), QStringLiteral("其他"))));
    QVERIFY(TestLibrary::writeCode(
        dir.path(), QStringLiteral("bad.cod"), TestLibrary::record(name, category)));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("c.cod"),
        TestLibrary::record(QStringLiteral("fine"), QStringLiteral("其他"))));
    frmMain window(dir.path());
    QCOMPARE(window.skippedFiles().size(), 1);
    QCOMPARE(window.skippedFiles().first().fileName, QStringLiteral("bad.cod"));
    QVERIFY2(window.skippedFiles().first().reason.contains(reasonPart),
        qPrintable(window.skippedFiles().first().reason));
    // The files after the bad one still load; the count is what the tree holds.
    QCOMPARE(children(window.codeTree(), QStringLiteral("其他")), (QStringList { "dup", "fine" }));
    QCOMPARE(
        window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), QStringLiteral("2 Code(s)"));

    // The user is told, without a modal stop.
    window.show();
    QTRY_VERIFY(window.findChild<QWidget *>(QStringLiteral("msgSkippedFiles")));
    auto *box = window.findChild<QWidget *>(QStringLiteral("msgSkippedFiles"));
    QVERIFY(!box->isModal());
}

void TestStartup::missingFolder()
{
    QTemporaryDir dir;
    frmMain window(dir.filePath(QStringLiteral("Codes")));
    QCOMPARE(window.codeTree()->rowCount(), 8);
    QCOMPARE(
        window.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), QStringLiteral("0 Code(s)"));
    window.show();
    QTRY_VERIFY(window.findChild<QWidget *>(QStringLiteral("msgSkippedFiles")));
    // Nothing is created.
    QVERIFY(TestLibrary::entries(dir.path()).isEmpty());
}

void TestStartup::staleTemporaryFilesRemoved()
{
    QTemporaryDir dir;
    // pid 2^22+1 is above the kernel's limit, so no such process exists.
    const QByteArray stale = ".quillbank-4194305-0.tmp";
    const QByteArray foreign = ".other.tmp";
    QVERIFY(TestLibrary::writeFile(dir.path(), stale,
        TestLibrary::bytes(TestLibrary::record(QStringLiteral("t"), QStringLiteral("其他")))));
    QVERIFY(TestLibrary::writeFile(dir.path(), foreign, "x"));
    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), 0);
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { QString::fromLatin1(foreign) });
}

void TestStartup::modelConsistency()
{
    QTemporaryDir dir;
    for (int i = 0; i < 20; ++i) {
        QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("f%1").arg(i),
            TestLibrary::record(QStringLiteral("n%1").arg(i), Categories::treeOrder().at(i % 8))));
    }
    frmMain window(dir.path());
    CodeTreeModel *model = window.codeTree();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    CodeTreeModel::NewCode code { QStringLiteral("其他"), QStringLiteral("added"), "added.cod",
        {} };
    QVERIFY(model->addCode(code));
    QVERIFY(!model->addCode(code));
    QVERIFY(model->updateCode(QStringLiteral("added"), QStringLiteral("逻辑操作"), "added.cod"));
    QCOMPARE(model->indexOfKey(QStringLiteral("added")).parent().data().toString(),
        QStringLiteral("逻辑操作"));
    QCOMPARE(model->codeCount(), 21);
    // Keys are case-sensitive.
    QVERIFY(model->addCode({ QStringLiteral("其他"), QStringLiteral("ADDED"), "ADDED.cod", {} }));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
