// Text files taken in as codes, codes written out as text and as one JSON
// document.
#include "AsmText.h"
#include "CodePage936.h"
#include "JsonArchive.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "TextImport.h"

#include <QtTest>

using namespace TestLibrary;

namespace {
QByteArray gbk(const QString &text)
{
    QByteArray bytes;
    CodePage936::encode(text, &bytes);
    return bytes;
}
} // namespace

class TestImportExport : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // null: refused as not text
        const QString zh = u"中文 mov"_s;
        QTest::newRow("utf-8") << zh.toUtf8() << zh;
        QTest::newRow("utf-8 bom") << "\xEF\xBB\xBF" + zh.toUtf8() << zh;
        QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE-N\x87\x65", 6) << "中文";
        QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFFN-\x65\x87", 6) << "中文";
        QTest::newRow("gbk") << gbk(zh) << zh;
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("nul") << QByteArray("mov\0", 4) << QString();
        QTest::newRow("utf-16 nul") << QByteArray("\xFF\xFE\0\0", 4) << QString();
        QTest::newRow("utf-16 odd") << QByteArray("\xFF\xFEN", 3) << QString();
        QTest::newRow("utf-16 pair") << QByteArray("\xFF\xFE\x3D\xD8\0\xDE", 6) << "😀";
        QTest::newRow("utf-16 lone surrogate") << QByteArray("\xFF\xFE\0\xD8", 4) << QString();
        QTest::newRow("bom then gbk") << "\xEF\xBB\xBF" + gbk(zh) << QString();
        QTest::newRow("neither") << QByteArray("\x81\x20") << QString();
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QString decoded, error;
        const bool ok = TextImport::decode(bytes, &decoded, &error);
        QCOMPARE(ok, error.isEmpty());
        QCOMPARE(ok ? decoded : QString(), text);
    }

    void split_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("code");
        const char *rows[][4] = { { "block", "; a\n;b\n;  c\n\n \t\nmov\n; d\n", "a\r\nb\r\n c",
                                      "mov\r\n; d" },
            { "no block", "\nmov\r\n\rret", "", "\r\nmov\r\n\r\nret" },
            { "only comments", ";\r\n; x\r\n", "\r\nx", "" },
            { "last break kept once", "mov\n\n", "", "mov\r\n" },
            { "heading missing", ";; 说明\n; a\n;; 代码\nmov", "; 说明\r\na\r\n; 代码", "mov" },
            { "first heading missing", "; a\n;; 声明\n;; 代码\nmov", "a\r\n; 声明\r\n; 代码",
                "mov" },
            { "headings cut off", ";; 说明\n; a", "; 说明\r\na", "" },
            { "empty sections", ";; 说明\n;; 声明\n;; 代码\nmov", "", "mov" } };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
    }
    void split()
    {
        QFETCH(QString, file);
        const ImportedText text = TextImport::split(file);
        QTEST(text.comments, "comments");
        QTEST(text.code, "code");
        QVERIFY(text.declarations.isEmpty());
    }

    // Whatever the three texts hold, the .asm text brings them back.
    void asmTextRoundTrip()
    {
        const CodeRecord r = record("x", kOther, u"第一行\r\n\r\n ;; 声明\r\n"_s, u";; 代码"_s,
            u"\r\n  mov ax, 1 ; 注\r\n;; 说明  "_s);
        const QString text = AsmText::fromRecord(r);
        QVERIFY(!text.contains(u'\r'));
        ImportedText back;
        QString error;
        QVERIFY(TextImport::fromBytes("dir/x.y.asm", text.toUtf8(), &back, &error));
        QCOMPARE(back.name, "x.y");
        QCOMPARE(back.comments, trimmedSpaces(r.field(CodeRecord::Comments)));
        QCOMPARE(back.declarations, trimmedSpaces(r.field(CodeRecord::Declarations)));
        QCOMPARE(back.code, trimmedSpaces(r.field(CodeRecord::Code)));
        QCOMPARE(AsmText::fileNameFor("b.COD"), "b.asm"); // the shortest name
        QCOMPARE(AsmText::fileNameFor("a.txt"), "a.txt.asm");
    }

    void readFileRefusals()
    {
        QTemporaryDir dir;
        const int most = 4 * 4500; // four bytes for each byte the three texts hold
        QVERIFY(writeFile(dir.path(), "big.asm", QByteArray(most + 1, 'a')));
        QVERIFY(writeFile(dir.path(), "max.asm", QByteArray(most, 'a')));
        ImportedText text;
        QString error;
        for (const char *refused : { "", "missing.asm", "big.asm" })
            QVERIFY(
                !TextImport::readFile(dir.filePath(refused), &text, &error) && !error.isEmpty());
        // A file whose reads fail (this one at address 0) is refused at once.
        QVERIFY(!TextImport::readFile("/proc/self/mem", &text, &error));
        QVERIFY2(error.startsWith(u"无法读取文件："_s), qPrintable(error));
        QVERIFY(TextImport::readFile(dir.filePath("max.asm"), &text, &error));
        ScopedFileOps ops; // an interrupted read is read again
        ops.before = [](ScopedFileOps::Call call, int n) {
            return call == ScopedFileOps::Pread && n == 1 ? EINTR : 0;
        };
        QVERIFY2(TextImport::readFile(dir.filePath("max.asm"), &text, &error), qPrintable(error));
    }

    // Every lossless file comes back byte for byte under its own name; the
    // others are told.
    void jsonRoundTrip()
    {
        QByteArray windows = bytes(record("w", kOther));
        windows.replace(3064, 12, gbk(u"注释\r\n€行"_s).leftJustified(12, ' '));
        windows[40] = '\x1f'; // written as \u001f
        const QByteArray files[][2] = { { "a.cod", bytes(record("a", kOther, "c\r\n\"\\")) },
            { "w.cod", windows }, { "\xD7\xA2.cod", bytes(record("gbk name", kOther)) },
            { "short.cod", windows.left(100) },
            { "bad.cod", QByteArray(windows).replace(3, 2, "\x81\x20") } };
        QByteArray json;
        QBuffer device(&json);
        device.open(QIODevice::WriteOnly);
        JsonArchive::Writer writer(&device);
        for (const auto &[name, content] : files) {
            const QString loss = writer.add(name, content);
            QCOMPARE(loss.isEmpty(), !name.startsWith("short") && !name.startsWith("bad"));
            QCOMPARE(JsonArchive::isLossless(content.constData(), content.size()), loss.isEmpty());
        }
        QVERIFY(writer.finish());
        QString error;
        QVector<JsonArchive::ArchivedCode> codes;
        QVERIFY2(JsonArchive::read(json, &codes, &error), qPrintable(error));
        QCOMPARE(codes.size(), 5);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(codes[i].fileName, files[i][0]);
            QCOMPARE(TestLibrary::bytes(codes[i].record), files[i][1]);
        }
        QFile full("/dev/full"); // a full disk leaves the document unfinished
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        JsonArchive::Writer unfinished(&full);
        unfinished.add("a.cod", windows);
        QVERIFY(!unfinished.finish());
    }

    // A hand-edited archive is refused, saying where it goes wrong, or each
    // code that cannot be stored as it stands is named with why.
    void jsonRefusals_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("said"); // the error, or the first code's problem
        const QByteArray head = "{\"format\":\"quillbank-codes\",\"version\":1,\"codes\":[";
        const auto code = [](const QByteArray &file, const QByteArray &name, QByteArray more = {}) {
            return "{\"file\":\"" + file + "\",\"name\":\"" + name + "\",\"category\":\"其他\","
                + "\"code\":\"\",\"declarations\":\"\",\"comments\":\"\"" + more + "}";
        };
        const auto row = [](const char *title, const QByteArray &json, const char *said) {
            QTest::newRow(title) << json << QString::fromUtf8(said);
        };
        row("not JSON", "[x]", "不是有效的 JSON 文件：第 2 个字节处有误");
        const char *const other = "不是 Quillbank 导出的代码文件（第 1 版）";
        row("other format", "{\"format\":\"x\",\"version\":1,\"codes\":[]}", other);
        row("version 2", "{\"format\":\"quillbank-codes\",\"version\":2,\"codes\":[]}", other);
        row("codes not a list", "{\"format\":\"quillbank-codes\",\"version\":1,\"codes\":{}}",
            other);
        row("second code unnamed", head + code("a", "a") + ",{\"file\":\"b\"}]}",
            "第 2 个代码缺少文字“name”");
        row("first code without a file", head + "{}]}", "第 1 个代码缺少文字“file”");
        row("bad base64", head + code("a", "a", ",\"fileBytes\":\"%%\"") + "]}",
            "第 1 个代码的“fileBytes”不是 base64");
        row("hidden file", head + code(".x", "x") + "]}", "文件名“.x”不能用作代码库中的文件名");
        row("long name", head + code("a", QByteArray(65, 'n')) + "]}",
            "“名称”有 65 字节，超出了 64 字节");
        row("fits", head + code("a", QByteArray(64, 'n')) + "]}", "");
    }
    void jsonRefusals()
    {
        QFETCH(QByteArray, json);
        QVector<JsonArchive::ArchivedCode> codes;
        QString error;
        const bool read = JsonArchive::read(json, &codes, &error);
        QTEST(read ? codes.first().problem : error, "said");
        QCOMPARE(codes.size(), int(read)); // nothing of a refused archive
    }
};

QTEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
