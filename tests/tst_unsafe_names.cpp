// Names that could lead a code's file out of the library folder, or make a
// file that other systems refuse, are refused by the New-code dialog before
// anything is written.
#include "CodeTreeModel.h"
#include "ScopedFileOps.h"
#include "modProgramVars.h"
#include "tst_dialogs_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>

namespace {

// The entries of /tmp that a write under one of the names could create.
QStringList tmpCandidates()
{
    QStringList found;
    for (const QString &entry : TestLibrary::entries(QStringLiteral("/tmp"))) {
        if (entry.endsWith(QLatin1String(".cod")) || entry.startsWith(QLatin1String(".quillbank-")))
            found << entry;
    }
    return found;
}

} // namespace

class TestUnsafeNames : public QObject {
    Q_OBJECT
private slots:
    void refusedBeforeAnyWrite_data();
    void refusedBeforeAnyWrite();
};

void TestUnsafeNames::refusedBeforeAnyWrite_data()
{
    QTest::addColumn<QString>("name");

    const QString long63(63, u'a');
    QTest::newRow("../x") << "../x";
    QTest::newRow("..\\x") << "..\\x";
    QTest::newRow("/tmp/x") << "/tmp/x";
    QTest::newRow("a/b") << "a/b";
    QTest::newRow("./x") << "./x";
    QTest::newRow("x/..") << "x/..";
    QTest::newRow("../../../../tmp/x") << "../../../../tmp/x";
    QTest::newRow("..\\..\\x") << "..\\..\\x";
    QTest::newRow("/") << "/";
    QTest::newRow("\\") << "\\";
    QTest::newRow("C:\\x") << "C:\\x";
    QTest::newRow("\\\\server\\share\\x") << "\\\\server\\share\\x";
    QTest::newRow(".") << ".";
    QTest::newRow("..") << "..";
    QTest::newRow("spaces around ../x") << "  ../x  ";
    QTest::newRow("spaces around ..") << "  ..  ";
    QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("NUL then ../x") << QChar(0) + QStringLiteral("../x");
    QTest::newRow("line feed") << "a\nb";
    QTest::newRow("carriage return") << "a\rb";
    QTest::newRow("control character 0x01") << "a\x01";
    QTest::newRow("escape") << "a\x1b[2J";
    QTest::newRow("delete") << "a\x7f";
    QTest::newRow("C1 control U+0085") << QStringLiteral("a\u0085b");
    QTest::newRow("slash made by the 64-byte cut") << long63 + "/b";
    QTest::newRow("trailing dot made by the 64-byte cut") << long63 + ".b";
}

void TestUnsafeNames::refusedBeforeAnyWrite()
{
    QFETCH(QString, name);
    QString reason;
    QVERIFY(!modProgramVars::CheckCodeName(
        TestLibrary::record(name, QStringLiteral("其他")).codeName(), &reason));

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Codes"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(TestLibrary::writeCode(folder, QStringLiteral("y.cod"),
        TestLibrary::record(QStringLiteral("y"), QStringLiteral("其他"))));
    frmMain window(folder);
    const QStringList folderBefore = TestLibrary::entries(folder);
    const QStringList parentBefore = TestLibrary::entries(dir.path());
    const QStringList tmpBefore = tmpCandidates();

    ScopedFileOps ops;
    bool wrote = false;
    ops.open = [&](const char *path, int flags, mode_t mode) {
        wrote = wrote || (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
        return ScopedFileOps::system().open(path, flags, mode);
    };
    const DialogTest::AddOutcome outcome
        = DialogTest::addCode(window, { name, QStringLiteral("其他"), "说明", "", "" });

    // Refused with a message, the dialog still up, and nothing written.
    QVERIFY(outcome.stayed);
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY(!wrote);
    const QVector<ScopedFileOps::Call> calls = ops.calls();
    QVERIFY(!calls.contains(ScopedFileOps::Write));
    QVERIFY(!calls.contains(ScopedFileOps::Rename));
    QVERIFY(!calls.contains(ScopedFileOps::Unlink));
    QCOMPARE(TestLibrary::entries(folder), folderBefore);
    QCOMPARE(TestLibrary::entries(dir.path()), parentBefore);
    QCOMPARE(tmpCandidates(), tmpBefore);
    QCOMPARE(window.codeTree()->codeCount(), 1);
}

QTEST_MAIN(TestUnsafeNames)
#include "tst_unsafe_names.moc"
