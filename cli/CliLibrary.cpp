#include "CliLibrary.h"

#include "CodeRecord.h"
#include "FolderHandle.h"
#include "modProgramVars.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>

bool CliLibrary::open(const QString &folder, QString *error)
{
    QByteArray native = QFile::encodeName(folder);
    if (folder.isEmpty() && !LibraryFolder::besideProgram(&native, error))
        return false;
    QString why;
    if (!m_folder.open(native, &why) || !m_catalog.read(m_folder.path(), &why)) {
        *error = QStringLiteral("无法打开代码库文件夹“%1”：%2")
                     .arg(QDir::toNativeSeparators(m_folder.displayPath()), why);
        return false;
    }
    return true;
}

bool CliLibrary::readBytes(const QByteArray &fileName, QByteArray *bytes, QString *error) const
{
    bytes->resize(CodeRecord::RecordSize);
    qsizetype got = 0;
    const bool ok = modProgramVars::ReadRecordBytesAt(AT_FDCWD,
        QFile::encodeName(path() + u'/').append(fileName).constData(), bytes->data(), &got, error);
    bytes->truncate(ok ? got : 0);
    return ok;
}
