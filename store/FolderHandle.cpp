#include "FolderHandle.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

FolderHandle::FolderHandle(const QString &folder)
    : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

FolderHandle::~FolderHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
