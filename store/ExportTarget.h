#pragma once

#include <QByteArray>
#include <QString>

// The folder an export writes into, held open: each file is written whole
// into a temporary file there and then given its name, never replacing a
// file unless asked to, so that nothing is written anywhere else and no
// half-written file is ever left under a real name.
class ExportTarget {
public:
    ExportTarget() = default;
    ~ExportTarget();
    ExportTarget(const ExportTarget &) = delete;
    ExportTarget &operator=(const ExportTarget &) = delete;

    // Opens the folder; with `create`, makes it (and its parents) first
    // when it is missing.
    bool open(const QString &folder, bool create, QString *error);
    bool exists(const QByteArray &fileName) const;

    // A new temporary file's descriptor, or -1 with *error.
    int createTemporary(QString *error);
    // Gives the temporary file its name and closes it; on failure, or when
    // the name is taken and !replace, removes it. *taken tells the latter.
    bool place(int fd, const QByteArray &fileName, bool replace, bool *taken, QString *error);
    // Writes a whole file.
    bool write(const QByteArray &fileName, const QByteArray &bytes, bool replace, bool *taken,
        QString *error);
    // Removes the temporary file of a write that was given up.
    void discard(int fd);

private:
    int m_fd = -1;
    QByteArray m_temporary; // the open temporary file's name
};
