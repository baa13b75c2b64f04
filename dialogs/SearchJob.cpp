#include "SearchJob.h"

SearchJob::SearchJob(const CodeSearch &search, const QString &folder, QVector<QByteArray> fileNames)
    : m_search(search)
    , m_folder(folder)
    , m_fileNames(std::move(fileNames))
{
    m_thread = std::thread([this] {
        m_results = m_search.run(m_folder, m_fileNames, &m_cancel, &m_progress);
        m_done.store(true);
    });
}

SearchJob::~SearchJob()
{
    m_cancel.store(true);
    m_thread.join();
}
