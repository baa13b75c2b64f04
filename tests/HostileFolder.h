#pragma once

#include "CodeRecord.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

// Entries of library folders that a careless program would stop, hang or
// lose data on. Names are native bytes.
namespace HostileFolder {

inline QByteArray path(const QString &folder, const QByteArray &fileName)
{
    return QFile::encodeName(folder) + '/' + fileName;
}

// The content of the file at a native path (empty when unreadable).
inline QByteArray readRaw(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

// Removes a folder with all it holds, whatever the names' encoding, which
// QTemporaryDir cannot do for names that are not UTF-8.
inline void removeTree(const QString &folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), ignored);
}

inline QByteArray code(const QString &name, const QString &category = QStringLiteral("其他"),
    const QString &comments = {})
{
    return TestLibrary::bytes(TestLibrary::record(
        name, category, comments, QStringLiteral("DECL EQU 1"), QStringLiteral("MOV AX,BX")));
}

inline bool makeFifo(const QString &folder, const QByteArray &fileName)
{
    return ::mkfifo(path(folder, fileName).constData(), 0644) == 0;
}

inline bool makeDirectory(const QString &folder, const QByteArray &fileName)
{
    return ::mkdir(path(folder, fileName).constData(), 0755) == 0;
}

inline bool makeLink(const QString &folder, const QByteArray &fileName, const QByteArray &target)
{
    return ::symlink(target.constData(), path(folder, fileName).constData()) == 0;
}

// A record whose Name, Code, Declarations and Comments fields each end in
// a lone lead byte, while the next field starts with a byte that would be
// a valid trail byte: decoding across field ends would join the two.
// With alsoCategory, the Category field ends in one too.
inline QByteArray leadBytesAtFieldEnds(bool alsoCategory)
{
    QByteArray raw = TestLibrary::bytes(TestLibrary::record(QStringLiteral("lead"),
        QStringLiteral("其他"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")));
    for (CodeRecord::Field field : { CodeRecord::Name, CodeRecord::Code, CodeRecord::Declarations,
             CodeRecord::Comments, CodeRecord::Category }) {
        if (field != CodeRecord::Category || alsoCategory)
            raw[CodeRecord::offset(field) + CodeRecord::width(field) - 1] = '\x81';
    }
    return raw;
}

// What such a field reads as: its text, spaces, then U+FFFD at the end.
inline QString leadField(const QString &text, int width)
{
    return text + QString(width - text.size() - 1, u' ') + QChar(0xFFFD);
}

} // namespace HostileFolder

// Faults that the file layer meets between listing a folder and reading
// its files: each victim file gets one, through the file layer's seam.
// Victims are known by their file names, whether opened by path or by
// name within their folder. Not for use by more than one thread.
class HostileHooks {
public:
    enum Fault {
        Unopenable, // open fails with EACCES
        RemovedBeforeRead, // removed just before it is opened
        FifoBeforeRead, // replaced by a FIFO just before it is opened
        DirectoryBeforeRead, // replaced by a directory just before it is opened
        ReplacedBeforeRead, // replaced by another code just before it is opened
        ShrunkBeforeRead, // cut to 100 bytes once it is open
        ReadError, // every read fails with EIO
        InterruptedReads, // every other read fails with EINTR
        TrickleReads, // each read returns one byte
    };

    explicit HostileHooks(ScopedFileOps *ops)
    {
        ops->open = [this](const char *path, int flags, mode_t mode) {
            return open(AT_FDCWD, path, flags, mode);
        };
        ops->openat = [this](int dirFd, const char *path, int flags, mode_t mode) {
            return open(dirFd, path, flags, mode);
        };
        ops->pread = [this](int fd, void *buffer, size_t size, off_t offset) {
            return pread(fd, buffer, size, offset);
        };
        ops->close = [this](int fd) {
            m_openVictims.remove(fd);
            return ScopedFileOps::system().close(fd);
        };
    }

    void add(const QByteArray &fileName, Fault fault) { m_victims.insert(fileName, fault); }

    // What a ReplacedBeforeRead victim holds after it was replaced.
    static QByteArray replacement()
    {
        return HostileFolder::code(QStringLiteral("after"), QStringLiteral("逻辑操作"));
    }

private:
    int open(int dirFd, const char *path, int flags, mode_t mode)
    {
        const QByteArray given(path);
        const QByteArray key = given.mid(given.lastIndexOf('/') + 1);
        const auto found = m_victims.constFind(key);
        if (found == m_victims.cend())
            return ScopedFileOps::system().openat(dirFd, path, flags, mode);
        const Fault fault = found.value();
        const bool first = !m_struck.contains(key);
        m_struck.insert(key, true);
        if (fault == Unopenable)
            return errno = EACCES, -1;
        if (first && fault == RemovedBeforeRead)
            ::unlinkat(dirFd, path, 0);
        if (first && fault == FifoBeforeRead)
            ::unlinkat(dirFd, path, 0), ::mkfifoat(dirFd, path, 0644);
        if (first && fault == DirectoryBeforeRead)
            ::unlinkat(dirFd, path, 0), ::mkdirat(dirFd, path, 0755);
        if (first && fault == ReplacedBeforeRead) {
            const QByteArray next = given + ".next";
            const QByteArray bytes = replacement();
            const int fd = ::openat(dirFd, next.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::write(fd, bytes.constData(), size_t(bytes.size()));
            ::close(fd);
            ::renameat(dirFd, next.constData(), dirFd, path);
        }
        const int fd = ScopedFileOps::system().openat(dirFd, path, flags, mode);
        if (fd >= 0) {
            m_openVictims.insert(fd, fault);
            if (first && fault == ShrunkBeforeRead) {
                const int writer = ::openat(dirFd, path, O_WRONLY | O_CLOEXEC);
                ::ftruncate(writer, 100);
                ::close(writer);
            }
        }
        return fd;
    }

    ssize_t pread(int fd, void *buffer, size_t size, off_t offset)
    {
        const auto found = m_openVictims.constFind(fd);
        if (found != m_openVictims.cend()) {
            switch (found.value()) {
            case ReadError:
                return errno = EIO, -1;
            case InterruptedReads:
                if (++m_reads % 2 == 1)
                    return errno = EINTR, -1;
                break;
            case TrickleReads:
                size = qMin<size_t>(size, 1);
                break;
            default:
                break;
            }
        }
        return ScopedFileOps::system().pread(fd, buffer, size, offset);
    }

    QHash<QByteArray, Fault> m_victims;
    QHash<QByteArray, bool> m_struck;
    QHash<int, Fault> m_openVictims;
    int m_reads = 0;
};
