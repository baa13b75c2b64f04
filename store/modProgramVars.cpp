#include "modProgramVars.h"

#include "CodePage936.h"
#include "FileOps.h"
#include "LogLine.h"
#include "SystemError.h"

#include <QFile>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace modProgramVars {

namespace {

    const char kTemporaryPrefix[] = ".quillbank-";
    const char kTemporarySuffix[] = ".tmp";

    QByteArray folderOf(const QByteArray &path)
    {
        const qsizetype slash = path.lastIndexOf('/');
        return slash < 0 ? QByteArrayLiteral(".") : path.left(qMax(slash, 1)); // "/" kept
    }

    // A name relative to dirFd as a path that the path-based calls take.
    QByteArray pathIn(int dirFd, const QByteArray &folder, const QByteArray &name)
    {
        if (dirFd == AT_FDCWD)
            return folder + '/' + name;
        return "/proc/self/fd/" + QByteArray::number(dirFd) + '/' + name;
    }

    std::optional<int> openTemporary(
        int dirFd, const QByteArray &folder, QByteArray *tempName, int *errorNumber)
    {
        static std::atomic<unsigned> counter { 0 };
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
        for (int attempt = 0; attempt < 100; ++attempt) {
            *tempName = kTemporaryPrefix + QByteArray::number(qint64(getpid())) + '-'
                + QByteArray::number(counter++) + kTemporarySuffix;
            const int fd = dirFd == AT_FDCWD
                ? fileOps().open(pathIn(dirFd, folder, *tempName).constData(), flags, 0644)
                : fileOps().openat(dirFd, tempName->constData(), flags, 0644);
            if (fd >= 0)
                return fd;
            if (errno != EEXIST && errno != EINTR) {
                *errorNumber = errno;
                return std::nullopt;
            }
        }
        *errorNumber = EEXIST;
        return std::nullopt;
    }

    void syncFolder(int dirFd, const QByteArray &folder)
    {
        // The record is already in place; a failure here only weakens
        // durability across a power cut, so it is not reported.
        if (dirFd != AT_FDCWD) {
            fileOps().fsync(dirFd);
            return;
        }
        const int fd = fileOps().open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (fd < 0)
            return;
        fileOps().fsync(fd);
        fileOps().close(fd);
    }

    // Gives the new file the permissions, and where allowed the owner and
    // group, of the file it replaces.
    void keepAccess(int fd, const struct stat &old)
    {
        if (fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!fchown(fd, uid_t(-1), old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    }

    // The bytes that can hold the first `characters` characters of a field:
    // a character takes at most two.
    qsizetype prefixBytes(CodeRecord::Field field, qsizetype characters)
    {
        return qMin<qsizetype>(CodeRecord::width(field), characters * 2);
    }

    // Reads up to `length` bytes from `offset`; *got tells how many there were.
    bool readRange(int dirFd, const char *path, qsizetype offset, char *buffer, qsizetype length,
        qsizetype *got, QString *error)
    {
        *got = 0;
        const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
        const int fd = dirFd == AT_FDCWD ? fileOps().open(path, flags, 0)
                                         : fileOps().openat(dirFd, path, flags, 0);
        if (fd < 0) {
            *error = QStringLiteral("无法打开文件（%1）").arg(systemErrorText(errno));
            return false;
        }
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            fileOps().close(fd);
            *error = QStringLiteral("不是普通文件");
            return false;
        }
        while (*got < length) {
            const ssize_t n
                = fileOps().pread(fd, buffer + *got, size_t(length - *got), offset + *got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int saved = errno;
                fileOps().close(fd);
                *error = QStringLiteral("读取失败（%1）").arg(systemErrorText(saved));
                return false;
            }
            if (n == 0)
                break;
            *got += n;
        }
        fileOps().close(fd);
        return true;
    }

} // namespace

bool WriteAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n
            = fileOps().write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            return false;
        }
        done += n;
    }
    return true;
}

SaveResult SaveFileAt(const SaveTarget &target, const FileContent &content, QString *error)
{
    QByteArray tempName;
    int errorNumber = 0;
    const std::optional<int> opened
        = openTemporary(target.dirFd, target.folder, &tempName, &errorNumber);
    if (!opened) {
        *error = QStringLiteral("无法在文件夹中写入（%1）").arg(systemErrorText(errorNumber));
        return SaveResult::Failed;
    }
    const int fd = *opened;
    if (target.keepAccessOf)
        keepAccess(fd, *target.keepAccessOf);
    errno = 0;
    bool ok = content(fd);
    if (!ok)
        errorNumber = errno != 0 ? errno : EIO;
    if (ok && fileOps().fsync(fd) != 0) {
        errorNumber = errno;
        ok = false;
    }
    if (fileOps().close(fd) != 0 && ok) {
        errorNumber = errno;
        ok = false;
    }
    const QByteArray tempPath = pathIn(target.dirFd, target.folder, tempName);
    if (ok && target.stillAsAgreed && !target.stillAsAgreed()) {
        fileOps().unlink(tempPath.constData());
        return SaveResult::Stopped;
    }
    const QByteArray path = pathIn(target.dirFd, target.folder, target.fileName);
    if (ok
        && (target.noReplace ? fileOps().renameNoReplace(tempPath.constData(), path.constData())
                             : fileOps().rename(tempPath.constData(), path.constData()))
            != 0) {
        errorNumber = errno;
        ok = false;
    }
    if (!ok) {
        fileOps().unlink(tempPath.constData());
        if (target.noReplace && errorNumber == EEXIST)
            return SaveResult::NameTaken;
        *error = QStringLiteral("写入文件失败（%1）").arg(systemErrorText(errorNumber));
        return SaveResult::Failed;
    }
    syncFolder(target.dirFd, target.folder);
    return SaveResult::Saved;
}

SaveResult SaveCodeRecordAt(const CodeRecord &record, const SaveTarget &target, QString *error)
{
    QByteArray bytes;
    if (!record.toBytes(&bytes, error))
        return SaveResult::Failed;
    return SaveFileAt(
        target, [&bytes](int fd) { return WriteAll(fd, bytes); }, error);
}

bool SaveCodeRecord(const CodeRecord &record, const QByteArray &path, QString *error)
{
    SaveTarget target;
    target.folder = folderOf(path);
    target.fileName = path.mid(path.lastIndexOf('/') + 1);
    return SaveCodeRecordAt(record, target, error) == SaveResult::Saved;
}

bool SaveCodeRecord(const CodeRecord &record, const QString &path, QString *error)
{
    return SaveCodeRecord(record, QFile::encodeName(path), error);
}

bool ReadCodeRecord(const QByteArray &path, CodeRecord *record, QString *error)
{
    char buffer[CodeRecord::RecordSize];
    qsizetype got = 0;
    if (!readRange(AT_FDCWD, path.constData(), 0, buffer, sizeof buffer, &got, error))
        return false;
    *record = CodeRecord::fromBytes(buffer, got);
    return true;
}

QString FieldPrefix(
    const char *record, qsizetype got, CodeRecord::Field field, qsizetype characters)
{
    const qsizetype start = CodeRecord::offset(field);
    const qsizetype available = qBound(qsizetype(0), got - start, prefixBytes(field, characters));
    QString decoded = available > 0 ? CodePage936::decode(record + start, available) : QString();
    // The field as read is padded with spaces to its width in characters.
    const qsizetype target = qMin<qsizetype>(characters, CodeRecord::width(field));
    if (decoded.size() < target)
        decoded = decoded.leftJustified(target, u' ');
    decoded.truncate(target);
    return decoded;
}

bool ReadRecordBytesAt(int dirFd, const char *name, char *buffer, qsizetype *got, QString *error)
{
    return readRange(dirFd, name, 0, buffer, CodeRecord::RecordSize, got, error);
}

QString CodeFileName(const QString &codeName)
{
    return codeName + QStringLiteral(".cod");
}

bool CheckCodeName(const QString &codeName, QString *reason)
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (codeName.isEmpty())
        return refuse(QStringLiteral("名称不能为空。"));
    if (codeName == u"." || codeName == u"..")
        return refuse(QStringLiteral("名称不能是“.”或“..”。"));
    if (codeName.startsWith(u'.'))
        return refuse(QStringLiteral("名称不能以“.”开头。"));
    if (codeName.endsWith(u'.'))
        return refuse(QStringLiteral("名称不能以“.”结尾。"));
    for (QChar c : codeName) {
        if (isControlCharacter(c))
            return refuse(QStringLiteral("名称不能包含控制字符。"));
        if (QStringView(u"/\\<>:\"|?*").contains(c))
            return refuse(QStringLiteral("名称不能包含以下字符：/ \\ < > : \" | ? *"));
    }
    static const QStringList devices { "CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4",
        "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",
        "LPT7", "LPT8", "LPT9" };
    const QString stem = codeName.section(u'.', 0, 0).trimmed();
    if (devices.contains(stem, Qt::CaseInsensitive))
        return refuse(QStringLiteral("“%1”是系统保留的设备名，不能用作名称。").arg(stem));
    QByteArray encoded;
    QString bad;
    if (!CodePage936::encode(codeName, &encoded, &bad))
        return refuse(QStringLiteral("名称中含有无法以 GBK 编码保存的字符：%1")
                          .arg(CodePage936::describe(bad)));
    return true;
}

bool IsTemporaryFileName(const QByteArray &fileName)
{
    return fileName.startsWith(kTemporaryPrefix) && fileName.endsWith(kTemporarySuffix);
}

bool IsStaleTemporaryFileName(const QByteArray &fileName)
{
    if (!IsTemporaryFileName(fileName))
        return false;
    const QByteArray middle = fileName.mid(qsizetype(sizeof kTemporaryPrefix) - 1);
    bool ok = false;
    const qint64 pid = middle.left(middle.indexOf('-')).toLongLong(&ok);
    if (!ok || pid <= 0)
        return false;
    return pid != getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace modProgramVars
