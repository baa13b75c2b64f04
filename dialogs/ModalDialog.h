#pragma once

#include <QDialog>

class frmMain;

// A dialog shown modally over the main window. Dismissing it hides it, so
// it keeps its contents for the next showing; closing it with the window's
// close box destroys it. Escape does nothing.
class ModalDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ModalDialog(frmMain *owner);

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

    frmMain *owner() const { return m_owner; }

private:
    frmMain *m_owner;
};
