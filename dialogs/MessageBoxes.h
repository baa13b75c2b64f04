#pragma once

#include <QString>

class QWidget;

// Modal message boxes with Chinese button texts, whatever the system's
// language.
namespace MessageBoxes {

void warning(QWidget *parent, const QString &title, const QString &text);
void information(QWidget *parent, const QString &title, const QString &text);
// True when the user answers Yes; No is the default answer.
bool question(QWidget *parent, const QString &title, const QString &text);

} // namespace MessageBoxes
