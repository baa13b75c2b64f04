#pragma once

#include "CodeSearch.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <atomic>
#include <thread>

// One search running on a thread of its own. Destroying the job abandons
// the search and waits for its thread, which ends within one chunk.
class SearchJob {
public:
    SearchJob(const CodeSearch &search, const QString &folder, QVector<QByteArray> fileNames);
    ~SearchJob();
    SearchJob(const SearchJob &) = delete;
    SearchJob &operator=(const SearchJob &) = delete;

    bool isDone() const { return m_done.load(); }
    int progress() const { return m_progress.load(); }
    int total() const { return int(m_fileNames.size()); }
    // The results, once done.
    CodeSearch::Results &results() { return m_results; }

private:
    CodeSearch m_search;
    QString m_folder;
    QVector<QByteArray> m_fileNames;
    CodeSearch::Results m_results;
    std::atomic<bool> m_cancel { false };
    std::atomic<bool> m_done { false };
    std::atomic<int> m_progress { 0 };
    std::thread m_thread;
};
