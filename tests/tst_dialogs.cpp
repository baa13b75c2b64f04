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

#include <QtWidgets>

using TestLibrary::child;
using TestLibrary::kOther;

namespace {

const QString kArithmetic = QStringLiteral("运算子程序");
const char *const kPanes[] = { "txtComments", "txtDeclarations", "txtCode" };

// What a showing of a dialog left: whether the dialog was still up after
// the steps, and the message boxes shown.
struct Outcome {
    bool stayed = false;
    QStringList messages;
};

// The texts of the New-code dialog (name, category, the three boxes) or of Find.
QStringList texts(QDialog *dialog)
{
    if (auto *text1 = child<QLineEdit>(dialog, "Text1"))
        return { text1->text() };
    QStringList texts { child<QLineEdit>(dialog, "txtName")->text(),
        child<QComboBox>(dialog, "cmbCategory")->currentText() };
    for (const char *name : kPanes)
        texts << child<QPlainTextEdit>(dialog, name)->toPlainText();
    return texts;
}

void fill(QDialog *dialog, const QStringList &texts)
{
    if (auto *text1 = child<QLineEdit>(dialog, "Text1"))
        return text1->setText(texts.first());
    child<QLineEdit>(dialog, "txtName")->setText(texts[0]);
    auto *category = child<QComboBox>(dialog, "cmbCategory");
    category->setCurrentIndex(category->findText(texts[1]));
    for (int i = 0; i < 3; ++i)
        child<QPlainTextEdit>(dialog, kPanes[i])->setPlainText(texts[2 + i]);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void controls_data();
    void controls();
    void windows_data();
    void windows();
    void dismiss_data();
    void dismiss();
    void addsCodes_data();
    void addsCodes();
    void refused_data();
    void refused();
    void replace_data();
    void replace();
    void search_data();
    void search();
    void exitEndsProgram();

private:
    // Gives `command` ("Add", "Find", "About"), which shows a dialog modally,
    // runs `steps` on it once it is up, and answers each message box.
    Outcome run(const QString &command, const std::function<void(QDialog *)> &steps,
        QMessageBox::StandardButton answer = QMessageBox::Ok);
    Outcome add(const QStringList &entry, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        return run(
            "Add",
            [&](QDialog *dialog) {
                fill(dialog, entry);
                QTest::mouseClick(child<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
            },
            answer);
    }
    QString text(const char *name) const
    {
        auto *edit = child<QPlainTextEdit>(m_window.get(), name);
        return edit ? edit->toPlainText() : child<QLabel>(m_window.get(), name)->text();
    }
    QStringList entries() const { return TestLibrary::entries(m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
};

Outcome TestDialogs::run(const QString &command, const std::function<void(QDialog *)> &steps,
    QMessageBox::StandardButton answer)
{
    Outcome outcome;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        outcome.messages << box->text();
        QAbstractButton *target = box->button(answer);
        (target ? target : box->buttons().first())->click();
    });
    answerer.start(5);
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        QPointer<QDialog> dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog && dialog->parent() == m_window.get(), "the dialog is not up");
        steps(dialog);
        if (dialog && dialog->isVisible()) {
            outcome.stayed = true;
            dialog->hide();
        }
    });
    if (command == u"About")
        m_window->mnuAbout_Click();
    else
        m_window->Toolbar_ButtonClick(command);
    return outcome;
}

void TestDialogs::init()
{
    m_window.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    // In list order; the code w is read from z.cod.
    const char *codes[][5] = { { "a.cod", "a", "其他", "Alpha routine", "CODE A" },
        { "a2.cod", "a2", "其他", "Alpha routine", "CODE A2" },
        { "b.cod", "b", "其他", "alpha lower", "CODE B" },
        { "c.cod", "c", "其他", " Alpha with space", "CODE C" },
        { "d.cod", "d", "其他", "浮点数代数值比较\r\n第二行", "CODE D" },
        { "e.cod", "e", "其他", "short", "CODE E" }, { "y.cod", "y", "运算子程序", "old y", "" },
        { "z.cod", "w", "其他", "w's", "" } };
    for (const auto &c : codes) {
        QVERIFY(TestLibrary::writeCode(m_dir->path(), c[0],
            TestLibrary::record(c[1], QString::fromUtf8(c[2]), QString::fromUtf8(c[3]), {}, c[4])));
    }
    m_window = std::make_unique<frmMain>(m_dir->path());
    QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
}

void TestDialogs::controls_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QFont>("font");
    const QFont window = Fonts::windowFont(), box = Fonts::textFont(), app = QApplication::font();
    const auto row
        = [](const char *command, const char *name, QRectF twips, QString shown, QFont font) {
              QTest::addRow("%s %s", command, name) << command << name << twips << shown << font;
          };
    row("Add", "Label1", { 120, 120, 1575, 255 }, "名称：", window);
    row("Add", "txtName", { 840, 120, 4455, 360 }, "", window);
    row("Add", "Label2", { 120, 600, 1335, 255 }, "种类：", window);
    row("Add", "cmbCategory", { 1080, 600, 4215, 360 }, "", window);
    row("Add", "txtComments", { 120, 1080, 5175, 975 }, "", box);
    row("Add", "txtDeclarations", { 120, 2160, 5175, 1455 }, "", box);
    row("Add", "txtCode", { 120, 3720, 5175, 1095 }, "", box);
    row("Add", "cmdAdd", { 120, 4920, 1215, 375 }, "添加", window);
    row("Add", "cmdCancel", { 1440, 4920, 1215, 375 }, "取消", window);
    row("Find", "Text1", { 1080, 120, 3975, 375 }, "", app);
    row("Find", "Command1", { 5400, 120, 855, 375 }, "查找", app);
    row("Find", "Command2", { 5400, 1080, 855, 375 }, "取消", app);
    row("Find", "Frame1", { 240, 840, 4935, 1335 }, "说明", app);
    row("Find", "Label2", { 360, 360, 4215, 735 },
        "请输入全名(暂时还不支持模糊查询).例如:浮点数代数值比较（不影响待比较操作数）.", app);
    row("About", "Label1", { 120, 2760, 1575, 735 }, "版本：1.0\n日期：2003-05-06", app);
    row("About", "Command1", { 2640, 3360, 1335, 375 }, "确定", window);
    row("About", "Label2", { 1560, 240, 4575, 2175 }, {}, Fonts::noticeFont());
    row("About", "Image1", { 120, 960, 495, 495 }, "", app);
    row("About", "Image2", { 480, 360, 495, 495 }, "", app);
}

void TestDialogs::controls()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    QFETCH(QString, text);
    QFETCH(QFont, font);
    run(command, [&](QDialog *dialog) {
        auto *control = child(dialog, name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), Twips::rect(twips));
        const char *property = control->property("title").isValid() ? "title" : "text";
        if (!text.isNull())
            QCOMPARE(control->property(property).toString(), text);
        if (!name.startsWith(u"Image"))
            QCOMPARE(control->font(), font);
        else
            QCOMPARE(child<QLabel>(dialog, name)->pixmap().size(), QSize(33, 33));
        if (auto *box = qobject_cast<QPlainTextEdit *>(control)) {
            QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QCOMPARE(
                box->palette().color(QPalette::Text) == QColor(255, 0, 255), name == "txtComments");
        }
        if (auto *button = qobject_cast<QPushButton *>(control))
            QVERIFY(!button->isDefault() && (command != u"Add" || !button->autoDefault()));
    });
}

void TestDialogs::windows_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("twips");
    QTest::addColumn<QString>("tabOrder"); // from the control with the focus
    QTest::newRow("Add")
        << "Add"
        << "加入新代码" << QSize(5400, 5370)
        << "txtName txtComments txtDeclarations txtCode cmdAdd cmdCancel cmbCategory txtName";
    QTest::newRow("Find") << "Find"
                          << "Find" << QSize(6330, 2925) << "Text1 Command1 Command2 Text1";
    QTest::newRow("About") << "About"
                           << "关于Quillbank" << QSize(6645, 4050) << "Command1 Command1";
}

// Title, size, place and tab order; the category list; the About box's star.
void TestDialogs::windows()
{
    QFETCH(QString, command);
    QFETCH(QString, title);
    QFETCH(QSize, twips);
    QFETCH(QString, tabOrder);
    run(command, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->size(), Twips::size(twips.width(), twips.height()));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        const QPoint centre = dialog->screen()->geometry().center();
        if (command == u"Find")
            QCOMPARE(dialog->pos(), QPoint(Twips::toPixels(4365), Twips::toPixels(4170)));
        else
            QVERIFY((dialog->frameGeometry().center() - centre).manhattanLength() <= 1);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QStringList order;
        for (int i = 0; i <= tabOrder.count(u' '); ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order.join(u' '), tabOrder);
        if (auto *category = child<QComboBox>(dialog, "cmbCategory")) {
            QCOMPARE(category->currentIndex(), -1);
            QVERIFY(!category->isEditable());
            QStringList items;
            for (int i = 0; i < category->count(); ++i)
                items << category->itemText(i);
            QCOMPARE(items,
                QStringList({ "运算子程序", "扩展接口程序", "中断服务子程序", "代码转换",
                    "逻辑操作", "数据结构", "通讯子程序", "其他" }));
        }
        if (command == u"About")
            QCOMPARE(dialog->grab().toImage().pixelColor(1, 1), QColor(74, 121, 198));
    });
}

// Leaving a dialog by a button, a key or the close box keeps it hidden with
// its texts, leaves it up, or destroys it. Nothing is added either way.
void TestDialogs::dismiss_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("control"); // empty: the close box
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::addColumn<QString>("result"); // kept, stays or destroyed
    QTest::newRow("Add: Cancel") << "Add"
                                 << "cmdCancel" << 0 << "kept";
    QTest::newRow("Add: Enter in the name") << "Add"
                                            << "txtName" << int(Qt::Key_Return) << "stays";
    QTest::newRow("Add: Escape") << "Add"
                                 << "txtName" << int(Qt::Key_Escape) << "stays";
    QTest::newRow("Add: close box") << "Add"
                                    << "" << 0 << "destroyed";
    QTest::newRow("Find: Cancel") << "Find"
                                  << "Command2" << 0 << "kept";
    QTest::newRow("Find: close box") << "Find"
                                     << "" << 0 << "destroyed";
    QTest::newRow("About: Return") << "About"
                                   << "Command1" << int(Qt::Key_Return) << "kept";
    QTest::newRow("About: Space") << "About"
                                  << "Command1" << int(Qt::Key_Space) << "kept";
    QTest::newRow("About: Escape") << "About"
                                   << "Command1" << int(Qt::Key_Escape) << "stays";
    QTest::newRow("About: close box") << "About"
                                      << "" << 0 << "destroyed";
}

void TestDialogs::dismiss()
{
    QFETCH(QString, command);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, result);
    const QStringList before = entries();
    QPointer<QDialog> first;
    QStringList typed;
    const Outcome outcome = run(command, [&](QDialog *dialog) {
        first = dialog;
        if (command != u"About")
            fill(dialog, { "x", kOther, "说明", "声明", "代码" });
        typed = command == u"About" ? QStringList() : texts(dialog);
        QWidget *target = control.isEmpty() ? nullptr : child(dialog, control);
        if (!target)
            dialog->close();
        else if (key)
            target->setFocus(), QTest::keyClick(target, Qt::Key(key));
        else
            QTest::mouseClick(target, Qt::LeftButton);
    });
    QCOMPARE(outcome.stayed, result == u"stays");
    QCOMPARE(outcome.messages, QStringList());
    QCOMPARE(bool(first), result != u"destroyed");
    QCOMPARE(entries(), before);
    QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
    run(command, [&](QDialog *dialog) {
        QCOMPARE(dialog == first.data(), result != u"destroyed");
        if (command != u"About")
            QCOMPARE(texts(dialog),
                result == u"destroyed" ? QStringList(typed.size(), QString()) : typed);
    });
    m_window->Toolbar_ButtonClick(QStringLiteral("add")); // keys match exactly: no dialog
}

void TestDialogs::addsCodes_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : { "x", "  x  " }) // spaces kept in the file, not in its name
        QTest::newRow(name) << name;
}

// Add writes the file, appends the node to its category, counts it and
// hides the dialog, which keeps what was entered.
void TestDialogs::addsCodes()
{
    QFETCH(QString, name);
    const QStringList entry { name, kOther, "第一行\n第二行", "DATA EQU 30H", "MOV A,#1" };
    const Outcome outcome = add(entry);
    QVERIFY(!outcome.stayed);
    QCOMPARE(outcome.messages, QStringList());
    QCOMPARE(TestLibrary::readFile(m_dir->filePath("x.cod")),
        TestLibrary::bytes(
            TestLibrary::record(name, kOther, "第一行\r\n第二行", "DATA EQU 30H", "MOV A,#1")));
    const QModelIndex node = m_window->codeTree()->indexOfKey(QStringLiteral("x"));
    QCOMPARE(node.parent().data().toString(), kOther);
    QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
    QCOMPARE(text("Panel2"), QStringLiteral("9 Code(s)"));
    run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
    m_window->tvCodes_NodeClick(node);
    QCOMPARE(text("txtComments").trimmed(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(text("Panel1"), QStringLiteral("Code: 其他"));
    QVERIFY(!add({ "two", "逻辑操作", "", "", "" }).stayed);
    QCOMPARE(text("Panel2"), QStringLiteral("10 Code(s)"));
}

// Refused entries and failed writes: a message saying why, the dialog
// still up with what was typed, and nothing written or changed anywhere.
void TestDialogs::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("comments");
    QTest::addColumn<int>("fault"); // errno of the file layer's calls
    QTest::addColumn<QString>("why");
    const auto row = [](const char *title, const QString &name, const char *category,
                         const char *comments, int fault, const char *why) {
        QTest::newRow(title) << name << category << comments << fault << why;
    };
    row("parent folder", "../x", "其他", "", 0, "“.”");
    row("path", "/tmp/x", "其他", "", 0, "字符");
    row("device", "CON", "其他", "", 0, "设备名");
    row("spaces only", "   ", "其他", "", 0, "不能为空");
    row("category name", " 逻辑操作 ", "其他", "", 0, "种类");
    row("slash made by the cut", QString(63, u'a') + "/b", "其他", "", 0, "字符");
    row("no category", "x", "", "", 0, "种类");
    row("unencodable comments", "x", "其他", "笑脸😀与€", 0, "😀");
    row("folder gone", "x", "其他", "", ENOENT, "x");
    row("disk full", "x", "其他", "", ENOSPC, "x");
    row("disk full, replacing", "y", "其他", "", ENOSPC, "y");
}

void TestDialogs::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(QString, comments);
    QFETCH(int, fault);
    QFETCH(QString, why);
    const QStringList tmp = TestLibrary::entries("/tmp");
    const QByteArray y = TestLibrary::readFile(m_dir->filePath("y.cod"));
    ScopedFileOps ops;
    ops.before = [fault](ScopedFileOps::Call call, int) {
        return (call == ScopedFileOps::Open || call == ScopedFileOps::Write) ? fault : 0;
    };
    const QStringList entry { name, category, comments, "", "" };
    const Outcome outcome = add(entry, QMessageBox::Yes);
    QVERIFY(outcome.stayed);
    QVERIFY2(outcome.messages.last().contains(why), qPrintable(outcome.messages.last()));
    QVERIFY(fault || ops.calls().isEmpty());
    QCOMPARE(entries().size(), 8);
    QCOMPARE(TestLibrary::readFile(m_dir->filePath("y.cod")), y);
    QCOMPARE(TestLibrary::entries("/tmp"), tmp);
    QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
    QCOMPARE(m_window->codeTree()->indexOfKey("y").parent().data().toString(), kArithmetic);
    QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("x")));
    run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
}

// Adding under a name that a code or a file already has asks first.
void TestDialogs::replace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("was"); // the code's category before; empty: none listed
    const auto row
        = [](const char *title, const char *name, bool yes, const char *file, const QString &was) {
              QTest::newRow(title) << name << yes << file << was;
          };
    row("code, yes", " y", true, "y.cod", kArithmetic);
    row("code, no", "y", false, "y.cod", kArithmetic);
    row("unlisted file, yes", "z", true, "z.cod", {});
    row("unlisted file, no", "z", false, "z.cod", {});
    // w was read from z.cod: replacing it rewrites z.cod, not a second file.
    row("code in a file of another name", "w", true, "z.cod", kOther);
}

void TestDialogs::replace()
{
    QFETCH(QString, name);
    QFETCH(bool, yes);
    QFETCH(QString, file);
    QFETCH(QString, was);
    const QByteArray old = TestLibrary::readFile(m_dir->filePath(file));
    const Outcome outcome
        = add({ name, "逻辑操作", "new", "", "" }, yes ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY(outcome.messages.first().contains(was.isEmpty() ? file : name.trimmed()));
    QCOMPARE(outcome.stayed, !yes);
    QCOMPARE(entries().size(), 8);
    QCOMPARE(TestLibrary::readFile(m_dir->filePath(file)),
        yes ? TestLibrary::bytes(TestLibrary::record(name, "逻辑操作", "new")) : old);
    const QModelIndex node = m_window->codeTree()->indexOfKey(name.trimmed());
    QCOMPARE(node.parent().data().toString(), yes ? QStringLiteral("逻辑操作") : was);
    QCOMPARE(text("Panel2"), QStringLiteral("%1 Code(s)").arg(yes && was.isEmpty() ? 9 : 8));
    frmMain again(m_dir->path());
    QCOMPARE(again.codeTree()->codeCount(), 8);
}

void TestDialogs::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // the code shown; empty when none
    const QString pad = QStringLiteral("short") + QString(1495, u' ');
    const char *rows[][3] = { { "empty text: first file", "", "CODE A" },
        { "prefix", "Alpha", "CODE A" }, { "case-sensitive", "alpha", "CODE B" },
        { "upper case", "ALPHA", "" }, { "leading space", " Alpha", "CODE C" },
        { "Chinese", "浮点数代数值比较", "CODE D" },
        { "longer than the comments", "Alpha routineX", "" }, { "padding", "short    ", "CODE E" },
        { "not at the beginning", "routine", "" }, { "hidden files", "Hidden", "" } };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << row[2];
    QTest::newRow("whole field") << pad << "CODE E";
    QTest::newRow("longer than the field") << pad + u' ' << "";
}

// The first file whose Comments begin with the text fills the panes; the
// tree's selection and panel 1 stay; the dialog is gone after every search.
void TestDialogs::search()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    QVERIFY(TestLibrary::writeCode(
        m_dir->path(), ".hidden.cod", TestLibrary::record("h", kOther, "Hidden")));
    auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
    const QModelIndex y = m_window->codeTree()->indexOfKey(QStringLiteral("y"));
    tree->setCurrentIndex(y);
    m_window->setPanel1Text(QStringLiteral("panel one"));
    QPointer<QDialog> shown;
    const Outcome outcome = run("Find", [&](QDialog *dialog) {
        shown = dialog;
        fill(dialog, { text });
        QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);
    });
    QVERIFY(!shown);
    QCOMPARE(this->text("txtCode"), (found.isEmpty() ? QString() : found).leftJustified(1500));
    QVERIFY(this->text("txtComments").startsWith(found.isEmpty() ? QStringLiteral("old y") : text));
    QCOMPARE(outcome.messages.size(), found.isEmpty() ? 1 : 0);
    QCOMPARE(tree->currentIndex(), y);
    QCOMPARE(this->text("Panel1"), QStringLiteral("panel one"));
}

// Exit ends the program at once, hidden dialogs or not, and so does
// closing the main window.
void TestDialogs::exitEndsProgram()
{
    run("About", [](QDialog *dialog) { dialog->hide(); });
    for (bool viaMenu : { true, false }) {
        m_window->show();
        QTimer::singleShot(0, m_window.get(), [&] {
            viaMenu ? child<QAction>(m_window.get(), "mnuExit")->trigger()
                    : void(m_window->close());
        });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
