#pragma once

#include "ModalDialog.h"

class frmAbout : public ModalDialog
{
    Q_OBJECT
public:
    explicit frmAbout(frmMain *owner);
};
