#pragma once

#include "CodeRecord.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Helpers for tests that build library folders.
namespace TestLibrary {

inline CodeRecord record(const QString &name, const QString &category,
                         const QString &comments = {}, const QString &declarations = {},
                         const QString &code = {})
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
    QFile file(QFile::decodeName(QFile::encodeName(folder) + '/' + fileName));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(content) == content.size();
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
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                          | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace TestLibrary
