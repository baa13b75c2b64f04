#pragma once

#include <QString>

// C0 and C1 control characters and DEL.
bool isControlCharacter(QChar c);

// The text with control characters (line breaks, NUL and the like) written
// as \xNN or \uNNNN, so that a report about a file stays one whole line.
QString printableText(const QString &text);

// Writes one line about the program's work to stderr.
void logLine(const QString &line);
