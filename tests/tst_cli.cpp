// quillbank-cli run as a program on temporary libraries.
#include "TestLibrary.h"

#include <QJsonArray>
#include <QJsonDocument>
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
            arguments << u"--library"_s << (library.isEmpty() ? m_library : library));
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
        writeCode(m_library, "b.cod", record("b", u"运算子程序"_s, "", "", "ADD A"));
        writeCode(m_library, "c.cod", record("c", kOther, "", "DB 1", "RET"));
        for (const char *name : { "n.asm", "a.asm" })
            writeFile(m_dir->path(), name, "; 说明\nMOV A,#1\n");
        writeFile(m_dir->path(), "long.asm", "; " + QByteArray(1600, 'x') + "\nRET\n");
        writeFile(m_dir->path(), "bin.asm", QByteArray("\x01\x00\x02", 3));
    }

    // Each command's exit status and what it says; a usage error gives one
    // line and a hint. A text ending in a line break is all of stdout. Only
    // an import changes the library, by the one code it adds, read from its
    // text file.
    void exitStatus_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told");
        const std::tuple<const char *, int, const char *> rows[]
            = { { "list", 0, "b\t运算子程序\na\t其他\nc\t其他\n" },
                  { "list --category 数据结构", 1, "" }, { "list --category x", 2, "--help" },
                  { "check --x", 2, "check --help" }, { "", 2, "quillbank-cli --help" },
                  { "show a --field comments", 0, "说明 a\n第二行\n" }, { "show z", 1, "z" },
                  { "search ret", 0, "c\t其他\tcode\tRET\n" }, { "search ret --case", 1, "" },
                  { "search ( --regex", 2, "--help" }, { "check", 0, "" },
                  { "import x.asm", 2, "" }, { "import --help", 0, "--replace" },
                  { "import n.asm --category 其他", 0, "已添加" },
                  { "import bin.asm --category 其他", 1, "已拒绝" },
                  { "import a.asm --category 其他", 1, "--replace" },
                  { "import a.asm --category 其他 --replace", 0, "已替换" },
                  { "import long.asm --category 其他", 1, "1500" },
                  { "import long.asm --category 其他 --cut", 0, "已截断" } };
        for (const auto &[arguments, status, told] : rows)
            QTest::newRow(arguments)
                << QString::fromUtf8(arguments) << status << QString::fromUtf8(told);
    }
    void exitStatus()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, told);
        auto before = contents(m_library);
        const QStringList words = arguments.split(u' ', Qt::SkipEmptyParts);
        const Run run = cli(words);
        QCOMPARE(run.status, status);
        QVERIFY2((status == 0 ? run.out : run.out + run.err).contains(told), qPrintable(run.err));
        QVERIFY(!told.endsWith(u'\n') || run.out == told);
        QVERIFY(status != 2 || run.err.count(u'\n') == 2); // the error and the hint
        auto after = contents(m_library);
        if (arguments.contains("--category") && status == 0) {
            const QString written = QString(words[1]).replace(".asm", ".cod");
            const CodeRecord code = CodeRecord::fromBytes(after[written], after[written].size());
            QVERIFY(code.field(CodeRecord::Code)
                        .startsWith(words[1] == u"long.asm" ? "RET" : "MOV A,#1"));
            after.remove(written), before.remove(written);
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
        QCOMPARE(cli({ "list" }, m_dir->filePath("missing")).status, 3);
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
        QVERIFY2(
            under.status != 0 && under.err.contains(u"无法创建文件夹"_s), qPrintable(under.err));
        writeFile(m_library, "short.cod", "abc"); // check names what start-up skips
        writeCode(m_library, "same.cod", record("a", kOther));
        const Run checked = cli({ "check" });
        QVERIFY(checked.status == 1 && checked.out.contains("short.cod")
            && checked.out.contains(u"已有名为“a”的代码"_s));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
