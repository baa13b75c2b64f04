#include "TreeMenu.h"

#include "Categories.h"
#include "CodeExport.h"
#include "CodeRecord.h"
#include "CodeTreeModel.h"
#include "LibraryFolder.h"
#include "MessageBoxes.h"
#include "PaneText.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QTreeView>
#include <QUrl>

namespace {

bool isCode(const QModelIndex &node)
{
    return node.data(CodeTreeModel::ImageKeyRole).toString() == QLatin1String("Code");
}

bool isCategory(const QModelIndex &node)
{
    return node.isValid() && !isCode(node);
}

// Every text of a code under its heading, as the panes show them, each
// ending in one line break.
QString allTexts(const CodeRecord &record)
{
    const auto line = [&](CodeRecord::Field field) {
        return CodeRecord::fieldTitle(field) + QStringLiteral("：")
            + trimmedSpaces(record.field(field)) + u'\n';
    };
    QStringList parts { line(CodeRecord::Name) + line(CodeRecord::Category) };
    for (const CodeRecord::Field field :
        { CodeRecord::Comments, CodeRecord::Declarations, CodeRecord::Code }) {
        QString text = PaneText::shown(record.field(field));
        if (!text.endsWith(u'\n'))
            text += u'\n';
        parts << CodeRecord::fieldTitle(field) + QStringLiteral("：\n") + text;
    }
    return parts.join(u'\n');
}

} // namespace

TreeMenu::TreeMenu(frmMain *window, QTreeView *tree)
    : QObject(tree)
    , m_window(window)
    , m_tree(tree)
    , m_menu(new QMenu(tree))
    , m_export(new CodeExport(window))
{
    m_menu->setObjectName(QStringLiteral("mnuTree"));
    m_copyCode
        = createAction("mnuCopyCode", tr("复制代码"), QKeySequence::Copy, &TreeMenu::copyCode);
    m_copyAll = createAction("mnuCopyAll", tr("复制全部文字"), {}, &TreeMenu::copyAll);
    m_newFromCode = createAction("mnuNewFromCode", tr("以此代码新建…"),
        QKeySequence(Qt::CTRL | Qt::Key_E), &TreeMenu::newFromCode);
    m_exportCode = createAction("mnuExportCode", tr("导出为文本文件…"), {}, &TreeMenu::exportCode);
    m_showInFolder
        = createAction("mnuShowInFolder", tr("在文件管理器中显示"), {}, &TreeMenu::showInFolder);
    m_newInCategory
        = createAction("mnuNewInCategory", tr("新建代码…"), {}, &TreeMenu::newInCategory);
    m_exportCategory
        = createAction("mnuExportCategory", tr("导出本类代码…"), {}, &TreeMenu::exportCategory);
    m_searchAll = createAction("mnuSearchAll", tr("搜索全部代码…"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), nullptr);
    connect(m_searchAll, &QAction::triggered, window, &frmMain::showSearchWindow);

    // The shortcuts of the code's entries act in the tree only; the main
    // window owns the search window's.
    m_tree->addActions({ m_copyCode, m_newFromCode });
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &TreeMenu::updateEntries);
}

TreeMenu::~TreeMenu()
{
    delete m_export;
}

QAction *TreeMenu::createAction(const char *name, const QString &text, const QKeySequence &shortcut,
    void (TreeMenu::*handler)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

QList<QAction *> TreeMenu::entriesFor(const QModelIndex &node) const
{
    if (isCode(node))
        return { m_copyCode, m_copyAll, nullptr, m_newFromCode, nullptr, m_exportCode,
            m_showInFolder, nullptr, m_searchAll };
    if (isCategory(node))
        return { m_newInCategory, m_exportCategory, nullptr, m_searchAll };
    return { m_searchAll };
}

void TreeMenu::updateEntries()
{
    const QModelIndex current = m_tree->currentIndex();
    for (QAction *action : { m_copyCode, m_copyAll, m_newFromCode, m_exportCode, m_showInFolder })
        action->setEnabled(isCode(current));
    for (QAction *action : { m_newInCategory, m_exportCategory })
        action->setEnabled(isCategory(current));
}

void TreeMenu::popup(const QModelIndex &node, const QPoint &globalPos)
{
    if (node.isValid() && node != m_tree->currentIndex())
        m_tree->setCurrentIndex(node);
    m_menu->clear();
    for (QAction *entry : entriesFor(node)) {
        if (entry)
            m_menu->addAction(entry);
        else
            m_menu->addSeparator();
    }
    m_menu->popup(globalPos);
}

bool TreeMenu::eventFilter(QObject *watched, QEvent *event)
{
    // The tree's parts send events while the tree itself is destroyed.
    if (event->type() != QEvent::ContextMenu && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    QWidget *viewport = m_tree->viewport();
    const auto atCurrent = [&] {
        const QModelIndex current = m_tree->currentIndex();
        QRect rect = m_tree->visualRect(current);
        if (!rect.intersects(viewport->rect()))
            rect = QRect();
        // Below the node's picture, leaving its name in view.
        const QPoint place
            = rect.isNull() ? QPoint() : rect.bottomLeft() + QPoint(rect.height(), 0);
        popup(current, viewport->mapToGlobal(place));
        return true;
    };
    if (event->type() == QEvent::ContextMenu) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (watched != viewport || menuEvent->reason() == QContextMenuEvent::Keyboard)
            return atCurrent();
        popup(m_tree->indexAt(menuEvent->pos()), menuEvent->globalPos());
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched == m_tree) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)
            return atCurrent();
    }
    return QObject::eventFilter(watched, event);
}

bool TreeMenu::readCurrentCode(CodeRecord *record)
{
    const QModelIndex node = m_tree->currentIndex();
    if (!isCode(node))
        return false;
    QString error;
    if (m_window->readCode(node, record, &error))
        return true;
    const QString message = tr("无法读取代码“%1”：%2").arg(node.data().toString(), error);
    MessageBoxes::failure(m_window, m_window->windowTitle(), message);
    return false;
}

void TreeMenu::copyCode()
{
    CodeRecord record;
    if (readCurrentCode(&record))
        QGuiApplication::clipboard()->setText(PaneText::shown(record.field(CodeRecord::Code)));
}

void TreeMenu::copyAll()
{
    CodeRecord record;
    if (readCurrentCode(&record))
        QGuiApplication::clipboard()->setText(allTexts(record));
}

void TreeMenu::newFromCode()
{
    CodeRecord record;
    if (!readCurrentCode(&record))
        return;
    // The texts as the file holds them, so that nothing changes unseen; a
    // category the list lacks is the one the tree shows the code under.
    QStringList texts;
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        texts << PaneText::withoutPadding(record.field(CodeRecord::Field(f)));
    texts[CodeRecord::Category] = trimmedSpaces(texts[CodeRecord::Category]);
    if (!Categories::contains(texts[CodeRecord::Category]))
        texts[CodeRecord::Category] = m_tree->currentIndex().parent().data().toString();
    m_window->newCodeDialog()->setTexts(texts);
    m_window->showNewCodeDialog();
}

void TreeMenu::exportCode()
{
    m_export->exportCode(m_tree->currentIndex());
}

void TreeMenu::showInFolder()
{
    LibraryFolder *library = m_window->library();
    const QUrl folder = QUrl::fromLocalFile(library->displayPath());
    if (library->isOpen() && QDesktopServices::openUrl(folder))
        return;
    const QString message = tr("无法在文件管理器中打开代码库文件夹“%1”。")
                                .arg(folder.toDisplayString(QUrl::PreferLocalFile));
    MessageBoxes::failure(m_window, m_window->windowTitle(), message);
}

void TreeMenu::newInCategory()
{
    const QModelIndex node = m_tree->currentIndex();
    if (!isCategory(node))
        return;
    m_window->newCodeDialog()->pickCategory(node.data().toString());
    m_window->showNewCodeDialog();
}

void TreeMenu::exportCategory()
{
    const QModelIndex node = m_tree->currentIndex();
    if (isCategory(node))
        m_export->exportCategory(node);
}
