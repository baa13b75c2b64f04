#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class CodeRecord;

// A code as one readable, assemblable text (to be saved as UTF-8):
//
//   ;; 说明
//   ; first line of the comments
//   ;
//   ; third line (the second was empty)
//   ;; 声明
//   ; the declarations, line by line
//   ;; 代码
//   the code, as it stands
//
// The three headings are always there; each line of the comments and of
// the declarations is written after "; " (an empty line as ";"), an empty
// text as no line at all. The padding spaces at the end of each field are
// removed, line breaks are LF, and the text ends with a line break.
// TextImport reads this back into the same three texts whenever their line
// breaks are CR LF, as the program writes them.
namespace AsmText {

// The headings, as TextImport recognises them.
QString commentsHeading();
QString declarationsHeading();
QString codeHeading();

QString fromRecord(const CodeRecord &record);

// The text file's name for a code file: "x.cod" gives "x.asm" (".cod" in
// any letter case); a name without ".cod" gets ".asm" appended.
QByteArray fileNameFor(QByteArrayView codeFileName);

} // namespace AsmText
