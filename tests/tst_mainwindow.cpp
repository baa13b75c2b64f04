// The main window's design, its resize rule and the code viewer.
#include "CodeTreeModel.h"
#include "Fonts.h"
#include "ResizeRule.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void resizeRule_data();
    void resizeRule();
    void resizeRuleReadsBackAdjustedValues();
    void windowFollowsRule();
    void minimizedMovesNothing();
    void controls_data();
    void controls();
    void menuAndToolbar();
    void viewerShowsCode();
    void viewerKeyboardMove();
    void viewerIgnoresCategories();

private:
    QPlainTextEdit *pane(const char *name) const
    {
        return m_window->findChild<QPlainTextEdit *>(QLatin1String(name));
    }
    QString panel(const char *name) const
    {
        return m_window->findChild<QLabel *>(QLatin1String(name))->text();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;
};

void TestMainWindow::init()
{
    const CodeRecord add = TestLibrary::record(QStringLiteral("加法"), QStringLiteral("逻辑操作"),
        QStringLiteral("说明一\r\n说明二"), QStringLiteral("DATA EQU 30H"),
        QStringLiteral("MOV A,#1"));
    QVERIFY(TestLibrary::writeCode(m_dir.path(), QStringLiteral("add.cod"), add));
    QVERIFY(TestLibrary::writeCode(m_dir.path(), QStringLiteral("sub.cod"),
        TestLibrary::record(
            QStringLiteral("减法"), QStringLiteral("逻辑操作"), QStringLiteral("second"))));
    m_window = std::make_unique<frmMain>(m_dir.path());
}

void TestMainWindow::resizeRule_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QList<float>>("expected"); // tree, comments, declarations, code

    QTest::newRow("worked example") << 8400.f << 7300.f
                                    << QList<float> { 10, 810, 2025, 5295, 2135, 810, 6075, 847.5,
                                           2135, 1757.5, 6075, 1695, 2135, 3552.5, 6075, 2542.5 };
    // 910 + toolbar + status: the tree is 210 high, the panes are 0 high.
    QTest::newRow("panes vanish") << 8400.f << 2215.f
                                  << QList<float> { 10, 810, 2025, 210, 2135, 810, 6075, 0, 2135,
                                         910, 6075, 0, 2135, 1010, 6075, 0 };
    QTest::newRow("too small: clamped")
        << 200.f << 1000.f
        << QList<float> { 10, 810, 0, 0, 110, 810, 0, 0, 110, 910, 0, 0, 110, 1010, 0, 0 };
}

void TestMainWindow::resizeRule()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QList<float>, expected);
    const PaneLayout l = applyResizeRule(width, height, 810, 495);
    const PaneLayout::Box boxes[] = { l.tree, l.comments, l.declarations, l.code };
    QList<float> actual;
    for (const auto &b : boxes)
        actual << b.left << b.top << b.width << b.height;
    QCOMPARE(actual, expected);
}

void TestMainWindow::resizeRuleReadsBackAdjustedValues()
{
    // With whole pixels, the comments pane's height 847.5 becomes 855 and
    // the panes below follow the adjusted value.
    const auto snap = [](float v) { return Twips::fromPixels(Twips::toPixels(v)); };
    const PaneLayout l = applyResizeRule(8400, 7300, 810, 495, snap);
    QCOMPARE(l.comments.height, 855.f);
    QCOMPARE(l.declarations.top, 1770.f);
    QCOMPARE(l.declarations.height, 1710.f);
    QCOMPARE(l.code.top, 3585.f);
}

void TestMainWindow::windowFollowsRule()
{
    const auto *toolbar = m_window->findChild<QToolBar *>(QStringLiteral("Toolbar"));
    const auto *status = m_window->findChild<QStatusBar *>(QStringLiteral("Status"));
    const auto expected = [&] {
        const QRect frame = m_window->frameGeometry();
        const auto snap = [](float v) { return Twips::fromPixels(Twips::toPixels(v)); };
        return applyResizeRule(Twips::fromPixels(frame.width()), Twips::fromPixels(frame.height()),
            Twips::fromPixels(toolbar->height()), Twips::fromPixels(status->height()), snap);
    };
    const auto rect
        = [](const PaneLayout::Box &b) { return Twips::rect(b.left, b.top, b.width, b.height); };
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    for (const QSize size : { QSize(560, 486), QSize(800, 600), QSize(240, 80) }) {
        m_window->resize(size);
        QTRY_COMPARE(m_window->size(), size);
        const PaneLayout l = expected();
        QCOMPARE(
            m_window->findChild<QTreeView *>(QStringLiteral("tvCodes"))->geometry(), rect(l.tree));
        QCOMPARE(pane("txtComments")->geometry(), rect(l.comments));
        QCOMPARE(pane("txtDeclarations")->geometry(), rect(l.declarations));
        QCOMPARE(pane("txtCode")->geometry(), rect(l.code));
        QCOMPARE(toolbar->width(), m_window->centralWidget()->width());
    }
    QCOMPARE(toolbar->height(), 54);
    QCOMPARE(status->height(), 33);
}

void TestMainWindow::minimizedMovesNothing()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QRect before = pane("txtComments")->geometry();
    m_window->setWindowState(Qt::WindowMinimized);
    m_window->Form_Resize();
    QCOMPARE(pane("txtComments")->geometry(), before);
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("textColor");

    QTest::newRow("tvCodes") << "tvCodes"
                             << "类别列表"
                             << "宋体" << false << QColor();
    QTest::newRow("txtComments") << "txtComments"
                                 << "代码说明"
                                 << "Tahoma" << false << QColor(255, 128, 255);
    QTest::newRow("txtDeclarations") << "txtDeclarations"
                                     << "声明"
                                     << "Tahoma" << false << QColor(0, 0, 64);
    QTest::newRow("txtCode") << "txtCode"
                             << "原代码"
                             << "Tahoma" << false << QColor(0, 0, 0);
    QTest::newRow("Panel1") << "Panel1"
                            << ""
                            << "Tahoma" << true << QColor();
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QFETCH(QColor, textColor);
    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), 9.75);
    QCOMPARE(widget->font().bold(), bold);
    if (textColor.isValid())
        QCOMPARE(widget->palette().color(QPalette::Text), textColor);
    if (auto *edit = qobject_cast<QPlainTextEdit *>(widget)) {
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
}

void TestMainWindow::menuAndToolbar()
{
    const auto text = [this](const char *name) {
        return m_window->findChild<QObject *>(QLatin1String(name))->property("text").toString();
    };
    QCOMPARE(
        m_window->findChild<QMenu *>(QStringLiteral("mnuFile"))->title(), QStringLiteral("文件"));
    QCOMPARE(text("mnuAbout"), QStringLiteral("关于"));
    QCOMPARE(text("mnuExit"), QStringLiteral("退出"));
    QVERIFY(m_window->findChild<QAction *>(QStringLiteral("mnuSep1"))->isSeparator());
    QCOMPARE(text("Add"), QStringLiteral("新建代码"));
    QCOMPARE(text("Find"), QStringLiteral("查找"));
    QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("Add"))->toolTip(),
        QStringLiteral("添加代码"));
    QCOMPARE(m_window->font(), Fonts::windowFont());
    QCOMPARE(panel("Panel2"), QStringLiteral("2 Code(s)"));
}

void TestMainWindow::viewerShowsCode()
{
    m_window->tvCodes_NodeClick(m_window->codeTree()->indexOfKey(QStringLiteral("加法")));
    QCOMPARE(pane("txtComments")->toPlainText(),
        QStringLiteral("说明一\n说明二") + QString(1500 - 8, u' '));
    QCOMPARE(
        pane("txtDeclarations")->toPlainText(), QStringLiteral("DATA EQU 30H").leftJustified(1500));
    QCOMPARE(pane("txtCode")->toPlainText().trimmed(), QStringLiteral("MOV A,#1"));
    QCOMPARE(panel("Panel1"), QStringLiteral("Code: 逻辑操作"));
}

void TestMainWindow::viewerKeyboardMove()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto *tree = m_window->findChild<QTreeView *>(QStringLiteral("tvCodes"));
    const QModelIndex category = m_window->codeTree()->indexOfKey(QStringLiteral("逻辑操作"));
    tree->expand(category);
    tree->setFocus();
    tree->setCurrentIndex(category);
    QCOMPARE(panel("Panel1"), QStringLiteral("Quillbank 1.0"));
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("加法"));
    QCOMPARE(panel("Panel1"), QStringLiteral("Code: 逻辑操作"));
    QTest::keyClick(tree, Qt::Key_Down);
    QVERIFY(pane("txtComments")->toPlainText().startsWith(QStringLiteral("second ")));
}

void TestMainWindow::viewerIgnoresCategories()
{
    m_window->tvCodes_NodeClick(m_window->codeTree()->indexOfKey(QStringLiteral("加法")));
    const QString before = pane("txtComments")->toPlainText();
    m_window->tvCodes_NodeClick(m_window->codeTree()->indexOfKey(QStringLiteral("逻辑操作")));
    QCOMPARE(pane("txtComments")->toPlainText(), before);
    QCOMPARE(panel("Panel1"), QStringLiteral("Code: 逻辑操作"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
