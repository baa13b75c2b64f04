// The main window: its design, the rule that arranges the tree and the
// panes from the window's outer size, and the code viewer.
#include "CodeTreeModel.h"
#include "Controls.h"
#include "Desktop.h"
#include "Fonts.h"
#include "ResizeRule.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"
#include "frmSearch.h"

#include <QAbstractItemModelTester>
#include <QtWidgets>
#include <thread>

using namespace TestLibrary;

namespace {
// The smallest rectangle of `area` that holds every pixel not of the colour `back`.
QRect inkIn(const QImage &image, const QRect &area, const QColor &back)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink |= image.pixelColor(x, y) != back ? QRect(x, y, 1, 1) : QRect();
    return ink;
}

// The texts the style is asked to draw in item views' cells.
struct TextSpy : QProxyStyle {
    mutable QStringList texts;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget) const override
    {
        if (element == CE_ItemViewItem)
            texts << static_cast<const QStyleOptionViewItem *>(option)->text;
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
struct EventTypes : QObject {
    QList<int> seen;
    bool eventFilter(QObject *, QEvent *event) override { return seen << event->type(), false; }
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QString text(const char *name) const { return shown(m_window.get(), name); }
    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;

private slots:
    void init()
    {
        Fonts::installSubstitutions(); // as the program does
        QVERIFY(writeCode(m_dir.path(), "add.cod",
            record("加法", "逻辑操作", "说明一\r\n说明二", "DATA EQU 30H", "MOV A,#1")));
        QVERIFY(writeCode(m_dir.path(), "sub.cod", record("减法", "逻辑操作", "second")));
        m_window = std::make_unique<frmMain>(m_dir.path());
    }

    // The outer width and height in twips and whether values are adjusted
    // to whole pixels and read back; then the left, top, width and height
    // of the tree, the comments, the declarations and the code.
    // Typing searches every code; a row shows its code as a click does and
    // selects the match in its pane; Escape hides the one window.
    void searchWindowShowsWhatItFinds()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        auto *search = m_window->findChild<frmSearch *>(u"frmSearch"_s);
        QVERIFY(search && search->isVisible());
        auto *query = child<QLineEdit>(search, u"txtSearch"_s);
        auto *count = child<QLabel>(search, u"lblCount"_s);
        auto *rows = child<QTreeView>(search, u"lstResults"_s);
        {
            std::atomic<bool> held { true }; // every read waits: a long search tells how far it is
            ScopedFileOps ops;
            ops.before = [&](ScopedFileOps::Call call, int) {
                while (call == ScopedFileOps::OpenAt && held)
                    usleep(1000);
                return 0;
            };
            const QList<int> handles = openHandles();
            QTest::keyClicks(query, u"nothing-here"_s);
            QTRY_COMPARE(count->text(), u"正在搜索……已查看 0 / 2 个代码"_s);
            std::thread later([&] { QThread::msleep(100), held = false; });
            query->clear(); // abandoned: the reads stop and their threads end at once
            const QList<int> abandoned = openHandles();
            later.join();
            query->setText(u"nothing-here"_s);
            QTRY_COMPARE(count->text(), u"没有找到"_s);
            QCOMPARE(abandoned, handles);
            for (QTimer *timer : search->findChildren<QTimer *>()) // nothing polls once found
                QVERIFY(timer->isSingleShot() || !timer->isActive());
        }
        QTest::keyClick(query, Qt::Key_Down); // no rows to move into
        QCOMPARE(QApplication::focusWidget(), query);
        QTimer *pause = nullptr; // the pause after typing, made endless: Enter searches at once
        for (QTimer *timer : search->findChildren<QTimer *>())
            pause = timer->isSingleShot() ? timer : pause;
        const int typing = pause->interval();
        pause->setInterval(3600000);
        query->setText(u"ｄａｔａ"_s);
        QTest::keyClick(query, Qt::Key_Return);
        QVERIFY(!pause->isActive()); // nor searches again when the pause is over
        QTRY_COMPARE(count->text(), u"找到 1 个代码"_s);
        pause->setInterval(typing);
        QCOMPARE(rows->model()->index(0, 2).data().toString(), u"声明"_s);
        // "DATA" has no lower case; full width folds in plain text only.
        for (const char *option : { "chkCase", "chkCase", "chkRegex", "chkRegex" }) {
            auto *box = child<QCheckBox>(search, option);
            box->click();
            QTRY_COMPARE(count->text(), box->isChecked() ? "没有找到" : "找到 1 个代码");
        }
        query->setText(u"mov (ax"_s); // as a regular expression: told where
        child<QCheckBox>(search, "chkRegex")->click();
        QTRY_VERIFY(count->text().contains(u"位置 7"_s));
        QCOMPARE(rows->model()->rowCount(), 0); // and no rows of the search before
        child<QCheckBox>(search, "chkRegex")->click();
        query->setText(u"ｄａｔａ"_s);
        QTRY_COMPARE(count->text(), u"找到 1 个代码"_s);
        QTest::keyClick(query, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), rows);
        QVERIFY(text("txtComments").startsWith(u"说明一\n说明二"_s));
        const QModelIndex shownCode = child<QTreeView>(m_window.get(), "tvCodes")->currentIndex();
        QCOMPARE(shownCode.data().toString(), "加法");
        QVERIFY(child<QTreeView>(m_window.get(), "tvCodes")->isExpanded(shownCode.parent()));
        auto *declarations = child<QPlainTextEdit>(m_window.get(), "txtDeclarations");
        QCOMPARE(declarations->textCursor().selectedText(), "DATA");
        query->setText(u"#1"_s); // in the code, past its beginning
        QTRY_COMPARE(rows->model()->index(0, 2).data().toString(), u"代码"_s);
        rows->setCurrentIndex(rows->model()->index(0, 3));
        QCOMPARE(
            child<QPlainTextEdit>(m_window.get(), "txtCode")->textCursor().selectedText(), "#1");
        query->setText(u"ｄａｔａ"_s);
        QTRY_COMPARE(rows->model()->index(0, 2).data().toString(), u"声明"_s);
        query->setFocus();
        QTest::keyClick(query, Qt::Key_Down);
        // The rows stay as found; Enter on the row shows its code again.
        QTest::qWait(400);
        QCOMPARE(rows->currentIndex().row(), 0);
        declarations->setPlainText("x");
        QTest::keyClick(rows, Qt::Key_Return);
        QVERIFY(text("txtDeclarations").startsWith(u"DATA"_s));
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(!search->isVisible());
        m_window->showSearchWindow();
        QCOMPARE(m_window->findChildren<frmSearch *>().size(), 1);
        QCOMPARE(query->text(), u"ｄａｔａ"_s);
        m_window->activateWindow(); // shown again while behind the main window: in front
        QTRY_VERIFY(m_window->isActiveWindow());
        m_window->showSearchWindow();
        QTRY_VERIFY(search->isActiveWindow());
    }

    // Rows come in the tree's order and name the tree's codes; a file that
    // cannot be read is counted and named; a code added is searched too.
    void searchRowsFollowTheTree()
    {
        QTemporaryDir dir;
        for (const QString &file : entries(m_dir.path()))
            QVERIFY(QFile::copy(m_dir.filePath(file), dir.filePath(file)));
        QVERIFY(writeCode(dir.path(), "mul.cod", record("乘法", "运算子程序", "second")));
        m_window = std::make_unique<frmMain>(dir.path());
        m_window->show();
        m_window->showSearchWindow();
        auto *search = m_window->findChild<frmSearch *>();
        auto *view = child<QTreeView>(search, u"lstResults"_s);
        QAbstractItemModelTester tester(
            view->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto *count = child<QLabel>(search, u"lblCount"_s);
        QVERIFY(QFile::remove(dir.filePath("add.cod")));
        auto *query = child<QLineEdit>(search, u"txtSearch"_s);
        query->setText(u"SECOND"_s);
        QTRY_COMPARE(count->text(), u"找到 2 个代码，1 个文件无法读取"_s);
        QVERIFY(count->toolTip().startsWith(u"add.cod："_s));
        const auto rows = [view] {
            QStringList shown;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                for (int column = 0; column < 4; ++column)
                    shown << view->model()->index(row, column).data().toString();
            return shown.join(u' ');
        };
        QCOMPARE(rows(), u"乘法 运算子程序 说明 second 减法 逻辑操作 说明 second"_s);
        view->setCurrentIndex(view->model()->index(1, 0)); // Down from the query: the first row
        query->setFocus();
        QTest::keyClick(query, Qt::Key_Down);
        QCOMPARE(view->currentIndex().row(), 0);
        QVERIFY(writeCode(dir.path(), "div.cod", record("除法", "代码转换", "Second")));
        QVERIFY(
            m_window->codeTree()->addCode({ u"代码转换"_s, u"除法"_s, "div.cod", u"div.cod"_s }));
        QCOMPARE(count->text() + count->toolTip() + rows(), QString()); // outdated at once
        QTRY_COMPARE(count->text(), u"找到 3 个代码，1 个文件无法读取"_s);
        QCOMPARE(rows(),
            QStringLiteral("乘法 运算子程序 说明 second 除法 代码转换 说明 Second "
                           "减法 逻辑操作 说明 second"));
        // A code saved again or moved is searched again, in the folder where
        // it is now.
        QVERIFY(QDir().rename(dir.path(), dir.path() + "-moved"));
        for (const auto &[comments, category, found] :
            { std::tuple { "none", "代码转换", 2 }, std::tuple { "SeconD", "逻辑操作", 3 } }) {
            QVERIFY(writeCode(dir.path() + "-moved", "div.cod", record("除法", category, comments))
                && m_window->codeTree()->updateCode(u"除法"_s, category, "div.cod"));
            QTRY_COMPARE(count->text(), u"找到 %1 个代码，1 个文件无法读取"_s.arg(found));
        }
        QCOMPARE(rows().right(35), u"减法 逻辑操作 说明 second 除法 逻辑操作 说明 SeconD"_s);
        QVERIFY(QDir().rename(dir.path() + "-moved", dir.path()));
        QVERIFY(m_window->codeTree()->removeCode(u"除法"_s)); // searched again too
        QTRY_COMPARE(count->text(), u"找到 2 个代码，1 个文件无法读取"_s);
        QTest::failOnWarning(QRegularExpression(u"QPainter"_s));
        view->setCurrentIndex(view->model()->index(0, 0));
        // The bold match leaves the painter as it found it, and reads as a
        // plain cell: the selection behind it, the text centred as beside it.
        auto *spy = new TextSpy; // the bold match is drawn once, not over the plain text
        spy->setParent(view);
        view->setStyle(spy);
        const QImage image = view->viewport()->grab().toImage();
        QVERIFY(spy->texts.contains("乘法") && !spy->texts.contains("second"));
        QImage narrow(200, 40, QImage::Format_RGB32); // cut at its cell's edge
        narrow.fill(Qt::white);
        QStyleOptionViewItem cell;
        cell.rect = QRect(0, 0, 20, 40);
        QPainter painter(&narrow);
        view->itemDelegateForColumn(3)->paint(&painter, cell, view->model()->index(0, 3));
        painter.end();
        QImage blank(180, 40, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QCOMPARE(narrow.copy(20, 0, 180, 40), blank);
        const auto inked = [&](int row, int column) { // row 0 selected, row 1 plain white
            const QRect cell = view->visualRect(view->model()->index(row, column));
            const QColor back = image.pixelColor(cell.right() - 1, cell.center().y());
            const QRect ink = inkIn(image, QRect(cell.topLeft(), QSize(60, cell.height())), back);
            return std::pair { back, ink.top() + ink.bottom() };
        };
        QCOMPARE(inked(0, 3).first, inked(0, 2).first);
        QVERIFY(qAbs(inked(1, 3).second - inked(1, 2).second) < 4); // twice the centres' distance
        query->clear(); // a blank query: nothing
        QTRY_COMPARE(count->text() + rows(), QString());
    }

    void resizeRule_data()
    {
        QTest::addColumn<QList<float>>("values");
        QTest::newRow("worked example") << QList<float> { 8400, 7300, 0, 10, 810, 2025, 5295, 2135,
            810, 6075, 847.5, 2135, 1757.5, 6075, 1695, 2135, 3552.5, 6075, 2542.5 };
        QTest::newRow("whole pixels") << QList<float> { 8400, 7300, 1, 15, 810, 2025, 5295, 2145,
            810, 6075, 855, 2145, 1770, 6075, 1710, 2145, 3585, 6075, 2565 };
        QTest::newRow("panes vanish") << QList<float> { 8400, 2215, 0, 10, 810, 2025, 210, 2135,
            810, 6075, 0, 2135, 910, 6075, 0, 2135, 1010, 6075, 0 };
        QTest::newRow("too small: clamped") << QList<float> { 200, 1000, 0, 10, 810, 0, 0, 110, 810,
            0, 0, 110, 910, 0, 0, 110, 1010, 0, 0 };
    }
    void resizeRule()
    {
        QFETCH(QList<float>, values);
        const auto snap = [pixels = values[2]](float v) {
            return pixels ? Twips::fromPixels(Twips::toPixels(v)) : v;
        };
        const PaneLayout l = applyResizeRule(values[0], values[1], 810, 495, snap);
        QList<float> actual;
        for (const auto &b : { l.tree, l.comments, l.declarations, l.code })
            actual << b.left << b.top << b.width << b.height;
        QCOMPARE(actual, values.mid(3));
    }

    // Shown, resized or minimized, the window places the tree and the panes
    // by the rule, from its outer size with the frame; the same size always
    // gives the same layout. A new desktop theme restyles and repaints it.
    void windowFollowsRule()
    {
        const auto *toolbar = child<QToolBar>(m_window.get(), "Toolbar");
        const auto *status = child<QStatusBar>(m_window.get(), "Status");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QRect first = child(m_window.get(), "txtCode")->geometry();
        for (const QSize size : { QSize(560, 486), QSize(240, 80), m_window->size() }) {
            m_window->resize(size);
            QTRY_COMPARE(m_window->size(), size);
            const QRect frame = m_window->frameGeometry();
            const auto snap = [](float v) { return Twips::fromPixels(Twips::toPixels(v)); };
            const PaneLayout l = applyResizeRule(Twips::fromPixels(frame.width()),
                Twips::fromPixels(frame.height()), Twips::fromPixels(toolbar->height()),
                Twips::fromPixels(status->height()), snap);
            const char *names[] = { "tvCodes", "txtComments", "txtDeclarations", "txtCode" };
            const PaneLayout::Box boxes[] = { l.tree, l.comments, l.declarations, l.code };
            for (int i = 0; i < 4; ++i)
                QCOMPARE(child(m_window.get(), names[i])->geometry(),
                    Twips::rect(boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height));
            QCOMPARE(toolbar->width(), m_window->centralWidget()->width());
        }
        QCOMPARE(child(m_window.get(), "txtCode")->geometry(), first);
        EventTypes events;
        m_window->installEventFilter(&events);
        QEvent theme(QEvent::ThemeChange); // as Qt sends it
        QCoreApplication::sendEvent(m_window->windowHandle(), &theme);
        QVERIFY(events.seen.contains(QEvent::StyleChange));
        QTRY_VERIFY(events.seen.contains(QEvent::Paint));
        m_window->setWindowState(Qt::WindowMinimized);
        m_window->Form_Resize();
        QCOMPARE(child(m_window.get(), "txtCode")->geometry(), first);
    }

    // The file list's name, the tree's Song face, Qt's own texts in Chinese, panel 2's width
    // and the panes' lines.
    void design()
    {
        QVERIFY(m_window->findChild<QObject *>("lstFiles")); // the list of code files, by name
        // The tree draws Chinese in a Song face, as the design's SimSun does.
        QTextLayout song(u"汉"_s, child(m_window.get(), "tvCodes")->font());
        song.beginLayout(), song.createLine(), song.endLayout();
        QVERIFY(
            !song.glyphRuns().first().rawFont().familyName().contains("sans", Qt::CaseInsensitive));
        // Qt's own texts are Chinese whatever the locale.
        QVERIFY(Desktop::installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"取消"_s);
        // Panel 2 keeps its design width unless its text needs more; pane
        // lines with and without Chinese are equally high.
        QCOMPARE(Controls::panelWidth(m_window->fontMetrics(), "12 Code(s)", 2, 96), 96);
        // A count wider than that leaves as much free right of it as left.
        QLabel panel(u"100000 Code(s)"_s);
        panel.setFrameShape(QFrame::Panel);
        const int frame = panel.frameWidth();
        panel.setFixedWidth(Controls::panelWidth(panel.fontMetrics(), panel.text(), frame, 96));
        const QImage image = panel.grab().toImage();
        const QRect inside = image.rect().adjusted(frame, frame, -frame, -frame);
        const QRect ink = inkIn(image, inside, image.pixelColor(inside.topLeft()));
        QVERIFY(qAbs(ink.left() + ink.right() - (image.width() - 1)) <= 1);
        auto *comments = child<QPlainTextEdit>(m_window.get(), "txtComments");
        auto *code = child<QPlainTextEdit>(m_window.get(), "txtCode");
        comments->setPlainText(u"MOV AX,1"_s);
        code->setPlainText(u"浮点数比较"_s);
        QCOMPARE(comments->cursorRect().height(), code->cursorRect().height());
    }

    // A click on a code shows its file's texts untrimmed and its category;
    // a click on a category, or on a code whose file is gone, changes no
    // pane. No click leaves a file open. Exit closes the window.
    void viewer()
    {
        const QList<int> handles = openHandles();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        CodeTreeModel *model = m_window->codeTree();
        m_window->tvCodes_NodeClick(model->indexOfKey(u"加法"_s));
        QCOMPARE(text("txtComments"), u"说明一\n说明二"_s + QString(1492, u' '));
        QCOMPARE(text("txtDeclarations"), u"DATA EQU 30H"_s.leftJustified(1500));
        QCOMPARE(text("txtCode"), u"MOV A,#1"_s.leftJustified(1500));
        QCOMPARE(text("Panel1"), u"Code: 逻辑操作"_s);
        m_window->setPanel1Text({});
        m_window->tvCodes_NodeClick(model->indexOfKey(u"逻辑操作"_s));
        QCOMPARE(text("Panel1"), QString());
        // The keyboard moves the current node, and the code follows.
        auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
        tree->expand(model->indexOfKey(u"逻辑操作"_s));
        tree->setFocus();
        tree->setCurrentIndex(model->indexOfKey(u"加法"_s));
        QTest::keyClick(tree, Qt::Key_Down);
        QVERIFY(text("txtComments").startsWith(u"second "_s));
        // A file rewritten since start-up shows what it holds now, even on a
        // click on the current node.
        const QModelIndex add = model->indexOfKey(u"加法"_s);
        tree->setCurrentIndex(add);
        QVERIFY(writeCode(m_dir.path(), "add.cod", record("加法", "其他", "new")));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(add).center());
        QCOMPARE(text("txtComments"), u"new"_s.leftJustified(1500));
        QCOMPARE(text("Panel1"), u"Code: 其他"_s);
        QVERIFY(QFile::remove(m_dir.filePath("sub.cod")));
        const QByteArray log
            = stderrOf([&] { m_window->tvCodes_NodeClick(model->indexOfKey(u"减法"_s)); });
        QCOMPARE(text("txtComments"), u"new"_s.leftJustified(1500));
        QVERIFY(text("Panel1").contains(u"减法"_s));
        QCOMPARE(log, "quillbank: " + text("Panel1").toUtf8() + '\n');
        QCOMPARE(entries(m_dir.path()), QStringList { "add.cod" });
        QCOMPARE(openHandles(), handles);
        child<QAction>(m_window.get(), "mnuExit")->trigger();
        QVERIFY(!m_window->isVisible());
    }

    // Under a dark theme the code pane stays white with black text; on the
    // dark ground the comments' pink still reads, and the declarations' navy
    // is lightened to read at 4.5:1.
    void readableText_data()
    {
        QTest::addColumn<QColor>("ground");
        QTest::addColumn<QString>("colours"); // text and ground of each pane
        QTest::newRow("dark") << QColor(45, 45, 45)
                              << "#ff80ff#2d2d2d #9999b3#2d2d2d #000000#ffffff";
        QTest::newRow("mid grey: the pink lightened too")
            << QColor(100, 100, 100) << "#ffd9ff#646464 #e6e6ec#646464 #000000#ffffff";
        QTest::newRow("the pink one step lighter")
            << QColor(69, 69, 69) << "#ff86ff#454545 #b3b3c6#454545 #000000#ffffff";
    }
    void readableText()
    {
        QFETCH(QColor, ground);
        QPalette dark = QApplication::palette();
        dark.setColor(QPalette::Base, ground);
        QApplication::setPalette(dark);
        frmMain window(m_dir.path());
        QApplication::setPalette(QPalette()); // the theme's again
        QStringList colours;
        for (const char *name : kPanes) {
            const QPalette pane = child(&window, name)->palette();
            colours << pane.color(QPalette::Text).name() + pane.color(QPalette::Base).name();
        }
        QTEST(colours.join(u' '), "colours");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
