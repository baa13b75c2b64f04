#include "frmSearch.h"

#include "CodeSearch.h"
#include "CodeTreeModel.h"
#include "LogLine.h"
#include "MatchDelegate.h"
#include "SearchJob.h"
#include "SearchResultsModel.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

namespace {

// From the last change of the query to its search.
constexpr int kDelayMs = 150;
// A search that has run this long tells how far it has got.
constexpr qint64 kProgressAfterMs = 200;

} // namespace

frmSearch::frmSearch(frmMain *owner)
    : QDialog(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("搜索全部代码"));
    resize(720, 420);
    createControls();
    m_delay = new QTimer(this);
    m_delay->setSingleShot(true);
    m_delay->setInterval(kDelayMs);
    connect(m_delay, &QTimer::timeout, this, &frmSearch::startSearch);
    m_poll = new QTimer(this);
    m_poll->setInterval(20);
    connect(m_poll, &QTimer::timeout, this, &frmSearch::checkJob);
}

frmSearch::~frmSearch() = default;

void frmSearch::createControls()
{
    m_txtSearch = new QLineEdit(this);
    m_chkCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    m_chkRegex = new QCheckBox(QStringLiteral("正则表达式"), this);
    m_lstResults = new QTreeView(this);
    m_lblCount = new QLabel(this);
    m_model = new SearchResultsModel(m_owner->codeTree(), this);
    m_lstResults->setModel(m_model);
    m_lstResults->setRootIsDecorated(false);
    m_lstResults->setUniformRowHeights(true);
    m_lstResults->setAllColumnsShowFocus(true);
    m_lstResults->setItemDelegateForColumn(3, new MatchDelegate(m_lstResults));
    m_lstResults->header()->setStretchLastSection(true);
    m_lstResults->header()->resizeSection(0, 160);
    const struct {
        QWidget *control;
        const char *name;
        const char *accessible;
    } controls[] = { { m_txtSearch, "txtSearch", "搜索内容" },
        { m_chkCase, "chkCase", "区分大小写" }, { m_chkRegex, "chkRegex", "正则表达式" },
        { m_lstResults, "lstResults", "搜索结果" }, { m_lblCount, "lblCount", "找到的代码数" } };
    for (const auto &c : controls) {
        c.control->setObjectName(QString::fromLatin1(c.name));
        c.control->setAccessibleName(QString::fromUtf8(c.accessible));
    }
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_txtSearch, 0, 0, 1, 3);
    layout->addWidget(m_chkCase, 1, 0);
    layout->addWidget(m_chkRegex, 1, 1);
    layout->setColumnStretch(2, 1);
    layout->addWidget(m_lstResults, 2, 0, 1, 3);
    layout->addWidget(m_lblCount, 3, 0, 1, 3);

    connect(m_txtSearch, &QLineEdit::textChanged, this, &frmSearch::scheduleSearch);
    connect(m_txtSearch, &QLineEdit::returnPressed, this, &frmSearch::startSearch);
    connect(m_chkCase, &QCheckBox::toggled, this, &frmSearch::scheduleSearch);
    connect(m_chkRegex, &QCheckBox::toggled, this, &frmSearch::scheduleSearch);
    connect(m_lstResults, &QTreeView::activated, this, &frmSearch::activateRow);
    connect(m_lstResults->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { activateRow(current); });
    // The rows name the tree's codes: a change of the tree outdates them.
    const CodeTreeModel *tree = m_owner->codeTree();
    connect(tree, &QAbstractItemModel::rowsInserted, this, &frmSearch::treeChanged);
    connect(tree, &QAbstractItemModel::rowsRemoved, this, &frmSearch::treeChanged);
    connect(tree, &QAbstractItemModel::rowsMoved, this, &frmSearch::treeChanged);
    connect(tree, &QAbstractItemModel::dataChanged, this, &frmSearch::treeChanged);
}

void frmSearch::treeChanged()
{
    m_model->clear();
    m_lblCount->clear();
    m_lblCount->setToolTip({});
    scheduleSearch();
}

void frmSearch::keyPressEvent(QKeyEvent *event)
{
    // The pattern's box leaves Down to its window.
    if (event->key() == Qt::Key_Down && m_txtSearch->hasFocus() && m_model->rowCount() > 0) {
        m_lstResults->setFocus();
        m_lstResults->setCurrentIndex(m_model->index(0, 0));
    } else {
        QDialog::keyPressEvent(event);
    }
}

void frmSearch::abandonSearch()
{
    m_job.reset(); // waits for its thread, which ends within one chunk
    m_poll->stop();
}

void frmSearch::scheduleSearch()
{
    // A change abandons the search that runs.
    abandonSearch();
    m_delay->start();
}

void frmSearch::startSearch()
{
    m_delay->stop();
    abandonSearch();
    CodeSearch search;
    QString error;
    if (!search.setQuery(
            m_txtSearch->text(), { m_chkCase->isChecked(), m_chkRegex->isChecked() }, &error)) {
        m_model->clear();
        m_lblCount->setText(error);
        return;
    }
    if (search.matchesNothing()) {
        m_model->clear();
        m_lblCount->clear();
        return;
    }
    // The codes in the tree's order, those added during this run included.
    const CodeTreeModel *tree = m_owner->codeTree();
    m_job = std::make_unique<SearchJob>(
        search, m_owner->libraryFolder(), tree->fileNamesInTreeOrder());
    m_jobStarted = QDateTime::currentMSecsSinceEpoch();
    m_poll->start();
}

void frmSearch::checkJob()
{
    if (!m_job)
        return;
    if (m_job->isDone()) {
        m_poll->stop();
        takeResults();
    } else if (QDateTime::currentMSecsSinceEpoch() - m_jobStarted > kProgressAfterMs) {
        m_lblCount->setText(
            tr("正在搜索……已查看 %1 / %2 个代码").arg(m_job->progress()).arg(m_job->total()));
    }
}

void frmSearch::takeResults()
{
    const std::unique_ptr<SearchJob> done = std::move(m_job);
    CodeSearch::Results &results = done->results();
    const qsizetype found = results.hits.size();
    QString text = found == 0 ? tr("没有找到") : tr("找到 %1 个代码").arg(found);
    QStringList unreadable;
    for (const SkippedFile &file : results.unreadable)
        unreadable << tr("%1：%2").arg(printableText(file.fileName), printableText(file.reason));
    if (!unreadable.isEmpty())
        text += tr("，%1 个文件无法读取").arg(unreadable.size());
    m_lblCount->setText(text);
    m_lblCount->setToolTip(unreadable.join(u'\n'));
    m_model->setResults(std::move(results));
}

void frmSearch::activateRow(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QModelIndex row = index.siblingAtColumn(0);
    m_owner->showFoundCode(row.data().toString(), row.data(SearchResultsModel::FieldRole).toInt(),
        row.data(SearchResultsModel::TextOffsetRole).toInt(),
        row.data(SearchResultsModel::TextLengthRole).toInt());
}
