#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// How search compares text: each UTF-16 unit is replaced by one unit, so
// positions in folded text are positions in the text itself.
namespace TextFolding {

// Full-width forms U+FF01-U+FF5E as their ASCII counterparts; with
// `caseless`, then Unicode simple case folding as well.
char16_t fold(char16_t c, bool caseless);
// Folds text in place.
void foldInPlace(QString *text, bool caseless);
// CR LF and a lone CR become LF, in place.
void normalizeLineBreaks(QString *text);

// Every code-page-936 byte sequence (one or two bytes) of a character
// that folds to the same unit as `c`.
QVector<QByteArray> encodingsOf(char16_t c, bool caseless);

} // namespace TextFolding
