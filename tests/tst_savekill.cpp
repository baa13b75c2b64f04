// Writes of codes that are killed part-way or fail: the code file always
// holds the complete old record or the complete new one, only hidden
// temporary files are ever left behind, and start-up removes those.
#include "CodeTreeModel.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace modProgramVars;

namespace {

const char *callName(ScopedFileOps::Call call)
{
    static const char *const names[]
        = { "open", "write", "pread", "fsync", "close", "rename", "unlink", "openat" };
    return names[call];
}

CodeRecord oldRecord()
{
    return TestLibrary::record(QStringLiteral("x"), QStringLiteral("其他"),
        QStringLiteral("旧的说明"), QStringLiteral("OLD EQU 1"), QStringLiteral("MOV AX,OLD"));
}

CodeRecord newRecord()
{
    return TestLibrary::record(QStringLiteral("x"), QStringLiteral("逻辑操作"),
        QString(1500, u'新'), QString(1500, u'N'), QStringLiteral("MOV AX,NEW\r\n").repeated(125));
}

// The calls that one save makes, in order.
QVector<ScopedFileOps::Call> saveCalls(bool withOldFile)
{
    QTemporaryDir dir;
    if (withOldFile && !TestLibrary::writeCode(dir.path(), QStringLiteral("x.cod"), oldRecord()))
        qFatal("cannot prepare the old record");
    ScopedFileOps ops;
    QString error;
    if (!SaveCodeRecord(newRecord(), dir.filePath(QStringLiteral("x.cod")), &error))
        qFatal("save failed: %s", qUtf8Printable(error));
    return ops.calls();
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

enum Fault {
    DiskFullAtOpen,
    NoPermissionAtOpen,
    DiskFullAtFirstWrite,
    ShortWriteThenDiskFull,
    WriteWritesNothing,
    IoErrorAtWrite,
    IoErrorAtFsync,
    IoErrorAtClose,
    IoErrorAtRename,
    InterruptedOpen,
    InterruptedWrites,
    ShortWrites,
    IoErrorAtFolderFsync,
};

} // namespace

class TestSaveKill : public QObject {
    Q_OBJECT
private slots:
    void killedAtEveryStep_data();
    void killedAtEveryStep();
    void failures_data();
    void failures();
    void liveWritersFilesKept();
};

void TestSaveKill::killedAtEveryStep_data()
{
    QTest::addColumn<bool>("withOldFile");
    QTest::addColumn<int>("killBefore"); // the call before which the writer dies
    QTest::addColumn<bool>("midWrite"); // dies after writing half of that call
    QTest::addColumn<bool>("expectNew");

    for (bool withOldFile : { true, false }) {
        const QVector<ScopedFileOps::Call> calls = saveCalls(withOldFile);
        const int rename = int(calls.indexOf(ScopedFileOps::Rename)) + 1;
        QVERIFY(rename > 0);
        // The record reaches the disk before it replaces the old one.
        const qsizetype fsync = calls.indexOf(ScopedFileOps::Fsync);
        QVERIFY(fsync >= 0 && fsync < rename - 1);
        const char *target = withOldFile ? "old" : "none";
        for (int k = 1; k <= calls.size() + 1; ++k) {
            const char *step = k <= calls.size() ? callName(calls[k - 1]) : "return";
            QTest::addRow("%s, killed before call %d (%s)", target, k, step)
                << withOldFile << k << false << (k > rename);
            if (k <= calls.size() && calls[k - 1] == ScopedFileOps::Write) {
                QTest::addRow("%s, killed inside call %d (write)", target, k)
                    << withOldFile << k << true << false;
            }
        }
    }
}

void TestSaveKill::killedAtEveryStep()
{
    QFETCH(bool, withOldFile);
    QFETCH(int, killBefore);
    QFETCH(bool, midWrite);
    QFETCH(bool, expectNew);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.cod"));
    if (withOldFile)
        QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("x.cod"), oldRecord()));
    const CodeRecord record = newRecord();

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ScopedFileOps ops;
        ops.before = [&](ScopedFileOps::Call, int number) {
            if (number == killBefore && !midWrite)
                raise(SIGKILL);
        };
        ops.write = [&](int fd, const void *buffer, size_t size) -> ssize_t {
            if (midWrite && int(ops.calls().size()) == killBefore) {
                ScopedFileOps::system().write(fd, buffer, size / 2);
                raise(SIGKILL);
            }
            return ScopedFileOps::system().write(fd, buffer, size);
        };
        QString error;
        SaveCodeRecord(record, path, &error);
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGKILL);

    // The target is whole: the old record (or none), or the new one.
    const QStringList entries = TestLibrary::entries(dir.path());
    if (expectNew) {
        QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(record));
    } else if (withOldFile) {
        QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(oldRecord()));
    } else {
        QVERIFY(!entries.contains(QStringLiteral("x.cod")));
    }
    // Anything else is a hidden temporary file of the dead writer.
    for (const QString &entry : entries) {
        if (entry == QLatin1String("x.cod"))
            continue;
        QVERIFY2(IsTemporaryFileName(QFile::encodeName(entry)), qPrintable(entry));
        QVERIFY(entry.startsWith(u'.'));
        QVERIFY(entry.contains(QString::number(child)));
        QVERIFY(IsStaleTemporaryFileName(QFile::encodeName(entry)));
    }

    // Start-up takes in only the code file and removes the leftovers.
    frmMain window(dir.path());
    const bool hasCode = expectNew || withOldFile;
    QCOMPARE(window.codeTree()->codeCount(), hasCode ? 1 : 0);
    QVERIFY(window.skippedFiles().isEmpty());
    if (hasCode) {
        const QModelIndex node = window.codeTree()->indexOfKey(QStringLiteral("x"));
        QCOMPARE(node.parent().data().toString(),
            expectNew ? QStringLiteral("逻辑操作") : QStringLiteral("其他"));
    }
    QCOMPARE(TestLibrary::entries(dir.path()),
        hasCode ? QStringList { QStringLiteral("x.cod") } : QStringList());
}

void TestSaveKill::failures_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("errorNumber"); // 0 when the save succeeds

    QTest::newRow("disk full at open") << int(DiskFullAtOpen) << ENOSPC;
    QTest::newRow("no permission at open") << int(NoPermissionAtOpen) << EACCES;
    QTest::newRow("disk full at first write") << int(DiskFullAtFirstWrite) << ENOSPC;
    QTest::newRow("short write, then disk full") << int(ShortWriteThenDiskFull) << ENOSPC;
    QTest::newRow("write writes nothing") << int(WriteWritesNothing) << EIO;
    QTest::newRow("i/o error at write") << int(IoErrorAtWrite) << EIO;
    QTest::newRow("i/o error at fsync") << int(IoErrorAtFsync) << EIO;
    QTest::newRow("i/o error at close") << int(IoErrorAtClose) << EIO;
    QTest::newRow("i/o error at rename") << int(IoErrorAtRename) << EIO;
    QTest::newRow("interrupted open") << int(InterruptedOpen) << 0;
    QTest::newRow("interrupted writes") << int(InterruptedWrites) << 0;
    QTest::newRow("short writes") << int(ShortWrites) << 0;
    QTest::newRow("i/o error at folder fsync") << int(IoErrorAtFolderFsync) << 0;
}

void TestSaveKill::failures()
{
    QFETCH(int, fault);
    QFETCH(int, errorNumber);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.cod"));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("x.cod"), oldRecord()));
    const int descriptors = openDescriptors();

    bool ok = false;
    QString error;
    {
        ScopedFileOps ops;
        int writes = 0;
        int opens = 0;
        int fsyncs = 0;
        const auto fail = [](int code) { return errno = code, -1; };
        ops.open = [&](const char *file, int flags, mode_t mode) -> int {
            ++opens;
            if ((fault == DiskFullAtOpen || fault == NoPermissionAtOpen) && opens == 1)
                return fail(errorNumber);
            if (fault == InterruptedOpen && opens == 1)
                return fail(EINTR);
            return ScopedFileOps::system().open(file, flags, mode);
        };
        ops.write = [&](int fd, const void *buffer, size_t size) -> ssize_t {
            ++writes;
            switch (fault) {
            case DiskFullAtFirstWrite:
            case IoErrorAtWrite:
                return fail(errorNumber);
            case ShortWriteThenDiskFull:
                return writes == 1
                    ? ScopedFileOps::system().write(fd, buffer, qMin<size_t>(size, 1000))
                    : fail(ENOSPC);
            case WriteWritesNothing:
                return 0;
            case InterruptedWrites:
                if (writes % 2 == 1)
                    return fail(EINTR);
                return ScopedFileOps::system().write(fd, buffer, qMin<size_t>(size, 1000));
            case ShortWrites:
                return ScopedFileOps::system().write(fd, buffer, qMin<size_t>(size, 7));
            default:
                return ScopedFileOps::system().write(fd, buffer, size);
            }
        };
        ops.fsync = [&](int fd) {
            ++fsyncs;
            if ((fault == IoErrorAtFsync && fsyncs == 1)
                || (fault == IoErrorAtFolderFsync && fsyncs == 2))
                return fail(EIO);
            return ScopedFileOps::system().fsync(fd);
        };
        ops.close = [&](int fd) {
            const int result = ScopedFileOps::system().close(fd);
            return fault == IoErrorAtClose && result == 0 ? fail(EIO) : result;
        };
        ops.rename = [&](const char *from, const char *to) {
            return fault == IoErrorAtRename ? fail(EIO) : ScopedFileOps::system().rename(from, to);
        };
        ok = SaveCodeRecord(newRecord(), path, &error);
    }

    QCOMPARE(ok, errorNumber == 0);
    if (errorNumber != 0) {
        QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(errorNumber))), qPrintable(error));
        QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(oldRecord()));
    } else {
        QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(newRecord()));
    }
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { QStringLiteral("x.cod") });
    QCOMPARE(openDescriptors(), descriptors);
}

// A temporary file whose writer still runs is neither removed nor read;
// names that only look like the program's own are left alone too.
void TestSaveKill::liveWritersFilesKept()
{
    QTemporaryDir dir;
    const pid_t writer = fork();
    QVERIFY(writer >= 0);
    if (writer == 0) {
        pause();
        _exit(0);
    }
    const auto stopWriter = [writer] {
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
    };
    auto writerGuard = qScopeGuard(stopWriter);
    const QByteArray bytes
        = TestLibrary::bytes(TestLibrary::record(QStringLiteral("t"), QStringLiteral("其他")));
    const QByteArray live = ".quillbank-" + QByteArray::number(writer) + "-0.tmp";
    const QList<QByteArray> kept { live, ".quillbank-abc-0.tmp", ".quillbank-0-0.tmp",
        ".quillbank--5-0.tmp", ".quillbank-4194305-0.txt" };
    for (const QByteArray &name : kept)
        QVERIFY(TestLibrary::writeFile(dir.path(), name, bytes));
    QVERIFY(!IsStaleTemporaryFileName(live));

    frmMain window(dir.path());
    writerGuard.dismiss();
    stopWriter();
    QCOMPARE(window.codeTree()->codeCount(), 0);
    QVERIFY(window.skippedFiles().isEmpty());
    QStringList expected;
    for (const QByteArray &name : kept)
        expected << QString::fromLatin1(name);
    expected.sort();
    QStringList entries = TestLibrary::entries(dir.path());
    entries.sort();
    QCOMPARE(entries, expected);
}

QTEST_MAIN(TestSaveKill)
#include "tst_savekill.moc"
