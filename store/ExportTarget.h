#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class FolderHandle;

// The folder an export writes into, held open: each file is written whole
// into a temporary file there and then given its name, never replacing a
// file unless asked to, so that nothing is written anywhere else and no
// half-written file is ever left under a real name.
class ExportTarget {
public:
    ExportTarget();
    ~ExportTarget();
    ExportTarget(const ExportTarget &) = delete;
    ExportTarget &operator=(const ExportTarget &) = delete;

    // Opens the folder; with `create`, makes it (and its parents) first
    // when it is missing.
    bool open(const QString &folder, bool create, QString *error);
    bool exists(const QByteArray &fileName) const;

    // Writes a whole file, its content written into the descriptor given to
    // `content` (false, with errno set, when it cannot). *taken, if given,
    // tells that the name was taken and !replace; nothing is written then.
    bool write(const QByteArray &fileName, const std::function<bool(int fd)> &content, bool replace,
        QString *error, bool *taken = nullptr);
    bool write(const QByteArray &fileName, const QByteArray &bytes, bool replace, QString *error,
        bool *taken = nullptr);

private:
    std::unique_ptr<FolderHandle> m_folder;
};
