// Reading the library on several threads: Find and start-up give what a
// reading in list order gives, and leave no thread behind.
#include "CommentSearch.h"
#include "FileList.h"
#include "LibraryScan.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmFind.h"
#include "frmMain.h"

#include <QSignalSpy>
#include <sys/stat.h>

class tst_Parallel : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    FileList m_files;
    ScopedFileOps m_ops;
    std::atomic<int> m_openedAfterMatch { 0 };
    int m_threads = 0;

private slots:
    // f0000.cod to f1999.cod hold codes n0000... with comments c0000...,
    // and f1500.cod's comments are c0010 too. The files ending in 7 cannot
    // be opened, every open waits as on a slow disk, and f0020.cod turns
    // into a FIFO once listed.
    void initTestCase()
    {
        for (int i = 0; i < 2000; ++i)
            QVERIFY(TestLibrary::writeCode(m_dir.path(),
                QByteArray("f") + QByteArray::number(i).rightJustified(4, '0') + ".cod",
                TestLibrary::record(QString::asprintf("n%04d", i), "逻辑操作",
                    QString::asprintf("c%04d", i == 1500 ? 10 : i))));
        QVERIFY(m_files.setFolder(m_dir.path()));
        const QByteArray fifo = QFile::encodeName(m_dir.filePath("f0020.cod"));
        QVERIFY(unlink(fifo) == 0 && mkfifo(fifo, 0644) == 0);
        m_ops.openat = [this](int dirFd, const char *name, int flags, mode_t mode) {
            m_openedAfterMatch += usleep(300) + (qstrcmp(name, "f0010.cod") > 0);
            if (QByteArray(name).endsWith("7.cod"))
                return errno = EACCES, -1;
            return ScopedFileOps::system().openat(dirFd, name, flags, mode);
        };
        m_threads = QDir("/proc/self/task").count();
    }
    void cleanup() { QCOMPARE(QDir("/proc/self/task").count(), m_threads); }

    // Files read ahead past the first match are ignored, f0007.cod before
    // it does not keep it from being found, and the FIFO after it does not
    // hold the search up; a search without a match tells which files it
    // could not read.
    void findDecidesInListOrder()
    {
        QCOMPARE(CommentSearch::run(m_files, QStringLiteral("c0010")).record.codeName(), "n0010");
        QVERIFY2(m_openedAfterMatch < 200, qPrintable(QString::number(m_openedAfterMatch)));

        frmMain window(m_dir.path());
        auto *find = new frmFind(&window);
        QSignalSpy told(find, &frmFind::nothingFound);
        find->findChild<QObject *>(QStringLiteral("Text1"))->setProperty("text", "x");
        find->Command1_Click();
        QVERIFY(
            told.value(0).value(0).toString().contains(QStringLiteral("有 200 个文件无法读取")));
        QCOMPARE(told.value(0).value(1).toString().count(u'\n'), 199);
    }

    void startUpKeepsListOrder()
    {
        const LibraryScan scan = LibraryScan::read(m_files);
        QCOMPARE(scan.codes.size(), 1799);
        for (int k = 1; k < scan.codes.size(); ++k)
            QVERIFY(scan.codes[k - 1].entry < scan.codes[k].entry
                && scan.name(scan.codes[k]) == "n" + m_files.name(scan.codes[k].entry).mid(1, 4));
        QCOMPARE(scan.skipped[2].fileName + scan.skipped.last().fileName, "f0020.codf1997.cod");
    }
};

QTEST_MAIN(tst_Parallel)
#include "tst_parallel.moc"
