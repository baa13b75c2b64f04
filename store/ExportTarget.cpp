#include "ExportTarget.h"

#include "SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ExportTarget::~ExportTarget()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ExportTarget::open(const QString &folder, bool create, QString *error)
{
    if (create && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        *error = QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        *error = QStringLiteral("无法打开文件夹“%1”（%2）")
                     .arg(QDir::toNativeSeparators(folder), systemErrorText(errno));
    }
    return m_fd >= 0;
}

bool ExportTarget::exists(const QByteArray &fileName) const
{
    struct stat st;
    return fstatat(m_fd, fileName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int ExportTarget::createTemporary(QString *error)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = ".quillbank-export-" + QByteArray::number(qint64(getpid())) + '-'
            + QByteArray::number(counter++) + ".tmp";
        const int fd
            = openat(m_fd, m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                *error = QStringLiteral("无法写入（%1）").arg(systemErrorText(errno));
            return fd;
        }
    }
    *error = QStringLiteral("无法写入（%1）").arg(systemErrorText(EEXIST));
    return -1;
}

void ExportTarget::discard(int fd)
{
    ::close(fd);
    unlinkat(m_fd, m_temporary.constData(), 0);
}

bool ExportTarget::place(
    int fd, const QByteArray &fileName, bool replace, bool *taken, QString *error)
{
    *taken = false;
    if (::close(fd) != 0) {
        *error = QStringLiteral("写入失败（%1）").arg(systemErrorText(errno));
        unlinkat(m_fd, m_temporary.constData(), 0);
        return false;
    }
    const int result = replace
        ? renameat(m_fd, m_temporary.constData(), m_fd, fileName.constData())
        : renameat2(m_fd, m_temporary.constData(), m_fd, fileName.constData(), RENAME_NOREPLACE);
    if (result == 0)
        return true;
    *taken = errno == EEXIST;
    *error = *taken ? QStringLiteral("文件已存在") : systemErrorText(errno);
    unlinkat(m_fd, m_temporary.constData(), 0);
    return false;
}

bool ExportTarget::write(
    const QByteArray &fileName, const QByteArray &bytes, bool replace, bool *taken, QString *error)
{
    *taken = false;
    const int fd = createTemporary(error);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = QStringLiteral("写入失败（%1）").arg(systemErrorText(n < 0 ? errno : EIO));
            discard(fd);
            return false;
        }
        done += n;
    }
    return place(fd, fileName, replace, taken, error);
}
