#pragma once

#include <QString>

class QWidget;

// Modal message boxes with Chinese button texts, whatever the system's
// language.
namespace MessageBoxes {

void warning(QWidget *parent, const QString &title, const QString &text);
// A warning that tells of a failure, which stderr gets too, in one line.
void failure(QWidget *parent, const QString &title, const QString &text);
// Details, when given, are behind the box's "详细信息" button.
void information(
    QWidget *parent, const QString &title, const QString &text, const QString &details = QString());
// True when the user answers Yes; No is the default answer.
bool question(QWidget *parent, const QString &title, const QString &text);
// The same with other captions for Yes and No.
bool choice(QWidget *parent, const QString &title, const QString &text, const QString &yesText,
    const QString &noText);

} // namespace MessageBoxes
