#include "frmNewCode.h"

#include "AddStep.h"
#include "Categories.h"
#include "CodeRecord.h"
#include "Controls.h"
#include "Fonts.h"
#include "LibraryAdd.h"
#include "MessageBoxes.h"
#include "PaneText.h"
#include "Twips.h"
#include "frmMain.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPushButton *createButton(
    const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = Controls::named(new QPushButton(text, parent), name, geometry);
    // Neither button is the dialog's default button.
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmNewCode::frmNewCode(frmMain *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmNewCode"));
    setWindowTitle(QStringLiteral("加入新代码"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::windowFont());
    // A fixed size: the window manager can neither resize nor maximize it.
    setFixedSize(Twips::size(5400, 5370));
    centreOnScreen(size());

    // Labels first, so that the boxes beside them are drawn over them.
    m_label1 = Controls::named(
        new QLabel(QStringLiteral("名称："), this), "Label1", Twips::rect(120, 120, 1575, 255));
    m_label2 = Controls::named(
        new QLabel(QStringLiteral("种类："), this), "Label2", Twips::rect(120, 600, 1335, 255));
    for (QLabel *label : { m_label1, m_label2 })
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_txtName = Controls::named(new QLineEdit(this), "txtName", Twips::rect(840, 120, 4455, 360));
    m_cmbCategory
        = Controls::named(new QComboBox(this), "cmbCategory", Twips::rect(1080, 600, 4215, 360));
    m_cmbCategory->addItems(Categories::dialogOrder());
    m_cmbCategory->setCurrentIndex(-1);

    m_txtComments = createTextBox("txtComments", Twips::rect(120, 1080, 5175, 975));
    Controls::setTextColor(m_txtComments, QColor(255, 0, 255));
    m_txtDeclarations = createTextBox("txtDeclarations", Twips::rect(120, 2160, 5175, 1455));
    m_txtCode = createTextBox("txtCode", Twips::rect(120, 3720, 5175, 1095));
    m_label1->setBuddy(m_txtName);
    m_label2->setBuddy(m_cmbCategory);
    const struct {
        QWidget *control;
        const char *name;
    } accessibleNames[] = { { m_txtName, "名称" }, { m_cmbCategory, "种类" },
        { m_txtComments, "说明" }, { m_txtDeclarations, "声明" }, { m_txtCode, "代码" } };
    for (const auto &a : accessibleNames)
        a.control->setAccessibleName(QString::fromUtf8(a.name));

    m_cmdAdd
        = createButton("cmdAdd", QStringLiteral("添加"), Twips::rect(120, 4920, 1215, 375), this);
    m_cmdCancel = createButton(
        "cmdCancel", QStringLiteral("取消"), Twips::rect(1440, 4920, 1215, 375), this);
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmNewCode::cmdAdd_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmNewCode::cmdCancel_Click);

    // Tab goes in the order of creation, but the category comes last.
    setTabOrder(m_cmdCancel, m_cmbCategory);
    m_txtName->setFocus();
}

QPlainTextEdit *frmNewCode::createTextBox(const char *name, const QRect &geometry)
{
    auto *box = Controls::createTextBox(this, name, geometry);
    // Tab moves on to the next control; Ctrl+Tab types a tab.
    box->installEventFilter(this);
    return box;
}

bool frmNewCode::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            if (auto *box = qobject_cast<QPlainTextEdit *>(watched)) {
                box->insertPlainText(QStringLiteral("\t"));
                return true;
            }
        }
    }
    return ModalDialog::eventFilter(watched, event);
}

void frmNewCode::setTexts(const QStringList &texts)
{
    m_txtName->setText(texts.value(CodeRecord::Name));
    pickCategory(texts.value(CodeRecord::Category));
    m_txtComments->setPlainText(PaneText::fromField(texts.value(CodeRecord::Comments)));
    m_txtDeclarations->setPlainText(PaneText::fromField(texts.value(CodeRecord::Declarations)));
    m_txtCode->setPlainText(PaneText::fromField(texts.value(CodeRecord::Code)));
}

void frmNewCode::pickCategory(const QString &category)
{
    m_cmbCategory->setCurrentIndex(m_cmbCategory->findText(category, Qt::MatchExactly));
}

QStringList frmNewCode::textsFromControls() const
{
    QStringList texts(CodeRecord::FieldCount);
    texts[CodeRecord::Name] = m_txtName->text();
    texts[CodeRecord::Category]
        = m_cmbCategory->currentIndex() < 0 ? QString() : m_cmbCategory->currentText();
    texts[CodeRecord::Comments] = PaneText::toField(m_txtComments->toPlainText());
    texts[CodeRecord::Declarations] = PaneText::toField(m_txtDeclarations->toPlainText());
    texts[CodeRecord::Code] = PaneText::toField(m_txtCode->toPlainText());
    return texts;
}

void frmNewCode::cmdAdd_Click()
{
    QString treeError;
    const AddStep::Outcome outcome = LibraryAdd::addCode(
        owner(), AddStep(textsFromControls()),
        [this](AddStep::Question question, const QString &text) {
            if (question == AddStep::CutTexts)
                return MessageBoxes::choice(
                    this, windowTitle(), text, tr("截断后保存(&C)"), tr("返回修改(&B)"));
            return ask(text);
        },
        &treeError);
    switch (outcome.result) {
    case AddStep::Refused:
    case AddStep::Failed:
        warn(outcome.reason);
        return;
    case AddStep::Cancelled:
        return;
    case AddStep::Saved:
        if (!treeError.isEmpty())
            warn(treeError);
        else
            hide();
        return;
    }
}

void frmNewCode::cmdCancel_Click()
{
    hide();
}

void frmNewCode::warn(const QString &text)
{
    MessageBoxes::warning(this, windowTitle(), text);
}

bool frmNewCode::ask(const QString &text)
{
    return MessageBoxes::question(this, windowTitle(), text);
}
