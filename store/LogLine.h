#pragma once

#include <QString>

// The text with control characters (line breaks, NUL and the like) written
// as \xNN or \uNNNN, so that a report about a file stays one whole line.
QString printableText(const QString &text);

// Writes one line about the program's work to stderr.
void logLine(const QString &line);
