#pragma once

#include "SkippedFile.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What start-up makes of a library folder, without a window: the folder is
// listed (FileList), every file read (LibraryScan) and placed by the rule
// the tree follows (CodePlacement). Nothing in the folder is changed.
struct CatalogCode {
    QString name; // the trimmed Name, the tree's key
    int category; // index in Categories::treeOrder()
    QByteArray fileName; // as the file system holds it
};

class LibraryCatalog {
public:
    // False, with the message start-up gives, when the folder cannot be
    // listed; the catalog is then empty.
    bool read(const QString &folder, QString *error);

    // The codes in the tree's order: categories in their order, codes in
    // the order of the listing within each.
    const QVector<CatalogCode> &codes() const { return m_codes; }
    // Every file start-up would leave out of the tree, with its reason, in
    // the order start-up reports them.
    const QVector<SkippedFile> &skipped() const { return m_skipped; }
    // The code of that name, or null.
    const CatalogCode *find(const QString &name) const;

private:
    QVector<CatalogCode> m_codes;
    QVector<SkippedFile> m_skipped;
};
