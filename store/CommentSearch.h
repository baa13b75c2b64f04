#pragma once

#include "CodeRecord.h"
#include "SkippedFile.h"

#include <QString>
#include <QVector>

class FileList;

// The search of the Find dialog: the first listed file whose Comments field
// begins with a text. Files are read ahead on several threads, but the
// answer is the one a reading in list order gives: the first match, and
// the files before it that could not be read. Each file is read once, and
// the record found is the one those same bytes hold.
struct CommentSearch {
    int found = -1; // the entry that matched, or -1
    CodeRecord record; // its record
    QVector<SkippedFile> unreadable; // files before it (or all) that could not be read

    static CommentSearch run(const FileList &files, const QString &text);
};
