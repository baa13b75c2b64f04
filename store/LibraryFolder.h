#pragma once

#include "FileStamp.h"

#include <QByteArray>
#include <QString>

class CodeRecord;

// The library folder, opened once from the bytes of its path and held
// open, so that whatever bytes its name holds every write lands in it.
// Writers of one folder, in this program or another copy of it, take turns:
// each holds an exclusive flock() on the folder while it writes.
class LibraryFolder {
public:
    enum Outcome {
        Saved,
        NameTaken, // a new code's file name was taken in the meantime
        Changed, // the file to replace is no longer the one agreed to
        Failed,
    };

    LibraryFolder() = default;
    ~LibraryFolder();
    LibraryFolder(const LibraryFolder &) = delete;
    LibraryFolder &operator=(const LibraryFolder &) = delete;

    // The folder Codes beside the running program, as bytes.
    static bool besideProgram(QByteArray *folder, QString *error);

    bool open(const QByteArray &nativePath, QString *error);
    bool isOpen() const { return m_fd >= 0; }
    // A path to the open folder that every path-based call accepts.
    QString path() const;
    // The folder's path for messages.
    QString displayPath() const;

    // The file that writing `fileName` would replace, as it is now.
    bool stamp(const QByteArray &fileName, FileStamp *stamp, QString *error) const;

    // Writes the record as `fileName`. `agreed` is the file the user agreed
    // to replace (not existing: a new file, placed without replacing
    // anything). On NameTaken and Changed, *found is the file as it is now.
    // A link to a file inside the folder is written through; any other link
    // is refused.
    Outcome save(const CodeRecord &record, const QByteArray &fileName, const FileStamp &agreed,
        FileStamp *found, QString *error);

private:
    struct Target;
    bool checkOpen(QString *error) const;
    bool resolve(const QByteArray &fileName, Target *target, QString *error) const;
    bool lock(QString *error) const;

    int m_fd = -1;
    QByteArray m_nativePath;
};
