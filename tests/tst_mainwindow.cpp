// The main window: its design, the rule that arranges the tree and the
// panes, and the code viewer.
#include "CodeTreeModel.h"
#include "ResizeRule.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QtWidgets>

using TestLibrary::child;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void resizeRule_data();
    void resizeRule();
    void windowFollowsRule();
    void design_data();
    void design();
    void viewer();

private:
    QString text(const char *name) const
    {
        auto *edit = child<QPlainTextEdit>(m_window.get(), name);
        return edit ? edit->toPlainText() : child<QLabel>(m_window.get(), name)->text();
    }
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;
};

void TestMainWindow::init()
{
    QVERIFY(TestLibrary::writeCode(m_dir.path(), "add.cod",
        TestLibrary::record("加法", "逻辑操作", "说明一\r\n说明二", "DATA EQU 30H", "MOV A,#1")));
    QVERIFY(TestLibrary::writeCode(
        m_dir.path(), "sub.cod", TestLibrary::record("减法", "逻辑操作", "second")));
    m_window = std::make_unique<frmMain>(m_dir.path());
}

void TestMainWindow::resizeRule_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<bool>("pixels"); // values adjusted to whole pixels and read back
    QTest::addColumn<QList<float>>("expected"); // tree, comments, declarations, code
    QTest::newRow("worked example") << 8400.f << 7300.f << false
                                    << QList<float> { 10, 810, 2025, 5295, 2135, 810, 6075, 847.5,
                                           2135, 1757.5, 6075, 1695, 2135, 3552.5, 6075, 2542.5 };
    QTest::newRow("whole pixels") << 8400.f << 7300.f << true
                                  << QList<float> { 15, 810, 2025, 5295, 2145, 810, 6075, 855, 2145,
                                         1770, 6075, 1710, 2145, 3585, 6075, 2565 };
    QTest::newRow("panes vanish") << 8400.f << 2215.f << false
                                  << QList<float> { 10, 810, 2025, 210, 2135, 810, 6075, 0, 2135,
                                         910, 6075, 0, 2135, 1010, 6075, 0 };
    QTest::newRow("too small: clamped")
        << 200.f << 1000.f << false
        << QList<float> { 10, 810, 0, 0, 110, 810, 0, 0, 110, 910, 0, 0, 110, 1010, 0, 0 };
}

void TestMainWindow::resizeRule()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(bool, pixels);
    QFETCH(QList<float>, expected);
    const auto snap
        = [pixels](float v) { return pixels ? Twips::fromPixels(Twips::toPixels(v)) : v; };
    const PaneLayout l = applyResizeRule(width, height, 810, 495, snap);
    QList<float> actual;
    for (const auto &b : { l.tree, l.comments, l.declarations, l.code })
        actual << b.left << b.top << b.width << b.height;
    QCOMPARE(actual, expected);
}

// Shown, resized or minimized, the window places the tree and the panes by
// the rule, from its outer size.
void TestMainWindow::windowFollowsRule()
{
    const auto *toolbar = child<QToolBar>(m_window.get(), "Toolbar");
    const auto *status = child<QStatusBar>(m_window.get(), "Status");
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    for (const QSize size : { QSize(560, 486), QSize(800, 600), QSize(240, 80) }) {
        m_window->resize(size);
        QTRY_COMPARE(m_window->size(), size);
        const QRect frame = m_window->frameGeometry();
        const PaneLayout l
            = applyResizeRule(Twips::fromPixels(frame.width()), Twips::fromPixels(frame.height()),
                Twips::fromPixels(toolbar->height()), Twips::fromPixels(status->height()),
                [](float v) { return Twips::fromPixels(Twips::toPixels(v)); });
        const char *names[] = { "tvCodes", "txtComments", "txtDeclarations", "txtCode" };
        const PaneLayout::Box boxes[] = { l.tree, l.comments, l.declarations, l.code };
        for (int i = 0; i < 4; ++i)
            QCOMPARE(child(m_window.get(), names[i])->geometry(),
                Twips::rect(boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height));
        QCOMPARE(toolbar->width(), m_window->centralWidget()->width());
    }
    QCOMPARE(toolbar->height(), Twips::toPixels(810));
    QCOMPARE(status->height(), Twips::toPixels(495));
    const QRect before = child(m_window.get(), "txtComments")->geometry();
    m_window->setWindowState(Qt::WindowMinimized);
    m_window->Form_Resize();
    QCOMPARE(child(m_window.get(), "txtComments")->geometry(), before);
}

void TestMainWindow::design_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // caption or tool tip
    QTest::addColumn<QString>("font"); // family, points, bold
    QTest::addColumn<QColor>("color");
    QTest::newRow("tree") << "tvCodes"
                          << "类别列表"
                          << "宋体 9.75" << QColor();
    QTest::newRow("comments") << "txtComments"
                              << "代码说明"
                              << "Tahoma 9.75" << QColor(255, 128, 255);
    QTest::newRow("declarations") << "txtDeclarations"
                                  << "声明"
                                  << "Tahoma 9.75" << QColor(0, 0, 64);
    QTest::newRow("code") << "txtCode"
                          << "原代码"
                          << "Tahoma 9.75" << QColor(0, 0, 0);
    QTest::newRow("panel 1") << "Panel1"
                             << "Quillbank 1.0"
                             << "Tahoma 9.75 bold" << QColor();
    QTest::newRow("panel 2") << "Panel2"
                             << "2 Code(s)"
                             << "Tahoma 9.75 bold" << QColor();
    QTest::newRow("menu") << "mnuFile"
                          << "文件"
                          << "" << QColor();
    QTest::newRow("about") << "mnuAbout"
                           << "关于"
                           << "" << QColor();
    QTest::newRow("exit") << "mnuExit"
                          << "退出"
                          << "" << QColor();
    QTest::newRow("add") << "Add"
                         << "新建代码 添加代码"
                         << "" << QColor();
    QTest::newRow("find") << "Find"
                          << "查找"
                          << "" << QColor();
}

void TestMainWindow::design()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, font);
    QFETCH(QColor, color);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("汇编语言程序库"));
    QVERIFY(child<QAction>(m_window.get(), "mnuSep1")->isSeparator());
    if (auto *action = child<QAction>(m_window.get(), name)) {
        QCOMPARE(action->text(), text.section(u' ', 0, 0));
        if (text.contains(u' '))
            QCOMPARE(action->toolTip(), text.section(u' ', 1));
        return;
    }
    if (auto *menu = child<QMenu>(m_window.get(), name)) {
        QCOMPARE(menu->title(), text);
        return;
    }
    auto *widget = child(m_window.get(), name);
    QCOMPARE(widget->toolTip().isEmpty() ? widget->property("text").toString() : widget->toolTip(),
        text);
    const QFont f = widget->font();
    QCOMPARE(
        QStringLiteral("%1 %2%3").arg(f.family()).arg(f.pointSizeF()).arg(f.bold() ? " bold" : ""),
        font);
    if (color.isValid())
        QCOMPARE(widget->palette().color(QPalette::Text), color);
    if (auto *edit = qobject_cast<QPlainTextEdit *>(widget)) {
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
}

// A click on a code shows its file's texts untrimmed and its category; a
// click on a category, or on a code whose file is gone, changes no pane.
void TestMainWindow::viewer()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    CodeTreeModel *model = m_window->codeTree();
    m_window->tvCodes_NodeClick(model->indexOfKey(QStringLiteral("加法")));
    QCOMPARE(text("txtComments"), QStringLiteral("说明一\n说明二") + QString(1500 - 8, u' '));
    QCOMPARE(text("txtDeclarations"), QStringLiteral("DATA EQU 30H").leftJustified(1500));
    QCOMPARE(text("txtCode"), QStringLiteral("MOV A,#1").leftJustified(1500));
    QCOMPARE(text("Panel1"), QStringLiteral("Code: 逻辑操作"));
    m_window->setPanel1Text({});
    m_window->tvCodes_NodeClick(model->indexOfKey(QStringLiteral("逻辑操作")));
    QCOMPARE(text("Panel1"), QString());
    // The keyboard moves the current node, and the code follows.
    auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
    tree->expand(model->indexOfKey(QStringLiteral("逻辑操作")));
    tree->setFocus();
    tree->setCurrentIndex(model->indexOfKey(QStringLiteral("加法")));
    QTest::keyClick(tree, Qt::Key_Down);
    QVERIFY(text("txtComments").startsWith(QStringLiteral("second ")));
    // A file rewritten since start-up shows what it holds now.
    QVERIFY(TestLibrary::writeCode(
        m_dir.path(), "add.cod", TestLibrary::record("加法", "其他", "new")));
    m_window->tvCodes_NodeClick(model->indexOfKey(QStringLiteral("加法")));
    QCOMPARE(text("txtComments"), QStringLiteral("new").leftJustified(1500));
    QCOMPARE(text("Panel1"), QStringLiteral("Code: 其他"));
    QVERIFY(QFile::remove(m_dir.filePath("sub.cod")));
    m_window->tvCodes_NodeClick(model->indexOfKey(QStringLiteral("减法")));
    QCOMPARE(text("txtComments"), QStringLiteral("new").leftJustified(1500));
    QVERIFY(text("Panel1").contains(QStringLiteral("减法")));
    QCOMPARE(TestLibrary::entries(m_dir.path()), QStringList { "add.cod" });
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
