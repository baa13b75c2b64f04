#include "CodeExport.h"

#include "AsmText.h"
#include "CodeRecord.h"
#include "CodeTreeModel.h"
#include "ExportTarget.h"
#include "LogLine.h"
#include "MessageBoxes.h"
#include "frmMain.h"

#include <QDir>
#include <QFileDialog>
#include <QProgressDialog>
#include <QStandardPaths>

namespace {

// The text file's name for a code node.
QString textFileName(const QModelIndex &node)
{
    return QFile::decodeName(
        AsmText::fileNameFor(node.data(CodeTreeModel::FileNameRole).toByteArray()));
}

// Where the first export's dialog opens: the documents folder, or the home
// folder on a system that has none.
QString firstFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo::exists(documents) ? documents : QDir::homePath();
}

} // namespace

CodeExport::CodeExport(frmMain *window)
    : m_window(window)
    , m_folder(firstFolder())
{
}

bool CodeExport::textOf(const QModelIndex &node, QByteArray *text, QString *error) const
{
    CodeRecord record;
    if (!m_window->readCode(node, &record, error))
        return false;
    *text = AsmText::fromRecord(record).toUtf8();
    return true;
}

bool CodeExport::write(const QModelIndex &node, const QString &path, QString *error) const
{
    QByteArray bytes;
    ExportTarget target;
    const QFileInfo file(path);
    return textOf(node, &bytes, error) && target.open(file.absolutePath(), false, error)
        && target.write(QFile::encodeName(file.fileName()), bytes, true, error);
}

void CodeExport::exportCode(const QModelIndex &node)
{
    // The save dialog asks before it lets a file be replaced.
    const QString path = QFileDialog::getSaveFileName(m_window, tr("导出为文本文件"),
        QDir(m_folder).filePath(textFileName(node)), tr("汇编源文件 (*.asm);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    QString error;
    if (write(node, path, &error))
        return;
    const QString message = tr("无法把代码“%1”导出到“%2”：%3")
                                .arg(node.data().toString(), QDir::toNativeSeparators(path), error);
    MessageBoxes::failure(m_window, tr("导出为文本文件"), message);
}

void CodeExport::exportCategory(const QModelIndex &category)
{
    const QString title = tr("导出本类代码");
    const QString folder = QFileDialog::getExistingDirectory(m_window, title, m_folder);
    if (folder.isEmpty())
        return;
    m_folder = folder;
    ExportTarget target;
    QString error;
    if (!target.open(folder, false, &error)) {
        MessageBoxes::failure(m_window, title, error);
        return;
    }
    const QAbstractItemModel *model = category.model();
    const int count = model->rowCount(category);
    QStringList existing;
    for (int row = 0; row < count; ++row) {
        const QString name = textFileName(model->index(row, 0, category));
        if (target.exists(QFile::encodeName(name)))
            existing << name;
    }
    const bool replace = existing.isEmpty()
        || MessageBoxes::choice(m_window, title,
            tr("文件夹“%1”中已有以下 %2 个文件：\n%3\n\n要替换它们吗？")
                .arg(QDir::toNativeSeparators(folder))
                .arg(existing.size())
                .arg(shortList(existing)),
            tr("替换(&R)"), tr("保留，不导出这些代码(&K)"));

    // Files are read one by one while the window goes on; Cancel stops.
    QProgressDialog progress(tr("正在导出……"), tr("取消"), 0, count, m_window);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QStringList kept;
    QStringList failed;
    QStringList written;
    for (int row = 0; row < count && !progress.wasCanceled(); ++row) {
        progress.setValue(row);
        const QModelIndex node = model->index(row, 0, category);
        const QString name = textFileName(node);
        if (!replace && existing.contains(name)) {
            kept << name;
            continue;
        }
        // Two code files may give one text file ("x" and "x.cod").
        error = written.contains(name) ? tr("另一个代码已导出为“%1”").arg(name) : QString();
        QByteArray text;
        bool taken = false; // a file that appeared since the question is kept
        if (error.isEmpty() && textOf(node, &text, &error)
            && target.write(QFile::encodeName(name), text, replace, &error, &taken)) {
            written << name;
        } else if (taken) {
            kept << name;
        } else {
            failed << tr("“%1”：%2").arg(node.data().toString(), error);
        }
    }
    progress.setValue(count);

    QStringList lines { tr("已把“%1”的 %2 个代码导出到文件夹“%3”。")
                            .arg(category.data().toString())
                            .arg(written.size())
                            .arg(QDir::toNativeSeparators(folder)) };
    if (!kept.isEmpty())
        lines << tr("保留了 %1 个已有的文件，没有导出这些代码。").arg(kept.size());
    if (!failed.isEmpty()) {
        lines << tr("以下 %1 个代码无法导出：").arg(failed.size()) << shortList(failed);
        for (const QString &line : failed)
            logLine(tr("无法导出代码%1").arg(line));
    }
    if (written.size() + kept.size() + failed.size() < count)
        lines << tr("导出已取消。");
    MessageBoxes::information(m_window, title, lines.join(u'\n'), failed.join(u'\n'));
}
