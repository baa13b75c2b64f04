#pragma once

#include "FileOps.h"

#include <QVector>
#include <cerrno>
#include <functional>
#include <mutex>

// While it lives, every call of the file layer is recorded in order and may
// be failed by `before`; writes and opens may be replaced by `write`
// and `openat`.
class ScopedFileOps {
public:
    enum Call { Open, Write, Pread, Fsync, Close, Rename, Unlink, OpenAt };

    ScopedFileOps()
    {
        s_current = this;
        FileOps &ops = fileOps();
        ops.open = hook<Open, &FileOps::open>;
        ops.write = hook<Write, &FileOps::write>;
        ops.pread = hook<Pread, &FileOps::pread>;
        ops.fsync = hook<Fsync, &FileOps::fsync>;
        ops.close = hook<Close, &FileOps::close>;
        ops.rename = hook<Rename, &FileOps::rename>;
        ops.unlink = hook<Unlink, &FileOps::unlink>;
        ops.openat = hook<OpenAt, &FileOps::openat>;
    }
    ~ScopedFileOps() { fileOps() = system(); }
    ScopedFileOps(const ScopedFileOps &) = delete;
    ScopedFileOps &operator=(const ScopedFileOps &) = delete;

    // Runs before each call with its kind and its number, counted from 1.
    // An errno it returns fails the call; a close closes all the same.
    std::function<int(Call, int)> before;
    std::function<ssize_t(int, const void *, size_t)> write;
    std::function<int(int, const char *, int, mode_t)> openat;

    QVector<Call> calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    static const FileOps &system()
    {
        static const FileOps ops = FileOps::system();
        return ops;
    }

private:
    template <Call call, auto member, typename... Args>
    static auto hook(Args... args) -> decltype((system().*member)(args...))
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
        decltype((system().*member)(args...)) result;
        if constexpr (call == Write)
            result = s_current->write ? s_current->write(args...) : (system().*member)(args...);
        else if constexpr (call == OpenAt)
            result = s_current->openat ? s_current->openat(args...) : (system().*member)(args...);
        else
            result = (system().*member)(args...);
        return error != 0 && result == 0 ? (errno = error, -1) : result;
    }

    static inline ScopedFileOps *s_current = nullptr;
    mutable std::mutex m_mutex;
    QVector<Call> m_calls;
};
