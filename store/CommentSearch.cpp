#include "CommentSearch.h"

#include "FileList.h"
#include "FolderHandle.h"
#include "ReaderThreads.h"
#include "modProgramVars.h"

#include <atomic>
#include <vector>

namespace {

// Few files per chunk, so that little is read past a match.
constexpr int kChunkSize = 16;

struct Chunk {
    QVector<SkippedFile> unreadable;
    int found = -1;
    QByteArray record; // the bytes read from the file found
};

} // namespace

CommentSearch CommentSearch::run(const FileList &files, const QString &text)
{
    const int n = files.count();
    const FolderHandle folder(files.folder());
    std::vector<Chunk> chunks(size_t(ReaderThreads::chunkCount(n, kChunkSize)));
    // The first entry known to match; files after it are not read.
    std::atomic<int> first { n };
    ReaderThreads::forEachChunk(n, kChunkSize, [&](int index, int begin, int end) {
        Chunk &chunk = chunks[size_t(index)];
        char buffer[CodeRecord::RecordSize];
        for (int i = begin; i < end && i < first.load(); ++i) {
            qsizetype got = 0;
            QString error;
            if (!modProgramVars::ReadRecordBytesAt(
                    folder.fd(), files.fileName(i).data(), buffer, &got, &error)) {
                chunk.unreadable.append({ files.name(i), error });
                continue;
            }
            if (modProgramVars::FieldPrefix(buffer, got, CodeRecord::Comments, text.size()) != text)
                continue;
            chunk.found = i;
            chunk.record = QByteArray(buffer, got);
            int seen = first.load();
            while (i < seen && !first.compare_exchange_weak(seen, i)) { }
            return;
        }
    });
    // Every chunk before the first match was read to its end.
    CommentSearch search;
    for (Chunk &chunk : chunks) {
        search.unreadable += chunk.unreadable;
        if (chunk.found >= 0) {
            search.found = chunk.found;
            search.record = CodeRecord::fromBytes(chunk.record.constData(), chunk.record.size());
            break;
        }
    }
    return search;
}
