#include "ExportTarget.h"

#include "FolderHandle.h"
#include "SystemError.h"
#include "modProgramVars.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

ExportTarget::ExportTarget() = default;
ExportTarget::~ExportTarget() = default;

bool ExportTarget::open(const QString &folder, bool create, QString *error)
{
    if (create && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        *error = QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    m_folder = std::make_unique<FolderHandle>(folder);
    if (m_folder->fd() < 0) {
        *error = QStringLiteral("无法打开文件夹“%1”（%2）")
                     .arg(QDir::toNativeSeparators(folder), systemErrorText(errno));
        return false;
    }
    return true;
}

bool ExportTarget::exists(const QByteArray &fileName) const
{
    struct stat st;
    return fstatat(m_folder->fd(), fileName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool ExportTarget::write(const QByteArray &fileName, const std::function<bool(int fd)> &content,
    bool replace, QString *error, bool *taken)
{
    modProgramVars::SaveTarget target;
    target.dirFd = m_folder->fd();
    target.fileName = fileName;
    target.noReplace = !replace;
    const modProgramVars::SaveResult result = modProgramVars::SaveFileAt(target, content, error);
    if (taken)
        *taken = result == modProgramVars::SaveResult::NameTaken;
    if (result == modProgramVars::SaveResult::NameTaken)
        *error = QStringLiteral("文件已存在");
    return result == modProgramVars::SaveResult::Saved;
}

bool ExportTarget::write(
    const QByteArray &fileName, const QByteArray &bytes, bool replace, QString *error, bool *taken)
{
    return write(
        fileName, [&bytes](int fd) { return modProgramVars::WriteAll(fd, bytes); }, replace, error,
        taken);
}
