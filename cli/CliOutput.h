#pragma once

#include "CodeRecord.h"

#include <QString>

class QJsonValue;

// What quillbank-cli prints: UTF-8 on stdout and stderr, whatever the
// locale, and its exit statuses.
namespace CliOutput {

enum ExitStatus {
    Done = 0,
    NothingOrProblems = 1, // nothing found, problems found, or something refused
    UsageError = 2,
    LibraryUnreadable = 3,
};

// One line on stdout.
void line(const QString &text);
// Text on stdout as it is.
void text(const QString &text);
// One JSON document on stdout.
void json(const QJsonValue &value);
// One line on stderr, after "quillbank-cli: ".
void error(const QString &text);
// A usage error: the message and a hint to the command's help.
int usageError(const QString &message, const QString &command);

// Text for one column of a tab-separated line: tabs, line breaks and
// other control characters written as \xNN.
QString column(const QString &text);

// A field's name on the command line: name, code, declarations, comments
// or category.
QString fieldKey(CodeRecord::Field field);

} // namespace CliOutput
