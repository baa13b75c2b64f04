#pragma once

#include <QString>
#include <QStringList>

// C0 and C1 control characters and DEL.
bool isControlCharacter(QChar c);

// The text with control characters (line breaks, NUL and the like) written
// as \xNN or \uNNNN, so that a report about a file stays one whole line.
QString printableText(const QString &text);

// The first ten lines of a list in a report, one per line, and then, if
// there are more, `more` with their number in all.
QString shortList(const QStringList &lines, const QString &more = QStringLiteral("……（共 %1 个）"));

// Writes one line about the program's work to stderr.
void logLine(const QString &line);

// Puts /dev/null in place of any of stdin, stdout and stderr that the
// program was started without, so that no file it opens later becomes one
// of them: a log line must never land in a code's file.
void openStandardStreams();
