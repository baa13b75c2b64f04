#pragma once

#include "SkippedFile.h"

#include <QString>
#include <QVector>

class FileList;

// What start-up needs of every code file: its trimmed Name and Category,
// in the order of the listing.
struct CodeHead {
    QString name;
    QString category;
    int entry; // index in the FileList
};

struct LibraryScan {
    QVector<CodeHead> codes;
    QVector<SkippedFile> skipped; // files that could not be read

    // Reads the head of every listed file, on as many threads as help.
    static LibraryScan read(const FileList &files);
};
