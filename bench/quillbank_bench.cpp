// Start-up, Find, the search window and the code viewer on large libraries, against the time
// the machine needs just to list the folder and read every file, on one
// thread and on 32.
//
//   quillbank_bench [--cold] [--rounds R] [N ...]   (default: 1000 32767 100000)
//
// --cold empties the page cache before each measurement (needs root).
#include "Categories.h"
#include "CodeTreeModel.h"
#include "FileList.h"
#include "LibraryScan.h"
#include "ReadFloor.h"
#include "SearchBench.h"
#include "SyntheticLibrary.h"
#include "frmFind.h"
#include "frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Empties the page cache; false when this process may not.
bool dropCaches()
{
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = write(fd, "3", 1) == 1;
    close(fd);
    return ok;
}

// Shows a window and returns once its widget `painted` has been painted.
void showAndPaint(QWidget *window, QWidget *painted)
{
    struct PaintWatch : QObject {
        bool seen = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                seen = true;
            return false;
        }
    } watch;
    painted->installEventFilter(&watch);
    window->show();
    while (!watch.seen)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    painted->removeEventFilter(&watch);
}

double startUp(const QString &folder)
{
    frmMain *window = nullptr;
    const double ms = millisecondsOf([&] {
        window = new frmMain(folder);
        showAndPaint(window, window->findChild<QTreeView *>(QStringLiteral("tvCodes"))->viewport());
    });
    delete window;
    QCoreApplication::processEvents();
    return ms;
}

double clickMedian(frmMain *window, int clicks)
{
    CodeTreeModel *model = window->codeTree();
    QVector<double> times;
    for (int i = 0; i < clicks; ++i) {
        const QModelIndex category = model->index(i % 8, 0);
        const int rows = model->rowCount(category);
        if (rows == 0)
            continue;
        const QModelIndex node = model->index((i * 7919) % rows, 0, category);
        times << millisecondsOf([&] { window->tvCodes_NodeClick(node); });
    }
    return median(times);
}

// A search whose text no code's comments begin with: every file is read.
double findWithoutMatch(frmMain *window)
{
    auto *dialog = new frmFind(window);
    dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))
        ->setText(QStringLiteral("没有这样的说明"));
    const double ms = millisecondsOf([&] { dialog->Command1_Click(); });
    delete dialog;
    return ms;
}

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Run in a child process, so that earlier rounds leave nothing behind.
int memoryChild(const QString &folder, const QString &emptyFolder)
{
    { // Qt's own one-time costs (fonts, styles) are not the library's.
        frmMain warmUp(emptyFolder);
        showAndPaint(&warmUp, warmUp.findChild<QTreeView *>(QStringLiteral("tvCodes"))->viewport());
    }
    QCoreApplication::processEvents();
    const long before = residentBytes();
    frmMain window(folder);
    showAndPaint(&window, window.findChild<QTreeView *>(QStringLiteral("tvCodes"))->viewport());
    const long after = residentBytes();
    std::printf("%ld %d\n", after - before, window.codeTree()->codeCount());
    return 0;
}

double bytesPerCode(const QString &folder, const QString &emptyFolder)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--memory"), folder, emptyFolder });
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().simplified().split(' ');
    if (fields.size() != 2 || fields.at(1).toLong() == 0)
        return -1;
    return double(fields.at(0).toLong()) / double(fields.at(1).toLong());
}

// What the library itself costs at start-up: listing the folder, reading
// the files and filling the tree model, as the main window does.
double libraryWork(const QString &folder)
{
    return millisecondsOf([&] {
        FileList files;
        files.setFolder(folder);
        CodeTreeModel model;
        for (const QString &name : Categories::treeOrder())
            model.addCategory(name);
        const LibraryScan scan = LibraryScan::read(files);
        QVector<SkippedFile> skipped;
        model.addCodes(scan, files, &skipped);
    });
}

void emptyLibraryRow(const QString &emptyFolder, int rounds)
{
    QVector<double> bare;
    QVector<double> library;
    QVector<double> ours;
    for (int round = 0; round < rounds; ++round) {
        bare << millisecondsOf([] {
            QMainWindow window;
            window.resize(537, 460);
            showAndPaint(&window, &window);
        });
        library << libraryWork(emptyFolder);
        ours << startUp(emptyFolder);
    }
    const double total = median(ours);
    const double lib = median(library);
    std::printf("empty library: start-up %.2f ms, of which the library (list, read, model) %.3f ms "
                "= %.1f%% over the window alone; a bare QMainWindow %.2f ms\n",
        total, lib, 100.0 * lib / (total - lib), median(bare));
}

// Every measurement starts with an empty page cache; the library's share
// of start-up is start-up on N codes less start-up on none.
void coldRow(const QString &folder, const QString &emptyFolder, int n, int rounds)
{
    QVector<double> floors, parallelFloors, starts, emptyStarts, finds, searches;
    frmMain window(folder);
    for (int round = 0; round < rounds; ++round) {
        dropCaches();
        floors << millisecondsOf([&] { readFloor(folder); });
        dropCaches();
        parallelFloors << millisecondsOf([&] { readFloorParallel(folder); });
        dropCaches();
        emptyStarts << startUp(emptyFolder);
        dropCaches();
        starts << startUp(folder);
        dropCaches();
        finds << findWithoutMatch(&window);
        dropCaches();
        searches << searchWithoutMatch(&window);
    }
    const double parallel = median(parallelFloors);
    const double share = median(starts) - median(emptyStarts);
    std::printf("%8d %10.1f %10.1f %11.1f %9.1f %9.1f %6.2f %10.1f %6.2f %10.1f %6.2f   (par "
                "floor %.0f-%.0f, start-up %.0f-%.0f, find %.0f-%.0f, search %.0f-%.0f)\n",
        n, median(floors), parallel, median(starts), median(emptyStarts), share, share / parallel,
        median(finds), median(finds) / parallel, median(searches), median(searches) / parallel,
        *std::min_element(parallelFloors.begin(), parallelFloors.end()),
        *std::max_element(parallelFloors.begin(), parallelFloors.end()),
        *std::min_element(starts.begin(), starts.end()),
        *std::max_element(starts.begin(), starts.end()),
        *std::min_element(finds.begin(), finds.end()),
        *std::max_element(finds.begin(), finds.end()),
        *std::min_element(searches.begin(), searches.end()),
        *std::max_element(searches.begin(), searches.end()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--memory"))
        return memoryChild(args.value(1), args.value(2));

    bool cold = false;
    if (args.value(0) == QLatin1String("--cold")) {
        args = args.mid(1);
        cold = dropCaches();
        if (!cold)
            std::printf("cannot empty the page cache (needs root): measuring warm only\n");
    }
    int rounds = cold ? 5 : 7;
    if (args.value(0) == QLatin1String("--rounds")) {
        rounds = qMax(1, args.value(1).toInt());
        args = args.mid(2);
    }
    QList<int> sizes;
    for (const QString &arg : args)
        sizes << arg.toInt();
    if (sizes.isEmpty())
        sizes = { 1000, 32767, 100000 };

    QTemporaryDir empty;
    if (cold) {
        std::printf("cold, rounds: %d (medians, min-max in brackets); ratios against the parallel "
                    "floor\n\n%8s %10s %10s %11s %9s %9s %6s %10s %6s %10s %6s\n",
            rounds, "N", "floor ms", "par floor", "start-up ms", "empty ms", "share ms", "ratio",
            "find ms", "ratio", "search ms", "ratio");
    } else {
        std::printf("rounds: %d (medians; floor and measurement interleaved)\n", rounds);
        emptyLibraryRow(empty.path(), rounds);
        std::printf("\n%8s %10s %10s %11s %6s %6s %10s %6s %6s %10s %6s %9s %10s\n", "N",
            "floor ms", "par floor", "start-up ms", "ratio", "/par", "find ms", "ratio", "/par",
            "search ms", "/par", "click ms", "bytes/code");
    }
    for (const int n : sizes) {
        QTemporaryDir dir;
        if (!writeSyntheticLibrary(dir.path(), n)) {
            std::fprintf(stderr, "cannot write the synthetic library\n");
            return 1;
        }
        if (cold) {
            coldRow(dir.path(), empty.path(), n, rounds);
            continue;
        }
        readFloor(dir.path()); // warm the page cache
        startUp(dir.path());
        QVector<double> floorTimes;
        QVector<double> parallelTimes;
        QVector<double> startTimes;
        for (int round = 0; round < rounds; ++round) {
            floorTimes << millisecondsOf([&] { readFloor(dir.path()); });
            parallelTimes << millisecondsOf([&] { readFloorParallel(dir.path()); });
            startTimes << startUp(dir.path());
        }
        frmMain window(dir.path());
        QVector<double> findFloorTimes;
        QVector<double> findTimes;
        QVector<double> searchFloorTimes;
        QVector<double> searchTimes;
        for (int round = 0; round < rounds; ++round) {
            findFloorTimes << millisecondsOf([&] { readFloor(dir.path()); });
            findTimes << findWithoutMatch(&window);
            searchFloorTimes << millisecondsOf([&] { readFloorParallel(dir.path()); });
            searchTimes << searchWithoutMatch(&window);
        }
        const double click = clickMedian(&window, 101);
        const double floorMs = median(floorTimes);
        const double startMs = median(startTimes);
        const double findFloorMs = median(findFloorTimes);
        const double findMs = median(findTimes);
        const double parallelMs = median(parallelTimes);
        const double searchMs = median(searchTimes);
        std::printf("%8d %10.1f %10.1f %11.1f %6.2f %6.2f %10.1f %6.2f %6.2f %10.1f %6.2f %9.3f "
                    "%10.0f\n",
            n, floorMs, parallelMs, startMs, startMs / floorMs, startMs / parallelMs, findMs,
            findMs / findFloorMs, findMs / parallelMs, searchMs,
            searchMs / median(searchFloorTimes), click, bytesPerCode(dir.path(), empty.path()));
        const TypingMeasure typing = typeIntoSearchWindow(&window);
        std::printf("%8s search window: longest stall %.1f ms while typing; %d rows hold %.0f "
                    "bytes each; a search finding nothing leaves %ld bytes\n",
            "", typing.longestStallMs, typing.rows, typing.bytesPerRow, typing.bytesAfterNoMatch);
        std::fflush(stdout);
    }
    return 0;
}
