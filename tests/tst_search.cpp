// The search inside every text: its rules, the lines it shows, and a run
// over a library folder.
#include "CodeSearch.h"
#include "ReaderThreads.h"
#include "ScopedFileOps.h"
#include "SearchJob.h"
#include "TestLibrary.h"

#include <QMutex>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace TestLibrary;

// The line of a match with the match in brackets.
static QString marked(const CodeSearch::Match &match)
{
    return QString(match.line).insert(match.start + match.length, u']').insert(match.start, u'[');
}

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("options"); // c: case kept, r: regular expression
        QTest::addColumn<int>("field"); // where the first term first occurs; -1: no match
        QTest::addColumn<QString>("line"); // the match in brackets

        // The record: name "  延时子程序 ", comments "MOV A,R0\r\n清零（8086）！",
        // declarations "DATA EQU 30H\rBUF\x81", code "ＭＯＶ dx, 3F8H\nout dx, al\n～剥兀".
        const int none = -1, name = CodeRecord::Name, comments = CodeRecord::Comments,
                  decls = CodeRecord::Declarations, code = CodeRecord::Code;
        const std::tuple<const char *, const char *, const char *, int, const char *> rows[] = {
            { "term in the name", "延时", "", name, "[延时]子程序" },
            { "two texts", "3f8h 清零", "", code, "ＭＯＶ dx, [3F8H]" },
            { "ideographic space and tab split", "清零\u3000\tequ", "", comments,
                "[清零]（8086）！" },
            { "one term missing", "延时 nothing", "", none, "" },
            { "quoted term keeps its space", "\"dx, al\"", "", code, "out [dx, al]" },
            { "quoted, apart", "\"dx al\"", "", none, "" },
            { "case ignored", "mov a", "", comments, "[MOV] A,R0" },
            { "case kept", "mov a", "c", none, "" },
            { "full width equals ascii", "(8086)", "c", comments, "清零[（8086）]！" },
            { "！", "!", "c", comments, "清零（8086）[！]" },
            { "ascii equals full width", "\"MOV dx\"", "c", code, "[ＭＯＶ dx], 3F8H" },
            { "padding never matched", "\"子程序 \"", "", none, "" },
            { "CR LF", "\"r0\n清\"", "", comments, "MOV A,[R0]" },
            { "lone CR is one break", "\"30h\nbuf\"", "", decls, "DATA EQU [30H]" },
            { "LF", "\"3f8h\nout\"", "", code, "ＭＯＶ dx, [3F8H]" },
            { "CR LF ending a term", "\"8h\r\n\"", "", code, "ＭＯＶ dx, 3F[8H]" },
            { "full-width tilde", "~", "c", code, "[～]剥\uFA0C" },
            { "last trail byte, FE", "剥", "", code, "～[剥]\uFA0C" },
            { "last lead byte, FE", "\uFA0C", "", code, "～剥[\uFA0C]" },
            { "empty", "", "", none, "" },
            { "blank", " \u3000 \"\"", "", none, "" },
            { "regex across a break", "equ \\d+h\\nbuf", "r", decls, "DATA [EQU 30H]" },
            { "regex, first text", ".", "r", name, "[延]时子程序" },
            { "blank regex", " \t", "r", none, "" },
            { "regex keeps case when asked", "equ", "cr", none, "" },
            { "regex", "a,r\\d", "r", comments, "MOV [A,R0]" },
            { "a byte that is not GBK", "\uFFFD", "", decls, "BUF[\uFFFD]" },
        };
        for (const auto &[title, query, options, field, line] : rows)
            QTest::newRow(title) << QString::fromUtf8(query) << options << field
                                 << QString::fromUtf8(line);
    }

    void rules()
    {
        QFETCH(QString, query);
        QFETCH(QString, options);
        QFETCH(int, field);
        QByteArray file = bytes(record(u"  延时子程序 "_s, kOther, u"MOV A,R0\r\n清零（8086）！"_s,
            u"DATA EQU 30H\rBUF"_s, u"ＭＯＶ dx, 3F8H\nout dx, al\n～剥\uFA0C"_s));
        file[CodeRecord::offset(CodeRecord::Declarations) + 16] = '\x81'; // not GBK: U+FFFD
        CodeSearch search;
        QVERIFY(search.setQuery(query, { options.contains(u'c'), options.contains(u'r') }));
        CodeSearch::Match match;
        const bool matches = search.match(file.constData(), file.size(), &match);
        QCOMPARE(matches ? int(match.field) : -1, field);
        QTEST(matches ? marked(match) : QString(), "line");
    }

    // A file that ends right after a two-byte character is searched to its end.
    void shortFileSearchedToItsEnd()
    {
        const QByteArray file = bytes(record(u"n"_s, kOther, {}, {}, "ＭＯＶ"));
        CodeSearch search;
        CodeSearch::Match match;
        QVERIFY(search.setQuery(u"o"_s, {})
            && search.match(file.constData(), CodeRecord::offset(CodeRecord::Code) + 4, &match));
    }

    // A match that begins at a text's first line break shows that empty line.
    void matchAtFirstBreak()
    {
        const QByteArray file = bytes(record(u"n"_s, kOther, {}, {}, "\nMOV"));
        CodeSearch search;
        CodeSearch::Match match;
        QVERIFY(search.setQuery(u"\\nmov"_s, { false, true })
            && search.match(file.constData(), file.size(), &match));
        QCOMPARE(marked(match), u"[]"_s);
    }

    void longLineIsCutAroundTheMatch_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("line"); // the match in brackets
        QTest::addColumn<int>("offset");
        const QString x(200, u'x'), y(200, u'y'), more(1, QChar(0x2026));
        QTest::newRow("middle") << x + "needle" + y
                                << more + x.left(24) + "[needle]" + y.left(50) + more << 200;
        QTest::newRow("blanks") << "a\n \tneedle \nb"
                                << "[ \tneedle]" << 2; // matched too
    }

    void longLineIsCutAroundTheMatch()
    {
        QFETCH(QString, code);
        const QByteArray file = bytes(record(u"n"_s, kOther, {}, {}, code));
        CodeSearch search;
        search.setQuery(u"[ \t]*NEEDLE"_s, { false, true });
        CodeSearch::Match match;
        QVERIFY(search.match(file.constData(), file.size(), &match));
        QTEST(marked(match), "line");
        QTEST(match.textOffset, "offset");
    }

    // Chunks that wait on the disk bring in more reading threads, up to the
    // most allowed (how many get a chunk depends on how fast they start).
    void slowChunksReadOnMoreThreads()
    {
        QMutex mutex;
        QSet<Qt::HANDLE> threads;
        QList<int> chunks; // each once
        ReaderThreads::forEachChunk(1000, 1, [&](int chunk, int, int) {
            usleep(2000);
            const QMutexLocker lock(&mutex);
            threads.insert(QThread::currentThreadId());
            chunks << chunk;
        });
        std::sort(chunks.begin(), chunks.end());
        QCOMPARE(chunks.size(), 1000);
        QCOMPARE(chunks.last(), 999);
        QVERIFY2(threads.size() > 2 && threads.size() <= ReaderThreads::kMaxThreads,
            qPrintable(QString::number(threads.size())));
    }

    void runKeepsListOrderAndNamesUnreadableFiles()
    {
        QTemporaryDir dir;
        QVector<QByteArray> files;
        for (int i = 0; i < 512;
             ++i) { // with the missing file one past whole chunks, the last a hit
            files.append("c" + QByteArray::number(i) + ".cod");
            const QString comments = i % 7 == 0 ? u"含有 UART"_s : u"无"_s;
            QVERIFY(writeCode(dir.path(), files.last(), record(files.last(), kOther, comments)));
        }
        files.insert(300, "missing.cod");
        QCOMPARE(ReaderThreads::chunkCount(512, 64), 8); // whole chunks, and one more
        QCOMPARE(ReaderThreads::chunkCount(513, 64), 9);
        CodeSearch search;
        search.setQuery(u"uart"_s, {});
        const CodeSearch::Results results = search.run(dir.path(), files);
        QCOMPARE(results.hits.size(), 74);
        for (int k = 0; k < results.hits.size(); ++k) {
            const CodeSearch::Hit &hit = results.hits.at(k);
            QCOMPARE(files.at(hit.item), "c" + QByteArray::number(k * 7) + ".cod");
            QCOMPARE(results.line(hit), u"含有 UART"_s);
        }
        QCOMPARE(results.unreadable.size(), 1);
        QCOMPARE(results.unreadable.at(0).fileName, u"missing.cod"_s);
        search.setQuery(u"无"_s, {}); // a new query replaces the old one
        QCOMPARE(search.run(dir.path(), files).hits.size(), 512 - 74);
        // A break is found where a code holds CR alone, and no LF anywhere.
        QVERIFY(writeCode(dir.path(), "cr.cod", record("cr", {}, {}, "A\rB")));
        search.setQuery(u"\"a\nb\""_s, {});
        QCOMPARE(search.run(dir.path(), { "cr.cod" }).hits.size(), 1);
        const std::atomic<bool> cancel { true }; // a cancelled run finds nothing
        const CodeSearch::Results none = search.run(dir.path(), files, &cancel);
        QVERIFY(none.hits.isEmpty());
        // A job destroyed at once abandons its search within a chunk.
        std::atomic<int> opened { 0 };
        ScopedFileOps ops;
        ops.before = [&](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::OpenAt ? usleep(2000) + (++opened, 0) : 0;
        };
        {
            SearchJob job(search, dir.path(), files);
        }
        QVERIFY2(opened < 200, qPrintable(QString::number(opened)));
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
