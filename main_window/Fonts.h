#pragma once

class QFont;

// The program's fonts, by the families it was designed with. Families
// that a system lacks are mapped to installed look-alikes by
// installSubstitutions().
namespace Fonts {

void installSubstitutions();

QFont windowFont(); // Tahoma 9.75 pt bold
QFont textFont(); // Tahoma 9.75 pt, lines of one height with or without Chinese
QFont treeFont(); // SimSun 9.75 pt
QFont noticeFont(); // Tahoma 12 pt

} // namespace Fonts
