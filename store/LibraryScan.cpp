#include "LibraryScan.h"

#include "Categories.h"
#include "CodePage936.h"
#include "CodeRecord.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "ReaderThreads.h"
#include "modProgramVars.h"

#include <algorithm>
#include <array>
#include <memory>
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

constexpr int kNameWidth = CodeRecord::width(CodeRecord::Name);

// What a reading thread keeps of one file until the calling thread takes
// it: one block for all files, so that the many small pieces of a large
// library leave no holes in memory once it is gone.
struct Head {
    char16_t name[kNameWidth];
    quint8 nameLength;
    qint8 category; // as in CodeHead
    bool read; // false when the file could not be read
};

// What is rare enough to be kept per chunk: files that could not be read
// and categories that are none of the eight.
struct ChunkExtras {
    QVector<SkippedFile> skipped;
    QHash<qint32, QString> otherCategories;
    QHash<qint32, qint64> shortFiles;
};

// Reads entries [begin, end) of the list into heads[begin, end).
void readRange(
    const FileList &files, int dirFd, int begin, int end, Head *heads, ChunkExtras *extras)
{
    const auto &categories = encodedCategories();
    char buffer[CodeRecord::RecordSize];
    QString name;
    for (int i = begin; i < end; ++i) {
        Head &head = heads[i];
        qsizetype got = 0;
        QString error;
        head.read = modProgramVars::ReadRecordBytesAt(
            dirFd, files.fileName(i).data(), buffer, &got, &error);
        if (!head.read) {
            extras->skipped.append({ files.name(i), error });
            continue;
        }
        if (got < CodeRecord::RecordSize)
            extras->shortFiles.insert(i, got);
        // Absent bytes read as spaces, which trimming removes.
        const auto field = [&](CodeRecord::Field f) {
            const qsizetype start = CodeRecord::offset(f);
            const qsizetype available
                = qBound(qsizetype(0), got - start, qsizetype(CodeRecord::width(f)));
            return trimmedBytes(buffer + start, available);
        };
        const QByteArrayView category = field(CodeRecord::Category);
        const auto known = std::find(categories.begin(), categories.end(), category);
        head.category = known == categories.end() ? -1 : qint8(known - categories.begin());
        if (head.category < 0) {
            extras->otherCategories.insert(
                i, CodePage936::decode(category.data(), category.size()));
        }
        const QByteArrayView nameBytes = field(CodeRecord::Name);
        name.clear();
        CodePage936::decodeAppend(nameBytes.data(), nameBytes.size(), &name);
        head.nameLength = quint8(qMin<qsizetype>(name.size(), kNameWidth));
        std::copy_n(name.utf16(), head.nameLength, head.name);
    }
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
    std::unique_ptr<Head[]> heads(new Head[size_t(n)]);
    std::vector<ChunkExtras> extras(size_t(ReaderThreads::chunkCount(n, kChunkSize)));
    ReaderThreads::forEachChunk(n, kChunkSize, [&](int chunk, int begin, int end) {
        readRange(files, dirFd, begin, end, heads.get(), &extras[size_t(chunk)]);
    });
    // Joined in list order.
    scan.codes.reserve(n);
    for (int i = 0; i < n; ++i) {
        const Head &head = heads[i];
        if (!head.read)
            continue;
        const quint32 offset = quint32(scan.names.size());
        scan.names.append(reinterpret_cast<const QChar *>(head.name), head.nameLength);
        scan.codes.append({ i, offset, head.nameLength, head.category });
    }
    for (ChunkExtras &chunk : extras) {
        scan.skipped += chunk.skipped;
        scan.otherCategories.insert(chunk.otherCategories);
        scan.shortFiles.insert(chunk.shortFiles);
    }
    return scan;
}
