// The main window's commands: the toolbar, the About and Exit menu items.
#include "MessageBoxes.h"
#include "frmAbout.h"
#include "frmFind.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace {

// Each dialog is created at its first showing and reused while it lives;
// the showing returns when the dialog has been hidden or closed, and a
// closed dialog is destroyed at once, so the next showing creates it anew.
template <typename Dialog> Dialog *dialog(QPointer<Dialog> &instance, frmMain *owner)
{
    if (!instance)
        instance = new Dialog(owner);
    return instance;
}

template <typename Dialog> void showModal(QPointer<Dialog> &instance)
{
    instance->exec();
    if (instance && instance->isDiscarded())
        delete instance.data();
}

} // namespace

void frmMain::Toolbar_ButtonClick(const QString &key)
{
    if (key == QLatin1String("Add")) {
        showNewCodeDialog();
    } else if (key == QLatin1String("Find")) {
        QString nothingFound;
        QString unreadable;
        QObject whileShown; // the connection ends with it
        connect(dialog(m_find, this), &frmFind::nothingFound, &whileShown,
            [&](const QString &message, const QString &details) {
                nothingFound = message;
                unreadable = details;
            });
        showModal(m_find);
        // Told only once the dialog has gone.
        if (!nothingFound.isEmpty())
            MessageBoxes::information(this, QStringLiteral("查找"), nothingFound, unreadable);
    }
}

frmNewCode *frmMain::newCodeDialog()
{
    return dialog(m_newCode, this);
}

void frmMain::showNewCodeDialog()
{
    newCodeDialog();
    showModal(m_newCode);
}

void frmMain::mnuAbout_Click()
{
    dialog(m_about, this);
    showModal(m_about);
}

void frmMain::mnuExit_Click()
{
    close(); // closing the main window ends the program
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program, whatever other windows
    // are still open.
    QMainWindow::closeEvent(event);
    QCoreApplication::quit();
}
