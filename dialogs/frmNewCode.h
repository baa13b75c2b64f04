#pragma once

#include "ModalDialog.h"

class frmNewCode : public ModalDialog
{
    Q_OBJECT
public:
    explicit frmNewCode(frmMain *owner);
};
