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
#include <climits>
#include <csignal>
#include <sys/wait.h>

namespace {

const CodeRecord kOld
    = TestLibrary::record("x", TestLibrary::kOther, "旧的说明", "OLD", "MOV AX,1");
const CodeRecord kNew = TestLibrary::record("x", "逻辑操作", QString(1500, u'新'), "NEW", "MOV");

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void killedAtEveryStep_data();
    void killedAtEveryStep();
    void failures_data();
    void failures();
    void temporaryFilesOfLiveWritersKept();
};

void TestFaults::killedAtEveryStep_data()
{
    QTest::addColumn<bool>("withOld");
    QTest::addColumn<int>("killBefore"); // the call before which the writer dies
    QTest::addColumn<bool>("expectNew");
    for (bool withOld : { true, false }) {
        QTemporaryDir dir; // the calls of one save, in order
        if (withOld)
            QVERIFY(TestLibrary::writeCode(dir.path(), "x.cod", kOld));
        ScopedFileOps ops;
        QString error;
        QVERIFY(modProgramVars::SaveCodeRecord(kNew, dir.filePath("x.cod"), &error));
        const auto calls = ops.calls();
        const int rename = int(calls.indexOf(ScopedFileOps::Rename)) + 1;
        // The record reaches the disk before it replaces the old one.
        QVERIFY(rename > 0 && calls.indexOf(ScopedFileOps::Fsync) < rename - 1);
        for (int k = 1; k <= calls.size() + 1; ++k)
            QTest::addRow("%s, before call %d", withOld ? "old" : "none", k)
                << withOld << k << (k > rename);
    }
}

void TestFaults::killedAtEveryStep()
{
    QFETCH(bool, withOld);
    QFETCH(int, killBefore);
    QFETCH(bool, expectNew);
    QTemporaryDir dir;
    if (withOld)
        QVERIFY(TestLibrary::writeCode(dir.path(), "x.cod", kOld));
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ScopedFileOps ops;
        ops.before = [&](ScopedFileOps::Call, int number) {
            return number == killBefore ? raise(SIGKILL) : 0;
        };
        QString error;
        modProgramVars::SaveCodeRecord(kNew, dir.filePath("x.cod"), &error);
        raise(SIGKILL);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    const bool hasCode = expectNew || withOld;
    QCOMPARE(TestLibrary::readFile(dir.filePath("x.cod")),
        hasCode ? TestLibrary::bytes(expectNew ? kNew : kOld) : QByteArray());
    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), int(hasCode));
    QVERIFY(window.skippedFiles().isEmpty());
    QCOMPARE(TestLibrary::entries(dir.path()), hasCode ? QStringList { "x.cod" } : QStringList());
}

// The calls of one kind get, in turn, the results of `turns`: a negative
// one fails with that errno; any other passes the call on, a write writing
// at most that many bytes.
void TestFaults::failures_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<QList<int>>("turns");
    QTest::addColumn<bool>("saved");
    using S = ScopedFileOps;
    const int pass = INT_MAX;
    QTest::newRow("no permission at open") << int(S::Open) << QList<int> { -EACCES, pass } << false;
    QTest::newRow("disk full at write") << int(S::Write) << QList<int> { 1000, -ENOSPC } << false;
    QTest::newRow("write writes nothing") << int(S::Write) << QList<int> { 0 } << false;
    QTest::newRow("i/o error at fsync") << int(S::Fsync) << QList<int> { -EIO, pass } << false;
    QTest::newRow("i/o error at close") << int(S::Close) << QList<int> { -EIO } << false;
    QTest::newRow("i/o error at rename") << int(S::Rename) << QList<int> { -EIO } << false;
    QTest::newRow("interrupted") << int(S::Write) << QList<int> { -EINTR, 7 } << true;
    QTest::newRow("folder fsync fails") << int(S::Fsync) << QList<int> { pass, -EIO } << true;
}

// A failed save says why and leaves the old record; no save leaves a
// temporary file or an open descriptor behind.
void TestFaults::failures()
{
    QFETCH(int, call);
    QFETCH(QList<int>, turns);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeCode(dir.path(), "x.cod", kOld));
    const auto descriptors = [] { return TestLibrary::entries(QStringLiteral("/proc/self/fd")); };
    const QStringList before = descriptors();
    QString error;
    bool ok = false;
    {
        ScopedFileOps ops;
        int turn = INT_MAX, count = 0;
        ops.before = [&](ScopedFileOps::Call made, int) {
            turn = made == call ? turns.at(count++ % turns.size()) : INT_MAX;
            return turn < 0 ? -turn : 0;
        };
        ops.write = [&](int fd, const void *buffer, size_t size) {
            return ScopedFileOps::system().write(fd, buffer, qMin<size_t>(size, size_t(turn)));
        };
        ok = modProgramVars::SaveCodeRecord(kNew, dir.filePath("x.cod"), &error);
    }
    QCOMPARE(ok, saved);
    QCOMPARE(error.isEmpty(), saved);
    QCOMPARE(TestLibrary::readFile(dir.filePath("x.cod")), TestLibrary::bytes(ok ? kNew : kOld));
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { "x.cod" });
    QCOMPARE(descriptors(), before);
}

// Start-up removes the temporary files of writers that died and leaves
// those of a running writer, and names that only look like them.
void TestFaults::temporaryFilesOfLiveWritersKept()
{
    const pid_t writer = fork();
    QVERIFY(writer >= 0);
    if (writer == 0) {
        pause();
        _exit(0);
    }
    const auto stop = qScopeGuard([writer] {
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
    });
    QTemporaryDir dir;
    QStringList kept { QStringLiteral(".quillbank-%1-0.tmp").arg(writer), ".quillbank-abc-0.tmp",
        ".quillbank-0-0.tmp", ".quillbank-4194305-0.txt", ".other.tmp" };
    // pid 2^22+1 is above the kernel's limit: that writer is gone.
    const QStringList written = QStringList(kept) << ".quillbank-4194305-0.tmp";
    for (const QString &name : written)
        QVERIFY(TestLibrary::writeFile(dir.path(), name.toLatin1(), TestLibrary::bytes(kOld)));
    frmMain window(dir.path());
    QCOMPARE(window.codeTree()->codeCount(), 0);
    QStringList entries = TestLibrary::entries(dir.path());
    entries.sort();
    kept.sort();
    QCOMPARE(entries, kept);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
