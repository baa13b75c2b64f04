// Start-up: the category tree, the codes read from the library folder, and
// the files it passes over, whatever the folder holds.
#include "Categories.h"
#include "CodeTreeModel.h"
#include "CommentSearch.h"
#include "Desktop.h"
#include "FileList.h"
#include "LibraryFolder.h"
#include "LibraryPlacement.h"
#include "LibraryScan.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "frmFind.h"
#include "frmMain.h"

#include <QtTest>
#include <QtWidgets>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestLibrary;

namespace {

enum Kind { Regular, Directory, Fifo, Dangling, Unopenable, ReadError, Interrupted };

// A folder entry, and the node it gives (null: none) or why it is passed over.
using Entry = std::tuple<Kind, QByteArray, QByteArray, QString, QString>;

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // The eight categories, collapsed; their children in the order of
    // the file names; a node shows the Name field, whatever its file is
    // called; keys are unique and case-sensitive. A tree shows each node as
    // it is added, moved or taken out.
    void codesInListingOrder()
    {
        CodeTreeModel built; // the categories as start-up builds them
        QAbstractItemModelTester builtTester(
            &built, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&built);
        for (int row = 0; row < 8; ++row) {
            QVERIFY(built.addCategory(Categories::treeOrder().at(row)));
            QVERIFY(!built.addCategory(Categories::treeOrder().at(row)));
            QVERIFY(row == 0 || view.indexBelow(built.index(row - 1, 0)) == built.index(row, 0));
        }
        QTemporaryDir dir;
        const QString conversion = u"代码转换"_s;
        const char *files[][2] = { { "c.cod", "  third " }, { "A.txt", "first" }, { "b", "second" },
            { "B", "second B" }, { ".hidden", "hidden" } };
        for (const auto &[file, name] : files)
            QVERIFY(writeCode(dir.path(), file, record(name, conversion)));
        QVERIFY(writeCode(dir.path(), "d.cod", record("x", "  其他  ")));
        QVERIFY(QFile::link("b", dir.filePath("link")));
        FileList listed; // read into the model the tester watches
        QVector<SkippedFile> rejected;
        QVERIFY(listed.setFolder(dir.path()));
        view.expandAll();
        built.addCodes(LibraryScan::read(listed), listed, &rejected);
        QVERIFY(!view.isExpanded(built.index(4, 0))); // the view was told of the reset
        frmMain window(dir.path());
        CodeTreeModel *model = window.codeTree();
        QAbstractItemModelTester tester(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(childNames(model, {}).join(u' '),
            "运算子程序 通讯子程序 扩展接口程序 中断服务子程序 代码转换 逻辑操作 数据结构 其他");
        for (int row = 0; row < 8; ++row)
            QVERIFY(!child<QTreeView>(&window, "tvCodes")->isExpanded(model->index(row, 0)));
        QCOMPARE(childNames(model, model->indexOfKey(conversion)),
            (QStringList { "first", "second B", "second", "third" }));
        QCOMPARE(window.skippedFiles().size(), 1); // link repeats the code "second"
        QCOMPARE(
            model->indexOfKey("third").data(CodeTreeModel::FileNameRole).toByteArray(), "c.cod");
        QCOMPARE(shown(&window, "Panel2"), u"5 Code(s)"_s);

        // Keys are unique and case-sensitive; a code moves to its new category.
        auto *tree = child<QTreeView>(&window, "tvCodes");
        const auto seen = [tree, model](const QString &category) { // as the tree shows them
            QStringList names;
            const QModelIndex parent = model->indexOfKey(category);
            for (auto i = tree->indexBelow(parent); i.parent() == parent; i = tree->indexBelow(i))
                names << i.data().toString();
            return names;
        };
        tree->expandAll();
        QCOMPARE(seen(kOther), QStringList { "x" });
        QVERIFY(!model->addCode({ kOther, u"first"_s, "f.cod", {} }));
        QVERIFY(!model->addCode({ kOther, conversion, "z.cod", {} }));
        QVERIFY(!model->addCode({ u"无"_s, u"z"_s, "z.cod", {} }));
        QVERIFY(!model->updateCode(u"x"_s, u"无"_s, "d.cod"));
        for (const char *more : { "First", "1", "2", "3" }) // the key table grows
            QVERIFY(model->addCode({ kOther, more, more, {} }));
        QCOMPARE(seen(kOther), (QStringList { "x", "First", "1", "2", "3" }));
        const QPersistentModelIndex moved = model->indexOfKey(u"First"_s);
        QVERIFY(model->updateCode(u"First"_s, u"运算子程序"_s, "F.cod"));
        QCOMPARE(moved, model->indexOfKey(u"First"_s)); // a selection follows
        QCOMPARE(moved.parent().row(), 0);
        QVERIFY(model->updateCode(u"First"_s, u"运算子程序"_s, "F2.cod"));
        QCOMPARE(moved.data(CodeTreeModel::FileNameRole).toByteArray(), "F2.cod"); // in place
        QVERIFY(model->removeCode(u"2"_s) && model->removeCode(u"first"_s));
        QVERIFY(model->addCode({ kOther, u"2"_s, "2b", {} })); // its name is free
        QCOMPARE(seen(kOther), (QStringList { "x", "1", "3", "2" }));
        for (const char *kept : { "third", "First" }) // the key table made anew
            QVERIFY(model->indexOfKey(QString::fromLatin1(kept)).isValid());
        QCOMPARE(model->codeCount(), 8);
    }

    // Each entry is taken in as the code it holds or passed over with a
    // reason the user is told, and the files after it still load.
    void hostileEntry_data()
    {
        QTest::addColumn<Entry>("entry");
        const auto code = [](const QString &name, const QString &category = kOther) {
            return bytes(record(name, category, "说明"));
        };
        QByteArray badGbk = code("bad..gbk");
        badGbk.replace(3, 2, "\x81\x30");
        const QString nul = QString(u'a') + QChar(0) + u'b', none;
        const auto row
            = [](const char *title, const Entry &entry) { QTest::newRow(title) << entry; };
        row("empty name", { Regular, "v", code("   "), none, "v：名称是空的" });
        row("unknown category",
            { Regular, "v", code("v", "杂项"), none, "种类“杂项”不是八个种类之一" });
        row("empty category", { Regular, "v", code("v", ""), none, "种类是空的" });
        row("category name", { Regular, "v", code("其他"), none, "名称“其他”是一个种类的名称" });
        row("first category's name", { Regular, "v", code("运算子程序"), none, "“运算子程序”是" });
        row("repeated name", { Regular, "v", code("good"), none, "已有名为“good”的代码" });
        row("3 bytes", { Regular, "v", "abc", none, "文件只有 3 字节，代码文件应为 4692 字节" });
        row("4691 bytes", { Regular, "v", code("v").left(4691), "v", {} });
        row("4693 bytes", { Regular, "v", code("v") + "x", "v", {} });
        row("invalid GBK", { Regular, "v", badGbk, "bad\uFFFD0gbk", {} });
        row("NUL in name", { Regular, "v", code(nul), nul, {} });
        row("GBK file name", { Regular, "\xba\xba", code(""), none, "汉：名称是空的" });
        row("control characters in file name",
            { Regular, "a\nb\x1f \x7f~\xc2\x9f\xc2\xa0\xe2\x80\xa8\xe2\x80\xa9\xe2\x80\xaf",
                code(""), none, "\u2029\u202f：" });
        row("directory", { Directory, "v", {}, none, "v：不是普通文件" });
        row("FIFO", { Fifo, "v", {}, none, "v：不是普通文件" });
        row("dangling link", { Dangling, "v", {}, none, "v：不是普通文件" });
        row("cannot open", { Unopenable, "v", code("v"), none, "v：无法打开" });
        row("read error", { ReadError, "v", code("v"), none, "v：读取失败" });
        row("interrupted reads", { Interrupted, "v", code("v"), "v", {} });
    }
    void hostileEntry()
    {
        QFETCH(Entry, entry);
        const auto [kind, fileName, content, node, reason] = entry;
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + fileName;
        QVERIFY(writeCode(dir.path(), "good", record("good", "运算子程序")));
        QVERIFY(writeCode(dir.path(), "z", record("last", "运算子程序")));
        if (kind == Directory)
            QVERIFY(::mkdir(path, 0755) == 0);
        else if (kind == Fifo)
            QVERIFY(::mkfifo(path, 0644) == 0);
        else if (kind == Dangling)
            QVERIFY(::symlink("none", path) == 0);
        else
            QVERIFY(writeFile(dir.path(), fileName, content));
        ScopedFileOps ops; // the second open or read is the entry's
        int opens = 0, reads = 0;
        ops.before = [&, kind = kind](ScopedFileOps::Call call, int) {
            if (call == ScopedFileOps::OpenAt && kind == Unopenable && opens++ == 1)
                return EACCES;
            if (call == ScopedFileOps::Pread && kind >= ReadError && reads++ == 1)
                return kind == ReadError ? EIO : EINTR;
            return 0;
        };
        const QList<int> handles = openHandles(); // left as they were, whatever went wrong
        {
            frmMain window(dir.path());
            QCOMPARE(childNames(window.codeTree(), window.codeTree()->indexOfKey("运算子程序")),
                (QStringList { "good", "last" }));
            QCOMPARE(shown(&window, "Panel2"), u"%1 Code(s)"_s.arg(node.isNull() ? 2 : 3));
            QCOMPARE(window.codeTree()->indexOfKey(node).isValid(), !node.isNull());
            QCOMPARE(window.skippedFiles().size(), node.isNull() ? 1 : 0);
            if (node.isNull()) {
                const SkippedFile &skipped = window.skippedFiles().first();
                QVERIFY2((skipped.fileName + u'：' + skipped.reason).contains(reason),
                    qPrintable(skipped.reason));
                // The user is told, without a modal stop, in plain text.
                window.show();
                QMessageBox *box = nullptr;
                QTRY_VERIFY((box = child<QMessageBox>(&window, "msgSkippedFiles")));
                QVERIFY(box->isVisible() && !box->isModal()
                    && (!fileName.contains('\n')
                        || box->text().contains(QString::fromUtf16(
                            u"a\\x0Ab\\x1F \\x7F~\\x9F\xa0\\u2028\\u2029\u202f"))));
            }
        }
        QCOMPARE(openHandles(), handles);
    }

    // The report of passed-over files names ten; of more it tells how many,
    // and its details name every one.
    void skipReport_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("ten") << 10;
        QTest::newRow("eleven") << 11;
    }
    void skipReport()
    {
        QFETCH(int, files);
        QTemporaryDir dir;
        for (int i = 0; i < files; ++i)
            QVERIFY(writeFile(dir.path(), QByteArray::number(i), "short"));
        std::unique_ptr<frmMain> window; // and each on stderr, in one line
        const QByteArray log = stderrOf([&] { window = std::make_unique<frmMain>(dir.path()); });
        QCOMPARE(log.count("\nquillbank: 跳过文件“") + 1, files);
        window->show();
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = child<QMessageBox>(window.get(), "msgSkippedFiles")));
        QCOMPARE(box->text().count(u'\n'), qMin(files, 10) + (files > 10));
        QCOMPARE(box->text().contains(u"共 %1 个"_s.arg(files)), files > 10);
        QCOMPARE(box->detailedText().count(u'\n'), files - 1);
        window->hide(), window->show(); // told once
        QTest::qWait(50);
        QCOMPARE(window->findChildren<QMessageBox *>().size(), 1);
    }

    // A library folder that cannot be opened is told the same ways.
    void libraryGone()
    {
        std::unique_ptr<frmMain> window;
        const QByteArray log = stderrOf([&] { window = std::make_unique<frmMain>(u"/none"_s); });
        QVERIFY(log.startsWith("quillbank: 无法打开代码库文件夹“/none”：") && log.count('\n') == 1);
        window->show();
        QTRY_VERIFY(child<QMessageBox>(window.get(), "msgSkippedFiles"));
        QVERIFY(child<QMessageBox>(window.get(), "msgSkippedFiles")->text().contains("/none"));
        FileStamp found; // and a save there is refused with the reason
        QString error;
        QCOMPARE(window->library()->save(record("x", kOther), "x.cod", {}, &found, &error),
            LibraryFolder::Failed);
        QCOMPARE(error, u"代码库文件夹“/none”没有打开"_s);
        QTemporaryDir gone; // listed, then gone before it is read: each file is told
        FileList listed;
        QVERIFY(writeCode(gone.path(), "a.cod", record("a", kOther))
            && writeCode(gone.path(), "b.cod", record("b", kOther)) && listed.setFolder(gone.path())
            && gone.remove());
        const QVector<SkippedFile> skipped = LibraryScan::read(listed).skipped;
        QCOMPARE(skipped.size(), 2);
        QCOMPARE(skipped[0].fileName + skipped[0].reason, u"a.cod无法打开代码库文件夹"_s);
    }

    // A first start places the sample codes as the library, in one step; a
    // library that is there stays as it is; without samples nothing is made.
    void firstStart()
    {
        QTemporaryDir dir;
        const QString samples = dir.filePath("samples"), library = dir.filePath("Codes");
        QString error;
        QVERIFY(placeSampleLibrary(samples, library, &error) && entries(dir.path()).isEmpty());
        QVERIFY(QDir().mkdir(samples) && writeCode(samples, "a.cod", record("a", kOther)));
        QVERIFY(placeSampleLibrary(samples, library, &error));
        QVERIFY(writeCode(samples, "b.cod", record("b", kOther)));
        QVERIFY(placeSampleLibrary(samples, library, &error));
        QCOMPARE(entries(library), QStringList { "a.cod" });
        QCOMPARE(readFile(library + "/a.cod"), bytes(record("a", kOther)));
        QCOMPARE(entries(dir.path()), (QStringList { "Codes", "samples" }));
        // A library that another copy placed meanwhile is kept as it is; this one is told.
        const auto other
            = [&](const QString &, QString *) { return QDir().mkpath(library + "/x"); };
        QVERIFY(!placeLibraryFolder(library + "/x", other, &error) && error.contains(u"移到"_s));
        QCOMPARE(entries(library), (QStringList { "a.cod", "x" }));
    }

    // Where Qt's Chinese texts cannot be found (this program's qt.conf
    // points elsewhere), start-up is told so, and Qt's own texts stay English.
    void withoutQtTranslations()
    {
        QVERIFY(!Desktop::installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    }

    // Read on many threads, start-up keeps the order of its listing, and
    // Find decides in list order: f0007.cod before the match, unreadable,
    // does not keep it from being found, and the reads after it stop soon,
    // a FIFO among them. A search without a match tells which files could
    // not be read. No reading thread outlives either.
    void readsInParallel()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 2000; ++i) {
            const QString n = QString::asprintf("%04d", i);
            QVERIFY(writeCode(dir.path(), ("f" + n + ".cod").toLatin1(),
                record("n" + n, kOther, i == 1500 ? u"c0010"_s : "c" + n)));
        }
        FileList files;
        QVERIFY(writeFile(dir.path(), ".quillbank-4194305-0.tmp", "left by a writer now gone"));
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QVERIFY(files.setFolder(dir.path()) && files.setFolder(dir.path() + u'/')); // as typed
        QCOMPARE(files.staleTemporaryFiles().size() + files.skipped().size(), 2); // listed anew
        const QByteArray fifo = QFile::encodeName(dir.filePath("f0020.cod"));
        QVERIFY(::unlink(fifo) == 0 && ::mkfifo(fifo, 0644) == 0);
        const QList<int> handles = openHandles();
        std::atomic<int> afterMatch { 0 };
        ScopedFileOps ops; // every open waits as on a slow disk
        ops.openat = [&](int dirFd, const char *name, int flags, mode_t mode) {
            afterMatch += usleep(300) + (qstrcmp(name, "f0010.cod") > 0);
            if (QByteArray(name).endsWith("7.cod"))
                return errno = EACCES, -1;
            return ScopedFileOps::real.openat(dirFd, name, flags, mode);
        };
        QCOMPARE(CommentSearch::run(files, u"c0010"_s).record.codeName(), "n0010");
        QVERIFY2(afterMatch < 200, qPrintable(QString::number(afterMatch)));
        const LibraryScan scan = LibraryScan::read(files);
        QCOMPARE(openHandles(), handles);
        QCOMPARE(scan.codes.size(), 1799);
        for (int k = 1; k < scan.codes.size(); ++k)
            QVERIFY(scan.codes[k - 1].entry < scan.codes[k].entry
                && scan.name(scan.codes[k]) == "n" + files.name(scan.codes[k].entry).mid(1, 4));
        QCOMPARE(scan.skipped[2].fileName + scan.skipped.last().fileName, "f0020.codf1997.cod");
        frmMain window(dir.path());
        auto *find = new frmFind(&window);
        QSignalSpy told(find, &frmFind::nothingFound);
        child<QLineEdit>(find, "Text1")->setText("x");
        find->Command1_Click();
        QVERIFY(told.value(0).value(0).toString().contains(u"有 200 个文件无法读取"_s));
        QCOMPARE(told.value(0).value(1).toString().count(u'\n'), 199);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
