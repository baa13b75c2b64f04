#pragma once

#include <QByteArray>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

// Sends what the process writes to standard error into a file while it
// lives; lines() gives what was written so far.
class StderrCapture {
public:
    StderrCapture()
    {
        if (!m_file.open())
            qFatal("cannot create a file for standard error");
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // Stops capturing and returns the captured lines, without their ends.
    QList<QByteArray> lines()
    {
        restore();
        m_file.seek(0);
        QByteArray all = m_file.readAll();
        if (all.endsWith('\n'))
            all.chop(1);
        return all.isEmpty() ? QList<QByteArray>() : all.split('\n');
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};
