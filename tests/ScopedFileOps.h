#pragma once

#include "FileOps.h"

#include <QVector>
#include <functional>
#include <mutex>

// Routes the file layer's calls through hooks while it lives, and records
// every call in order. A hook left empty passes the call to the system.
// The system's calls are restored when the object goes out of scope.
class ScopedFileOps {
public:
    enum Call { Open, Write, Pread, Fsync, Close, Rename, Unlink, OpenAt };

    ScopedFileOps()
    {
        s_current = this;
        FileOps &ops = fileOps();
        ops = FileOps::system();
        ops.open = openHook;
        ops.write = writeHook;
        ops.pread = preadHook;
        ops.fsync = fsyncHook;
        ops.close = closeHook;
        ops.rename = renameHook;
        ops.unlink = unlinkHook;
        ops.openat = openAtHook;
    }
    ~ScopedFileOps()
    {
        fileOps() = FileOps::system();
        s_current = nullptr;
    }
    ScopedFileOps(const ScopedFileOps &) = delete;
    ScopedFileOps &operator=(const ScopedFileOps &) = delete;

    std::function<int(const char *, int, mode_t)> open;
    std::function<ssize_t(int, const void *, size_t)> write;
    std::function<ssize_t(int, void *, size_t, off_t)> pread;
    std::function<int(int)> fsync;
    std::function<int(int)> close;
    std::function<int(const char *, const char *)> rename;
    std::function<int(const char *)> unlink;
    std::function<int(int, const char *, int, mode_t)> openat;
    // Runs before each call with its kind and its number, counted from 1.
    std::function<void(Call, int)> before;

    // The calls made so far.
    QVector<Call> calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    // The real calls, for hooks that pass a call on.
    static const FileOps &system()
    {
        static const FileOps ops = FileOps::system();
        return ops;
    }

private:
    static void note(Call call)
    {
        int number = 0;
        {
            std::lock_guard<std::mutex> lock(s_current->m_mutex);
            s_current->m_calls.append(call);
            number = int(s_current->m_calls.size());
        }
        if (s_current->before)
            s_current->before(call, number);
    }

    static int openHook(const char *path, int flags, mode_t mode)
    {
        note(Open);
        return s_current->open ? s_current->open(path, flags, mode)
                               : system().open(path, flags, mode);
    }
    static ssize_t writeHook(int fd, const void *buffer, size_t size)
    {
        note(Write);
        return s_current->write ? s_current->write(fd, buffer, size)
                                : system().write(fd, buffer, size);
    }
    static ssize_t preadHook(int fd, void *buffer, size_t size, off_t offset)
    {
        note(Pread);
        return s_current->pread ? s_current->pread(fd, buffer, size, offset)
                                : system().pread(fd, buffer, size, offset);
    }
    static int fsyncHook(int fd)
    {
        note(Fsync);
        return s_current->fsync ? s_current->fsync(fd) : system().fsync(fd);
    }
    static int closeHook(int fd)
    {
        note(Close);
        return s_current->close ? s_current->close(fd) : system().close(fd);
    }
    static int renameHook(const char *from, const char *to)
    {
        note(Rename);
        return s_current->rename ? s_current->rename(from, to) : system().rename(from, to);
    }
    static int unlinkHook(const char *path)
    {
        note(Unlink);
        return s_current->unlink ? s_current->unlink(path) : system().unlink(path);
    }

    static int openAtHook(int dirFd, const char *path, int flags, mode_t mode)
    {
        note(OpenAt);
        return s_current->openat ? s_current->openat(dirFd, path, flags, mode)
                                 : system().openat(dirFd, path, flags, mode);
    }

    static inline ScopedFileOps *s_current = nullptr;
    mutable std::mutex m_mutex;
    QVector<Call> m_calls;
};
