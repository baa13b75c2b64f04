#pragma once

#include <QDialog>

class frmMain;

// A dialog shown modally over the main window. Dismissing it hides it, so
// it keeps its contents for the next showing; closing it with the window's
// close box destroys it. Escape does nothing; Enter clicks the push button
// that has the focus, as the space bar does.
class ModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModalDialog(frmMain *owner);

    void reject() override;

    // True once the dialog has been closed; whoever showed it destroys it
    // when the showing returns.
    bool isDiscarded() const { return m_discarded; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

    frmMain *owner() const { return m_owner; }
    // Places the window, whose client area is `clientSize`, in the middle
    // of the owner's screen.
    void centreOnScreen(const QSize &clientSize);

private:
    frmMain *m_owner;
    bool m_discarded = false;
    bool m_centre = false; // centre once more when the frame is known
};
