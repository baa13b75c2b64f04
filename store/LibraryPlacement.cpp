#include "LibraryPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

bool placeLibraryFolder(const QString &target,
    const std::function<bool(const QString &folder, QString *error)> &fill, QString *error)
{
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return true;
    QTemporaryDir staging(target + QStringLiteral(".building-XXXXXX"));
    if (!staging.isValid()) {
        *error = QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(target));
        return false;
    }
    if (!fill(staging.path(), error))
        return false;
    if (!QDir().rename(staging.path(), target)) {
        *error = QStringLiteral("无法把代码库移到“%1”").arg(QDir::toNativeSeparators(target));
        return false;
    }
    staging.setAutoRemove(false);
    QFile::setPermissions(target,
        QFile::permissions(target) | QFileDevice::ReadGroup | QFileDevice::ExeGroup
            | QFileDevice::ReadOther | QFileDevice::ExeOther);
    return true;
}

bool placeSampleLibrary(const QString &samples, const QString &target, QString *error)
{
    const QDir from(samples);
    if (!from.exists())
        return true;
    return placeLibraryFolder(
        target,
        [&from](const QString &folder, QString *error) {
            for (const QString &name : from.entryList(QDir::Files)) {
                if (!QFile::copy(from.filePath(name), QDir(folder).filePath(name))) {
                    *error = QStringLiteral("无法复制示例代码“%1”").arg(name);
                    return false;
                }
            }
            return true;
        },
        error);
}
