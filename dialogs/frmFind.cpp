#include "frmFind.h"

frmFind::frmFind(frmMain *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmFind"));
}
