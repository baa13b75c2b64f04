#include "SearchBench.h"

#include "CodeSearch.h"
#include "CodeTreeModel.h"
#include "frmMain.h"
#include "frmSearch.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <malloc.h>

namespace {

const QString kNothing = QStringLiteral("没有这样的文字");

long heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return long(info.uordblks + info.hblkhd);
}

bool isFinal(const QString &text)
{
    return !text.isEmpty() && !text.startsWith(QStringLiteral("正在搜索"));
}

void waitForFinal(QLabel *count)
{
    QElapsedTimer timer;
    timer.start();
    while (!isFinal(count->text()) && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Searches for `query` at once (as Enter does) and waits for its result.
void searchNow(frmSearch *dialog, QLineEdit *text, QLabel *count, const QString &query)
{
    text->setText(query);
    count->clear();
    dialog->startSearch();
    waitForFinal(count);
}

void postKey(QWidget *target, QChar c)
{
    const bool enter = c == u'\n';
    const int key = enter ? int(Qt::Key_Return) : c.isSpace() ? int(Qt::Key_Space) : 0;
    const QString text = enter ? QStringLiteral("\r") : QString(c);
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

// The longest time the event loop was away, while it runs.
class StallWatch {
public:
    StallWatch()
    {
        m_tick.setInterval(1);
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_tick.start();
    }
    double longestMs() const { return double(m_longest) / 1e6; }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace

double searchWithoutMatch(frmMain *window)
{
    QElapsedTimer timer;
    timer.start();
    CodeSearch search;
    search.setQuery(kNothing, {});
    search.run(window->libraryFolder(), window->codeTree()->fileNamesInTreeOrder());
    return double(timer.nsecsElapsed()) / 1e6;
}

TypingMeasure typeIntoSearchWindow(frmMain *window)
{
    window->showSearchWindow();
    auto *dialog = window->findChild<frmSearch *>();
    auto *text = dialog->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    auto *count = dialog->findChild<QLabel *>(QStringLiteral("lblCount"));
    QAbstractItemModel *rows = dialog->findChild<QTreeView *>(QStringLiteral("lstResults"))->model();
    TypingMeasure measure;

    searchNow(dialog, text, count, kNothing); // the first search's one-time costs
    text->clear();
    QCoreApplication::processEvents();
    const long before = heapInUse();
    searchNow(dialog, text, count, kNothing);
    measure.bytesAfterNoMatch = heapInUse() - before;

    // Enter after each word: its search runs while the next keys come.
    const QString keys = QStringLiteral("MOV\n A\n 中断\n R1\n 没有\n");
    StallWatch watch;
    text->clear();
    text->setFocus();
    int next = 0;
    QTimer typist;
    typist.setInterval(80);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        if (next == keys.size() - 1)
            count->clear(); // what comes next is the last search's result
        postKey(text, keys.at(next++));
        if (next == keys.size())
            typist.stop();
    });
    typist.start();
    while (typist.isActive())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    waitForFinal(count);
    // A query every code matches, its rows shown.
    searchNow(dialog, text, count, QStringLiteral("MOV"));
    measure.longestStallMs = watch.longestMs();
    measure.rows = rows->rowCount();
    QCoreApplication::processEvents();
    measure.bytesPerRow = measure.rows ? double(heapInUse() - before) / measure.rows : 0;
    dialog->hide();
    return measure;
}
