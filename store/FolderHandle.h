#pragma once

#include <QString>

// A folder held open, so that its files can be opened relative to it.
class FolderHandle {
public:
    explicit FolderHandle(const QString &folder);
    ~FolderHandle();
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    // -1 when the folder could not be opened.
    int fd() const { return m_fd; }

private:
    int m_fd;
};
