// The main window's way into the search window.
#include "CodeRecord.h"
#include "CodeTreeModel.h"
#include "frmMain.h"
#include "frmSearch.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeView>

void frmMain::createSearchShortcut()
{
    auto *action = new QAction(QStringLiteral("搜索全部代码…"), this);
    action->setObjectName(QStringLiteral("actSearch"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    addAction(action);
    connect(action, &QAction::triggered, this, &frmMain::showSearchWindow);
}

void frmMain::showSearchWindow()
{
    if (!m_search)
        m_search = new frmSearch(this);
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void frmMain::showFoundCode(const QString &name, int field, int offset, int length)
{
    const QModelIndex node = m_model->indexOfKey(name);
    if (!node.isValid())
        return;
    m_tvCodes->setCurrentIndex(node); // scrolled to, its category opened
    tvCodes_NodeClick(node);
    QPlainTextEdit *pane = field == CodeRecord::Comments ? m_txtComments
        : field == CodeRecord::Declarations              ? m_txtDeclarations
        : field == CodeRecord::Code                      ? m_txtCode
                                                         : nullptr;
    if (!pane)
        return;
    QTextCursor cursor(pane->document());
    cursor.setPosition(offset);
    cursor.setPosition(offset + length, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
}
