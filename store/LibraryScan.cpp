#include "LibraryScan.h"

#include "FileList.h"
#include "modProgramVars.h"

#include <QThread>

#include <thread>

namespace {

struct Slot {
    QString name;
    QString category;
    QString error;
    bool ok = false;
};

void readRange(const FileList &files, int begin, int end, QVector<Slot> *results)
{
    for (int i = begin; i < end; ++i) {
        Slot &slot = (*results)[i];
        QString name;
        QString category;
        slot.ok = modProgramVars::ReadCodeHead(files.path(i), &name, &category, &slot.error);
        if (slot.ok) {
            slot.name = trimmedSpaces(name);
            slot.category = trimmedSpaces(category);
        }
    }
}

// Below this many files a second thread costs more than it saves.
constexpr int kParallelThreshold = 512;

} // namespace

LibraryScan LibraryScan::read(const FileList &files)
{
    const int n = files.count();
    QVector<Slot> results(n);
    const int threads = n >= kParallelThreshold ? qBound(1, QThread::idealThreadCount(), 2) : 1;
    if (threads > 1) {
        const int half = n / 2;
        std::thread helper(readRange, std::cref(files), half, n, &results);
        readRange(files, 0, half, &results);
        helper.join();
    } else {
        readRange(files, 0, n, &results);
    }

    LibraryScan scan;
    scan.codes.reserve(n);
    for (int i = 0; i < n; ++i) {
        Slot &slot = results[i];
        if (slot.ok)
            scan.codes.append({ std::move(slot.name), std::move(slot.category), i });
        else
            scan.skipped.append({ files.entry(i).name, slot.error });
    }
    return scan;
}
