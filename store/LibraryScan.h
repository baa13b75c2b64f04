#pragma once

#include "SkippedFile.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <QVector>

class FileList;

// What start-up needs of every code file: its trimmed Name and which of the
// eight categories its trimmed Category names, in the order of the listing.
// The names are kept back to back in one string, so that a library of many
// codes costs few allocations.
struct CodeHead {
    qint32 entry; // index in the FileList
    quint32 nameOffset;
    quint16 nameLength;
    qint8 category; // index in Categories::treeOrder(), or -1
};

struct LibraryScan {
    QString names;
    QVector<CodeHead> codes;
    QVector<SkippedFile> skipped; // files that could not be read
    QHash<qint32, QString> otherCategories; // entry -> category that is none of the eight
    QHash<qint32, qint64> shortFiles; // entry -> size of a file shorter than a record

    QStringView name(const CodeHead &head) const
    {
        return QStringView(names).sliced(head.nameOffset, head.nameLength);
    }

    // Reads the head of every listed file, on as many threads as help.
    static LibraryScan read(const FileList &files);
};
