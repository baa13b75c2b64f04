#pragma once

#include <functional>

// Reads many files with many requests in flight: runs work over the entries
// [0, count) of a list in chunks of consecutive entries, on the calling
// thread and threads of its own, and returns once all of them have ended.
// Two threads read while the files come from the page cache; as soon as a
// chunk is seen to wait on the disk, up to kMaxThreads do. Chunks are
// handed out in list order; work that is to stop ends each chunk it is
// given at once.
namespace ReaderThreads {

// The most threads reading at once, the calling thread included.
constexpr int kMaxThreads = 32;

// How many chunks forEachChunk makes of `count` entries.
inline int chunkCount(int count, int chunkSize)
{
    return (count + chunkSize - 1) / chunkSize;
}

void forEachChunk(
    int count, int chunkSize, const std::function<void(int chunk, int begin, int end)> &work);

} // namespace ReaderThreads
