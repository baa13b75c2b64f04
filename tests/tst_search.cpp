#include "CodeSearch.h"
#include "ScopedFileOps.h"
#include "SearchJob.h"
#include "TestLibrary.h"

#include <QTemporaryDir>
#include <QTest>

using TestLibrary::record;

// The line of a match with the match in brackets.
static QString marked(const CodeSearch::Match &match)
{
    return QString(match.line).insert(match.start + match.length, u']').insert(match.start, u'[');
}

class tst_search : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void invalidPatternIsTold();
    void longLineIsCutAroundTheMatch_data();
    void longLineIsCutAroundTheMatch();
    void runKeepsListOrderAndNamesUnreadableFiles();
};

void tst_search::rules_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("regex");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<int>("field"); // where the first term first occurs
    QTest::addColumn<QString>("line"); // the match in brackets

    // The record: name "  延时子程序 ", comments "MOV A,R0\r\n清零（8086）！",
    // declarations "DATA EQU 30H\rBUF", code "ＭＯＶ dx, 3F8H\nout dx, al".
    const int name = CodeRecord::Name, comments = CodeRecord::Comments,
              decls = CodeRecord::Declarations, code = CodeRecord::Code;
    QTest::newRow("term in the name") << "延时" << false << false << true << name << "[延时]子程序";
    QTest::newRow("two texts") << "3f8h 清零" << false << false << true << code
                               << "ＭＯＶ dx, [3F8H]";
    QTest::newRow("ideographic space and tab split")
        << "清零\u3000\tequ" << false << false << true << comments << "[清零]（8086）！";
    QTest::newRow("one term missing") << "延时 nothing" << false << false << false << 0 << "";
    QTest::newRow("quoted term keeps its space")
        << "\"dx, al\"" << false << false << true << code << "out [dx, al]";
    QTest::newRow("quoted, apart") << "\"dx al\"" << false << false << false << 0 << "";
    QTest::newRow("case ignored") << "mov a" << false << false << true << comments << "[MOV] A,R0";
    QTest::newRow("case kept") << "mov a" << true << false << false << 0 << "";
    QTest::newRow("full width equals ascii")
        << "(8086)" << true << false << true << comments << "清零[（8086）]！";
    QTest::newRow("！") << "!" << true << false << true << comments << "清零（8086）[！]";
    QTest::newRow("ascii equals full width")
        << "\"MOV dx\"" << true << false << true << code << "[ＭＯＶ dx], 3F8H";
    QTest::newRow("padding never matched") << "\"子程序 \"" << false << false << false << 0 << "";
    QTest::newRow("CR LF") << "\"r0\n清\"" << false << false << true << comments << "MOV A,[R0]";
    QTest::newRow("lone CR is one break")
        << "\"30h\nbuf\"" << false << false << true << decls << "DATA EQU [30H]";
    QTest::newRow("LF") << "\"3f8h\nout\"" << false << false << true << code << "ＭＯＶ dx, [3F8H]";
    QTest::newRow("empty") << "" << false << false << false << 0 << "";
    QTest::newRow("blank") << " \u3000 \"\"" << false << false << false << 0 << "";
    QTest::newRow("regex across a break")
        << "equ \\d+h\\nbuf" << false << true << true << decls << "DATA [EQU 30H]";
    QTest::newRow("regex, first text") << "." << false << true << true << name << "[延]时子程序";
    QTest::newRow("blank regex") << " \t" << false << true << false << 0 << "";
    QTest::newRow("regex keeps case when asked") << "equ" << true << true << false << 0 << "";
    QTest::newRow("regex") << "a,r\\d" << false << true << true << comments << "MOV [A,R0]";
}

void tst_search::rules()
{
    QFETCH(QString, query);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, regex);
    QFETCH(bool, matches);
    const QByteArray bytes = TestLibrary::bytes(record(QStringLiteral("  延时子程序 "),
        TestLibrary::kOther, QStringLiteral("MOV A,R0\r\n清零（8086）！"),
        QStringLiteral("DATA EQU 30H\rBUF"), QStringLiteral("ＭＯＶ dx, 3F8H\nout dx, al")));
    CodeSearch search;
    QVERIFY(search.setQuery(query, { caseSensitive, regex }));
    CodeSearch::Match match;
    QCOMPARE(search.match(bytes.constData(), bytes.size(), &match), matches);
    QTEST(matches ? int(match.field) : 0, "field");
    QTEST(matches ? marked(match) : QString(), "line");
}

void tst_search::invalidPatternIsTold()
{
    CodeSearch search;
    QString error;
    QVERIFY(!search.setQuery(QStringLiteral("mov (ax"), { false, true }, &error));
    QVERIFY(error.contains(QStringLiteral("位置 7")));
    QVERIFY(search.matchesNothing());
}

void tst_search::longLineIsCutAroundTheMatch_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("line"); // the match in brackets
    QTest::addColumn<int>("offset");
    const QString x(200, u'x'), y(200, u'y'), more(1, QChar(0x2026));
    QTest::newRow("middle") << x + "needle" + y
                            << more + x.left(24) + "[needle]" + y.left(50) + more << 200;
    QTest::newRow("start") << "needle" + y << "[needle]" + y.left(74) + more << 0;
    QTest::newRow("end") << x + "needle" << more + x.left(74) + "[needle]" << 200;
    QTest::newRow("blanks") << "a\n \tneedle \nb"
                            << "[needle]" << 4;
}

void tst_search::longLineIsCutAroundTheMatch()
{
    QFETCH(QString, code);
    const QByteArray bytes
        = TestLibrary::bytes(record(QStringLiteral("n"), TestLibrary::kOther, {}, {}, code));
    CodeSearch search;
    search.setQuery(QStringLiteral("NEEDLE"), {});
    CodeSearch::Match match;
    QVERIFY(search.match(bytes.constData(), bytes.size(), &match));
    QTEST(marked(match), "line");
    QTEST(match.textOffset, "offset");
}

void tst_search::runKeepsListOrderAndNamesUnreadableFiles()
{
    QTemporaryDir dir;
    QVector<QByteArray> files;
    for (int i = 0; i < 512; ++i) { // with the missing file one past whole chunks, the last a hit
        files.append("c" + QByteArray::number(i) + ".cod");
        const QString comments = i % 7 == 0 ? QStringLiteral("含有 UART") : QStringLiteral("无");
        QVERIFY(TestLibrary::writeCode(
            dir.path(), files.last(), record(files.last(), TestLibrary::kOther, comments)));
    }
    files.insert(300, "missing.cod");
    CodeSearch search;
    search.setQuery(QStringLiteral("uart"), {});
    const CodeSearch::Results results = search.run(dir.path(), files);
    QVERIFY(results.finished);
    QCOMPARE(results.hits.size(), 74);
    for (int k = 0; k < results.hits.size(); ++k) {
        const CodeSearch::Hit &hit = results.hits.at(k);
        QCOMPARE(files.at(hit.item), "c" + QByteArray::number(k * 7) + ".cod");
        QCOMPARE(results.line(hit), QStringLiteral("含有 UART"));
    }
    QCOMPARE(results.unreadable.size(), 1);
    QCOMPARE(results.unreadable.at(0).fileName, QStringLiteral("missing.cod"));
    search.setQuery(QStringLiteral("无"), {}); // a new query replaces the old one
    QCOMPARE(search.run(dir.path(), files).hits.size(), 512 - 74);
    // A break is found where a code holds CR alone, and no LF anywhere.
    QVERIFY(TestLibrary::writeCode(dir.path(), "cr.cod", record("cr", {}, {}, "A\rB")));
    search.setQuery(QStringLiteral("\"a\nb\""), {});
    QCOMPARE(search.run(dir.path(), { "cr.cod" }).hits.size(), 1);
    const std::atomic<bool> cancel { true }; // a cancelled run is not finished
    const CodeSearch::Results none = search.run(dir.path(), files, &cancel);
    QVERIFY(!none.finished && none.hits.isEmpty());
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

QTEST_GUILESS_MAIN(tst_search)
#include "tst_search.moc"
