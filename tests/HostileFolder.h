#pragma once

#include "CodeRecord.h"
#include "TestLibrary.h"

#include <QByteArray>
#include <QFile>
#include <QString>
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
