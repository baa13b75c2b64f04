// Writing and reading code files, the name check and the folder listing.
#include "FileList.h"
#include "TestLibrary.h"
#include "modProgramVars.h"

#include <QTemporaryDir>
#include <QTest>

using namespace modProgramVars;

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void saveReplacesInPlace();
    void unencodableNotWritten();
    void readNeverCreates();
    void readHeadAndPrefix_data();
    void readHeadAndPrefix();
    void nameCheck_data();
    void nameCheck();
    void listingOrderAndFilter();
    void listingGbkFileName();
    void listingMissingFolder();

private:
    QTemporaryDir m_dir;
};

void TestStore::saveReplacesInPlace()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.cod"));
    QVERIFY(TestLibrary::writeFile(dir.path(), "x.cod", QByteArray(9000, 'z')));
    QString error;
    const CodeRecord r = TestLibrary::record(QStringLiteral("x"), QStringLiteral("其他"));
    QVERIFY(SaveCodeRecord(r, path, &error));
    QCOMPARE(TestLibrary::readFile(path), TestLibrary::bytes(r));
    QCOMPARE(TestLibrary::entries(dir.path()), QStringList { QStringLiteral("x.cod") });
}

void TestStore::unencodableNotWritten()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!SaveCodeRecord(TestLibrary::record(QStringLiteral("x"), {}, QStringLiteral("😀")),
        dir.filePath(QStringLiteral("x.cod")), &error));
    QVERIFY(error.contains(QStringLiteral("😀")));
    QVERIFY(TestLibrary::entries(dir.path()).isEmpty());
}

void TestStore::readNeverCreates()
{
    QTemporaryDir dir;
    CodeRecord r;
    QString error;
    QVERIFY(
        !ReadCodeRecord(QFile::encodeName(dir.filePath(QStringLiteral("none.cod"))), &r, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(TestLibrary::entries(dir.path()).isEmpty());
}

void TestStore::readHeadAndPrefix_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("characters");
    QTest::addColumn<QString>("prefix");
    const QByteArray full = TestLibrary::bytes(TestLibrary::record(
        QStringLiteral("名"), QStringLiteral("其他"), QStringLiteral("汉字ab")));
    QTest::newRow("zero") << full << 0 << QString();
    QTest::newRow("two han") << full << 2 << QStringLiteral("汉字");
    QTest::newRow("into padding") << full << 6 << QStringLiteral("汉字ab  ");
    QTest::newRow("whole field") << full << 2000
                                 << (QStringLiteral("汉字ab") + QString(1496, u' '));
    QTest::newRow("file ends in comments") << full.left(3066) << 3 << QStringLiteral("汉  ");
}

void TestStore::readHeadAndPrefix()
{
    QFETCH(QByteArray, content);
    QFETCH(int, characters);
    QFETCH(QString, prefix);
    QTemporaryDir dir;
    QVERIFY(TestLibrary::writeFile(dir.path(), "f.cod", content));
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("f.cod")));
    QString text;
    QString error;
    QVERIFY(ReadFieldPrefix(path, CodeRecord::Comments, characters, &text, &error));
    QCOMPARE(text, prefix);
    CodeRecord record;
    QVERIFY(ReadCodeRecord(path, &record, &error));
    QCOMPARE(record.codeName(), QStringLiteral("名"));
    QCOMPARE(record.field(CodeRecord::Category).size(), 128);
}

void TestStore::nameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << QStringLiteral("多字节加法") << true;
    QTest::newRow("dots inside") << QStringLiteral("a.b.c") << true;
    QTest::newRow("spaces inside") << QStringLiteral("a b") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow(".") << QStringLiteral(".") << false;
    QTest::newRow("..") << QStringLiteral("..") << false;
    QTest::newRow("leading dot") << QStringLiteral(".hidden") << false;
    QTest::newRow("trailing dot") << QStringLiteral("x.") << false;
    QTest::newRow("parent") << QStringLiteral("../x") << false;
    QTest::newRow("backslash parent") << QStringLiteral("..\\x") << false;
    QTest::newRow("absolute") << QStringLiteral("/tmp/x") << false;
    QTest::newRow("slash") << QStringLiteral("a/b") << false;
    QTest::newRow("nul") << QString::fromUtf16(u"a\0b", 3) << false;
    QTest::newRow("newline") << QStringLiteral("a\nb") << false;
    QTest::newRow("tab") << QStringLiteral("a\tb") << false;
    QTest::newRow("del") << QStringLiteral("a\x7f") << false;
    for (const char *c : { "<", ">", ":", "\"", "|", "?", "*" })
        QTest::newRow(c) << (QStringLiteral("a") + QLatin1String(c)) << false;
    QTest::newRow("CON") << QStringLiteral("CON") << false;
    QTest::newRow("con.txt") << QStringLiteral("con.txt") << false;
    QTest::newRow("Lpt9") << QStringLiteral("Lpt9") << false;
    QTest::newRow("COM0 allowed") << QStringLiteral("COM0") << true;
    QTest::newRow("CONSOLE allowed") << QStringLiteral("CONSOLE") << true;
    QTest::newRow("emoji") << QStringLiteral("a😀") << false;
}

void TestStore::nameCheck()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QString reason;
    QCOMPARE(CheckCodeName(name, &reason), accepted);
    QCOMPARE(reason.isEmpty(), accepted);
}

void TestStore::listingOrderAndFilter()
{
    QTemporaryDir dir;
    for (const char *name : { "b.cod", "B.cod", "a.cod", "C", ".hidden.cod", "a.txt" })
        QVERIFY(TestLibrary::writeFile(dir.path(), name, "x"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.cod")));
    QVERIFY(QFile::link(
        dir.filePath(QStringLiteral("a.cod")), dir.filePath(QStringLiteral("link.cod"))));
    FileList list;
    QVERIFY(list.setFolder(dir.path()));
    QStringList names;
    for (int i = 0; i < list.count(); ++i)
        names << list.entry(i).name;
    QCOMPARE(names, (QStringList { "a.cod", "a.txt", "B.cod", "b.cod", "C", "link.cod" }));
    QCOMPARE(list.skipped().size(), 1);
    QCOMPARE(list.skipped().first().fileName, QStringLiteral("sub.cod"));
    QCOMPARE(list.path(0), QFile::encodeName(dir.filePath(QStringLiteral("a.cod"))));
}

void TestStore::listingGbkFileName()
{
    QTemporaryDir dir;
    // "汉字.cod" as code page 936 bytes: not valid UTF-8.
    QVERIFY(TestLibrary::writeFile(dir.path(), "\xba\xba\xd7\xd6.cod", "x"));
    QVERIFY(TestLibrary::writeFile(dir.path(), "汉.cod", "x"));
    FileList list;
    QVERIFY(list.setFolder(dir.path()));
    QCOMPARE(list.count(), 2);
    QStringList names { list.entry(0).name, list.entry(1).name };
    QVERIFY(names.contains(QStringLiteral("汉字.cod")));
    QVERIFY(names.contains(QStringLiteral("汉.cod")));
    const int gbk = names.indexOf(QStringLiteral("汉字.cod"));
    QCOMPARE(list.entry(gbk).fileName, QByteArray("\xba\xba\xd7\xd6.cod"));
}

void TestStore::listingMissingFolder()
{
    FileList list;
    QString error;
    QVERIFY(!list.setFolder(m_dir.filePath(QStringLiteral("nope")), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(list.count(), 0);
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
