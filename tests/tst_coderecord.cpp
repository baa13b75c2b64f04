// The record's byte layout and its code-page-936 encoding.
#include "CodePage936.h"
#include "CodeRecord.h"
#include "TestLibrary.h"

#include <QTest>

class TestCodeRecord : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void fieldCuts_data();
    void fieldCuts();
    void codeName_data();
    void codeName();
    void byteRoundTrip_data();
    void byteRoundTrip();
    void invalidBytesDecode_data();
    void invalidBytesDecode();
    void shortAndLongInput_data();
    void shortAndLongInput();
    void unencodableRefused_data();
    void unencodableRefused();
    void trimOnlySpaces();
};

// 4692 bytes, each field at its offset, padded with spaces.
void TestCodeRecord::layout()
{
    const QByteArray bytes = TestLibrary::bytes(TestLibrary::record(QStringLiteral("N"),
        QStringLiteral("K"), QStringLiteral("M"), QStringLiteral("D"), QStringLiteral("C")));
    QByteArray expected(4692, ' ');
    expected[0] = 'N';
    expected[64] = 'C';
    expected[1564] = 'D';
    expected[3064] = 'M';
    expected[4564] = 'K';
    QCOMPARE(bytes, expected);
}

// Every field keeps exactly its width in bytes and never half a character.
void TestCodeRecord::fieldCuts_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expectedStart");
    QTest::addColumn<int>("keptBytes");

    const QString han = QStringLiteral("汉"); // B A BA in code page 936
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const int w = CodeRecord::width(CodeRecord::Field(f));
        const QByteArray tag = QByteArray::number(f);
        QTest::newRow(tag + " exact ascii") << f << QString(w, u'x') << QByteArray(w, 'x') << w;
        QTest::newRow(tag + " one ascii over")
            << f << QString(w + 1, u'y') << QByteArray(w, 'y') << w;
        // w-1 ASCII bytes then a double-byte character: it would straddle
        // the end, so it is dropped and a space pads the field.
        QTest::newRow(tag + " straddling han")
            << f << QString(w - 1, u'a') + han << QByteArray(w - 1, 'a') << w - 1;
        QTest::newRow(tag + " han fills")
            << f << han.repeated(w / 2) << QByteArray("\xba\xba").repeated(w / 2) << w;
    }
}

void TestCodeRecord::fieldCuts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, expectedStart);
    QFETCH(int, keptBytes);
    const auto f = CodeRecord::Field(field);
    CodeRecord r;
    r.setField(f, text);
    QCOMPARE(r.field(f).size(), CodeRecord::width(f));
    const QByteArray bytes = TestLibrary::bytes(r).mid(CodeRecord::offset(f), CodeRecord::width(f));
    QCOMPARE(bytes.left(keptBytes), expectedStart.left(keptBytes));
    QCOMPARE(bytes.mid(keptBytes), QByteArray(CodeRecord::width(f) - keptBytes, ' '));
}

void TestCodeRecord::codeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("spaces around") << QStringLiteral("  x  ") << QStringLiteral("x");
    QTest::newRow("tab kept") << QStringLiteral("\tx") << QStringLiteral("\tx");
    QTest::newRow("70 ascii cut to 64") << QString(70, u'n') << QString(64, u'n');
    // 40 Chinese characters are 80 bytes: only 32 fit the Name field.
    QTest::newRow("40 han cut to 32")
        << QStringLiteral("码").repeated(40) << QStringLiteral("码").repeated(32);
    QTest::newRow("ascii then han across 64")
        << QString(63, u'a') + QStringLiteral("码") << QString(63, u'a');
}

void TestCodeRecord::codeName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const CodeRecord r = TestLibrary::record(name, {});
    QCOMPARE(r.codeName(), expected);
    // The name read back from the file is the same name.
    const QByteArray bytes = TestLibrary::bytes(r);
    QCOMPARE(CodeRecord::fromBytes(bytes.constData(), bytes.size()).codeName(), expected);
}

void TestCodeRecord::byteRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("euro 0x80") << QByteArray("\x80") << QStringLiteral("\u20ac");
    QTest::newRow("0xFF") << QByteArray("\xff") << QStringLiteral("\uf8f5");
    QTest::newRow("user-defined area") << QByteArray("\xaa\xa1") << QStringLiteral("\ue000");
    QTest::newRow("gbk han") << QByteArray("\xb0\xa1") << QStringLiteral("啊");
    QTest::newRow("crlf") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb");
}

void TestCodeRecord::byteRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(CodePage936::decode(bytes), text);
    QByteArray encoded;
    QVERIFY(CodePage936::encode(text, &encoded));
    QCOMPARE(encoded, bytes);
    // And through a whole record.
    CodeRecord r;
    r.setField(CodeRecord::Comments, text);
    const QByteArray file = TestLibrary::bytes(r);
    QCOMPARE(file.mid(CodeRecord::offset(CodeRecord::Comments), bytes.size()), bytes);
    const CodeRecord back = CodeRecord::fromBytes(file.constData(), file.size());
    QCOMPARE(back.field(CodeRecord::Comments), r.field(CodeRecord::Comments));
}

void TestCodeRecord::invalidBytesDecode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lone lead at end") << QByteArray("ab\x81") << QStringLiteral("ab\ufffd");
    QTest::newRow("bad trail") << QByteArray("\x81\x30x") << QStringLiteral("\ufffd0x");
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
}

void TestCodeRecord::invalidBytesDecode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(CodePage936::decode(bytes), expected);
}

// A lone lead byte at the end of one field never swallows the next field.
void TestCodeRecord::shortAndLongInput_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");

    QTest::newRow("empty") << QByteArray() << QString() << QString();
    QTest::newRow("name only") << QByteArray("abc") << QStringLiteral("abc") << QString();
    QByteArray leadAtEnds(4692, ' ');
    leadAtEnds[63] = '\x81';
    leadAtEnds[64] = 'C';
    leadAtEnds[4564] = 'K';
    QTest::newRow("lead byte at field end")
        << leadAtEnds << QStringLiteral("\ufffd") << QStringLiteral("K");
    QByteArray longer
        = TestLibrary::bytes(TestLibrary::record(QStringLiteral("n"), QStringLiteral("c")));
    longer += "extra bytes beyond the record";
    QTest::newRow("longer") << longer << QStringLiteral("n") << QStringLiteral("c");
}

void TestCodeRecord::shortAndLongInput()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, category);
    const CodeRecord r = CodeRecord::fromBytes(file.constData(), file.size());
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        QCOMPARE(r.field(CodeRecord::Field(f)).size(), CodeRecord::width(CodeRecord::Field(f)));
    QCOMPARE(trimmedSpaces(r.field(CodeRecord::Name)), name);
    QCOMPARE(trimmedSpaces(r.field(CodeRecord::Category)), category);
}

void TestCodeRecord::unencodableRefused_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("emoji in comments")
        << int(CodeRecord::Comments) << QStringLiteral("ok 😀") << QStringLiteral("😀");
    QTest::newRow("hangul in code")
        << int(CodeRecord::Code) << QStringLiteral("한") << QStringLiteral("한");
    QTest::newRow("lone surrogate")
        << int(CodeRecord::Name) << QString(QChar(0xD800)) << QString(QChar(0xD800));
}

void TestCodeRecord::unencodableRefused()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    CodeRecord r;
    r.setField(CodeRecord::Field(field), text);
    QByteArray bytes;
    QString error;
    QVERIFY(!r.toBytes(&bytes, &error));
    QVERIFY2(error.contains(named), qPrintable(error));
    QVERIFY(bytes.isEmpty());
}

void TestCodeRecord::trimOnlySpaces()
{
    QCOMPARE(trimmedSpaces(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    QCOMPARE(trimmedSpaces(QStringLiteral("\t a \r\n")), QStringLiteral("\t a \r\n"));
    QCOMPARE(trimmedSpaces(QStringLiteral("    ")), QString());
}

QTEST_GUILESS_MAIN(TestCodeRecord)
#include "tst_coderecord.moc"
