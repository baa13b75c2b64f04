// quillbank-cli run as a program on temporary libraries.
#include "TestLibrary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace TestLibrary;

class TestCli : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString out;
        QString err;
    };

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_library;

    Run cli(QStringList arguments, const QString &library = {})
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(QUILLBANK_CLI),
            arguments << QStringLiteral("--library") << (library.isEmpty() ? m_library : library));
        process.waitForFinished(60000);
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_library = m_dir->filePath("Codes");
        QDir().mkdir(m_library);
        // Listed as b.cod, a.cod, c.cod; a code category first in the tree.
        writeCode(m_library, "a.cod", record("a", kOther, "说明 a\r\n第二行", "", "MOV A,#1"));
        writeCode(m_library, "b.cod", record("b", QStringLiteral("运算子程序"), "", "", "ADD A"));
        writeCode(m_library, "c.cod", record("c", kOther, "", "DB 1", "RET"));
    }

    // Each command's exit status; usage errors give one line and a hint.
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told"); // on stdout, or on stderr when the status is not 0
        QTest::newRow("list") << QStringList { "list" } << 0 << "b\t运算子程序\na\t其他\nc\t其他\n";
        QTest::newRow("empty category")
            << QStringList { "list", "--category", "数据结构" } << 1 << "";
        QTest::newRow("not a category")
            << QStringList { "list", "--category", "x" } << 2 << "--help";
        QTest::newRow("unknown option") << QStringList { "check", "--x" } << 2 << "check --help";
        QTest::newRow("no command") << QStringList {} << 2 << "quillbank-cli --help";
        QTest::newRow("show") << QStringList { "show", "a", "--field", "comments" } << 0
                              << "说明 a\n第二行\n";
        QTest::newRow("show missing") << QStringList { "show", "z" } << 1 << "z";
        QTest::newRow("search") << QStringList { "search", "ret" } << 0 << "c\t其他\tcode\tRET\n";
        QTest::newRow("case") << QStringList { "search", "ret", "--case" } << 1 << "";
        QTest::newRow("bad pattern") << QStringList { "search", "(", "--regex" } << 2 << "--help";
        QTest::newRow("check") << QStringList { "check" } << 0 << "";
        QTest::newRow("import without category") << QStringList { "import", "x.asm" } << 2 << "";
        QTest::newRow("help") << QStringList { "import", "--help" } << 0 << "--replace";
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, told);
        const Run run = cli(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2((status == 0 ? run.out : run.err).contains(told), qPrintable(run.err));
        QVERIFY(status != 0 || told.contains(u'-') || run.out == told); // all of stdout
        QVERIFY(status != 2 || run.err.count(u'\n') == 2); // the error and the hint
        QCOMPARE(cli({ "list" }, m_dir->filePath("missing")).status, 3);
    }

    // check names what start-up skips, and a code in a file of another name.
    void checkFindsProblems()
    {
        writeFile(m_library, "short.cod", "abc");
        writeCode(m_library, "d.cod", record("e", kOther));
        const Run run = cli({ "check", "--json" });
        QCOMPARE(run.status, 1);
        const QJsonArray problems = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QStringList files;
        for (const QJsonValue &problem : problems)
            files << problem[QLatin1String("file")].toString();
        QCOMPARE(files, QStringList({ "short.cod", "d.cod" }));
        QVERIFY(problems[0][QLatin1String("problem")].toString().contains(u"3"));
    }

    // A text file becomes a code (its encodings are checked with the import
    // itself); a binary file, a name already there, a category's name, a
    // text too long or one code page 936 cannot store is refused, leaving
    // nothing behind.
    void import_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("result");
        const QByteArray text = "; 说明\nMOV A,#1\n";
        const QByteArray longText = "; " + QByteArray(1600, 'x') + "\nRET\n";
        const QStringList none;
        QTest::newRow("utf-8") << text << "n.asm" << none << "已添加";
        QTest::newRow("binary") << QByteArray("\x01\x00\x02", 3) << "n.asm" << none << "已拒绝";
        QTest::newRow("name taken") << text << "a.asm" << none << "--replace";
        QTest::newRow("replaced") << text << "a.asm" << QStringList { "--replace" } << "已替换";
        QTest::newRow("category's name") << text << "其他.asm" << none << "种类的名称";
        QTest::newRow("too long") << longText << "n.asm" << none << "1500";
        QTest::newRow("cut") << longText << "n.asm" << QStringList { "--cut" } << "已截断";
        QTest::newRow("unencodable") << QByteArray("😀\n") << "n.asm" << none << "😀";
    }
    void import()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fileName);
        QFETCH(QStringList, options);
        QFETCH(QString, result);
        auto before = contents(m_library);
        QVERIFY(writeFile(m_dir->path(), QFile::encodeName(fileName), content));
        const Run run = cli(QStringList { "import", fileName, "--category", "其他" } + options);
        QVERIFY2(run.out.contains(result), qPrintable(run.out));
        QCOMPARE(run.out.count(u'\n'), 1);
        const bool added = run.out.contains(u"已添加") || run.out.contains(u"已替换");
        QCOMPARE(run.status, added ? 0 : 1);
        auto after = contents(m_library);
        if (added) {
            const QString written = fileName.replace(".asm", ".cod");
            const CodeRecord code = CodeRecord::fromBytes(after[written], after[written].size());
            QVERIFY(code.field(CodeRecord::Code)
                        .startsWith(content.contains("RET") ? "RET" : "MOV A,#1"));
            QVERIFY(content.contains("RET")
                || code.field(CodeRecord::Comments).startsWith(QStringLiteral("说明 ")));
            after.remove(written);
            before.remove(written);
        }
        QCOMPARE(after, before); // nothing else changed, no temporary left
    }

    // A JSON export put back into an empty folder gives the same files; an
    // export never overwrites without --force; text export writes .asm files.
    void roundTrip()
    {
        writeCode(m_library, "other name.cod", record("x", kOther, "注释"));
        QCOMPARE(cli({ "export", "all.json", "--format", "json" }).status, 0);
        const Run again = cli({ "export", "all.json", "--format", "json" });
        QVERIFY(again.status == 1 && again.err.contains("all.json"));
        const QString empty = m_dir->filePath("empty");
        QDir().mkdir(empty);
        QCOMPARE(cli({ "search", " " }, empty).status, 1); // a blank query reads no file
        const Run back = cli({ "import", "--format", "json", "all.json", "--json" }, empty);
        QCOMPARE(back.status, 0);
        QCOMPARE(QJsonDocument::fromJson(back.out.toUtf8()).array().size(), 4);
        QCOMPARE(contents(empty), contents(m_library));
        QCOMPARE(cli({ "export", "text" }).status, 0);
        QCOMPARE(entries(m_dir->filePath("text")),
            QStringList({ "a.asm", "b.asm", "c.asm", "other name.asm" }));
        QCOMPARE(cli({ "export", "text" }).status, 1);
        QCOMPARE(cli({ "export", "text", "--force" }).status, 0);
        writeFile(m_dir->path(), "file", "x"); // a folder under a file cannot be made
        const Run under = cli({ "export", "file/text" });
        QVERIFY2(under.status != 0 && under.err.contains(QStringLiteral("无法创建文件夹")),
            qPrintable(under.err));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
