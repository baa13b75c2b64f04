#pragma once

class QIcon;

// What makes the program a desktop program: its name for the desktop, its
// icon and Qt's own texts in Chinese.
namespace Desktop {

// The file name of the desktop entry, without ".desktop".
inline constexpr char kDesktopFileName[] = "quillbank";

// The window icon, three linked computers, in 32 x 32 and 16 x 16.
QIcon programIcon();

// Installs Qt's Chinese translations (buttons of message boxes, context
// menus of text boxes), whatever the user's locale, since the whole
// interface is Chinese. False when they cannot be found.
bool installQtTranslations();

} // namespace Desktop
