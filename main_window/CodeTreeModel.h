#pragma once

#include "SkippedFile.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QFont>
#include <QIcon>
#include <QVector>

class FileList;
struct LibraryScan;

// The library tree: category nodes at the top level, code nodes under
// them. Every node has a key, unique across the whole tree (case-
// sensitive); a category's key is its name, a code's key is its name.
//
// Code names and file names are kept back to back in two pools, and codes
// are found by name through an open-addressing table of code numbers, so a
// library of 100,000 codes costs a few allocations.
class CodeTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        KeyRole = Qt::UserRole + 1,
        ImageKeyRole, // "Closed" for categories, "Code" for codes
        SelectedImageKeyRole, // "Open" for categories, "Code" for codes
        FileNameRole, // the file a code node was read from or last written to
    };

    // A code to hang into the tree.
    struct NewCode {
        QString category;
        QString name;
        QByteArray fileName;
        QString displayFileName;
    };

    explicit CodeTreeModel(QObject *parent = nullptr);

    // Appends a category node; false when its key is taken.
    bool addCategory(const QString &name);
    // Appends a code node as the last child of its category; false, with
    // *error, when the name is empty or taken or the category is unknown.
    bool addCode(const NewCode &code, QString *error = nullptr);
    // Appends the codes that start-up read, in one model reset; those that
    // cannot be added are reported.
    void addCodes(const LibraryScan &scan, const FileList &files, QVector<SkippedFile> *rejected);
    // Moves an existing code under another category (appended last) and
    // records the file it was written to.
    bool updateCode(const QString &name, const QString &category, const QByteArray &fileName);
    // Takes a code node out of the tree.
    bool removeCode(const QString &name);
    // The codes whose node was read from or written to one of these files.
    QStringList codesInFiles(const QList<QByteArray> &fileNames) const;
    // The file of every code, categories in their order, codes as listed.
    QVector<QByteArray> fileNamesInTreeOrder() const;

    bool containsKey(const QString &key) const;
    QModelIndex indexOfKey(const QString &key) const;
    int codeCount() const { return int(m_codes.size()) - m_removed; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Code {
        quint32 nameOffset;
        quint32 fileOffset;
        quint16 nameLength;
        quint16 fileLength;
        qint32 category; // -1 once removed
    };
    struct Category {
        QString name;
        QVector<qint32> codes; // code numbers in child order
    };

    QStringView nameOf(qint32 code) const;
    QByteArray fileNameOf(qint32 code) const;
    int categoryOf(QStringView name) const;
    qint32 findCode(QStringView name) const;
    // What the placement rule asks of the tree's keys.
    auto isCategoryKey() const
    {
        return [this](QStringView name) { return categoryOf(name) >= 0; };
    }
    auto isCodeKey() const
    {
        return [this](QStringView name) { return findCode(name) >= 0; };
    }
    void appendCode(QStringView name, QByteArrayView fileName, int category);
    void growTable(qsizetype codes);
    void fillTable(qsizetype size);
    void insertIntoTable(qint32 code);

    QVector<Category> m_categories;
    QVector<Code> m_codes;
    QString m_names;
    QByteArray m_fileNames;
    QVector<qint32> m_table; // -1 for a free slot; size a power of two
    int m_removed = 0;
    QIcon m_categoryIcon;
    QIcon m_codeIcon;
    QFont m_boldFont;
};
