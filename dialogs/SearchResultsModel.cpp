#include "SearchResultsModel.h"

#include "CodeRecord.h"

void SearchResultsModel::setRows(QVector<Row> rows, QString lines)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_lines = std::move(lines);
    endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SearchResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant SearchResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    const CodeSearch::Hit &hit = row.hit;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 0:
            return row.name;
        case 1:
            return row.category;
        case 2:
            return CodeRecord::fieldTitle(CodeRecord::Field(hit.field));
        default:
            return QStringView(m_lines).mid(hit.lineOffset, hit.lineLength).toString();
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
