#pragma once

#include "CodeRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A text file taken in as a code's texts.
//
// Decoding: UTF-8 (with or without a byte-order mark), UTF-16 LE or BE
// with a byte-order mark, or GBK (code page 936). Without a byte-order
// mark, bytes that are valid UTF-8 are UTF-8, else bytes that are valid
// GBK (every character maps back to the same bytes) are GBK; anything
// else, and any NUL character, is not text.
//
// Splitting: the name is the file's name without its folder and without
// its last extension (".asm"). Line breaks (CR LF, LF or CR) become CR LF,
// and one line break at the very end of the file is dropped.
// - A file that AsmText wrote (its first line is the comments heading,
//   then the declarations heading and the code heading follow, with only
//   `;` lines between them) gives back exactly the three texts: the lines
//   under each of the first two headings are comment lines, the rest after
//   the code heading is the code as it stands.
// - Any other file: its leading block of lines that begin with `;` is the
//   comments, the rest (after the blank lines that follow the block) is the
//   code; the declarations are empty.
// In a comment line the `;` and one space after it are removed.
//
// Reasons for a refusal are in Chinese and do not repeat the file's name.
struct ImportedText {
    QString name;
    QString comments;
    QString declarations;
    QString code;
};

namespace TextImport {

// The largest file taken in: four bytes for every byte that the comments,
// declarations and code of a code hold, which covers UTF-16 with a `; `
// before every line. A larger file cannot be a code.
constexpr qint64 kMaxFileSize = 4
    * (CodeRecord::width(CodeRecord::Comments) + CodeRecord::width(CodeRecord::Declarations)
        + CodeRecord::width(CodeRecord::Code));

// Reads the file at path: a folder, a missing, unreadable or special file,
// a file larger than kMaxFileSize or bytes that are not text are refused.
bool readFile(const QString &path, ImportedText *text, QString *error);
// Splits the bytes of the file `fileName` (a name or a path).
bool fromBytes(
    const QString &fileName, const QByteArray &bytes, ImportedText *text, QString *error);
// Decodes the bytes of a text file, byte-order mark removed; line breaks
// are left as they are.
bool decode(const QByteArray &bytes, QString *text, QString *error);
// Splits decoded text as described above (name aside).
ImportedText split(const QString &text);

// The texts of an imported file, in the order of the record's fields.
QStringList fieldTexts(const ImportedText &text, const QString &category);

} // namespace TextImport
