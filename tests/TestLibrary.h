#pragma once

#include "CodeRecord.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

// Helpers for tests that build library folders.
namespace TestLibrary {

inline CodeRecord record(const QString &name, const QString &category, const QString &comments = {},
    const QString &declarations = {}, const QString &code = {})
{
    CodeRecord r;
    r.setField(CodeRecord::Name, name);
    r.setField(CodeRecord::Category, category);
    r.setField(CodeRecord::Comments, comments);
    r.setField(CodeRecord::Declarations, declarations);
    r.setField(CodeRecord::Code, code);
    return r;
}

inline QByteArray bytes(const CodeRecord &r)
{
    QByteArray out;
    QString error;
    if (!r.toBytes(&out, &error))
        qFatal("record not encodable: %s", qUtf8Printable(error));
    return out;
}

// Writes raw bytes as a file of the folder; fileName is native bytes.
inline bool writeFile(const QString &folder, const QByteArray &fileName, const QByteArray &content)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + fileName;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

inline bool writeCode(const QString &folder, const QString &fileName, const CodeRecord &r)
{
    return writeFile(folder, QFile::encodeName(fileName), bytes(r));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names in a folder, hidden ones included.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace TestLibrary
