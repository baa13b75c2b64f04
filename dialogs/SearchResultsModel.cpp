#include "SearchResultsModel.h"

#include "CodeRecord.h"
#include "CodeTreeModel.h"

#include <algorithm>

SearchResultsModel::SearchResultsModel(const CodeTreeModel *tree, QObject *parent)
    : QAbstractTableModel(parent)
    , m_tree(tree)
{
}

void SearchResultsModel::setResults(CodeSearch::Results results)
{
    beginResetModel();
    m_firstRows.clear();
    for (int c = 0, item = 0; c < m_tree->rowCount(); ++c) {
        m_firstRows << item;
        item += m_tree->rowCount(m_tree->index(c, 0));
    }
    m_results = std::move(results);
    endResetModel();
}

void SearchResultsModel::clear()
{
    setResults({});
}

QModelIndex SearchResultsModel::treeIndex(const CodeSearch::Hit &hit) const
{
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), hit.item);
    const int category = int(after - m_firstRows.begin()) - 1;
    return m_tree->index(hit.item - m_firstRows[category], 0, m_tree->index(category, 0));
}

int SearchResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_results.hits.size());
}

int SearchResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant SearchResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const CodeSearch::Hit &hit = m_results.hits[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 0:
            return treeIndex(hit).data();
        case 1:
            return treeIndex(hit).parent().data();
        case 2:
            return CodeRecord::fieldTitle(CodeRecord::Field(hit.field));
        default:
            return m_results.line(hit).toString();
        }
    case MatchStartRole:
        return int(hit.start);
    case MatchLengthRole:
        return int(hit.length);
    case FieldRole:
        return int(hit.field);
    case TextOffsetRole:
        return hit.textOffset;
    case TextLengthRole:
        return hit.textLength;
    default:
        return {};
    }
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3)
        return {};
    static const char *const titles[] = { "名称", "种类", "位置", "内容" };
    return QString::fromUtf8(titles[section]);
}
