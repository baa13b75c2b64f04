#pragma once

#include "CodeRecord.h"

#include <QString>

class CliArguments;
class CliLibrary;
class CodeSearch;

// The commands of quillbank-cli; each returns its exit status.
namespace CliCommands {

// Opens the library and runs the command given.
int run(const CliArguments &arguments);

int list(const CliArguments &arguments, CliLibrary &library);
int show(const CliArguments &arguments, CliLibrary &library);
int search(const CliArguments &arguments, CliLibrary &library);
int check(const CliArguments &arguments, CliLibrary &library);
int exportLibrary(const CliArguments &arguments, CliLibrary &library);
int import(const CliArguments &arguments, CliLibrary &library);

// Sets the query of the search command; false, with *error, for an
// invalid pattern.
bool setQuery(const CliArguments &arguments, CodeSearch *search, QString *error);

} // namespace CliCommands
