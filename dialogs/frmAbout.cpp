#include "frmAbout.h"

frmAbout::frmAbout(frmMain *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
}
