#pragma once

#include "LibraryCatalog.h"
#include "LibraryFolder.h"

#include <QString>

// The library a command works on: the folder Codes beside the running
// quillbank-cli, or the one given with --library, held open, and what
// start-up would make of it.
class CliLibrary {
public:
    // False, with *error, when the folder cannot be opened or listed.
    bool open(const QString &folder, QString *error);

    LibraryFolder &folder() { return m_folder; }
    // A path to the open folder for reading its files.
    QString path() const { return m_folder.path(); }
    const LibraryCatalog &catalog() const { return m_catalog; }

    // Reads the first record's worth of bytes of a file of the folder.
    bool readBytes(const QByteArray &fileName, QByteArray *bytes, QString *error) const;

private:
    LibraryFolder m_folder;
    LibraryCatalog m_catalog;
};
