#include "FileDrop.h"

#include "AddStep.h"
#include "CodeRecord.h"
#include "LibraryAdd.h"
#include "LogLine.h"
#include "MessageBoxes.h"
#include "TextImport.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QTreeView>

namespace {

QString title()
{
    return FileDrop::tr("拖入文件");
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Why a file was not added when a question about it was answered no.
QString declined(AddStep::Question question)
{
    switch (question) {
    case AddStep::CutTexts:
        return FileDrop::tr("内容超出了保存的长度，没有截断");
    case AddStep::SaveChanged:
        return FileDrop::tr("要替换的文件在保存前被改动了，没有保存");
    default:
        return FileDrop::tr("已有同名的代码或文件，没有替换");
    }
}

} // namespace

FileDrop::FileDrop(frmMain *window, QTreeView *tree)
    : QObject(tree)
    , m_window(window)
    , m_tree(tree)
{
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->viewport()->installEventFilter(this);
}

QString FileDrop::categoryAt(const QDropEvent *event) const
{
    if (!event->mimeData()->hasUrls() || !(event->possibleActions() & Qt::CopyAction))
        return {};
    QModelIndex node = m_tree->indexAt(event->position().toPoint());
    if (node.parent().isValid())
        node = node.parent();
    return node.data().toString();
}

void FileDrop::highlight(const QModelIndex &node)
{
    if (node == m_highlighted)
        return;
    m_highlighted = node;
    const QModelIndex shown = node.isValid() ? node : m_tree->currentIndex();
    m_tree->selectionModel()->select(shown, QItemSelectionModel::ClearAndSelect);
}

bool FileDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        // Only a copy is taken, so that no file manager removes a file.
        const bool target = !categoryAt(drag).isEmpty();
        highlight(target ? m_tree->indexAt(drag->position().toPoint()) : QModelIndex());
        drag->setDropAction(Qt::CopyAction);
        // Entering is allowed anywhere, so that moving on to a node is seen.
        drag->setAccepted(target || event->type() == QEvent::DragEnter);
        return true;
    }
    case QEvent::DragLeave:
        highlight({});
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        highlight({});
        const QString category = categoryAt(drop);
        if (category.isEmpty()) {
            drop->ignore();
            return true;
        }
        QStringList paths;
        for (const QUrl &url : drop->mimeData()->urls())
            paths << (url.isLocalFile() ? url.toLocalFile() : url.toDisplayString());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Handled once the file manager has been told the drop is done.
        QTimer::singleShot(0, this, [this, paths, category] { dropFiles(paths, category); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void FileDrop::dropFiles(const QStringList &paths, const QString &category)
{
    if (paths.size() == 1)
        addOne(paths.first(), category);
    else if (!paths.isEmpty())
        addSeveral(paths, category);
}

void FileDrop::addOne(const QString &path, const QString &category)
{
    ImportedText text;
    QString error;
    if (!TextImport::readFile(path, &text, &error)) {
        MessageBoxes::failure(
            m_window, title(), tr("无法加入文件“%1”：%2").arg(fileName(path), error));
        return;
    }
    m_window->newCodeDialog()->setTexts(TextImport::fieldTexts(text, category));
    m_window->showNewCodeDialog();
}

void FileDrop::addSeveral(const QStringList &paths, const QString &category)
{
    QStringList names;
    for (const QString &path : paths)
        names << fileName(path);
    if (!MessageBoxes::question(m_window, title(),
            tr("要把以下 %1 个文件作为代码加入“%2”吗？\n%3")
                .arg(paths.size())
                .arg(category, shortList(names))))
        return;

    QStringList added;
    QStringList refused;
    for (int i = 0; i < paths.size(); ++i) {
        ImportedText text;
        QString why;
        if (!TextImport::readFile(paths[i], &text, &why)) {
            refused << tr("“%1”：%2").arg(names[i], why);
            continue;
        }
        const AddStep step(TextImport::fieldTexts(text, category));
        AddStep::Question asked = AddStep::CutTexts;
        const AddStep::Outcome outcome = LibraryAdd::addCode(
            m_window, step,
            [&](AddStep::Question question, const QString &text) {
                asked = question;
                const QString about = tr("文件“%1”：\n%2").arg(names[i], text);
                return question == AddStep::CutTexts
                    ? MessageBoxes::choice(
                        m_window, title(), about, tr("截断后保存(&C)"), tr("不加入(&S)"))
                    : MessageBoxes::question(m_window, title(), about);
            },
            &why);
        if (outcome.result != AddStep::Saved)
            refused << tr("“%1”：%2")
                           .arg(names[i],
                               outcome.result == AddStep::Cancelled ? declined(asked)
                                                                    : outcome.reason);
        else if (!why.isEmpty())
            refused << tr("“%1”：%2").arg(names[i], why);
        else
            added << tr("“%1”成为代码“%2”%3")
                         .arg(names[i], step.name(),
                             outcome.cuts.isEmpty() ? QString() : tr("（已截断）"));
    }

    QStringList lines { tr("已加入“%1” %2 个代码。").arg(category).arg(added.size()) };
    if (!added.isEmpty())
        lines << shortList(added);
    if (!refused.isEmpty())
        lines << QString() << tr("没有加入 %1 个文件：").arg(refused.size()) << shortList(refused);
    MessageBoxes::information(m_window, title(), lines.join(u'\n'), (added + refused).join(u'\n'));
}
