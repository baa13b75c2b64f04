// Start-up and the code viewer of the main window.
#include "Categories.h"
#include "CodeRecord.h"
#include "CodeTreeModel.h"
#include "FileList.h"
#include "LibraryFolder.h"
#include "LibraryScan.h"
#include "LogLine.h"
#include "PaneText.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeView>
#include <unistd.h>

void frmMain::BuildCategoryTree()
{
    for (const QString &name : Categories::treeOrder())
        m_model->addCategory(name);
}

void frmMain::Form_Load(const QByteArray &nativeLibraryFolder)
{
    // The folder is opened once from the bytes of its path; the file list
    // and every write then go through the open folder, so that a name that
    // is not UTF-8 cannot lead anywhere else.
    QString error;
    const bool listed = !nativeLibraryFolder.isEmpty()
        && m_library->open(nativeLibraryFolder, &error)
        && m_lstFiles->setFolder(m_library->path(), &error);
    BuildCategoryTree();
    if (nativeLibraryFolder.isEmpty()) {
        m_loadProblem = tr("无法确定程序所在的文件夹，找不到代码库文件夹“Codes”。"
                           "新代码不会保存到别处。");
    } else if (!listed) {
        m_loadProblem = tr("无法打开代码库文件夹“%1”：%2")
                            .arg(QDir::toNativeSeparators(m_library->displayPath()), error);
    }
    if (!m_loadProblem.isEmpty())
        logLine(m_loadProblem);
    for (const QByteArray &stale : m_lstFiles->staleTemporaryFiles())
        ::unlink(m_lstFiles->pathOf(stale).constData());

    m_skipped = m_lstFiles->skipped();
    {
        const LibraryScan scan = LibraryScan::read(*m_lstFiles);
        m_skipped += scan.skipped;
        m_model->addCodes(scan, *m_lstFiles, &m_skipped);
    }
    m_lstFiles->releaseEntries();
    updateCodeCount();
    for (const SkippedFile &skipped : m_skipped)
        logLine(tr("跳过文件“%1”：%2").arg(skipped.fileName, skipped.reason));
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
    if (!m_reported) {
        m_reported = true;
        if (!m_loadProblem.isEmpty() || !m_skipped.isEmpty())
            QMetaObject::invokeMethod(this, &frmMain::reportSkippedFiles, Qt::QueuedConnection);
    }
}

// Tells the user, without holding up the program, what start-up passed over.
void frmMain::reportSkippedFiles()
{
    auto *box
        = new QMessageBox(QMessageBox::Warning, windowTitle(), QString(), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("msgSkippedFiles"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setTextFormat(Qt::PlainText);
    QStringList lines;
    if (!m_loadProblem.isEmpty())
        lines << printableText(m_loadProblem);
    if (!m_skipped.isEmpty()) {
        lines << tr("载入代码库时跳过了 %1 个文件，这些文件未列入代码树：").arg(m_skipped.size());
        QStringList named;
        QStringList all;
        for (const SkippedFile &skipped : m_skipped) {
            const QString fileName = printableText(skipped.fileName);
            const QString reason = printableText(skipped.reason);
            named << tr("“%1”：%2").arg(fileName, reason);
            all << tr("%1：%2").arg(fileName, reason);
        }
        lines << shortList(named, tr("……（共 %1 个，详见“详细信息”）"));
        box->setDetailedText(all.join(u'\n'));
    }
    box->setText(lines.join(u'\n'));
    box->show();
}

void frmMain::showCodeTexts(const CodeRecord &record)
{
    m_txtComments->setPlainText(PaneText::fromField(record.field(CodeRecord::Comments)));
    m_txtDeclarations->setPlainText(PaneText::fromField(record.field(CodeRecord::Declarations)));
    m_txtCode->setPlainText(PaneText::fromField(record.field(CodeRecord::Code)));
}

bool frmMain::readCode(const QModelIndex &node, CodeRecord *record, QString *error) const
{
    const QByteArray fileName = node.data(CodeTreeModel::FileNameRole).toByteArray();
    return modProgramVars::ReadCodeRecord(m_lstFiles->pathOf(fileName), record, error);
}

void frmMain::tvCodes_NodeClick(const QModelIndex &node)
{
    if (node.data(CodeTreeModel::ImageKeyRole).toString() != QLatin1String("Code"))
        return;
    CodeRecord record;
    QString error;
    if (!readCode(node, &record, &error)) {
        const QString message = tr("无法读取代码“%1”：%2").arg(node.data().toString(), error);
        setPanel1Text(message);
        logLine(message);
        return;
    }
    showCodeTexts(record);
    setPanel1Text(QStringLiteral("Code: ") + trimmedSpaces(record.field(CodeRecord::Category)));
}

void frmMain::onCurrentNodeChanged(const QModelIndex &current)
{
    // A mouse press also moves the current node; its click shows the code.
    if (QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    tvCodes_NodeClick(current);
}
