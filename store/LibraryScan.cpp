#include "LibraryScan.h"

#include "Categories.h"
#include "CodePage936.h"
#include "CodeRecord.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "ReaderThreads.h"
#include "modProgramVars.h"

#include <array>
#include <vector>

namespace {

// Files read by one thread in a row; small enough that many requests are
// in flight on a cold disk, large enough that handing out stays cheap.
constexpr int kChunkSize = 32;

QByteArrayView trimmedBytes(const char *bytes, qsizetype size)
{
    qsizetype begin = 0;
    while (begin < size && bytes[begin] == ' ')
        ++begin;
    while (size > begin && bytes[size - 1] == ' ')
        --size;
    return QByteArrayView(bytes + begin, size - begin);
}

// The eight categories as they stand in a file.
const std::array<QByteArray, 8> &encodedCategories()
{
    static const std::array<QByteArray, 8> encoded = [] {
        std::array<QByteArray, 8> result;
        for (int i = 0; i < 8; ++i)
            CodePage936::encode(Categories::treeOrder().at(i), &result[i]);
        return result;
    }();
    return encoded;
}

// Reads entries [begin, end) of the list into *scan.
void readRange(const FileList &files, int dirFd, int begin, int end, LibraryScan *scan)
{
    const auto &categories = encodedCategories();
    scan->codes.reserve(end - begin);
    scan->names.reserve((end - begin) * 12);
    char buffer[CodeRecord::RecordSize];
    for (int i = begin; i < end; ++i) {
        qsizetype got = 0;
        QString error;
        if (!modProgramVars::ReadRecordBytesAt(
                dirFd, files.fileName(i).data(), buffer, &got, &error)) {
            scan->skipped.append({ files.name(i), error });
            continue;
        }
        // Absent bytes read as spaces, which trimming removes.
        const auto field = [&](CodeRecord::Field f) {
            const qsizetype start = CodeRecord::offset(f);
            const qsizetype available
                = qBound(qsizetype(0), got - start, qsizetype(CodeRecord::width(f)));
            return trimmedBytes(buffer + start, available);
        };
        const QByteArrayView category = field(CodeRecord::Category);
        qint8 index = -1;
        for (int c = 0; c < 8 && index < 0; ++c) {
            if (category == categories[c])
                index = qint8(c);
        }
        if (index < 0)
            scan->otherCategories.insert(i, CodePage936::decode(category.data(), category.size()));
        const QByteArrayView nameBytes = field(CodeRecord::Name);
        const quint32 offset = quint32(scan->names.size());
        CodePage936::decodeAppend(nameBytes.data(), nameBytes.size(), &scan->names);
        scan->codes.append({ i, offset, quint16(quint32(scan->names.size()) - offset), index });
    }
}

void append(LibraryScan *to, LibraryScan &&from)
{
    const quint32 shift = quint32(to->names.size());
    to->names += from.names;
    for (CodeHead head : from.codes) {
        head.nameOffset += shift;
        to->codes.append(head);
    }
    to->skipped += from.skipped;
    to->otherCategories.insert(from.otherCategories);
}

} // namespace

LibraryScan LibraryScan::read(const FileList &files)
{
    LibraryScan scan;
    const int n = files.count();
    const FolderHandle folder(files.folder());
    const int dirFd = folder.fd();
    if (dirFd < 0) {
        for (int i = 0; i < n; ++i)
            scan.skipped.append({ files.name(i), QStringLiteral("无法打开代码库文件夹") });
        return scan;
    }
    // Each chunk is read into a scan of its own; they are joined in list
    // order afterwards.
    std::vector<LibraryScan> chunks(size_t((n + kChunkSize - 1) / kChunkSize));
    ReaderThreads::forEachChunk(n, kChunkSize, [&](int chunk, int begin, int end) {
        readRange(files, dirFd, begin, end, &chunks[size_t(chunk)]);
        return true;
    });
    scan.codes.reserve(n);
    for (LibraryScan &chunk : chunks) {
        append(&scan, std::move(chunk));
        chunk = LibraryScan();
    }
    return scan;
}
