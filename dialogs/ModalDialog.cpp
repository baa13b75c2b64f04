#include "ModalDialog.h"

#include "frmMain.h"

#include <QCloseEvent>

ModalDialog::ModalDialog(frmMain *owner)
    : QDialog(owner)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
}

void ModalDialog::reject()
{
    // Escape: the dialogs have no cancel button.
}

void ModalDialog::closeEvent(QCloseEvent *event)
{
    // The close box ends the showing and destroys the dialog.
    done(QDialog::Rejected);
    event->accept();
}
