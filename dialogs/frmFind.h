#pragma once

#include "ModalDialog.h"

class FileList;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Find dialog: shows in the main window's panes the first code in the
// library folder whose comments begin with the typed text. Enter in the
// text box finds, as the Find button does; Escape cancels, as Cancel does.
class frmFind : public ModalDialog {
    Q_OBJECT
public:
    explicit frmFind(frmMain *owner);

    void reject() override;

    void Command1_Click();
    void Command2_Click();

signals:
    // Sent by a search that showed no code, with what to tell the user
    // once the dialog has gone, and the files it could not read (one a
    // line; empty when it read them all).
    void nothingFound(const QString &message, const QString &details);

private:
    QLabel *m_label1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QLabel *m_label2 = nullptr;
    FileList *m_file1 = nullptr;
};
