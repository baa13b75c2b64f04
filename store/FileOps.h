#pragma once

#include <sys/types.h>

// The system calls through which code files are written and read. Tests
// replace entries to inject failures; the program uses the real calls.
struct FileOps {
    int (*open)(const char *path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void *buffer, size_t size);
    ssize_t (*pread)(int fd, void *buffer, size_t size, off_t offset);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char *from, const char *to);
    int (*unlink)(const char *path);
    int (*openat)(int dirFd, const char *path, int flags, mode_t mode);
    // Renames, but fails with EEXIST instead of replacing a file at `to`.
    int (*renameNoReplace)(const char *from, const char *to);
    int (*flock)(int fd, int operation);

    static FileOps system();
};

// The calls in force.
FileOps &fileOps();
