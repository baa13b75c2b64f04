#include "LibraryCatalog.h"

#include "Categories.h"
#include "CodePlacement.h"
#include "FileList.h"
#include "LibraryScan.h"

#include <QDir>
#include <QSet>
#include <QStringView>

bool LibraryCatalog::read(const QString &folder, QString *error)
{
    m_codes.clear();
    m_skipped.clear();
    FileList files;
    QString reason;
    if (!files.setFolder(folder, &reason)) {
        if (error) {
            *error = QStringLiteral("无法打开代码库文件夹“%1”：%2")
                         .arg(QDir::toNativeSeparators(folder), reason);
        }
        return false;
    }
    m_skipped = files.skipped();
    const LibraryScan scan = LibraryScan::read(files);
    m_skipped += scan.skipped;

    // Placed in listing order, as start-up hangs them into the tree; the
    // names are views into the scan, which outlives the set.
    const int categoryCount = int(Categories::treeOrder().size());
    QSet<QStringView> placed;
    QVector<QVector<const CodeHead *>> perCategory(categoryCount);
    for (const CodeHead &head : scan.codes) {
        const QString why = CodePlacement::refusalAtStartup(
            scan, head, categoryCount,
            [](QStringView name) { return Categories::treeOrder().contains(name); },
            [&placed](QStringView name) { return placed.contains(name); });
        if (!why.isEmpty()) {
            m_skipped.append({ files.name(head.entry), why });
            continue;
        }
        placed.insert(scan.name(head));
        perCategory[head.category].append(&head);
    }
    for (int category = 0; category < categoryCount; ++category) {
        for (const CodeHead *head : perCategory[category]) {
            m_codes.append({ scan.name(*head).toString(), category,
                files.fileName(head->entry).toByteArray() });
        }
    }
    return true;
}

const CatalogCode *LibraryCatalog::find(const QString &name) const
{
    for (const CatalogCode &code : m_codes) {
        if (code.name == name)
            return &code;
    }
    return nullptr;
}
