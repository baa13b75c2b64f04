#pragma once

#include "ModalDialog.h"

class frmFind : public ModalDialog
{
    Q_OBJECT
public:
    explicit frmFind(frmMain *owner);
};
