#pragma once

#include "CodeSearch.h"

#include <QAbstractTableModel>
#include <QVector>

class CodeTreeModel;

// The rows of the search window: one per matching code, in the tree's
// order, with the columns 名称, 种类, 位置 and 内容. A row holds only its
// hit; its name and category are the tree's, so the results must be
// replaced (or cleared) as soon as the tree changes.
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        MatchStartRole = Qt::UserRole + 1, // the match in the 内容 line
        MatchLengthRole,
        FieldRole, // CodeRecord::Field of the text the match lies in
        TextOffsetRole, // the match in that text as the pane shows it
        TextLengthRole,
    };

    explicit SearchResultsModel(const CodeTreeModel *tree, QObject *parent = nullptr);

    // Shows the results of a search over the tree's codes as they are now
    // (each hit's item counts the codes in the tree's order).
    void setResults(CodeSearch::Results results);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QModelIndex treeIndex(const CodeSearch::Hit &hit) const;

    const CodeTreeModel *m_tree;
    QVector<int> m_firstRows; // the item of each category's first code
    CodeSearch::Results m_results;
};
