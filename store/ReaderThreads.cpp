#include "ReaderThreads.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <pthread.h>
#include <sys/resource.h>
#include <vector>

namespace ReaderThreads {

namespace {

    // Below this many entries a second thread costs more than it saves.
    constexpr int kTwoThreadsFrom = 512;
    // Reading a file from the page cache takes a few microseconds, or some
    // tens on a busy machine; a chunk that took this long per file waited
    // on a disk that the system does not count as one, such as a network's.
    constexpr qint64 kSlowNanosecondsPerFile = 200000;

    // Blocks this thread has read from a disk so far.
    long blocksRead()
    {
        struct rusage usage;
        return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
    }

} // namespace

void forEachChunk(
    int count, int chunkSize, const std::function<void(int chunk, int begin, int end)> &work)
{
    const int chunks = chunkCount(count, chunkSize);
    std::atomic<int> next { 0 };
    // Runs the next chunk; false when none is left. *slow tells whether
    // the chunk waited on the disk.
    const auto runChunk = [&](bool *slow) {
        const int chunk = next.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= chunks)
            return false;
        const int begin = chunk * chunkSize;
        const int end = qMin(count, begin + chunkSize);
        QElapsedTimer timer;
        timer.start();
        const long blocks = slow ? blocksRead() : 0;
        work(chunk, begin, end);
        if (slow) {
            *slow = blocksRead() > blocks
                || timer.nsecsElapsed() > kSlowNanosecondsPerFile * (end - begin);
        }
        return true;
    };
    const auto helper = [](void *arg) -> void * {
        const auto &run = *static_cast<const decltype(runChunk) *>(arg);
        while (run(nullptr)) { }
        return nullptr;
    };
    // With the page cache warm, two threads use the two cores; once the
    // disk is seen to be slow, many threads keep many reads in flight.
    // When the system refuses a thread, fewer do the same work.
    std::vector<pthread_t> helpers;
    const auto grow = [&](int threads) {
        threads = qMin(threads, chunks);
        while (int(helpers.size()) + 1 < threads) {
            pthread_t thread;
            if (pthread_create(&thread, nullptr, helper,
                    const_cast<void *>(static_cast<const void *>(&runChunk)))
                != 0)
                return;
            helpers.push_back(thread);
        }
    };
    if (count >= kTwoThreadsFrom && QThread::idealThreadCount() > 1)
        grow(2);
    bool slow = false;
    while (runChunk(&slow)) {
        if (slow)
            grow(kMaxThreads);
    }
    for (pthread_t thread : helpers)
        pthread_join(thread, nullptr);
}

} // namespace ReaderThreads
