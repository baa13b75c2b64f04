#include "ModalDialog.h"

#include "frmMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

ModalDialog::ModalDialog(frmMain *owner)
    : QDialog(owner)
    , m_owner(owner)
{
    // Not Qt::WA_DeleteOnClose: exec() would then destroy the dialog at the
    // end of every showing, even when it was only hidden.
    setModal(true);
}

void ModalDialog::reject()
{
    // Escape: the dialogs have no cancel button.
}

void ModalDialog::closeEvent(QCloseEvent *)
{
    // The close box ends the showing and destroys the dialog: at once when
    // the showing returns (see isDiscarded()), or else when control returns
    // to the event loop.
    m_discarded = true;
    done(QDialog::Rejected);
    deleteLater();
}

void ModalDialog::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            if (button->isVisible() && button->isEnabled())
                button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void ModalDialog::centreOnScreen(const QSize &clientSize)
{
    QScreen *screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), clientSize);
    frame.moveCenter(screen->geometry().center());
    // Setting the position now also keeps Qt from centring the dialog on
    // its owner at the first showing.
    move(frame.topLeft());
    m_centre = true;
}

void ModalDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_centre)
        return;
    // At the first showing the window's frame may be known: centre that.
    m_centre = false;
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}
