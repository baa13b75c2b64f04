// A library beside other writers, other systems and odd input: nothing is
// lost, changed or mislaid without a word.
#include "LibraryFolder.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QtWidgets>
#include <sys/stat.h>

namespace {

// Adds a code of category "其他" through the New-code dialog, answering
// every question with `answer`; returns the texts of the messages shown.
QStringList add(frmMain *window, const QString &name, const QString &comments = {},
    QMessageBox::StandardButton answer = QMessageBox::Yes)
{
    frmNewCode dialog(window);
    dialog.findChild<QLineEdit *>("txtName")->setText(name);
    dialog.findChild<QComboBox *>("cmbCategory")->setCurrentText("其他");
    dialog.findChild<QPlainTextEdit *>("txtComments")->setPlainText(comments);
    QStringList shown;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->done((shown << box->text(), answer));
    });
    answerer.start(5);
    dialog.cmdAdd_Click();
    return shown;
}

} // namespace

class TestSafety : public QObject {
    Q_OBJECT
private slots:
    void libraryBesideTheProgram();
    void otherWriters();
    void toldBeforeWriting_data();
    void toldBeforeWriting();
    void links();
};

// A library in a folder with a GBK name: adding y, whose file holds the
// code x, leaves one node for the file, in that folder. Without a folder
// nothing is written anywhere, not even in the working directory.
void TestSafety::libraryBesideTheProgram()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/\xb4\xfa\xc2\xeb";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    const QByteArray x = TestLibrary::bytes(TestLibrary::record("x", "其他"));
    QVERIFY(TestLibrary::writeFile(dir.path(), "\xb4\xfa\xc2\xeb/y.cod", x));
    frmMain window(folder);
    QCOMPARE(add(&window, "y").size(), 1);
    QCOMPARE(window.findChild<QLabel *>("Panel2")->text(), QStringLiteral("1 Code(s)"));
    QCOMPARE(::access((folder + "/y.cod").constData(), F_OK), 0);

    const auto back = qScopeGuard([cwd = QDir::currentPath()] { QDir::setCurrent(cwd); });
    QVERIFY(QDir::setCurrent(dir.path()) && QDir().mkdir("Codes"));
    frmMain lost { QByteArray() };
    QCOMPARE(add(&lost, "z").size(), 1);
    QVERIFY(TestLibrary::entries("Codes").isEmpty());
}

// While one copy writes, another copy waits; a file that a file manager
// puts in place or changes between the question and the write is never
// replaced. Agreed as it is now, it is replaced, keeping its permissions.
void TestSafety::otherWriters()
{
    for (const bool existed : { false, true }) {
        QTemporaryDir dir;
        QVERIFY(!existed || TestLibrary::writeFile(dir.path(), "n.cod", "old"));
        LibraryFolder library, other;
        QString error, otherError;
        QVERIFY(library.open(QFile::encodeName(dir.path()), &error)
            && other.open(QFile::encodeName(dir.path()), &error));
        FileStamp agreed, found;
        QVERIFY(library.stamp("n.cod", &agreed, &error));
        const CodeRecord n = TestLibrary::record("n", "其他");
        {
            ScopedFileOps ops;
            ops.before = [&](ScopedFileOps::Call call, int) {
                if (call == ScopedFileOps::OpenAt) {
                    other.save(n, "o.cod", {}, &found, &otherError);
                    TestLibrary::writeFile(dir.path(), "n.cod", "someone else's");
                    ::chmod(QFile::encodeName(dir.filePath("n.cod")).constData(), 0600);
                }
                return 0;
            };
            QCOMPARE(library.save(n, "n.cod", agreed, &found, &error),
                existed ? LibraryFolder::Changed : LibraryFolder::NameTaken);
        }
        QVERIFY(otherError.contains(QStringLiteral("另一个程序")));
        QCOMPARE(TestLibrary::entries(dir.path()), QStringList { "n.cod" });
        QCOMPARE(library.save(n, "n.cod", found, &found, &error), LibraryFolder::Saved);
        QCOMPARE(TestLibrary::readFile(dir.filePath("n.cod")), TestLibrary::bytes(n));
        QCOMPARE(QFileInfo(dir.filePath("n.cod")).permissions(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
}

// Text the record cannot hold as typed is told before anything is written.
// Characters that code page 936 would silently drop are named and refused;
// text longer than its field is written, when the user chooses to cut it,
// as the field rule gives, whole characters only.
void TestSafety::toldBeforeWriting_data()
{
    for (const char *column : { "name", "comments", "told", "file" }) // file empty: none written
        QTest::addColumn<QString>(column);
    const QString a1600(1600, 'a');
    const QStringList rows[] = { { "comments", "c", a1600, "说明", "c.cod" },
        { "straddling", "s", "a" + QString(750, u'汉'), "说明", "s.cod" },
        { "name", QString(33, u'名'), "", "名称", QString(32, u'名') + ".cod" },
        { "zero-width space", "n\u200Bq", "", "<U+200B>", "" },
        { "invisible, past the end", "n", a1600 + "\u00AD\uFEFF\u2060", "<U+00AD><U+FEFF><U+2060>",
            "" } };
    for (const QStringList &r : rows)
        QTest::newRow(qPrintable(r[0])) << r[1] << r[2] << r[3] << r[4];
}

void TestSafety::toldBeforeWriting()
{
    QFETCH(QString, name);
    QFETCH(QString, comments);
    QFETCH(QString, told);
    QFETCH(QString, file);
    QTemporaryDir dir;
    frmMain window(dir.path());
    // Going back writes nothing, or the next add would ask about the file.
    QCOMPARE(add(&window, name, comments, QMessageBox::No).size(), 1);
    const QStringList shown = add(&window, name, comments, QMessageBox::Yes);
    QVERIFY2(shown.size() == 1 && shown.first().contains(told), qPrintable(shown.join('|')));
    QCOMPARE(TestLibrary::entries(dir.path()), file.isEmpty() ? QStringList() : QStringList(file));
    if (!file.isEmpty())
        QCOMPARE(TestLibrary::readFile(dir.filePath(file)),
            TestLibrary::bytes(TestLibrary::record(name, "其他", comments)));
}

// A link is written through when its file is in the library folder, and
// refused otherwise; the link stays and nothing outside the folder changes.
void TestSafety::links()
{
    for (const QString target : { "sub/t.cod", "../t.cod" }) {
        const bool through = !target.startsWith(u'.');
        QTemporaryDir dir;
        const QString folder = dir.filePath("Codes");
        QVERIFY(QDir().mkpath(folder + "/sub"));
        for (const QString &in : { dir.path(), folder + "/sub" })
            QVERIFY(TestLibrary::writeFile(in, "t.cod", "old"));
        QVERIFY(QFile::link(target, folder + "/l.cod"));
        frmMain window(folder);
        const QStringList shown = add(&window, "l");
        // The question whether to replace, or the refusal.
        QVERIFY(shown.size() == 1 && shown.first().contains(QStringLiteral("链接")) != through);
        QVERIFY(QFileInfo(folder + "/l.cod").isSymLink());
        QCOMPARE(TestLibrary::readFile(folder + '/' + target)
                == TestLibrary::bytes(TestLibrary::record("l", "其他")),
            through);
        QCOMPARE(TestLibrary::readFile(dir.filePath("t.cod")), QByteArray("old"));
    }
}

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
