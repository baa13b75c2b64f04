// The New-code dialog: its design, adding codes, Cancel and the close box.
#include "CodeTreeModel.h"
#include "Fonts.h"
#include "Twips.h"
#include "frmNewCode.h"
#include "tst_dialogs_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using DialogTest::CodeEntry;
using DialogTest::fillNewCode;

namespace {
const QString kOther = QStringLiteral("其他");
} // namespace

class TestNewCode : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void dialogDesign();
    void tabOrder();
    void addsCode();
    void addsTwoCodes();
    void nameWithSpaces();
    void cancelKeepsTexts();
    void closeBoxGivesFreshDialog();
    void keysDoNotAdd();

private:
    DialogTest::AddOutcome add(const CodeEntry &entry)
    {
        return DialogTest::addCode(*m_window, entry);
    }
    void open(const std::function<void(frmNewCode *)> &steps, bool *leftOpen = nullptr)
    {
        DialogTest::openNewCode(*m_window, steps, leftOpen);
    }
    QString codePath(const QString &fileName) const { return m_folder + u'/' + fileName; }
    QString countText() const { return DialogTest::panel(*m_window, "Panel2"); }
    QStringList entries() const { return TestLibrary::entries(m_folder); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    std::unique_ptr<frmMain> m_window;
};

void TestNewCode::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("Codes"));
    QVERIFY(QDir().mkpath(m_folder));
    QVERIFY(TestLibrary::writeCode(m_folder, QStringLiteral("y.cod"),
        TestLibrary::record(
            QStringLiteral("y"), QStringLiteral("运算子程序"), QStringLiteral("old y"))));
    // A code whose file is named after another name.
    QVERIFY(TestLibrary::writeCode(
        m_folder, QStringLiteral("z.cod"), TestLibrary::record(QStringLiteral("w"), kOther)));
    m_window = std::make_unique<frmMain>(m_folder);
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
}

void TestNewCode::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestNewCode::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1") << "Label1" << QRectF(120, 120, 1575, 255) << "名称：";
    QTest::newRow("txtName") << "txtName" << QRectF(840, 120, 4455, 360) << "";
    QTest::newRow("Label2") << "Label2" << QRectF(120, 600, 1335, 255) << "种类：";
    QTest::newRow("cmbCategory") << "cmbCategory" << QRectF(1080, 600, 4215, 360) << "";
    QTest::newRow("txtComments") << "txtComments" << QRectF(120, 1080, 5175, 975) << "";
    QTest::newRow("txtDeclarations") << "txtDeclarations" << QRectF(120, 2160, 5175, 1455) << "";
    QTest::newRow("txtCode") << "txtCode" << QRectF(120, 3720, 5175, 1095) << "";
    QTest::newRow("cmdAdd") << "cmdAdd" << QRectF(120, 4920, 1215, 375) << "添加";
    QTest::newRow("cmdCancel") << "cmdCancel" << QRectF(1440, 4920, 1215, 375) << "取消";
}

void TestNewCode::controls()
{
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    QFETCH(QString, text);
    frmNewCode dialog(m_window.get());
    auto *control = dialog.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), &dialog);
    QCOMPARE(control->geometry(), Twips::rect(twips));
    const QVariant shown = control->property("text");
    if (shown.isValid())
        QCOMPARE(shown.toString(), text);
    if (auto *box = qobject_cast<QPlainTextEdit *>(control)) {
        QCOMPARE(box->font(), Fonts::textFont());
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(box->toPlainText().isEmpty());
        const QColor expected
            = name == u"txtComments" ? QColor(255, 0, 255) : dialog.palette().color(QPalette::Text);
        QCOMPARE(box->palette().color(QPalette::Text), expected);
    } else {
        QCOMPARE(control->font(), Fonts::windowFont());
    }
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
    if (qobject_cast<QLabel *>(control))
        QCOMPARE(control->focusPolicy(), Qt::NoFocus);
}

void TestNewCode::dialogDesign()
{
    QPoint position;
    open([&position](frmNewCode *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("加入新代码"));
        QCOMPARE(dialog->size(), Twips::size(5400, 5370));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(dialog->font(), Fonts::windowFont());
        QCOMPARE(QApplication::activeModalWidget(), dialog);
        QCOMPARE(dialog->focusWidget()->objectName(), QStringLiteral("txtName"));
        const QPoint centre = dialog->screen()->geometry().center();
        QVERIFY((dialog->frameGeometry().center() - centre).manhattanLength() <= 1);
        auto *category = dialog->findChild<QComboBox *>(QStringLiteral("cmbCategory"));
        QCOMPARE(category->currentIndex(), -1);
        QCOMPARE(category->currentText(), QString());
        QStringList items;
        for (int i = 0; i < category->count(); ++i)
            items << category->itemText(i);
        QCOMPARE(items,
            QStringList({ "运算子程序", "扩展接口程序", "中断服务子程序", "代码转换", "逻辑操作",
                "数据结构", "通讯子程序", "其他" }));
        QVERIFY(!category->isEditable());
        position = dialog->pos();
        dialog->move(position + QPoint(7, 9));
        position = dialog->pos();
        dialog->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    });
    // Shown again where it was left.
    open([&position](frmNewCode *dialog) {
        QCOMPARE(dialog->pos(), position);
        dialog->hide();
    });
}

void TestNewCode::tabOrder()
{
    frmNewCode dialog(m_window.get());
    dialog.setModal(false);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.findChild<QWidget *>(QStringLiteral("txtName"))->setFocus();
    QStringList order;
    for (int i = 0; i < 8; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order,
        QStringList({ "txtName", "txtComments", "txtDeclarations", "txtCode", "cmdAdd", "cmdCancel",
            "cmbCategory", "txtName" }));
    // In the multi-line boxes Ctrl+Tab types a tab.
    auto *code = dialog.findChild<QPlainTextEdit *>(QStringLiteral("txtCode"));
    code->setFocus();
    QTest::keyClicks(code, QStringLiteral("MOV"));
    QTest::keyClick(code, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClicks(code, QStringLiteral("A,B"));
    QCOMPARE(code->toPlainText(), QStringLiteral("MOV\tA,B"));
    QCOMPARE(QApplication::focusWidget(), code);
    dialog.hide();
}

void TestNewCode::addsCode()
{
    const DialogTest::AddOutcome outcome
        = add({ "x", kOther, "第一行\n第二行", "DATA EQU 30H", "MOV A,#1" });
    QVERIFY(!outcome.stayed);
    QCOMPARE(outcome.messages, QStringList());

    const QByteArray written = TestLibrary::readFile(codePath(QStringLiteral("x.cod")));
    QCOMPARE(written.size(), 4692);
    QCOMPARE(written,
        TestLibrary::bytes(
            TestLibrary::record("x", kOther, "第一行\r\n第二行", "DATA EQU 30H", "MOV A,#1")));
    const QModelIndex node = m_window->codeTree()->indexOfKey(QStringLiteral("x"));
    QVERIFY(node.isValid());
    QCOMPARE(node.parent().data().toString(), kOther);
    QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
    QCOMPARE(node.data(CodeTreeModel::FileNameRole).toByteArray(), QByteArray("x.cod"));
    QCOMPARE(countText(), QStringLiteral("3 Code(s)"));

    // The dialog was hidden, not destroyed, and keeps what was entered.
    QPointer<frmNewCode> kept = m_window->findChild<frmNewCode *>();
    QVERIFY(kept);
    QVERIFY(!kept->isVisible());
    open([kept](frmNewCode *dialog) {
        QCOMPARE(dialog, kept.data());
        QCOMPARE(DialogTest::typed(dialog),
            QStringList({ "x", kOther, "第一行\n第二行", "DATA EQU 30H", "MOV A,#1" }));
        dialog->hide();
    });

    // Clicking the new node reads the file back.
    m_window->tvCodes_NodeClick(node);
    QCOMPARE(DialogTest::pane(*m_window, "txtComments")->toPlainText().trimmed(),
        QStringLiteral("第一行\n第二行"));
    QCOMPARE(DialogTest::panel(*m_window, "Panel1"), QStringLiteral("Code: 其他"));
}

void TestNewCode::addsTwoCodes()
{
    QVERIFY(!add({ "one", QStringLiteral("逻辑操作"), "1", "", "" }).stayed);
    QVERIFY(!add({ "two", QStringLiteral("逻辑操作"), "2", "", "" }).stayed);
    QCOMPARE(countText(), QStringLiteral("4 Code(s)"));
    const QModelIndex category = m_window->codeTree()->indexOfKey(QStringLiteral("逻辑操作"));
    QCOMPARE(m_window->codeTree()->rowCount(category), 2);
    QCOMPARE(m_window->codeTree()->index(0, 0, category).data().toString(), QStringLiteral("one"));
    QCOMPARE(m_window->codeTree()->index(1, 0, category).data().toString(), QStringLiteral("two"));
    QVERIFY(QFile::exists(codePath(QStringLiteral("one.cod"))));
    QVERIFY(QFile::exists(codePath(QStringLiteral("two.cod"))));
}

void TestNewCode::nameWithSpaces()
{
    QVERIFY(!add({ "  x  ", kOther, "", "", "" }).stayed);
    const QByteArray written = TestLibrary::readFile(codePath(QStringLiteral("x.cod")));
    QCOMPARE(written.size(), 4692);
    QCOMPARE(written.left(64), QByteArray("  x").leftJustified(64, ' '));
    QVERIFY(m_window->codeTree()->containsKey(QStringLiteral("x")));
    QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("  x  ")));
    QCOMPARE(entries(), QStringList({ "x.cod", "y.cod", "z.cod" }));
}

void TestNewCode::cancelKeepsTexts()
{
    open([](frmNewCode *dialog) {
        fillNewCode(dialog, { "typed", kOther, "说明", "声明", "代码" });
        QTest::mouseClick(
            dialog->findChild<QPushButton *>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    QVERIFY(!m_window->codeTree()->containsKey(QStringLiteral("typed")));
    QCOMPARE(countText(), QStringLiteral("2 Code(s)"));
    open([](frmNewCode *dialog) {
        QCOMPARE(
            DialogTest::typed(dialog), QStringList({ "typed", kOther, "说明", "声明", "代码" }));
        dialog->hide();
    });
}

void TestNewCode::closeBoxGivesFreshDialog()
{
    QPointer<frmNewCode> first;
    open([&first](frmNewCode *dialog) {
        first = dialog;
        fillNewCode(dialog, { "typed", kOther, "说明", "", "" });
        dialog->close();
    });
    QVERIFY(!first); // destroyed
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    open([](frmNewCode *dialog) {
        QCOMPARE(DialogTest::typed(dialog), QStringList({ "", "", "", "", "" }));
        QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("cmbCategory"))->currentIndex(), -1);
        dialog->hide();
    });
}

void TestNewCode::keysDoNotAdd()
{
    bool leftOpen = false;
    open(
        [](frmNewCode *dialog) {
            fillNewCode(dialog, { "x", kOther, "", "", "" });
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("txtName"));
            // No default button: Enter in the name box adds nothing, and
            // Escape does not dismiss the dialog.
            QTest::keyClick(name, Qt::Key_Return);
            QTest::keyClick(name, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
        },
        &leftOpen);
    QVERIFY(leftOpen);
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
    // Enter clicks the button that has the focus.
    open([](frmNewCode *dialog) {
        auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("cmdCancel"));
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(entries(), QStringList({ "y.cod", "z.cod" }));
}

QTEST_MAIN(TestNewCode)
#include "tst_dialogs_newcode.moc"
