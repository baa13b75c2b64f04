#pragma once

#include "SkippedFile.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QVector>

// The library tree: category nodes at the top level, code nodes under
// them. Every node has a key, unique across the whole tree (case-
// sensitive); a category's key is its name, a code's key is its name.
class CodeTreeModel : public QAbstractItemModel
{
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
    // Appends many codes in one model reset; rejected ones are reported.
    void addCodes(QVector<NewCode> codes, QVector<SkippedFile> *rejected);
    // Moves an existing code under another category (appended last) and
    // records the file it was written to.
    bool updateCode(const QString &name, const QString &category, const QByteArray &fileName);

    bool containsKey(const QString &key) const { return m_keys.contains(key); }
    QModelIndex indexOfKey(const QString &key) const;
    int codeCount() const { return m_codeCount; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct CodeNode {
        QString name;
        QByteArray fileName;
    };
    struct CategoryNode {
        QString name;
        QVector<CodeNode> codes;
    };

    // Why a code cannot be added, or an empty string when it can.
    QString refusal(const NewCode &code, int *category) const;
    int rowOf(int category, const QString &name) const;

    static constexpr int kCategoryKey = -1;

    QVector<CategoryNode> m_categories;
    QHash<QString, int> m_keys; // key -> category index, or kCategoryKey
    int m_codeCount = 0;
    QIcon m_categoryIcon;
    QIcon m_codeIcon;
    QFont m_boldFont;
};
