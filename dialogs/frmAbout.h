#pragma once

#include "ModalDialog.h"

#include <QPixmap>

class QLabel;
class QPushButton;

// The About box: the program's name, version and date, and a notice.
class frmAbout : public ModalDialog {
    Q_OBJECT
public:
    explicit frmAbout(frmMain *owner);

    void Command1_Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *createImage(const char *name, float left, float top);

    QPixmap m_star;
    QLabel *m_label2 = nullptr;
    QPushButton *m_command1 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_image2 = nullptr;
    QLabel *m_image1 = nullptr;
};
