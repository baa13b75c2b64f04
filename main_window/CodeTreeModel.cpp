#include "CodeTreeModel.h"

#include "CodePlacement.h"
#include "FileList.h"
#include "LibraryScan.h"

#include <QHashFunctions>
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
    growTable(0);
}

QStringView CodeTreeModel::nameOf(qint32 code) const
{
    const Code &c = m_codes[code];
    return QStringView(m_names).sliced(c.nameOffset, c.nameLength);
}

QByteArray CodeTreeModel::fileNameOf(qint32 code) const
{
    const Code &c = m_codes[code];
    return m_fileNames.sliced(c.fileOffset, c.fileLength);
}

int CodeTreeModel::categoryOf(QStringView name) const
{
    for (int i = 0; i < m_categories.size(); ++i) {
        if (m_categories[i].name == name)
            return i;
    }
    return -1;
}

qint32 CodeTreeModel::findCode(QStringView name) const
{
    const qsizetype mask = m_table.size() - 1;
    for (qsizetype slot = qHash(name) & mask;; slot = (slot + 1) & mask) {
        const qint32 code = m_table[slot];
        if (code < 0 || nameOf(code) == name)
            return code;
    }
}

void CodeTreeModel::insertIntoTable(qint32 code)
{
    const qsizetype mask = m_table.size() - 1;
    qsizetype slot = qHash(nameOf(code)) & mask;
    while (m_table[slot] >= 0)
        slot = (slot + 1) & mask;
    m_table[slot] = code;
}

// Keeps the table at most half full.
void CodeTreeModel::growTable(qsizetype codes)
{
    qsizetype size = 16;
    while (size < codes * 2)
        size *= 2;
    if (size > m_table.size())
        fillTable(size);
}

void CodeTreeModel::fillTable(qsizetype size)
{
    m_table = QVector<qint32>(size, -1);
    for (qint32 code = 0; code < m_codes.size(); ++code) {
        if (m_codes[code].category >= 0)
            insertIntoTable(code);
    }
}

bool CodeTreeModel::containsKey(const QString &key) const
{
    return categoryOf(key) >= 0 || findCode(key) >= 0;
}

bool CodeTreeModel::addCategory(const QString &name)
{
    if (name.isEmpty() || containsKey(name))
        return false;
    const int row = int(m_categories.size());
    beginInsertRows({}, row, row);
    m_categories.append({ name, {} });
    endInsertRows();
    return true;
}

void CodeTreeModel::appendCode(QStringView name, QByteArrayView fileName, int category)
{
    const qint32 code = qint32(m_codes.size());
    m_codes.append({ quint32(m_names.size()), quint32(m_fileNames.size()), quint16(name.size()),
        quint16(fileName.size()), category });
    m_names += name;
    m_fileNames += fileName;
    m_categories[category].codes.append(code);
    growTable(m_codes.size());
    insertIntoTable(code);
}

bool CodeTreeModel::addCode(const NewCode &code, QString *error)
{
    const int category = categoryOf(code.category);
    const QString why
        = CodePlacement::refusal(code.name, category, code.category, isCategoryKey(), isCodeKey());
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    const int row = int(m_categories[category].codes.size());
    beginInsertRows(index(category, 0), row, row);
    appendCode(code.name, code.fileName, category);
    endInsertRows();
    return true;
}

void CodeTreeModel::addCodes(
    const LibraryScan &scan, const FileList &files, QVector<SkippedFile> *rejected)
{
    beginResetModel();
    m_codes.reserve(m_codes.size() + scan.codes.size());
    m_names.reserve(m_names.size() + scan.names.size());
    growTable(m_codes.size() + scan.codes.size());
    for (const CodeHead &head : scan.codes) {
        const QString why = CodePlacement::refusalAtStartup(
            scan, head, int(m_categories.size()), isCategoryKey(), isCodeKey());
        if (!why.isEmpty()) {
            rejected->append({ files.name(head.entry), why });
            continue;
        }
        appendCode(scan.name(head), files.fileName(head.entry), head.category);
    }
    endResetModel();
}

bool CodeTreeModel::updateCode(
    const QString &name, const QString &category, const QByteArray &fileName)
{
    const qint32 code = findCode(name);
    const int to = categoryOf(category);
    if (code < 0 || to < 0)
        return false;
    if (fileNameOf(code) != fileName) {
        m_codes[code].fileOffset = quint32(m_fileNames.size());
        m_codes[code].fileLength = quint16(fileName.size());
        m_fileNames += fileName;
    }
    const int from = m_codes[code].category;
    const int row = int(m_categories[from].codes.indexOf(code));
    if (to == from) {
        const QModelIndex changed = index(row, 0, index(from, 0));
        emit dataChanged(changed, changed, { FileNameRole });
        return true;
    }
    const int destination = int(m_categories[to].codes.size());
    beginMoveRows(index(from, 0), row, row, index(to, 0), destination);
    m_categories[from].codes.removeAt(row);
    m_categories[to].codes.append(code);
    m_codes[code].category = to;
    endMoveRows();
    return true;
}

bool CodeTreeModel::removeCode(const QString &name)
{
    const qint32 code = findCode(name);
    if (code < 0)
        return false;
    const int category = m_codes[code].category;
    const int row = int(m_categories[category].codes.indexOf(code));
    beginRemoveRows(index(category, 0), row, row);
    m_categories[category].codes.removeAt(row);
    m_codes[code].category = -1;
    ++m_removed;
    endRemoveRows();
    // Open addressing cannot simply drop an entry: the table is rebuilt.
    fillTable(m_table.size());
    return true;
}

QStringList CodeTreeModel::codesInFiles(const QList<QByteArray> &fileNames) const
{
    QStringList names;
    for (qint32 code = 0; code < m_codes.size(); ++code) {
        if (m_codes[code].category >= 0 && fileNames.contains(fileNameOf(code)))
            names << nameOf(code).toString();
    }
    return names;
}

QVector<QByteArray> CodeTreeModel::fileNamesInTreeOrder() const
{
    QVector<QByteArray> names;
    names.reserve(codeCount());
    for (const Category &category : m_categories) {
        for (const qint32 code : category.codes)
            names << fileNameOf(code);
    }
    return names;
}

QModelIndex CodeTreeModel::indexOfKey(const QString &key) const
{
    if (const int category = categoryOf(key); category >= 0)
        return index(category, 0);
    const qint32 code = findCode(key);
    if (code < 0)
        return {};
    const int category = m_codes[code].category;
    return index(int(m_categories[category].codes.indexOf(code)), 0, index(category, 0));
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

int CodeTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

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
        const Category &node = m_categories[index.row()];
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
    const qint32 code = m_categories[int(index.internalId() - 1)].codes[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case KeyRole:
        return nameOf(code).toString();
    case Qt::DecorationRole:
        return m_codeIcon;
    case ImageKeyRole:
    case SelectedImageKeyRole:
        return QStringLiteral("Code");
    case FileNameRole:
        return fileNameOf(code);
    default:
        return {};
    }
}
