// The code file: its fixed-width fields in code page 936, the names it may
// have, the listing of the library folder, and writes that are killed or
// fail part-way, which leave the complete old record or the complete new one.
#include "CodePage936.h"
#include "CodeTreeModel.h"
#include "LibraryFolder.h"
#include "LogLine.h"
#include "ScopedFileOps.h"
#include "SystemError.h"
#include "TestLibrary.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace modProgramVars;
using namespace TestLibrary;

namespace {
using Width = std::tuple<int, QString, QByteArray>;
// An old file or none; the call the writer is killed before (0: none); the
// kind of call that gets, in turn, the results of the list (a negative one
// fails with that errno, any other passes the call on, a write writing at
// most that many bytes); whether the new record is saved.
using Interruption = std::tuple<bool, int, ScopedFileOps::Call, QList<int>, bool>;
const CodeRecord kOld = record("x", kOther, "旧的说明", "OLD", "MOV AX,1");
const CodeRecord kNew = record("x", "逻辑操作", QString(1500, u'新'), "NEW", "MOV");
const std::pair<char16_t, const char *> kLastCharacters[]
    = { { u'€', "\x80" }, { u'丂', "" }, { u'汉', "" }, { 0xFA0C, "" }, { 0xF8F5, "\xff" } };
}

class TestStore : public QObject {
    Q_OBJECT
private slots:
    // Each field holds exactly its width in bytes at its offset, cut before
    // a character that would cross the width and padded with spaces.
    void fieldWidths_data()
    {
        QTest::addColumn<Width>("width"); // field, text, bytes kept
        const QString han = u"汉"_s; // BA BA in code page 936
        for (int f = 0; f < CodeRecord::FieldCount; ++f) {
            const int w = CodeRecord::width(CodeRecord::Field(f));
            const auto row = [f](const char *title, const QString &text, const QByteArray &kept) {
                QTest::addRow("%d %s", f, title) << Width { f, text, kept };
            };
            row("one under", QString(w - 1, u'x'), QByteArray(w - 1, 'x'));
            row("exact", QString(w, u'x'), QByteArray(w, 'x'));
            row("one over", QString(w + 1, u'y'), QByteArray(w, 'y'));
            row("han fills", han.repeated(w / 2 + 1), QByteArray("\xba\xba").repeated(w / 2));
            // Last in the field, the single bytes 80 and FF are kept; a
            // character of lead byte 81, BA or FE would cross the width.
            for (const auto &[last, kept] : kLastCharacters)
                QTest::addRow("%d ends in U+%04X", f, last) << Width { f,
                    QString(w - 1, u'a') + QChar(last), QByteArray(w - 1, 'a') + kept };
        }
    }
    void fieldWidths()
    {
        QFETCH(Width, width);
        const auto &[field, text, kept] = width;
        const auto f = CodeRecord::Field(field);
        CodeRecord r;
        r.setField(f, text);
        QCOMPARE(r.field(f), text.left(CodeRecord::width(f)).leftJustified(CodeRecord::width(f)));
        const auto next = CodeRecord::Field((field + 1) % CodeRecord::FieldCount);
        QCOMPARE(r.field(next), QString(CodeRecord::width(next), u' '));
        QByteArray expected(CodeRecord::RecordSize, ' ');
        QCOMPARE(bytes(r), expected.replace(CodeRecord::offset(f), kept.size(), kept));
    }

    // A name is kept without its outer spaces and cut to whole characters
    // in its 64 bytes, as its file holds it; it names a file only
    // when it can name one on any system.
    void names_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // null: refused
        const auto row = [](const QString &typed, const QString &kept) {
            QTest::newRow(qPrintable(typed.left(8))) << typed << kept;
        };
        row("  x  ", "x");
        row("\u3000x\u3000", "\u3000x\u3000");
        row(QString(70, u'n'), QString(64, u'n'));
        row(QString(40, u'码'), QString(32, u'码'));
        row(QString(63, u'a') + u'码', QString(63, u'a'));
        row(QString(63, u'b') + u"😀"_s, QString(63, u'b')); // no half of a pair
        for (const char *good : { "多字节加法", "a.b c", "COM0", "CONSOLE" })
            row(QString::fromUtf8(good), QString::fromUtf8(good));
        for (const char *bad : { "", ".", "..", ".hidden", "x.", "../x", "a/b", "a\\b", "a\nb",
                 "a\tb", "a\x7f", "a:b", "a?", "a*", "CON", "con.txt", "Lpt9", "a😀", "a\u0085b" })
            row(QString::fromUtf8(bad), {});
        row(QString::fromUtf16(u"a\0b", 3), {});
        row(QString::fromUtf16(u"a\xD800"), {}); // half of a pair, last
    }
    void names()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        if (!kept.isNull())
            QCOMPARE(record(typed, {}).codeName(), kept);
        QString reason;
        QCOMPARE(CheckCodeName(kept.isNull() ? typed : kept, &reason), !kept.isNull());
        QCOMPARE(reason.isEmpty(), !kept.isNull());
        QVERIFY(kept.isNull() || CodeFileName(kept) == kept + ".cod");
    }

    // Code page 936 both ways, as Windows writes it.
    void encoding_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: the text cannot be encoded
        QTest::addColumn<QString>("text");
        const std::pair<const char *, const char16_t *> rows[] = { { "\x80", u"\u20ac" },
            { "\xff", u"\uf8f5" }, { "\x81\x40", u"丂" }, { "\xfe\x40", u"\uFA0C" },
            { "", u"\u0080" }, { "\xaa\xa1", u"\ue000" }, { "\xb0\xa1\x61\r\n", u"啊a\r\n" },
            { "ab\x81", u"ab\ufffd" }, { "\x81\x30x", u"\ufffd0x" }, { "", u"😀" }, { "", u"한" },
            { "", u"\xD800" }, { "", u"\u00ADa" } };
        for (const auto &[bytes, text] : rows)
            QTest::newRow(QString::fromUtf16(text).toUtf8().toHex())
                << QByteArray(bytes) << QString::fromUtf16(text);
    }
    void encoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(bytes.isEmpty() || CodePage936::decode(bytes) == text);
        // What is not code page 936 reads as U+FFFD, which has no bytes.
        const bool both = !bytes.isEmpty() && !text.contains(QChar::ReplacementCharacter);
        QByteArray encoded;
        QCOMPARE(CodePage936::encode(text, &encoded), both);
        QVERIFY(!both || encoded == bytes);
        CodeRecord r; // and a field holding the text is saved only then
        r.setField(CodeRecord::Comments, text);
        QCOMPARE(r.toBytes(&encoded, nullptr), both);
    }

    // A file cut short anywhere reads each field from the bytes it has and
    // the rest as spaces, alike for the viewer and for Find.
    void shortFile_data()
    {
        QTest::addColumn<int>("size");
        for (int f = 0; f < CodeRecord::FieldCount; ++f) {
            const int start = CodeRecord::offset(CodeRecord::Field(f));
            for (int size :
                { start, start + 1, start + CodeRecord::width(CodeRecord::Field(f)) - 1 })
                QTest::addRow("%d bytes", size) << size;
        }
        QTest::newRow("4692 bytes") << 4692;
        QTest::newRow("4693 bytes") << 4693;
    }
    void shortFile()
    {
        QFETCH(int, size);
        QByteArray content(CodeRecord::RecordSize + 1, ' ');
        for (int k = 0; k < content.size(); ++k)
            content[k] = char('a' + k % 26);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path(), "s.cod", content.left(size)));
        CodeRecord read;
        QString error;
        const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
        QVERIFY(::mkfifo(fifo, 0644) == 0 && !ReadCodeRecord(fifo, &read, &error));
        QCOMPARE(error, u"不是普通文件"_s); // and no wait for a writer
        QVERIFY(ReadCodeRecord(QFile::encodeName(dir.filePath("s.cod")), &read, &error));
        for (int f = 0; f < CodeRecord::FieldCount; ++f) {
            const auto field = CodeRecord::Field(f);
            const int start = CodeRecord::offset(field), w = CodeRecord::width(field);
            const QString kept
                = QString::fromLatin1(content.mid(start, qBound(0, size - start, w)));
            QCOMPARE(read.field(field), kept.leftJustified(w));
            QCOMPARE(FieldPrefix(content.constData(), size, field, w), kept.leftJustified(w));
        }
    }

    // A save interrupted anywhere, by a kill or a call that fails or writes
    // short, leaves the old record or the new one whole and says why it
    // failed; no descriptor stays open. Start-up takes in just that file and
    // removes what a dead writer left, but not the temporary files of
    // running writers (this one and another) or names that only look like them.
    void interruptedSave_data()
    {
        QTest::addColumn<Interruption>("interruption");
        for (bool withOld : { true, false }) {
            QTemporaryDir dir; // the calls of one save, in order
            QVERIFY(!withOld || writeCode(dir.path(), "x.cod", kOld));
            ScopedFileOps ops;
            QVector<ScopedFileOps::Call> calls;
            ops.before = [&](ScopedFileOps::Call call, int) { return calls << call, 0; };
            QString error;
            QVERIFY(SaveCodeRecord(kNew, dir.filePath("x.cod"), &error));
            const int rename = int(calls.indexOf(ScopedFileOps::Rename)) + 1;
            // The record reaches the disk before it replaces the old one.
            QVERIFY(rename > 0 && calls.indexOf(ScopedFileOps::Fsync) < rename - 1);
            QVERIFY(calls.lastIndexOf(ScopedFileOps::Fsync) > rename - 1); // and the folder after
            for (int k = 1; k <= calls.size() + 1; ++k) {
                QTest::addRow("%s, killed before call %d", withOld ? "old" : "new", k)
                    << Interruption { withOld, k, {}, {}, k > rename };
            }
        }
        const int pass = INT_MAX;
        const auto row
            = [](const char *title, ScopedFileOps::Call call, QList<int> turns, bool saved) {
                  QTest::newRow(title) << Interruption { true, 0, call, turns, saved };
              };
        row("no permission at open", ScopedFileOps::Open, { -EACCES, pass }, false);
        row("temporary name taken", ScopedFileOps::Open, { -EEXIST, pass }, true);
        row("interrupted open", ScopedFileOps::Open, { -EINTR, pass }, true);
        row("disk full at write", ScopedFileOps::Write, { 1000, -ENOSPC }, false);
        row("write not permitted", ScopedFileOps::Write, { -EPERM }, false);
        row("interrupted, then writes nothing", ScopedFileOps::Write, { -EINTR, 0 }, false);
        row("i/o error at fsync", ScopedFileOps::Fsync, { -EIO, pass }, false);
        row("i/o error at close", ScopedFileOps::Close, { -EIO }, false);
        row("i/o error at rename", ScopedFileOps::Rename, { -EIO }, false);
        row("interrupted, one-byte writes", ScopedFileOps::Write, { -EINTR, 1 }, true);
        row("folder fsync fails", ScopedFileOps::Fsync, { pass, -EIO }, true);
    }
    void interruptedSave()
    {
        QFETCH(Interruption, interruption);
        const auto &[withOld, killBefore, call, turns, saved] = interruption;
        QTemporaryDir dir;
        QVERIFY(!withOld || writeCode(dir.path(), "x.cod", kOld));
        QProcess writer; // another program, still running
        writer.start("sleep", { "60" });
        QVERIFY(writer.waitForStarted());
        QStringList kept { u".quillbank-%1-999999.tmp"_s.arg(getpid()),
            u".quillbank-%1-0.tmp"_s.arg(writer.processId()), ".quillbank-abc-0.tmp",
            ".quillbank-0-0.tmp", ".quillbank-4194305-0.txt" };
        // pid 2^22+1 is above the kernel's limit: that writer is gone.
        for (const QString &name : kept + QStringList { ".quillbank-4194305-0.tmp" })
            QVERIFY(writeCode(dir.path(), name.toLatin1(), record("t", kOther)));
        const QList<int> handles = openHandles();
        QString error;
        const pid_t child = killBefore ? fork() : -1;
        if (child == 0) {
            ScopedFileOps ops;
            ops.before
                = [k = killBefore](ScopedFileOps::Call, int n) { return n == k ? raise(9) : 0; };
            SaveCodeRecord(kNew, dir.filePath("x.cod"), &error);
            raise(SIGKILL);
        } else if (killBefore) {
            QVERIFY(child > 0 && waitpid(child, nullptr, 0) == child);
        } else {
            ScopedFileOps ops;
            int turn = INT_MAX, count = 0;
            ops.before = [&, call = call, turns = turns](ScopedFileOps::Call made, int) {
                turn = made == call ? turns.at(count++ % turns.size()) : INT_MAX;
                return turn < 0 ? -turn : 0;
            };
            ops.write = [&](int fd, const void *buffer, size_t size) {
                return ScopedFileOps::real.write(fd, buffer, qMin(size, size_t(turn)));
            };
            QCOMPARE(SaveCodeRecord(kNew, dir.filePath("x.cod"), &error), saved);
            // The reason told: the failing call's, or an I/O error where it gave none.
            const auto failing = std::find_if(turns.begin(), turns.end(),
                [](int turn) { return turn < 0 && turn != -EINTR && turn != -EEXIST; });
            const QString reason = systemErrorText(failing == turns.end() ? EIO : -*failing);
            QVERIFY2(saved ? error.isEmpty() : error.endsWith(u'（' + reason + u'）'),
                qPrintable(error));
        }
        QCOMPARE(openHandles(), handles);
        const bool hasCode = saved || withOld;
        QCOMPARE(readFile(dir.filePath("x.cod")), hasCode ? bytes(saved ? kNew : kOld) : "");
        frmMain window(dir.path());
        QVERIFY(!writer.waitForFinished(10)); // and left alone
        QCOMPARE(window.codeTree()->codeCount(), int(hasCode));
        kept << (hasCode ? QStringList { "x.cod" } : QStringList());
        kept.sort();
        QCOMPARE(entries(dir.path()), kept);
    }

    // Started without stdin or stderr, the program puts /dev/null in their
    // place, read-only and write-only, before it opens any file.
    void closedStandardStreams()
    {
        const QList<int> handles = openHandles();
        const int saved[] = { ::dup(0), ::dup(2) };
        ::close(0), ::close(2);
        openStandardStreams();
        const QString targets
            = QFile::symLinkTarget("/proc/self/fd/0") + QFile::symLinkTarget("/proc/self/fd/2");
        const int modes
            = (::fcntl(0, F_GETFL) & O_ACCMODE) * 10 + (::fcntl(2, F_GETFL) & O_ACCMODE);
        ::dup2(saved[0], 0), ::dup2(saved[1], 2), ::close(saved[0]), ::close(saved[1]);
        QCOMPARE(targets, "/dev/null/dev/null");
        QCOMPARE(modes, O_RDONLY * 10 + O_WRONLY);
        QCOMPARE(openHandles(), handles);
    }

    // While one copy writes, another waits; a file that a file manager puts
    // in place or changes between the question and the write is never
    // replaced. Agreed to as it is now, it is replaced, keeping its mode.
    void otherWriters()
    {
        for (const bool existed : { false, true }) {
            QTemporaryDir dir;
            const QString path = dir.filePath("n.cod");
            QVERIFY(!existed || writeFile(dir.path(), "n.cod", "old"));
            LibraryFolder library, other;
            QString error, otherError;
            QVERIFY(library.open(QFile::encodeName(dir.path()), &error)
                && other.open(QFile::encodeName(dir.path()), &error));
            FileStamp agreed, found;
            QVERIFY(library.stamp("n.cod", &agreed, &error));
            const CodeRecord n = record("n", kOther);
            {
                ScopedFileOps ops;
                ops.before = [&](ScopedFileOps::Call call, int) {
                    if (call == ScopedFileOps::OpenAt) {
                        other.save(n, "o.cod", {}, &found, &otherError);
                        writeFile(dir.path(), "n.cod", "someone else's");
                        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
                    }
                    return 0;
                };
                QCOMPARE(library.save(n, "n.cod", agreed, &found, &error),
                    existed ? LibraryFolder::Changed : LibraryFolder::NameTaken);
            }
            QVERIFY(otherError.contains(u"另一个程序"_s));
            QCOMPARE(entries(dir.path()), QStringList { "n.cod" });
            QCOMPARE(library.save(n, "n.cod", found, &found, &error), LibraryFolder::Saved);
            QCOMPARE(
                other.save(n, "o.cod", {}, &found, &otherError), LibraryFolder::Saved); // unlocked
            QCOMPARE(readFile(path), bytes(n));
            QCOMPARE(QFile::permissions(path),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
            // Changed in place to the same size where times are whole seconds: told too.
            const timespec seconds[][2]
                = { { { 0, UTIME_OMIT }, { 1000, 0 } }, { { 0, UTIME_OMIT }, { 2000, 0 } } };
            QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(path), seconds[0], 0) == 0
                && library.stamp("n.cod", &agreed, &error)
                && utimensat(AT_FDCWD, QFile::encodeName(path), seconds[1], 0) == 0);
            QCOMPARE(library.save(n, "n.cod", agreed, &found, &error), LibraryFolder::Changed);
            // Through a link to a file beside it: that file is written, the link kept.
            QVERIFY(QFile::link("n.cod", dir.filePath("l.cod"))
                && library.stamp("l.cod", &agreed, &error));
            QCOMPARE(library.save(kOld, "l.cod", agreed, &found, &error), LibraryFolder::Saved);
            QVERIFY(QFileInfo(dir.filePath("l.cod")).isSymLink() && readFile(path) == bytes(kOld));
            // A lock interrupted is asked again; one refused is told at once.
            ScopedFileOps ops;
            int refusal = EINTR;
            ops.before = [&](ScopedFileOps::Call call, int) {
                return call == ScopedFileOps::Flock ? std::exchange(refusal, ENOLCK) : 0;
            };
            QCOMPARE(library.save(n, "n.cod", found, &found, &error), LibraryFolder::Failed);
            QCOMPARE(error, u"无法锁定代码库文件夹（%1）"_s.arg(systemErrorText(ENOLCK)));
        }
    }
};

QTEST_MAIN(TestStore)
#include "tst_store.moc"
