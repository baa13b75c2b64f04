// The main window's commands: the toolbar, the About and Exit menu items.
#include "frmMain.h"

#include "frmAbout.h"
#include "frmFind.h"
#include "frmNewCode.h"

#include <QCoreApplication>

namespace {

// Each dialog is created at its first showing and reused while it lives.
template<typename Dialog>
Dialog *dialog(QPointer<Dialog> &instance, frmMain *owner)
{
    if (!instance)
        instance = new Dialog(owner);
    return instance;
}

} // namespace

void frmMain::Toolbar_ButtonClick(const QString &key)
{
    if (key == QLatin1String("Add"))
        dialog(m_newCode, this)->exec();
    else if (key == QLatin1String("Find"))
        dialog(m_find, this)->exec();
}

void frmMain::mnuAbout_Click() { dialog(m_about, this)->exec(); }

void frmMain::mnuExit_Click()
{
    close();
    QCoreApplication::quit();
}
