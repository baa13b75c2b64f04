#include "LibraryFolder.h"

#include "FileList.h"
#include "FileOps.h"
#include "SystemError.h"
#include "modProgramVars.h"

#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileStamp stampOf(const struct stat &st)
{
    return { true, st.st_dev, st.st_ino, st.st_size,
        (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec };
}

// The target of a link, by bytes; empty when it cannot be read.
QByteArray readLink(const char *link)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = readlink(link, target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size())
        return {};
    target.truncate(n);
    return target;
}

// Where the open file or folder `fd` is now.
QByteArray realPathOf(int fd)
{
    return readLink(("/proc/self/fd/" + QByteArray::number(fd)).constData());
}

bool isInside(const QByteArray &path, const QByteArray &folder)
{
    return !folder.isEmpty() && path.startsWith(folder + '/');
}

} // namespace

// The file a write of one name lands in: the name itself, or the target
// of a link that stays inside the folder.
struct LibraryFolder::Target {
    int dirFd = -1;
    bool ownsDir = false;
    QByteArray name;
    ~Target()
    {
        if (ownsDir)
            ::close(dirFd);
    }
};

LibraryFolder::~LibraryFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LibraryFolder::besideProgram(QByteArray *folder, QString *error)
{
    const QByteArray program = readLink("/proc/self/exe");
    if (!program.startsWith('/')) {
        *error = QStringLiteral("无法确定程序所在的文件夹（%1）").arg(systemErrorText(errno));
        return false;
    }
    *folder = program.left(qMax<qsizetype>(program.lastIndexOf('/'), 0)) + "/Codes";
    return true;
}

bool LibraryFolder::open(const QByteArray &nativePath, QString *error)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_nativePath = nativePath;
    m_fd = ::open(nativePath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        *error = systemErrorText(errno);
    return m_fd >= 0;
}

QString LibraryFolder::path() const
{
    // A folder removed since it was opened is told as missing by its name.
    struct stat st;
    if (m_fd < 0 || fstat(m_fd, &st) != 0 || st.st_nlink == 0)
        return displayPath();
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

QString LibraryFolder::displayPath() const
{
    return FileList::decodeFileName(m_nativePath);
}

bool LibraryFolder::resolve(const QByteArray &fileName, Target *target, QString *error) const
{
    target->dirFd = m_fd;
    target->name = fileName;
    struct stat st;
    if (fstatat(m_fd, fileName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
        return true;

    *error = QStringLiteral("文件“%1”是一个链接，它指向的不是代码库文件夹中的文件，"
                            "程序不会通过它写入。")
                 .arg(FileList::decodeFileName(fileName));
    const int pathFd = openat(m_fd, fileName.constData(), O_PATH | O_CLOEXEC);
    if (pathFd < 0)
        return false;
    const bool regular = fstat(pathFd, &st) == 0 && S_ISREG(st.st_mode);
    const QByteArray real = realPathOf(pathFd);
    ::close(pathFd);
    const QByteArray folder = realPathOf(m_fd);
    if (!regular || !isInside(real, folder))
        return false;
    const qsizetype slash = real.lastIndexOf('/');
    target->name = real.mid(slash + 1);
    if (real.left(slash) == folder)
        return true;
    // A folder inside the library: checked again once open, in case it was
    // swapped for a link meanwhile.
    target->dirFd = ::open(real.left(slash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    target->ownsDir = target->dirFd >= 0;
    return target->ownsDir && isInside(realPathOf(target->dirFd), folder);
}

bool LibraryFolder::lock(QString *error) const
{
    // Another writer holds the lock only while it writes one file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (fileOps().flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *error = QStringLiteral("无法锁定代码库文件夹（%1）").arg(systemErrorText(errno));
            return false;
        }
        usleep(20000);
    }
    *error = QStringLiteral("另一个程序正在写入代码库文件夹，请稍后再试。");
    return false;
}

bool LibraryFolder::checkOpen(QString *error) const
{
    if (!isOpen())
        *error = QStringLiteral("代码库文件夹“%1”没有打开").arg(displayPath());
    return isOpen();
}

bool LibraryFolder::stamp(const QByteArray &fileName, FileStamp *stamp, QString *error) const
{
    *stamp = {};
    Target target;
    if (!checkOpen(error) || !resolve(fileName, &target, error))
        return false;
    struct stat st;
    if (fstatat(target.dirFd, target.name.constData(), &st, 0) == 0)
        *stamp = stampOf(st);
    return true;
}

LibraryFolder::Outcome LibraryFolder::save(const CodeRecord &record, const QByteArray &fileName,
    const FileStamp &agreed, FileStamp *found, QString *error)
{
    *found = {};
    Target target;
    if (!checkOpen(error) || !resolve(fileName, &target, error))
        return Failed;
    if (!lock(error))
        return Failed;
    const auto unlock = qScopeGuard([this] { fileOps().flock(m_fd, LOCK_UN); });

    struct stat old;
    const bool exists = fstatat(target.dirFd, target.name.constData(), &old, 0) == 0;
    *found = exists ? stampOf(old) : FileStamp();
    if (*found != agreed)
        return agreed.exists ? Changed : NameTaken;

    modProgramVars::SaveTarget where;
    where.dirFd = target.dirFd;
    where.fileName = target.name;
    where.noReplace = !agreed.exists;
    if (agreed.exists) {
        where.keepAccessOf = &old;
        where.stillAsAgreed = [&] {
            struct stat now;
            *found = fstatat(target.dirFd, target.name.constData(), &now, 0) == 0 ? stampOf(now)
                                                                                  : FileStamp();
            return *found == agreed;
        };
    }
    switch (modProgramVars::SaveCodeRecordAt(record, where, error)) {
    case modProgramVars::SaveResult::Saved:
        return Saved;
    case modProgramVars::SaveResult::NameTaken:
        stamp(fileName, found, error);
        return NameTaken;
    case modProgramVars::SaveResult::Stopped:
        return Changed;
    default:
        return Failed;
    }
}
