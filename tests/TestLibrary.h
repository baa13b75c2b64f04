#pragma once

#include "CodeRecord.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QTemporaryFile>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

// Helpers for tests that build library folders.
namespace TestLibrary {

using namespace Qt::StringLiterals;

inline const QString kOther = u"其他"_s;

inline CodeRecord record(const QString &name, const QString &category, const QString &comments = {},
    const QString &declarations = {}, const QString &code = {})
{
    CodeRecord r;
    const QString texts[] = { name, code, declarations, comments, category };
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        r.setField(CodeRecord::Field(f), texts[f]);
    return r;
}

inline QByteArray bytes(const CodeRecord &r)
{
    QByteArray out;
    r.toBytes(&out, nullptr); // empty if it cannot be encoded
    return out;
}

// Writes raw bytes as the file `fileName` (native bytes) of the folder.
inline bool writeFile(const QString &folder, const QByteArray &fileName, const QByteArray &content)
{
    std::ofstream out(QFile::encodeName(folder + u'/') + fileName, std::ios::binary);
    return bool(out.write(content.constData(), content.size()).flush());
}

inline bool writeCode(const QString &folder, const QByteArray &fileName, const CodeRecord &r)
{
    return writeFile(folder, fileName, bytes(r));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `steps` write to stderr.
inline QByteArray stderrOf(const std::function<void()> &steps)
{
    QTemporaryFile log;
    const int saved = ::dup(2);
    if (!log.open() || ::dup2(log.handle(), 2) != 2)
        return ::close(saved), "no log";
    steps();
    ::dup2(saved, 2), ::close(saved), log.seek(0);
    return log.readAll();
}

// The names in a folder, hidden ones included.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every entry of a folder and what it holds.
inline QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &entry : entries(folder))
        files[entry] = readFile(folder + u'/' + entry);
    return files;
}

// The files and folders this process holds open, and its threads that
// Qt did not start (Qt names its own, as the painter's helpers): every
// story leaves as many as it found.
inline QList<int> openHandles()
{
    QList<int> counts { 0, 0 };
    for (const QString &fd : entries("/proc/self/fd")) {
        std::error_code error; // the listing's own descriptor is gone by now
        const auto target
            = std::filesystem::read_symlink("/proc/self/fd/" + fd.toStdString(), error);
        counts[0] += target.is_absolute();
    }
    const QByteArray program = readFile("/proc/self/comm");
    for (const QString &task : entries("/proc/self/task"))
        counts[1] += readFile("/proc/self/task/" + task + "/comm") == program;
    return counts;
}

template <typename T = QWidget> T *child(const QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

inline const char *const kPanes[] = { "txtComments", "txtDeclarations", "txtCode" };

// The text a window shows in the pane or the status panel `name`.
inline QString shown(const QWidget *window, const char *name)
{
    auto *pane = child<QPlainTextEdit>(window, name);
    return pane ? pane->toPlainText() : child<QLabel>(window, name)->text();
}

// The texts of the nodes under `parent`, in order.
inline QStringList childNames(const QAbstractItemModel *model, const QModelIndex &parent)
{
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names << model->index(row, 0, parent).data().toString();
    return names;
}

} // namespace TestLibrary
