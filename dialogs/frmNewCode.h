#pragma once

#include "ModalDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The New-code dialog: takes a name, a category and the three texts of a
// code, writes the code's file and hangs the code into the main window's
// tree.
class frmNewCode : public ModalDialog {
    Q_OBJECT
public:
    explicit frmNewCode(frmMain *owner);

    // Fills the controls with a code's texts, in the order of the record's
    // fields, as a file holds them (line breaks CR LF) without padding; a
    // category that is not in the list leaves none picked.
    void setTexts(const QStringList &texts);
    // Picks a category, leaving the other controls as they are.
    void pickCategory(const QString &category);

    void cmdAdd_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *createTextBox(const char *name, const QRect &geometry);
    // The texts entered, in the order of the record's fields.
    QStringList textsFromControls() const;
    void warn(const QString &text);
    bool ask(const QString &text);

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QLineEdit *m_txtName = nullptr;
    QComboBox *m_cmbCategory = nullptr;
    QPlainTextEdit *m_txtComments = nullptr;
    QPlainTextEdit *m_txtDeclarations = nullptr;
    QPlainTextEdit *m_txtCode = nullptr;
    QPushButton *m_cmdAdd = nullptr;
    QPushButton *m_cmdCancel = nullptr;
};
