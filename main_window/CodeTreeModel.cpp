#include "CodeTreeModel.h"

#include <QPixmap>

namespace {
// A code node's internal id is its category's row plus one; a category
// node's is zero.
constexpr quintptr kCategoryId = 0;
} // namespace

CodeTreeModel::CodeTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{
    m_categoryIcon.addPixmap(QPixmap(QStringLiteral(":/images/closed.xpm")), QIcon::Normal);
    m_categoryIcon.addPixmap(QPixmap(QStringLiteral(":/images/open.xpm")), QIcon::Selected);
    m_codeIcon.addPixmap(QPixmap(QStringLiteral(":/images/code.xpm")));
    m_boldFont.setBold(true);
}

bool CodeTreeModel::addCategory(const QString &name)
{
    if (name.isEmpty() || m_keys.contains(name))
        return false;
    const int row = int(m_categories.size());
    beginInsertRows({}, row, row);
    m_categories.append({ name, {} });
    m_keys.insert(name, kCategoryKey);
    endInsertRows();
    return true;
}

QString CodeTreeModel::refusal(const NewCode &code, int *category) const
{
    if (code.name.isEmpty())
        return tr("名称为空");
    const auto found = m_keys.constFind(code.category);
    if (found == m_keys.cend() || found.value() != kCategoryKey)
        return tr("种类“%1”不存在").arg(code.category);
    if (m_keys.contains(code.name))
        return tr("名称“%1”与已有的节点重复").arg(code.name);
    for (int i = 0; i < m_categories.size(); ++i) {
        if (m_categories[i].name == code.category)
            *category = i;
    }
    return {};
}

bool CodeTreeModel::addCode(const NewCode &code, QString *error)
{
    int category = -1;
    const QString why = refusal(code, &category);
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    QVector<CodeNode> &codes = m_categories[category].codes;
    const int row = int(codes.size());
    beginInsertRows(index(category, 0), row, row);
    codes.append({ code.name, code.fileName });
    m_keys.insert(code.name, category);
    ++m_codeCount;
    endInsertRows();
    return true;
}

void CodeTreeModel::addCodes(QVector<NewCode> codes, QVector<SkippedFile> *rejected)
{
    beginResetModel();
    m_keys.reserve(m_keys.size() + codes.size());
    for (NewCode &code : codes) {
        int category = -1;
        const QString why = refusal(code, &category);
        if (!why.isEmpty()) {
            rejected->append({ code.displayFileName, why });
            continue;
        }
        m_categories[category].codes.append({ code.name, std::move(code.fileName) });
        m_keys.insert(code.name, category);
        ++m_codeCount;
    }
    endResetModel();
}

int CodeTreeModel::rowOf(int category, const QString &name) const
{
    const QVector<CodeNode> &codes = m_categories[category].codes;
    for (int row = 0; row < codes.size(); ++row) {
        if (codes[row].name == name)
            return row;
    }
    return -1;
}

bool CodeTreeModel::updateCode(const QString &name, const QString &category,
                               const QByteArray &fileName)
{
    const auto found = m_keys.constFind(name);
    const auto target = m_keys.constFind(category);
    if (found == m_keys.cend() || found.value() == kCategoryKey || target == m_keys.cend()
        || target.value() != kCategoryKey)
        return false;
    const int from = found.value();
    const int row = rowOf(from, name);
    int to = from;
    for (int i = 0; i < m_categories.size(); ++i) {
        if (m_categories[i].name == category)
            to = i;
    }
    if (to == from) {
        m_categories[from].codes[row].fileName = fileName;
        const QModelIndex changed = index(row, 0, index(from, 0));
        emit dataChanged(changed, changed, { FileNameRole });
        return true;
    }
    const int destination = int(m_categories[to].codes.size());
    beginMoveRows(index(from, 0), row, row, index(to, 0), destination);
    CodeNode node = m_categories[from].codes.takeAt(row);
    node.fileName = fileName;
    m_categories[to].codes.append(node);
    m_keys.insert(name, to);
    endMoveRows();
    return true;
}

QModelIndex CodeTreeModel::indexOfKey(const QString &key) const
{
    const auto found = m_keys.constFind(key);
    if (found == m_keys.cend())
        return {};
    if (found.value() == kCategoryKey) {
        for (int i = 0; i < m_categories.size(); ++i) {
            if (m_categories[i].name == key)
                return index(i, 0);
        }
        return {};
    }
    return index(rowOf(found.value(), key), 0, index(found.value(), 0));
}

QModelIndex CodeTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kCategoryId);
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex CodeTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kCategoryId)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kCategoryId);
}

int CodeTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_categories.size());
    if (parent.column() != 0 || parent.internalId() != kCategoryId)
        return 0;
    return int(m_categories[parent.row()].codes.size());
}

int CodeTreeModel::columnCount(const QModelIndex &) const { return 1; }

Qt::ItemFlags CodeTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != kCategoryId)
        result |= Qt::ItemNeverHasChildren;
    return result;
}

QVariant CodeTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == kCategoryId) {
        const CategoryNode &node = m_categories[index.row()];
        switch (role) {
        case Qt::DisplayRole:
        case KeyRole:
            return node.name;
        case Qt::DecorationRole:
            return m_categoryIcon;
        case Qt::FontRole:
            return m_boldFont;
        case ImageKeyRole:
            return QStringLiteral("Closed");
        case SelectedImageKeyRole:
            return QStringLiteral("Open");
        default:
            return {};
        }
    }
    const CodeNode &node = m_categories[int(index.internalId() - 1)].codes[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case KeyRole:
        return node.name;
    case Qt::DecorationRole:
        return m_codeIcon;
    case ImageKeyRole:
    case SelectedImageKeyRole:
        return QStringLiteral("Code");
    case FileNameRole:
        return node.fileName;
    default:
        return {};
    }
}
