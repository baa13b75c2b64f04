#pragma once

// Helpers for the tests that drive the modal dialogs.
#include "TestLibrary.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace DialogTest {

// While it lives, clicks `button` (or, when a box lacks it, its only
// button) in every message box that comes up, and records the box's text
// and which dialogs were on screen at that moment.
class MessageBoxAnswerer : public QObject {
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok)
        : m_button(button)
    {
        qApp->installEventFilter(this);
    }
    ~MessageBoxAnswerer() override { qApp->removeEventFilter(this); }

    void setButton(QMessageBox::StandardButton button) { m_button = button; }

    QStringList texts;
    QStringList visibleDialogs; // per box: the object names of the visible dialogs

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (!box || event->type() != QEvent::Show)
            return false;
        texts << box->text();
        QStringList visible;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget != box && widget->isVisible() && qobject_cast<QDialog *>(widget))
                visible << widget->objectName();
        }
        visibleDialogs << visible.join(u',');
        QTimer::singleShot(0, box, [box, button = m_button] {
            QAbstractButton *target = box->button(button);
            if (!target && box->buttons().size() == 1)
                target = box->buttons().first();
            if (target)
                target->click();
        });
        return false;
    }

private:
    QMessageBox::StandardButton m_button;
};

// Runs `open` (which shows a dialog modally) after arranging for `steps`
// to run on the dialog once it is up. A dialog that `steps` leaves on
// screen is hidden afterwards, so that `open` returns; *leftOpen tells.
template <typename Dialog>
void runModal(frmMain &window, const std::function<void()> &open,
    const std::function<void(Dialog *)> &steps, bool *leftOpen = nullptr)
{
    bool open_ = false;
    QObject context; // cancels the steps when no dialog came up
    QTimer::singleShot(0, &context, [&window, &steps, &open_] {
        QPointer<Dialog> dialog = window.findChild<Dialog *>();
        QVERIFY2(dialog && dialog->isVisible(), "the dialog is not on screen");
        steps(dialog);
        if (dialog && dialog->isVisible()) {
            open_ = true;
            dialog->hide();
        }
    });
    // A guard against a dialog that never goes: fails instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->hide();
        QFAIL("a dialog was still up after a long time");
    });
    guard.start(60000);
    open();
    if (leftOpen)
        *leftOpen = open_;
}

inline QPlainTextEdit *pane(const frmMain &window, const char *name)
{
    return window.findChild<QPlainTextEdit *>(QLatin1String(name));
}

inline QString panel(const frmMain &window, const char *name)
{
    return window.findChild<QLabel *>(QLatin1String(name))->text();
}

// What the New-code dialog is filled with.
struct CodeEntry {
    QString name;
    QString category; // empty: none picked
    QString comments;
    QString declarations;
    QString code;
};

inline void fillNewCode(frmNewCode *dialog, const CodeEntry &entry)
{
    dialog->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(entry.name);
    auto *category = dialog->findChild<QComboBox *>(QStringLiteral("cmbCategory"));
    category->setCurrentIndex(entry.category.isEmpty() ? -1 : category->findText(entry.category));
    dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtComments"))
        ->setPlainText(entry.comments);
    dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtDeclarations"))
        ->setPlainText(entry.declarations);
    dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtCode"))->setPlainText(entry.code);
}

// What the New-code dialog holds: name, category, comments, declarations
// and code.
inline QStringList typed(frmNewCode *dialog)
{
    QStringList texts { dialog->findChild<QLineEdit *>(QStringLiteral("txtName"))->text(),
        dialog->findChild<QComboBox *>(QStringLiteral("cmbCategory"))->currentText() };
    for (const char *name : { "txtComments", "txtDeclarations", "txtCode" })
        texts << dialog->findChild<QPlainTextEdit *>(QLatin1String(name))->toPlainText();
    return texts;
}

// Shows the New-code dialog through the toolbar's Add command.
inline void openNewCode(
    frmMain &window, const std::function<void(frmNewCode *)> &steps, bool *leftOpen = nullptr)
{
    runModal<frmNewCode>(
        window, [&window] { window.Toolbar_ButtonClick(QStringLiteral("Add")); }, steps, leftOpen);
}

struct AddOutcome {
    bool stayed = false; // the dialog was still up after Add
    QStringList messages; // the message boxes shown
};

// Fills the New-code dialog and clicks Add, answering message boxes with
// `answer`.
inline AddOutcome addCode(
    frmMain &window, const CodeEntry &entry, QMessageBox::StandardButton answer = QMessageBox::Ok)
{
    MessageBoxAnswerer answerer(answer);
    AddOutcome outcome;
    openNewCode(
        window,
        [&entry](frmNewCode *dialog) {
            fillNewCode(dialog, entry);
            QTest::mouseClick(
                dialog->findChild<QPushButton *>(QStringLiteral("cmdAdd")), Qt::LeftButton);
        },
        &outcome.stayed);
    outcome.messages = answerer.texts;
    return outcome;
}

} // namespace DialogTest
