#pragma once

#include "FileOps.h"

#include <QVector>
#include <cerrno>
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
        ops.open = hook<Open, &ScopedFileOps::open, &FileOps::open>;
        ops.write = hook<Write, &ScopedFileOps::write, &FileOps::write>;
        ops.pread = hook<Pread, &ScopedFileOps::pread, &FileOps::pread>;
        ops.fsync = hook<Fsync, &ScopedFileOps::fsync, &FileOps::fsync>;
        ops.close = hook<Close, &ScopedFileOps::close, &FileOps::close>;
        ops.rename = hook<Rename, &ScopedFileOps::rename, &FileOps::rename>;
        ops.unlink = hook<Unlink, &ScopedFileOps::unlink, &FileOps::unlink>;
        ops.openat = hook<OpenAt, &ScopedFileOps::openat, &FileOps::openat>;
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
    // An errno it returns fails the call; a close closes all the same.
    std::function<int(Call, int)> before;

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
    template <Call call, auto hookMember, auto systemMember, typename... Args>
    static auto hook(Args... args) -> decltype((system().*systemMember)(args...))
    {
        int number = 0;
        {
            std::lock_guard<std::mutex> lock(s_current->m_mutex);
            s_current->m_calls.append(call);
            number = int(s_current->m_calls.size());
        }
        const int error = s_current->before ? s_current->before(call, number) : 0;
        if (error != 0 && call != Close)
            return errno = error, -1;
        const auto &given = s_current->*hookMember;
        const auto result = given ? given(args...) : (system().*systemMember)(args...);
        return error != 0 && result == 0 ? (errno = error, -1) : result;
    }

    static inline ScopedFileOps *s_current = nullptr;
    mutable std::mutex m_mutex;
    QVector<Call> m_calls;
};
