// The code file: its fixed-width fields in code page 936, writing and
// reading it, the names it may have, and the listing of the library folder.
#include "CodePage936.h"
#include "FileList.h"
#include "TestLibrary.h"
#include "modProgramVars.h"

#include <QTemporaryDir>

using namespace modProgramVars;

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void fieldWidths_data();
    void fieldWidths();
    void codeName_data();
    void codeName();
    void encoding_data();
    void encoding();
    void unencodableRefused_data();
    void unencodableRefused();
    void readAnyLength_data();
    void readAnyLength();
    void saveReplacesWholeFile();
    void nameCheck_data();
    void nameCheck();
    void listing();
};

// Each field holds exactly its width in bytes at its offset, cut before a
// character that would cross the width and padded with spaces.
void TestStore::fieldWidths_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("kept");
    const QString han = QStringLiteral("汉"); // BA BA in code page 936
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const int w = CodeRecord::width(CodeRecord::Field(f));
        const auto row = [f](const char *title, const QString &text, const QByteArray &kept) {
            QTest::addRow("%d %s", f, title) << f << text << kept;
        };
        row("exact", QString(w, u'x'), QByteArray(w, 'x'));
        row("one over", QString(w + 1, u'y'), QByteArray(w, 'y'));
        row("han straddles", QString(w - 1, u'a') + han, QByteArray(w - 1, 'a'));
        row("han fills", han.repeated(w / 2 + 1), QByteArray("\xba\xba").repeated(w / 2));
        row("short", QStringLiteral("ab"), "ab");
    }
}

void TestStore::fieldWidths()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, kept);
    const auto f = CodeRecord::Field(field);
    CodeRecord r;
    r.setField(f, text);
    QCOMPARE(r.field(f), text.left(CodeRecord::width(f)).leftJustified(CodeRecord::width(f)));
    QByteArray expected(CodeRecord::RecordSize, ' ');
    QCOMPARE(TestLibrary::bytes(r), expected.replace(CodeRecord::offset(f), kept.size(), kept));
}

void TestStore::codeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *title, const QString &name, const QString &expected) {
        QTest::newRow(title) << name << expected;
    };
    row("spaces around", "  x  ", "x");
    row("tab kept", "\tx", "\tx");
    row("70 ascii", QString(70, u'n'), QString(64, u'n'));
    row("40 han", QStringLiteral("码").repeated(40), QStringLiteral("码").repeated(32));
    row("han across 64", QString(63, u'a') + QStringLiteral("码"), QString(63, u'a'));
}

// The name that names the file is the one read back from it.
void TestStore::codeName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const CodeRecord r = TestLibrary::record(name, {});
    QCOMPARE(r.codeName(), expected);
    const QByteArray bytes = TestLibrary::bytes(r);
    QCOMPARE(CodeRecord::fromBytes(bytes.constData(), bytes.size()).codeName(), expected);
    QCOMPARE(CodeFileName(expected), expected + QStringLiteral(".cod"));
}

void TestStore::encoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("roundTrip");
    const auto row = [](const char *title, const QByteArray &bytes, const QString &text,
                         bool both) { QTest::newRow(title) << bytes << text << both; };
    row("euro 0x80", "\x80", QStringLiteral("\u20ac"), true);
    row("0xFF", "\xff", QStringLiteral("\uf8f5"), true);
    row("user area", "\xaa\xa1", QStringLiteral("\ue000"), true);
    row("han", "\xb0\xa1", QStringLiteral("啊"), true);
    row("crlf", "a\r\nb", "a\r\nb", true);
    row("nul", QByteArray("a\0b", 3), QString::fromUtf16(u"a\0b", 3), true);
    row("lone lead", "ab\x81", QStringLiteral("ab\ufffd"), false);
    row("bad trail", "\x81\x30x", QStringLiteral("\ufffd0x"), false);
}

void TestStore::encoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, roundTrip);
    QCOMPARE(CodePage936::decode(bytes), text);
    QByteArray encoded;
    QCOMPARE(CodePage936::encode(text, &encoded) && encoded == bytes, roundTrip);
}

// Text that code page 936 cannot hold is named, and no file is written.
void TestStore::unencodableRefused_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("bad");
    QTest::newRow("emoji") << int(CodeRecord::Comments) << QStringLiteral("😀");
    QTest::newRow("hangul") << int(CodeRecord::Code) << QStringLiteral("한");
    QTest::newRow("lone surrogate") << int(CodeRecord::Name) << QString(QChar(0xD800));
}

void TestStore::unencodableRefused()
{
    QFETCH(int, field);
    QFETCH(QString, bad);
    CodeRecord r = TestLibrary::record(QStringLiteral("x"), TestLibrary::kOther);
    r.setField(CodeRecord::Field(field), QStringLiteral("ok ") + bad);
    QTemporaryDir dir;
    QString error;
    QVERIFY(!SaveCodeRecord(r, dir.filePath(QStringLiteral("x.cod")), &error));
    QVERIFY2(error.contains(bad), qPrintable(error));
    QVERIFY(TestLibrary::entries(dir.path()).isEmpty());
}

// Files of any length read as a whole record: absent bytes are spaces, extra
// bytes are ignored, and a lone lead byte never swallows the next field.
void TestStore::readAnyLength_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QByteArray lead(4692, ' ');
    lead.replace(63, 2,
        "\x81"
        "C");
    lead[4564] = 'K';
    const QByteArray whole = TestLibrary::bytes(TestLibrary::record("n", "c"));
    QTest::newRow("empty") << QByteArray() << ""
                           << "";
    QTest::newRow("name only") << QByteArray("abc") << "abc"
                               << "";
    QTest::newRow("lead byte ending Name") << lead << QStringLiteral("\ufffd") << "K";
    QTest::newRow("longer") << whole + "extra"
                            << "n"
                            << "c";
    QTest::newRow("4691 bytes") << whole.left(4691) << "n"
                                << "c";
}

void TestStore::readAnyLength()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, category);
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeFile(dir.path(), "f", file));
    CodeRecord r;
    QString error;
    QVERIFY(ReadCodeRecord(QFile::encodeName(dir.filePath("f")), &r, &error));
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        QCOMPARE(r.field(CodeRecord::Field(f)).size(), CodeRecord::width(CodeRecord::Field(f)));
    QCOMPARE(trimmedSpaces(r.field(CodeRecord::Name)), name);
    QCOMPARE(trimmedSpaces(r.field(CodeRecord::Category)), category);
    QCOMPARE(r.field(CodeRecord::Code).at(0), file.size() > 64 ? QChar(file.at(64)) : QChar(u' '));
    // Reading a missing file fails and creates nothing.
    QVERIFY(!ReadCodeRecord(QFile::encodeName(dir.filePath("none")), &r, &error));
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { "f" });
}

void TestStore::saveReplacesWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeFile(dir.path(), "x.cod", QByteArray(9000, 'z')));
    const CodeRecord r = TestLibrary::record(QStringLiteral("x"), TestLibrary::kOther);
    QString error;
    QVERIFY(SaveCodeRecord(r, dir.filePath(QStringLiteral("x.cod")), &error));
    QCOMPARE(TestLibrary::readFile(dir.filePath("x.cod")), TestLibrary::bytes(r));
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { "x.cod" });
}

void TestStore::nameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    for (const char *good : { "多字节加法", "a.b c", "COM0", "CONSOLE" })
        QTest::newRow(good) << QString::fromUtf8(good) << true;
    for (const char *bad : { "", ".", "..", ".hidden", "x.", "../x", "a/b", "a\\b", "a\nb", "a\tb",
             "a\x7f", "a:b", "a?", "a*", "CON", "con.txt", "Lpt9", "a😀", "a\u0085b" })
        QTest::newRow(bad) << QString::fromUtf8(bad) << false;
    QTest::newRow("nul") << QString::fromUtf16(u"a\0b", 3) << false;
}

void TestStore::nameCheck()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QString reason;
    QCOMPARE(CheckCodeName(name, &reason), accepted);
    QCOMPARE(reason.isEmpty(), accepted);
}

// Regular files and links to them, hidden ones left out, in order of their
// names without regard to case, then exactly; GBK names are decoded.
void TestStore::listing()
{
    QTemporaryDir dir;
    for (const char *name : { "b.cod", "B.cod", "a.cod", "C", ".hidden.cod", "\xba\xba.cod" })
        QVERIFY(TestLibrary::writeFile(dir.path(), name, "x"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.cod")));
    QVERIFY(QFile::link(dir.filePath("a.cod"), dir.filePath("link.cod")));
    FileList list;
    QVERIFY(list.setFolder(dir.path()));
    QStringList names;
    for (int i = 0; i < list.count(); ++i)
        names << list.entry(i).name;
    QCOMPARE(names, (QStringList { "a.cod", "B.cod", "b.cod", "C", "link.cod", "汉.cod" }));
    QCOMPARE(list.entry(5).fileName, QByteArray("\xba\xba.cod"));
    QCOMPARE(list.skipped().size(), 1);
    QCOMPARE(list.skipped().first().fileName, QStringLiteral("sub.cod"));
    QString error;
    QVERIFY(!list.setFolder(dir.filePath("none"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(list.count(), 0);
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
