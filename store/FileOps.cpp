#include "FileOps.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
int systemOpen(const char *path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}
int systemOpenAt(int dirFd, const char *path, int flags, mode_t mode)
{
    return ::openat(dirFd, path, flags, mode);
}
int systemRenameNoReplace(const char *from, const char *to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}
} // namespace

FileOps FileOps::system()
{
    return FileOps { systemOpen, ::write, ::pread, ::fsync, ::close, ::rename, ::unlink,
        systemOpenAt, systemRenameNoReplace, ::flock };
}

FileOps &fileOps()
{
    static FileOps ops = FileOps::system();
    return ops;
}
