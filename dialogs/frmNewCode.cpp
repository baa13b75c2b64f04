#include "frmNewCode.h"

frmNewCode::frmNewCode(frmMain *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmNewCode"));
}
