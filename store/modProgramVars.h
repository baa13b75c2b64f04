#pragma once

#include "CodeRecord.h"

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <functional>

struct stat;

// Reading and writing code files. Paths are native (file-system bytes), so
// that files whose names are not UTF-8 can still be read.
namespace modProgramVars {

// Writes the record as the whole content of the file at path, replacing an
// existing file in one step: the file always holds either the complete old
// record or the complete new one. On failure nothing changes and *error
// says why.
bool SaveCodeRecord(const CodeRecord &record, const QByteArray &path, QString *error);
bool SaveCodeRecord(const CodeRecord &record, const QString &path, QString *error);

// Where and how SaveFileAt and SaveCodeRecordAt write.
struct SaveTarget {
    int dirFd = AT_FDCWD; // the folder, held open
    QByteArray folder; // the folder's path, when dirFd is AT_FDCWD
    QByteArray fileName;
    bool noReplace = false; // place a new file only, never replace one
    const struct stat *keepAccessOf = nullptr; // permissions and owner to keep
    // Asked once the record is on disk, just before it is put in place;
    // false stops the write.
    std::function<bool()> stillAsAgreed;
};
enum class SaveResult { Saved, NameTaken, Stopped, Failed };
// SaveCodeRecord with the choices above. NameTaken: a file of that name
// appeared (noReplace); Stopped: stillAsAgreed said no. Nothing changes
// unless the result is Saved.
SaveResult SaveCodeRecordAt(const CodeRecord &record, const SaveTarget &target, QString *error);

// Writes what `content` writes into the descriptor it is given as the
// whole new file, with the choices and results above; `content` returns
// false, with errno set, when it cannot write it all.
using FileContent = std::function<bool(int fd)>;
SaveResult SaveFileAt(const SaveTarget &target, const FileContent &content, QString *error);
// Writes all of `bytes` to fd; false, with errno set, when it cannot.
bool WriteAll(int fd, const QByteArray &bytes);

// Reads the record of the file at path. Never creates a file, never blocks
// on a special file.
bool ReadCodeRecord(const QByteArray &path, CodeRecord *record, QString *error);
// The first `characters` characters of one field of a record of which the
// first `got` bytes are in `record`, padding included.
QString FieldPrefix(
    const char *record, qsizetype got, CodeRecord::Field field, qsizetype characters);

// Reads the first RecordSize bytes of the file `name` in the folder open
// as `dirFd` into buffer; *got tells how many the file had.
bool ReadRecordBytesAt(int dirFd, const char *name, char *buffer, qsizetype *got, QString *error);

// The file name of the code called `codeName`.
QString CodeFileName(const QString &codeName);

// Whether a code name can safely become a file name in the library folder
// on any system; *reason says why not.
bool CheckCodeName(const QString &codeName, QString *reason);

// Hidden temporary files that SaveCodeRecord creates next to their target.
bool IsTemporaryFileName(const QByteArray &fileName);
// True when the temporary file's writer is no longer running.
bool IsStaleTemporaryFileName(const QByteArray &fileName);

} // namespace modProgramVars
