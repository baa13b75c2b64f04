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
#include <climits>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace modProgramVars;

namespace {

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
        QTemporaryDir dir; // the calls that one save makes, in order
        if (withOldFile)
            QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("x.cod"), oldRecord()));
        ScopedFileOps ops;
        QString error;
        QVERIFY(SaveCodeRecord(newRecord(), dir.filePath(QStringLiteral("x.cod")), &error));
        const QVector<ScopedFileOps::Call> calls = ops.calls();
        const int rename = int(calls.indexOf(ScopedFileOps::Rename)) + 1;
        QVERIFY(rename > 0);
        // The record reaches the disk before it replaces the old one.
        const qsizetype fsync = calls.indexOf(ScopedFileOps::Fsync);
        QVERIFY(fsync >= 0 && fsync < rename - 1);
        const char *target = withOldFile ? "old" : "none";
        for (int k = 1; k <= calls.size() + 1; ++k) {
            const char *const names[]
                = { "open", "write", "pread", "fsync", "close", "rename", "unlink", "openat" };
            const char *step = k <= calls.size() ? names[calls[k - 1]] : "return";
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
            return 0;
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
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    // The target is whole: the old record (or none), or the new one.
    // Anything else is a hidden temporary file of the dead writer.
    const bool hasCode = expectNew || withOldFile;
    QCOMPARE(TestLibrary::readFile(path),
        hasCode ? TestLibrary::bytes(expectNew ? record : oldRecord()) : QByteArray());
    for (const QString &entry : TestLibrary::entries(dir.path())) {
        QVERIFY2(entry == QLatin1String("x.cod")
                ? hasCode
                : entry.startsWith(u'.') && entry.contains(QString::number(child)),
            qPrintable(entry));
    }

    // Start-up takes in only the code file and removes the leftovers.
    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), int(hasCode));
    QVERIFY(window.skippedFiles().isEmpty());
    QCOMPARE(window.codeTree()->indexOfKey(QStringLiteral("x")).parent().data().toString(),
        hasCode ? QString::fromUtf8(expectNew ? "逻辑操作" : "其他") : QString());
    QCOMPARE(TestLibrary::entries(dir.path()),
        hasCode ? QStringList { QStringLiteral("x.cod") } : QStringList());
}

// The calls of one kind get, in turn and over again, the results of
// `turns`: a negative one fails with that errno; any other passes the call
// on, a write writing at most that many bytes.
void TestSaveKill::failures_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<QList<int>>("turns");
    QTest::addColumn<int>("errorNumber"); // 0 when the save succeeds

    using S = ScopedFileOps;
    const int pass = INT_MAX;
    const struct {
        const char *title;
        ScopedFileOps::Call call;
        QList<int> turns;
        int errorNumber;
    } rows[] = {
        { "disk full at open", S::Open, { -ENOSPC, pass }, ENOSPC },
        { "no permission at open", S::Open, { -EACCES, pass }, EACCES },
        { "disk full at first write", S::Write, { -ENOSPC }, ENOSPC },
        { "short write, then disk full", S::Write, { 1000, -ENOSPC }, ENOSPC },
        { "write writes nothing", S::Write, { 0 }, EIO },
        { "i/o error at write", S::Write, { -EIO }, EIO },
        { "i/o error at fsync", S::Fsync, { -EIO, pass }, EIO },
        { "i/o error at close", S::Close, { -EIO }, EIO },
        { "i/o error at rename", S::Rename, { -EIO }, EIO },
        { "interrupted open", S::Open, { -EINTR, pass }, 0 },
        { "interrupted writes", S::Write, { -EINTR, 1000 }, 0 },
        { "short writes", S::Write, { 7 }, 0 },
        { "i/o error at folder fsync", S::Fsync, { pass, -EIO }, 0 },
    };
    for (const auto &r : rows)
        QTest::newRow(r.title) << int(r.call) << r.turns << r.errorNumber;
}

// A failed save leaves the old record; any save leaves no temporary file
// and no open descriptor behind.
void TestSaveKill::failures()
{
    QFETCH(int, call);
    QFETCH(QList<int>, turns);
    QFETCH(int, errorNumber);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.cod"));
    QVERIFY(TestLibrary::writeCode(dir.path(), QStringLiteral("x.cod"), oldRecord()));
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
    };
    const QStringList descriptors = openDescriptors();
    bool ok = false;
    QString error;
    {
        ScopedFileOps ops;
        int turn = INT_MAX;
        int count = 0;
        ops.before = [&](ScopedFileOps::Call made, int) {
            turn = made == call ? turns.at(count++ % turns.size()) : INT_MAX;
            return turn < 0 ? -turn : 0;
        };
        ops.write = [&](int fd, const void *buffer, size_t size) {
            return ScopedFileOps::system().write(fd, buffer, qMin<size_t>(size, size_t(turn)));
        };
        ok = SaveCodeRecord(newRecord(), path, &error);
    }

    QCOMPARE(ok, errorNumber == 0);
    if (errorNumber != 0)
        QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(errorNumber))), qPrintable(error));
    QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(ok ? newRecord() : oldRecord()));
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
    const auto stopWriter = qScopeGuard([writer] {
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
    });
    QStringList kept { QStringLiteral(".quillbank-%1-0.tmp").arg(writer),
        QStringLiteral(".quillbank-abc-0.tmp"), QStringLiteral(".quillbank-0-0.tmp"),
        QStringLiteral(".quillbank--5-0.tmp"), QStringLiteral(".quillbank-4194305-0.txt") };
    for (const QString &name : kept) {
        QVERIFY(TestLibrary::writeFile(dir.path(), QFile::encodeName(name),
            TestLibrary::bytes(TestLibrary::record(QStringLiteral("t"), QStringLiteral("其他")))));
    }

    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), 0);
    QVERIFY(window.skippedFiles().isEmpty());
    QStringList entries = TestLibrary::entries(dir.path());
    entries.sort();
    kept.sort();
    QCOMPARE(entries, kept);
}

QTEST_MAIN(TestSaveKill)
#include "tst_savekill.moc"
