#pragma once

#include "FileOps.h"

#include <QtGlobal>
#include <atomic>
#include <cerrno>
#include <functional>

// While it lives, every call of the file layer may be failed by `before`;
// writes and opens may be replaced by `write` and `openat`.
class ScopedFileOps {
public:
    enum Call { Open, Write, Pread, Fsync, Close, Rename, Unlink, OpenAt, Flock };

    ScopedFileOps()
    {
        s_current = this;
        fileOps() = { hook<Open, &FileOps::open>, hook<Write, &FileOps::write>,
            hook<Pread, &FileOps::pread>, hook<Fsync, &FileOps::fsync>,
            hook<Close, &FileOps::close>, hook<Rename, &FileOps::rename>,
            hook<Unlink, &FileOps::unlink>, hook<OpenAt, &FileOps::openat>, real.renameNoReplace,
            hook<Flock, &FileOps::flock> };
    }
    ~ScopedFileOps() { fileOps() = real; }
    Q_DISABLE_COPY(ScopedFileOps)

    // Runs before each call with its kind and its number, counted from 1.
    // An errno it returns fails the call; a close closes all the same.
    std::function<int(Call, int)> before;
    std::function<ssize_t(int, const void *, size_t)> write;
    std::function<int(int, const char *, int, mode_t)> openat;

    // The system's own calls.
    static inline const FileOps real = FileOps::system();

private:
    template <Call call, auto member, typename... Args>
    static auto hook(Args... args) -> decltype((real.*member)(args...))
    {
        const auto system = [&] { return (real.*member)(args...); };
        const int number = ++s_current->m_count;
        const int error = s_current->before ? s_current->before(call, number) : 0;
        if (error != 0 && call != Close) {
            errno = error;
            return -1;
        }
        const auto result = [&] {
            if constexpr (call == Write)
                return s_current->write ? s_current->write(args...) : system();
            else if constexpr (call == OpenAt)
                return s_current->openat ? s_current->openat(args...) : system();
            else
                return system();
        }();
        return error != 0 && result == 0 ? (errno = error, -1) : result;
    }

    static inline ScopedFileOps *s_current = nullptr;
    std::atomic<int> m_count { 0 };
};
