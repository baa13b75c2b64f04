// The New-code, Find and About dialogs, driven through the main window's
// commands against one library folder.
#include "CodeTreeModel.h"
#include "Fonts.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmAbout.h"
#include "frmFind.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QTest>
#include <QtWidgets>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace {

using Button = QMessageBox::StandardButton;
const QString kOther = QStringLiteral("其他");
const QString kArithmetic = QStringLiteral("运算子程序");
const char *const kPanes[] = { "txtComments", "txtDeclarations", "txtCode" };

template <typename T = QWidget> T *child(const QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

// What running a dialog left: whether it was still up after the steps, the
// message boxes shown and, per box, whether Find was on screen.
struct Outcome {
    bool stayed = false;
    QStringList messages;
    QList<bool> findShown;
};

// The New-code dialog's texts: name, category (empty: none picked),
// comments, declarations and code; Find's text; nothing for About.
QStringList texts(QDialog *dialog)
{
    if (qobject_cast<frmFind *>(dialog))
        return { child<QLineEdit>(dialog, "Text1")->text() };
    if (!qobject_cast<frmNewCode *>(dialog))
        return {};
    QStringList texts { child<QLineEdit>(dialog, "txtName")->text(),
        child<QComboBox>(dialog, "cmbCategory")->currentText() };
    for (const char *name : kPanes)
        texts << child<QPlainTextEdit>(dialog, name)->toPlainText();
    return texts;
}

void fill(QDialog *dialog, const QStringList &texts)
{
    if (qobject_cast<frmFind *>(dialog))
        return child<QLineEdit>(dialog, "Text1")->setText(texts.first());
    child<QLineEdit>(dialog, "txtName")->setText(texts[0]);
    auto *category = child<QComboBox>(dialog, "cmbCategory");
    category->setCurrentIndex(texts[1].isEmpty() ? -1 : category->findText(texts[1]));
    for (int i = 0; i < 3; ++i)
        child<QPlainTextEdit>(dialog, kPanes[i])->setPlainText(texts[2 + i]);
}

QString reasonText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The entries of /tmp that a write under a refused name could create.
QStringList tmpCandidates()
{
    return QDir(QStringLiteral("/tmp"))
        .entryList({ "*.cod", ".quillbank-*" }, QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void design_data();
    void design();
    void dismiss_data();
    void dismiss();
    void toolbarKeys();
    void addsCode_data();
    void addsCode();
    void addsTwoCodes();
    void refused_data();
    void refused();
    void replace_data();
    void replace();
    void failedWrite_data();
    void failedWrite();
    void search_data();
    void search();
    void matchLeavesSelectionAndPanel1();
    void listsFolderAfresh();
    void unreadableFileSkipped();
    void readsOnlyNeededBytes();
    void folderWithoutCodes_data();
    void folderWithoutCodes();
    void ending_data();
    void ending();

private:
    // Gives `command` ("Add", "Find" or "About"), which shows a dialog
    // modally, and runs `steps` on the dialog once it is up; a dialog they
    // leave on screen is hidden afterwards so that the command returns.
    template <typename Dialog = QDialog>
    Outcome run(const QString &command,
        const std::function<void(std::enable_if_t<true, Dialog> *)> &steps,
        Button answer = QMessageBox::Ok);
    Outcome add(const QStringList &entry, Button answer = QMessageBox::Ok)
    {
        return run<frmNewCode>(
            "Add",
            [&entry](frmNewCode *dialog) {
                fill(dialog, entry);
                QTest::mouseClick(child<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
            },
            answer);
    }
    // Types `text` into Find and clicks Find; m_found tells what followed.
    void search(const QString &text);
    static bool runUntilQuit(); // false if the program never ends
    QStringList entries() const { return TestLibrary::entries(m_folder); }
    QString panel(const char *name) const { return child<QLabel>(m_window.get(), name)->text(); }
    QString paneText(const char *name) const
    {
        return child<QPlainTextEdit>(m_window.get(), name)->toPlainText();
    }
    void markPanes()
    {
        for (const char *name : kPanes)
            child<QPlainTextEdit>(m_window.get(), name)->setPlainText(QStringLiteral("before"));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QByteArray m_yBytes;
    std::unique_ptr<frmMain> m_window;
    Outcome m_found;
};

template <typename Dialog>
Outcome TestDialogs::run(const QString &command,
    const std::function<void(std::enable_if_t<true, Dialog> *)> &steps, Button answer)
{
    Outcome outcome;
    QTimer answerer; // answers each message box with `answer` or its only button
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        outcome.messages << box->text();
        const QWidgetList windows = QApplication::topLevelWidgets();
        outcome.findShown << std::any_of(windows.begin(), windows.end(),
            [](QWidget *w) { return qobject_cast<frmFind *>(w) && w->isVisible(); });
        QAbstractButton *target = box->button(answer);
        if (target || box->buttons().size() == 1)
            (target ? target : box->buttons().first())->click();
    });
    answerer.start(5);
    QObject context; // drops the steps when no dialog came up
    QTimer::singleShot(0, &context, [&] {
        QPointer<Dialog> dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog && dialog->isVisible(), "the dialog is not on screen");
        QCOMPARE(dialog->parent(), m_window.get());
        steps(dialog);
        if (dialog && dialog->isVisible()) {
            outcome.stayed = true;
            dialog->hide();
        }
    });
    QTimer guard; // fails a dialog that never goes instead of hanging
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->hide();
        QFAIL("a dialog was still up after a long time");
    });
    guard.start(60000);
    if (command == u"About")
        m_window->mnuAbout_Click();
    else
        m_window->Toolbar_ButtonClick(command);
    return outcome;
}

void TestDialogs::search(const QString &text)
{
    QPointer<frmFind> shown;
    m_found = run<frmFind>("Find", [&text, &shown](frmFind *dialog) {
        shown = dialog;
        fill(dialog, { text });
        QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);
    });
    QVERIFY2(!shown, "the Find dialog outlived its search");
}

bool TestDialogs::runUntilQuit()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    return QCoreApplication::exec() == 0;
}

void TestDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("Codes"));
    QVERIFY(QDir().mkpath(m_folder));
    // In list order; the code w is read from z.cod.
    const struct {
        const char *file, *name;
        QString category;
        const char *comments, *code;
    } codes[] = {
        { "a.cod", "a", kOther, "Alpha routine", "CODE A" },
        { "a2.cod", "a2", kOther, "Alpha routine", "CODE A2" },
        { "b.cod", "b", kOther, "alpha lower", "CODE B" },
        { "c.cod", "c", kOther, " Alpha with space", "CODE C" },
        { "d.cod", "d", kOther, "浮点数代数值比较\r\n第二行", "CODE D" },
        { "e.cod", "e", kOther, "short", "CODE E" },
        { "y.cod", "y", kArithmetic, "old y", "" },
        { "z.cod", "w", kOther, "w's", "" },
    };
    for (const auto &c : codes) {
        QVERIFY(TestLibrary::writeCode(
            m_folder, c.file, TestLibrary::record(c.name, c.category, c.comments, {}, c.code)));
    }
    m_yBytes = TestLibrary::readFile(m_folder + "/y.cod");
    m_window = std::make_unique<frmMain>(m_folder);
    QCOMPARE(panel("Panel2"), QStringLiteral("8 Code(s)"));
}

void TestDialogs::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestDialogs::controls_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("text"); // null: not checked here
    QTest::addColumn<QFont>("font");

    const QFont window = Fonts::windowFont(), text = Fonts::textFont(), app = QApplication::font();
    const auto row
        = [](const char *dialog, const char *name, QRectF twips, QString shown, QFont font) {
              QTest::addRow("%s %s", dialog, name) << dialog << name << twips << shown << font;
          };
    row("Add", "Label1", { 120, 120, 1575, 255 }, "名称：", window);
    row("Add", "txtName", { 840, 120, 4455, 360 }, "", window);
    row("Add", "Label2", { 120, 600, 1335, 255 }, "种类：", window);
    row("Add", "cmbCategory", { 1080, 600, 4215, 360 }, "", window);
    row("Add", "txtComments", { 120, 1080, 5175, 975 }, "", text);
    row("Add", "txtDeclarations", { 120, 2160, 5175, 1455 }, "", text);
    row("Add", "txtCode", { 120, 3720, 5175, 1095 }, "", text);
    row("Add", "cmdAdd", { 120, 4920, 1215, 375 }, "添加", window);
    row("Add", "cmdCancel", { 1440, 4920, 1215, 375 }, "取消", window);
    row("Find", "Text1", { 1080, 120, 3975, 375 }, "", app);
    row("Find", "Command1", { 5400, 120, 855, 375 }, "查找", app);
    row("Find", "Command2", { 5400, 1080, 855, 375 }, "取消", app);
    row("Find", "Frame1", { 240, 840, 4935, 1335 }, "说明", app);
    row("Find", "Label2", { 360, 360, 4215, 735 },
        "请输入全名(暂时还不支持模糊查询).例如:浮点数代数值比较（不影响待比较操作数）.", app);
    row("About", "Label2", { 1560, 240, 4575, 2175 }, {}, Fonts::noticeFont());
    row("About", "Label1", { 120, 2760, 1575, 735 }, "版本：1.0\n日期：2003-05-06", app);
    row("About", "Command1", { 2640, 3360, 1335, 375 }, "确定", window);
    row("About", "Image1", { 120, 960, 495, 495 }, "", app);
    row("About", "Image2", { 480, 360, 495, 495 }, "", app);
}

void TestDialogs::controls()
{
    QFETCH(QString, dialog);
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    QFETCH(QString, text);
    QFETCH(QFont, font);
    std::unique_ptr<QDialog> made;
    if (dialog == u"Add")
        made = std::make_unique<frmNewCode>(m_window.get());
    else if (dialog == u"Find")
        made = std::make_unique<frmFind>(m_window.get());
    else
        made = std::make_unique<frmAbout>(m_window.get());
    auto *control = child(made.get(), name);
    QVERIFY(control);
    const bool framed = dialog == u"Find" && name == u"Label2";
    QCOMPARE(control->parentWidget(), framed ? child(made.get(), "Frame1") : made.get());
    QCOMPARE(control->geometry(), Twips::rect(twips));
    if (!text.isNull())
        QCOMPARE(
            control->property(control->property("title").isValid() ? "title" : "text").toString(),
            text);
    if (!name.startsWith(u"Image"))
        QCOMPARE(control->font(), font);
    if (auto *box = qobject_cast<QPlainTextEdit *>(control)) {
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(box->toPlainText().isEmpty());
        QCOMPARE(box->palette().color(QPalette::Text),
            name == u"txtComments" ? QColor(255, 0, 255) : made->palette().color(QPalette::Text));
    }
    auto *button = qobject_cast<QPushButton *>(control);
    if (button && dialog != u"About")
        QVERIFY(!button->isDefault() && (dialog == u"Find" || !button->autoDefault()));
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->pixmap().size(), name.startsWith(u"Image") ? QSize(33, 33) : QSize(0, 0));
    }
}

void TestDialogs::design_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("twips");
    QTest::addColumn<QString>("tabOrder"); // from the control with the focus
    const auto row = [](const char *command, const char *title, QSize twips, const char *tabs) {
        QTest::newRow(command) << command << title << twips << tabs;
    };
    row("Add", "加入新代码", { 5400, 5370 },
        "txtName txtComments txtDeclarations txtCode cmdAdd cmdCancel cmbCategory txtName");
    row("Find", "Find", { 6330, 2925 }, "Text1 Command1 Command2 Text1");
    row("About", "关于Quillbank", { 6645, 4050 }, "Command1 Command1");
}

void TestDialogs::design()
{
    QFETCH(QString, command);
    QFETCH(QString, title);
    QFETCH(QSize, twips);
    QFETCH(QString, tabOrder);
    QPoint position;
    run(command, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->size(), Twips::size(twips.width(), twips.height()));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        if (command == u"Find") {
            QCOMPARE(dialog->pos(), QPoint(Twips::toPixels(4365), Twips::toPixels(4170)));
        } else {
            const QPoint centre = dialog->screen()->geometry().center();
            QVERIFY((dialog->frameGeometry().center() - centre).manhattanLength() <= 1);
        }
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QStringList order;
        for (int i = 0; i < tabOrder.count(u' ') + 1; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order.join(u' '), tabOrder);

        if (command == u"Add") {
            QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
            QCOMPARE(dialog->font(), Fonts::windowFont());
            auto *category = child<QComboBox>(dialog, "cmbCategory");
            QCOMPARE(category->currentIndex(), -1);
            QVERIFY(!category->isEditable());
            QStringList items;
            for (int i = 0; i < category->count(); ++i)
                items << category->itemText(i);
            QCOMPARE(items,
                QStringList({ "运算子程序", "扩展接口程序", "中断服务子程序", "代码转换",
                    "逻辑操作", "数据结构", "通讯子程序", "其他" }));
            // In the multi-line boxes Ctrl+Tab types a tab.
            auto *code = child<QPlainTextEdit>(dialog, "txtCode");
            code->setFocus();
            QTest::keyClicks(code, QStringLiteral("MOV"));
            QTest::keyClick(code, Qt::Key_Tab, Qt::ControlModifier);
            QTest::keyClicks(code, QStringLiteral("A,B"));
            QCOMPARE(code->toPlainText(), QStringLiteral("MOV\tA,B"));
            QCOMPARE(QApplication::focusWidget(), code);
            dialog->move(dialog->pos() + QPoint(7, 9));
            position = dialog->pos();
        } else if (command == u"Find") {
            QCOMPARE(dialog->font(), QApplication::font());
            // No icon: an empty picture, not the main window's.
            const QImage icon = dialog->windowIcon().pixmap(16, 16).toImage();
            QVERIFY(!icon.isNull());
            QImage blank(icon.size(), QImage::Format_Alpha8);
            blank.fill(0);
            QCOMPARE(icon.convertToFormat(QImage::Format_Alpha8), blank);
            // Label1 is sized to its text from its design position.
            auto *label1 = child<QLabel>(dialog, "Label1");
            QCOMPARE(label1->text(), QStringLiteral("查找目标："));
            QCOMPARE(label1->geometry(),
                QRect(QPoint(Twips::toPixels(120), Twips::toPixels(240)), label1->sizeHint()));
            QCOMPARE(label1->alignment(), Qt::AlignCenter);
            QVERIFY(!label1->autoFillBackground());
            QVERIFY(child<QLabel>(dialog, "Label2")->wordWrap());
            QVERIFY(child<QObject>(dialog, "File1"));
        } else {
            QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
            QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
            auto *notice = child<QLabel>(dialog, "Label2");
            QVERIFY(notice->wordWrap());
            QVERIFY(notice->text().contains(QStringLiteral("汇编")));
            QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
            // The corner that no control covers shows the star.
            const QImage shot = dialog->grab().toImage();
            const QImage star(QStringLiteral(":/images/star.xpm"));
            QCOMPARE(star.pixelColor(0, 0), QColor(74, 121, 198));
            for (int y = 0; y < 33; ++y) {
                for (int x = 0; x < 32; ++x)
                    QCOMPARE(shot.pixelColor(x, y).rgb(), star.pixelColor(x, y).rgb());
            }
        }
    });
    if (command == u"Add") // shown again where it was left
        run(command, [&](QDialog *dialog) { QCOMPARE(dialog->pos(), position); });
}

// Leaving a dialog with a button (clicked, or a key on the button with the
// focus), a key, or the close box: the dialog is kept hidden with its texts,
// stays up, or is destroyed. Nothing is added or shown either way.
void TestDialogs::dismiss_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("control"); // empty: the close box
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::addColumn<QString>("result"); // kept, stays or destroyed

    const struct {
        const char *title, *command, *control;
        int key;
        const char *result;
    } rows[] = {
        { "New code: Cancel", "Add", "cmdCancel", 0, "kept" },
        { "New code: Enter on Cancel", "Add", "cmdCancel", Qt::Key_Return, "kept" },
        { "New code: Enter in the name", "Add", "txtName", Qt::Key_Return, "stays" },
        { "New code: Escape", "Add", "txtName", Qt::Key_Escape, "stays" },
        { "New code: close box", "Add", "", 0, "destroyed" },
        { "Find: Cancel", "Find", "Command2", 0, "kept" },
        { "Find: close box", "Find", "", 0, "destroyed" },
        { "About: OK", "About", "Command1", 0, "kept" },
        { "About: Enter", "About", "Command1", Qt::Key_Enter, "kept" },
        { "About: Return", "About", "Command1", Qt::Key_Return, "kept" },
        { "About: Space", "About", "Command1", Qt::Key_Space, "kept" },
        { "About: Escape", "About", "Command1", Qt::Key_Escape, "stays" },
        { "About: close box", "About", "", 0, "destroyed" },
    };
    for (const auto &r : rows)
        QTest::newRow(r.title) << r.command << r.control << r.key << r.result;
}

void TestDialogs::dismiss()
{
    QFETCH(QString, command);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, result);
    const QStringList before = entries();
    markPanes();
    QPointer<QDialog> first;
    QStringList typed;
    const Outcome outcome = run(command, [&](QDialog *dialog) {
        first = dialog;
        if (command != u"About")
            fill(dialog, { "x", kOther, "说明", "声明", "代码" });
        typed = texts(dialog);
        QWidget *target = control.isEmpty() ? nullptr : child(dialog, control);
        if (!target) {
            dialog->close();
        } else if (key) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key(key));
        } else {
            QTest::mouseClick(target, Qt::LeftButton);
        }
    });
    QCOMPARE(outcome.stayed, result == u"stays");
    QCOMPARE(outcome.messages, QStringList());
    QCOMPARE(bool(first), result != u"destroyed");
    QCOMPARE(entries(), before);
    QCOMPARE(panel("Panel2"), QStringLiteral("8 Code(s)"));
    QCOMPARE(paneText("txtCode"), QStringLiteral("before"));
    run(command, [&](QDialog *dialog) {
        QCOMPARE(dialog == first.data(), result != u"destroyed");
        QCOMPARE(
            texts(dialog), result == u"destroyed" ? QStringList(typed.size(), QString()) : typed);
        QCOMPARE(m_window->findChildren<QDialog *>().size(), 1);
    });
}

void TestDialogs::toolbarKeys()
{
    // Keys are matched exactly: these open nothing.
    for (const char *key : { "add", "FIND", "Open", "" }) {
        m_window->Toolbar_ButtonClick(key);
        QVERIFY2(!m_window->findChild<QDialog *>(), key);
    }
}

void TestDialogs::addsCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("x") << "x";
    QTest::newRow("spaces around") << "  x  "; // the key and file drop them
}

void TestDialogs::addsCode()
{
    QFETCH(QString, name);
    QStringList after = QStringList(entries()) << "x.cod";
    after.sort();
    const QStringList entry { name, kOther, "第一行\n第二行", "DATA EQU 30H", "MOV A,#1" };
    const Outcome outcome = add(entry);
    QVERIFY(!outcome.stayed);
    QCOMPARE(outcome.messages, QStringList());
    const QByteArray written = TestLibrary::readFile(m_folder + "/x.cod");
    QCOMPARE(written.size(), 4692);
    QCOMPARE(written,
        TestLibrary::bytes(
            TestLibrary::record(name, kOther, "第一行\r\n第二行", "DATA EQU 30H", "MOV A,#1")));
    QCOMPARE(written.left(64), name.toLatin1().leftJustified(64, ' '));
    QCOMPARE(entries(), after);
    const QModelIndex node = m_window->codeTree()->indexOfKey(QStringLiteral("x"));
    QCOMPARE(node.parent().data().toString(), kOther);
    QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
    QCOMPARE(node.data(CodeTreeModel::FileNameRole).toByteArray(), QByteArray("x.cod"));
    QCOMPARE(panel("Panel2"), QStringLiteral("9 Code(s)"));

    // The dialog was hidden, not destroyed, and keeps what was entered.
    QPointer<frmNewCode> kept = m_window->findChild<frmNewCode *>();
    QVERIFY(kept && !kept->isVisible());
    QVERIFY(!m_window->codeTree()->containsKey(name) || name == u"x");
    run<frmNewCode>("Add", [&](frmNewCode *dialog) {
        QCOMPARE(dialog, kept.data());
        QCOMPARE(texts(dialog), entry);
    });
    // Clicking the new node reads the file back.
    m_window->tvCodes_NodeClick(node);
    QCOMPARE(paneText("txtComments").trimmed(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(panel("Panel1"), QStringLiteral("Code: 其他"));
}

void TestDialogs::addsTwoCodes()
{
    QVERIFY(!add({ "one", QStringLiteral("逻辑操作"), "1", "", "" }).stayed);
    QVERIFY(!add({ "two", QStringLiteral("逻辑操作"), "2", "", "" }).stayed);
    QCOMPARE(panel("Panel2"), QStringLiteral("10 Code(s)"));
    const QModelIndex category = m_window->codeTree()->indexOfKey(QStringLiteral("逻辑操作"));
    QStringList names;
    for (int row = 0; row < m_window->codeTree()->rowCount(category); ++row)
        names << m_window->codeTree()->index(row, 0, category).data().toString();
    QCOMPARE(names, QStringList({ "one", "two" }));
    QVERIFY(QFile::exists(m_folder + "/one.cod") && QFile::exists(m_folder + "/two.cod"));
}

// Refused entries: a message naming why, the dialog still up with what was
// typed, no write attempted through the FileOps seam, and nothing new in
// the folder, its parent or /tmp.
void TestDialogs::refused_data()
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
        { "control character", QStringLiteral("a\u0001b"), control },
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
    QTest::newRow("no category") << "x" << QString() << "说明" << QStringLiteral("种类");
    QTest::newRow("unencodable comments")
        << "x" << kOther << QStringLiteral("笑脸😀与€") << QStringLiteral("😀|说明");
}

void TestDialogs::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(QString, comments);
    QFETCH(QString, why);
    const QStringList folderBefore = entries();
    const QStringList parentBefore = TestLibrary::entries(m_dir->path());
    const QStringList tmpBefore = tmpCandidates();

    ScopedFileOps ops;
    bool wrote = false;
    ops.open = [&](const char *path, int flags, mode_t mode) {
        wrote = wrote || (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
        return ScopedFileOps::system().open(path, flags, mode);
    };
    const QStringList entry { name, category, comments, "", "" };
    const Outcome outcome = add(entry);
    QVERIFY(outcome.stayed);
    QCOMPARE(outcome.messages.size(), 1);
    for (const QString &part : why.split(u'|'))
        QVERIFY2(outcome.messages.first().contains(part), qPrintable(outcome.messages.first()));
    QVERIFY(!wrote);
    for (ScopedFileOps::Call call :
        { ScopedFileOps::Write, ScopedFileOps::Rename, ScopedFileOps::Unlink })
        QVERIFY(!ops.calls().contains(call));
    QCOMPARE(entries(), folderBefore);
    QCOMPARE(TestLibrary::entries(m_dir->path()), parentBefore);
    QCOMPARE(tmpCandidates(), tmpBefore);
    QCOMPARE(panel("Panel2"), QStringLiteral("8 Code(s)"));
    run<frmNewCode>("Add", [&](frmNewCode *dialog) { QCOMPARE(texts(dialog), entry); });
}

// Adding under a name that a code or a file already has asks first.
void TestDialogs::replace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("was"); // the code's category before; empty: not listed

    for (bool yes : { true, false }) {
        const char *answer = yes ? "Yes" : "No";
        QTest::addRow("code, %s", answer) << " y" << kOther << yes << "y.cod" << kArithmetic;
        // z.cod holds the code w, so no code z is listed.
        QTest::addRow("unlisted file, %s", answer) << "z" << kOther << yes << "z.cod" << QString();
    }
    // w was read from z.cod: replacing it rewrites z.cod, and no second file
    // of w appears that the next start-up would have to skip.
    QTest::newRow("code in a file of another name")
        << "w" << kArithmetic << true << "z.cod" << kOther;
}

void TestDialogs::replace()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(bool, yes);
    QFETCH(QString, file);
    QFETCH(QString, was);
    const QStringList before = entries();
    const QByteArray old = TestLibrary::readFile(m_folder + u'/' + file);
    const Outcome outcome
        = add({ name, category, "new", "", "MOV B,#2" }, yes ? QMessageBox::Yes : QMessageBox::No);
    // The question names the code, or the file when no code of that name is listed.
    const QString asked = was.isEmpty() ? file : QStringLiteral("“%1”").arg(name.trimmed());
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY2(outcome.messages.first().contains(asked), qPrintable(outcome.messages.first()));
    QCOMPARE(outcome.stayed, !yes);
    QCOMPARE(entries(), before);
    QCOMPARE(TestLibrary::readFile(m_folder + u'/' + file),
        yes ? TestLibrary::bytes(TestLibrary::record(name, category, "new", "", "MOV B,#2")) : old);
    const QModelIndex node = m_window->codeTree()->indexOfKey(name.trimmed());
    QCOMPARE(node.parent().data().toString(), yes ? category : was);
    if (yes) // the last code of its category
        QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
    const int count = yes && was.isEmpty() ? 9 : 8;
    QCOMPARE(panel("Panel2"), QStringLiteral("%1 Code(s)").arg(count));
    frmMain again(m_folder);
    QVERIFY(again.skippedFiles().isEmpty());
    QCOMPARE(again.codeTree()->codeCount(), entries().size());
}

void TestDialogs::failedWrite_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    for (const char *name : { "x", "y" }) {
        const char *what = *name == 'x' ? "new code" : "replacing";
        QTest::addRow("missing folder, %s", what) << "missing folder" << name << ENOENT;
        QTest::addRow("rename fails, %s", what) << "rename" << name << EIO;
        QTest::addRow("full disk, %s", what) << "full disk" << name << ENOSPC;
    }
}

void TestDialogs::failedWrite()
{
    QFETCH(QString, failure);
    QFETCH(QString, name);
    QFETCH(int, error);
    ScopedFileOps ops;
    if (failure == u"missing folder")
        QVERIFY(QDir(m_folder).removeRecursively());
    else if (failure == u"rename")
        ops.rename = [](const char *, const char *) { return errno = EIO, -1; };
    else
        ops.write = [](int, const void *, size_t) { return errno = ENOSPC, ssize_t(-1); };
    const QStringList before = entries();

    const Outcome outcome = add({ name, kOther, "new", "", "" }, QMessageBox::Yes);
    // Replacing first asks, then tells why the write failed.
    QCOMPARE(outcome.messages.size(), name == u"y" ? 2 : 1);
    const QString message = outcome.messages.last();
    QVERIFY2(message.contains(QString::fromLocal8Bit(strerror(error))), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("“%1”").arg(name)));
    QVERIFY(outcome.stayed);
    QCOMPARE(entries(), before); // no file and no temporary file left
    QCOMPARE(QFileInfo::exists(m_folder), failure != u"missing folder");
    if (failure != u"missing folder")
        QCOMPARE(TestLibrary::readFile(m_folder + "/y.cod"), m_yBytes);
    QCOMPARE(panel("Panel2"), QStringLiteral("8 Code(s)"));
    QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("x")));
    QCOMPARE(m_window->codeTree()->indexOfKey("y").parent().data().toString(), kArithmetic);
}

void TestDialogs::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // the code shown; empty when none

    const QString pad = QStringLiteral("short") + QString(1495, u' ');
    const char *rows[][3] = { { "empty text: first file", "", "CODE A" },
        { "prefix", "Alpha", "CODE A" }, { "whole comments", "Alpha routine", "CODE A" },
        { "case-sensitive", "alpha", "CODE B" }, { "upper case", "ALPHA", "" },
        { "leading space", " Alpha", "CODE C" }, { "Chinese", "浮点数代数值比较", "CODE D" },
        { "longer than the comments", "Alpha routineX", "" },
        { "padding included", "short    ", "CODE E" }, { "not at the beginning", "routine", "" },
        { "hidden files", "Hidden", "" } };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[1] << row[2];
    QTest::newRow("whole field") << pad << "CODE E";
    QTest::newRow("longer than the field") << pad + u' ' << "";
}

void TestDialogs::search()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    // Hidden files, among them a temporary file of a write, never match.
    for (const char *file : { ".hidden.cod", ".quillbank-1-1.tmp" })
        QVERIFY(TestLibrary::writeCode(m_folder, file, TestLibrary::record("h", kOther, "Hidden")));
    markPanes();
    search(text);
    if (found.isEmpty()) {
        for (const char *name : kPanes)
            QCOMPARE(paneText(name), QStringLiteral("before"));
        // Told after the dialog has gone, in a short text.
        QCOMPARE(m_found.messages.size(), 1);
        QVERIFY(m_found.messages.first().contains(QStringLiteral("没有找到")));
        QVERIFY(m_found.messages.first().size() < 80);
        QVERIFY(!m_found.findShown.first());
    } else {
        QCOMPARE(m_found.messages, QStringList());
        // The panes show the fields untrimmed.
        QCOMPARE(paneText("txtCode"), found.leftJustified(1500, u' '));
        QCOMPARE(paneText("txtDeclarations"), QString(1500, u' '));
        QVERIFY(paneText("txtComments").startsWith(text));
        QCOMPARE(paneText("txtComments").size(), found == u"CODE D" ? 1499 : 1500);
    }
}

void TestDialogs::matchLeavesSelectionAndPanel1()
{
    auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
    const QModelIndex e = m_window->codeTree()->indexOfKey(QStringLiteral("e"));
    tree->setCurrentIndex(e);
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE E")));
    m_window->setPanel1Text(QStringLiteral("panel one"));
    search(QStringLiteral("alpha"));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE B")));
    QCOMPARE(tree->currentIndex(), e);
    QCOMPARE(tree->selectionModel()->selectedIndexes(), QModelIndexList({ e }));
    QCOMPARE(panel("Panel1"), QStringLiteral("panel one"));
    QCOMPARE(panel("Panel2"), QStringLiteral("8 Code(s)"));
}

void TestDialogs::listsFolderAfresh()
{
    QVERIFY(TestLibrary::writeCode(
        m_folder, "0.cod", TestLibrary::record("zero", kOther, "Fresh", {}, "CODE 0")));
    search(QString());
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE 0")));
    QVERIFY(QFile::remove(m_folder + QStringLiteral("/0.cod")));
    search(QString());
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE A ")));
}

void TestDialogs::unreadableFileSkipped()
{
    ScopedFileOps ops;
    ops.open = [](const char *path, int flags, mode_t mode) {
        if (QByteArray(path).endsWith("/a.cod"))
            return errno = EACCES, -1;
        return ScopedFileOps::system().open(path, flags, mode);
    };
    for (const QString &text : { QStringLiteral("Alpha"), QString() }) {
        search(text);
        QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE A2")));
    }
}

void TestDialogs::readsOnlyNeededBytes()
{
    ScopedFileOps ops;
    QStringList reads;
    ops.pread = [&reads](int fd, void *buffer, size_t size, off_t offset) {
        reads << QStringLiteral("%1+%2").arg(offset).arg(size);
        return ScopedFileOps::system().pread(fd, buffer, size, offset);
    };
    search(QStringLiteral("short"));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE E")));
    // Five characters of the Comments field of each file in turn (at most
    // two bytes each), then the whole record of the match.
    QCOMPARE(reads, QStringList(6, QStringLiteral("3064+10")) << QStringLiteral("0+4692"));
}

void TestDialogs::folderWithoutCodes_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << true << QStringLiteral("无法打开代码库文件夹");
    QTest::newRow("empty") << false << QStringLiteral("没有可以读取的代码");
}

void TestDialogs::folderWithoutCodes()
{
    QFETCH(bool, missing);
    QFETCH(QString, message);
    if (missing)
        QVERIFY(QDir(m_folder).removeRecursively());
    for (const QString &entry : entries())
        QVERIFY(QFile::remove(m_folder + u'/' + entry));
    markPanes();
    search(QString());
    QCOMPARE(m_found.messages.size(), 1);
    QVERIFY(m_found.messages.first().contains(message));
    for (const char *name : kPanes)
        QCOMPARE(paneText(name), QStringLiteral("before"));
    QCOMPARE(QFileInfo::exists(m_folder), !missing);
}

// With dialogs created and hidden, and another window open, the Exit
// command or closing the main window ends the program.
void TestDialogs::ending_data()
{
    QTest::addColumn<bool>("exit");
    QTest::newRow("Exit") << true;
    QTest::newRow("main window closed") << false;
}

void TestDialogs::ending()
{
    QFETCH(bool, exit);
    QWidget other;
    other.show();
    run("About", [](QDialog *) {});
    run("Add", [](QDialog *) {});
    m_window->show();
    bool otherOpen = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        otherOpen = other.isVisible();
        exit ? m_window->mnuExit_Click() : void(m_window->close());
    });
    QVERIFY(runUntilQuit());
    QVERIFY(otherOpen);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
