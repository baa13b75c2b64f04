#include "ReadFloor.h"

#include <QByteArray>
#include <QFile>
#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

// The floor: list with readdir, then open, read 4692 bytes and close each file.
void readFloor(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return;
    char buffer[4692];
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (read(fd, buffer, sizeof buffer) < 0)
            std::perror("read");
        close(fd);
    }
    closedir(dir);
}

// The parallel floor: the same listing, then the same reads on 32 threads.
void readFloorParallel(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return;
    std::vector<QByteArray> names;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    const int dirFd = dirfd(dir);
    std::atomic<size_t> next { 0 };
    const auto reader = [&] {
        char buffer[4692];
        for (size_t i = next++; i < names.size(); i = next++) {
            const int fd = openat(dirFd, names[i].constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (read(fd, buffer, sizeof buffer) < 0)
                std::perror("read");
            close(fd);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 32; ++i)
        threads.emplace_back(reader);
    for (std::thread &thread : threads)
        thread.join();
    closedir(dir);
}

