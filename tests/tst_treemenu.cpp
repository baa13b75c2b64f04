// The tree's right-click menu, and text files dropped on the tree.
#include "CodeTreeModel.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "TextImport.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QAbstractItemModelTester>
#include <QtWidgets>

using namespace TestLibrary;
using Answers = QList<QMessageBox::StandardButton>;

class TestTreeMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_library;
    std::unique_ptr<frmMain> m_window;
    QTimer m_answerer;
    // The texts of the message boxes shown; the answers to give them in
    // turn (NoButton: Enter, for the default; then Yes, or Enter); the texts the New-code dialog
    // came up with.
    QStringList m_told;
    Answers m_answers;
    QStringList m_filled;
    QString m_exportAs; // the file a save dialog is given; else the folder "dir"
    std::function<void(QDialog *)> m_onDialog;
    QList<QUrl> m_opened; // by the file manager
    bool m_cancel = false; // a progress dialog that comes up

public:
    Q_INVOKABLE void open(const QUrl &url) { m_opened << url; }

private:
    QTreeView *tree() const { return child<QTreeView>(m_window.get(), "tvCodes"); }
    QModelIndex node(const QString &key) const { return m_window->codeTree()->indexOfKey(key); }
    QPoint placeOf(const QString &key) const
    {
        if (key.isEmpty()) // below the collapsed categories
            return tree()->collapseAll(), tree()->viewport()->rect().bottomLeft() + QPoint(5, -5);
        tree()->scrollTo(node(key));
        return tree()->visualRect(node(key)).center();
    }
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal); box && box->isVisible()) {
            m_told << box->text();
            QAbstractButton *button
                = box->button(m_answers.isEmpty() ? QMessageBox::Yes : m_answers.takeFirst());
            button ? button->click() : QTest::keyClick(box, Qt::Key_Return); // the default
        } else if (auto *files = qobject_cast<QFileDialog *>(modal); files && files->isVisible()) {
            files->selectFile(m_exportAs.isEmpty() ? m_dir->filePath("dir") : m_exportAs);
            static_cast<QDialog *>(files)->done(QDialog::Accepted); // chosen, there or not
        } else if (auto *progress = qobject_cast<QProgressDialog *>(modal); progress && m_cancel) {
            progress->cancel();
        } else if (auto *dialog = qobject_cast<frmNewCode *>(modal); dialog && m_onDialog) {
            m_filled.clear();
            for (const char *name : { "txtName", "cmbCategory", kPanes[0], kPanes[1], kPanes[2] }) {
                QWidget *box = child(dialog, name);
                m_filled << box->metaObject()->userProperty().read(box).toString();
            }
            // Not from the answerer itself, which must go on answering.
            QTimer::singleShot(0, dialog, [dialog, steps = std::exchange(m_onDialog, nullptr)] {
                steps(dialog);
                dialog->hide();
            });
        }
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_library = m_dir->filePath("Codes");
        QVERIFY(QDir().mkpath(m_library) && QDir().mkpath(m_dir->filePath("dir")));
        QVERIFY(writeCode(m_library, "add.cod",
            record("  加法", "逻辑操作", "说明一\r\n说明二", "DATA EQU 30H",
                "MOV A,#1\r\nMOV B,#2\rRET\n")));
        QVERIFY(writeCode(m_library, "sub.cod", record("减法", "逻辑操作")));
        const QByteArray files[][2]
            = { { "乘法.asm", "; 乘法\n; 8 位\nMUL AB\n" }, { "a.asm", "MOV A,#2" },
                  { "加法.asm", "MOV A,#3" }, { "bin.asm", QByteArray("\0\1\2", 3) },
                  { "big.asm", QByteArray(TextImport::kMaxFileSize + 1, 'x') } };
        for (const auto &file : files)
            QVERIFY(writeFile(m_dir->path(), file[0], file[1]));
        m_window = std::make_unique<frmMain>(m_library);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        tree()->expandAll();
        tree()->setFocus();
        m_told.clear(), m_filled.clear(), m_exportAs.clear(), m_cancel = false;
        m_onDialog = [](QDialog *) {};
        connect(&m_answerer, &QTimer::timeout, this, &TestTreeMenu::answer, Qt::UniqueConnection);
        m_answerer.start(5);
    }

    // Each entry's name and shortcut; "" for a separator.
    void entries_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QStringList>("entries");
        const QStringList code { "mnuCopyCode Ctrl+C", "mnuCopyAll", "", "mnuNewFromCode Ctrl+E",
            "", "mnuExportCode", "mnuShowInFolder", "", "mnuSearchAll Ctrl+Shift+F" };
        QTest::newRow("code") << "加法" << false << code;
        QTest::newRow("Shift+F10 on the current code") << "加法" << true << code;
        QTest::newRow("category") << "逻辑操作" << false
                                  << QStringList { "mnuNewInCategory", "mnuExportCategory", "",
                                         "mnuSearchAll Ctrl+Shift+F" };
        QTest::newRow("empty space") << "" << false << QStringList { "mnuSearchAll Ctrl+Shift+F" };
    }
    void entries()
    {
        QFETCH(QString, key);
        QFETCH(bool, byKeyboard);
        QWidget *viewport = tree()->viewport();
        tree()->setCurrentIndex(node("减法")); // a right-click on a node makes it current
        if (byKeyboard) {
            tree()->setCurrentIndex(node(key));
            QTest::keyClick(tree(), Qt::Key_F10, Qt::ShiftModifier);
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, {});
            QCoreApplication::sendEvent(tree(), &menuKey);
            QVERIFY(menuKey.isAccepted()); // handled: no other menu comes up
        } else {
            QContextMenuEvent event(
                QContextMenuEvent::Mouse, placeOf(key), viewport->mapToGlobal(placeOf(key)));
            for (int twice = 0; twice < 2; ++twice) // the menu holds each entry once
                QCoreApplication::sendEvent(viewport, &event);
            QVERIFY(event.isAccepted());
        }
        auto *menu = tree()->findChild<QMenu *>("mnuTree");
        QTRY_VERIFY(menu->isVisible());
        QStringList shown;
        for (QAction *entry : menu->actions()) {
            shown << (entry->objectName() + u' ' + entry->shortcut().toString()).trimmed();
            QVERIFY(entry->isSeparator() || entry->isEnabled());
        }
        QCOMPARE(tree()->currentIndex(), node(key.isEmpty() ? "减法" : key));
        const QRect at = tree()->visualRect(node(key)).translated(viewport->mapToGlobal(QPoint()));
        // By the keyboard, just below the node and right of its picture: its name stays in view.
        QVERIFY(!byKeyboard || menu->pos() == at.bottomLeft() + QPoint(at.height(), 0));
        menu->hide();
        QTEST(shown, "entries");
        for (const auto &[other, modifiers] : { std::pair { Qt::Key_Up, Qt::ShiftModifier },
                 std::pair { Qt::Key_F10, Qt::ControlModifier } }) { // other keys open no menu
            QTest::keyClick(tree(), other, modifiers);
            QVERIFY(!menu->isVisible());
        }
    }

    void copy()
    {
        tree()->setCurrentIndex(node("加法"));
        QTest::keyClick(tree(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "MOV A,#1\nMOV B,#2\nRET\n");
        tree()->findChild<QAction *>("mnuCopyAll")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
            "名称：加法\n种类：逻辑操作\n\n说明：\n说明一\n说明二\n\n声明：\nDATA EQU "
            "30H\n\n代码：\nMOV A,#1\nMOV B,#2\nRET\n");
        // A pane's own Ctrl+C copies what is selected in it.
        auto *pane = child<QPlainTextEdit>(m_window.get(), "txtCode");
        pane->setPlainText("NOP");
        pane->selectAll();
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "NOP");
        // A code whose file is gone is told, on screen and in one line.
        QVERIFY(QFile::remove(m_library + "/add.cod"));
        const QByteArray log = stderrOf([&] {
            tree()->setFocus();
            QTest::keyClick(tree(), Qt::Key_C, Qt::ControlModifier);
            QTRY_COMPARE(m_told.size(), 1);
        });
        QVERIFY(m_told.value(0).startsWith("无法读取代码“加法”："));
        QCOMPARE(log, "quillbank: " + m_told.at(0).toUtf8() + "\n");
        QCOMPARE(QGuiApplication::clipboard()->text(), "NOP");
    }

    // A category's codes, one text file each, into a folder: a file there
    // is replaced only when the user says so, and the report tells.
    void exportCategory_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("report");
        QTest::newRow("replace") << QMessageBox::Yes
                                 << "已把“逻辑操作”的 2 个代码导出到文件夹“%1”。";
        QTest::newRow("keep, by Enter") << QMessageBox::NoButton
                                        << "已把“逻辑操作”的 1 个代码导出到文件夹“%1”。\n"
                                           "保留了 1 个已有的文件，没有导出这些代码。";
    }
    void exportCategory()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, report);
        const QString folder = m_dir->filePath("dir");
        QVERIFY(writeFile(folder, "add.asm", "old") && writeFile(folder, ".asm", "no code's"));
        m_answers = { answer };
        tree()->setCurrentIndex(node("逻辑操作"));
        tree()->findChild<QAction *>("mnuExportCategory")->trigger();
        QTRY_COMPARE(m_told.size(), 2);
        QVERIFY(m_told.at(0).contains(u"已有以下 1 个文件：\nadd.asm\n"_s));
        QCOMPARE(m_told.at(1), report.arg(QDir::toNativeSeparators(folder)));
        QCOMPARE(readFile(folder + "/add.asm") == "old", answer != QMessageBox::Yes);
        QCOMPARE(readFile(folder + "/sub.asm"), ";; 说明\n;; 声明\n;; 代码\n"); // texts empty
        QCOMPARE(TestLibrary::entries(folder), QStringList({ ".asm", "add.asm", "sub.asm" }));
        m_exportAs = m_dir->filePath("gone"); // a folder no longer there is told
        tree()->findChild<QAction *>("mnuExportCategory")->trigger();
        QTRY_COMPARE(m_told.size(), 3);
        QVERIFY2(m_told.at(2).startsWith(u"无法打开文件夹"_s), qPrintable(m_told.at(2)));
        m_exportAs.clear(); // a code whose file is gone is named, on screen and in one line
        QVERIFY(QFile::remove(m_library + "/sub.cod"));
        const QByteArray log = stderrOf([&] {
            tree()->findChild<QAction *>("mnuExportCategory")->trigger();
            QTRY_COMPARE(m_told.size(), 5);
        });
        QVERIFY2(m_told.at(4).contains(u"的 1 个代码导出到文件夹"_s), qPrintable(m_told.at(4)));
        QVERIFY(m_told.at(4).contains(u"。\n以下 1 个代码无法导出：\n“减法”："_s));
        QVERIFY2(log.startsWith("quillbank: 无法导出代码“减法”："), log.constData());
    }

    // One code through the save dialog, which has asked before replacing
    // a file: written, and nothing to tell.
    void exportCode()
    {
        m_exportAs = m_dir->filePath("dir/加法.asm");
        QVERIFY(writeFile(m_dir->filePath("dir"), "加法.asm", "old"));
        tree()->setCurrentIndex(node("加法"));
        ScopedFileOps ops; // the disk is full at first
        ops.before = [&](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::Write && m_told.isEmpty() ? ENOSPC : 0;
        };
        for (int i = 0; i < 2; ++i)
            tree()->findChild<QAction *>("mnuExportCode")->trigger();
        QTRY_VERIFY(readFile(m_exportAs).contains("MOV B,#2\nRET\n")); // a lone CR too
        QCOMPARE(m_told.size(), 1);
        QVERIFY(m_told[0].startsWith(u"无法把代码“加法”导出到“%1”：写入文件失败"_s.arg(
            QDir::toNativeSeparators(m_exportAs))));
        QCOMPARE(TestLibrary::entries(m_dir->filePath("dir")), QStringList { "加法.asm" });
        m_exportAs = m_dir->filePath("gone/加法.asm"); // a folder no longer there is not made
        tree()->findChild<QAction *>("mnuExportCode")->trigger();
        QTRY_COMPARE(m_told.size(), 2);
        QVERIFY(!QFileInfo::exists(m_dir->filePath("gone")));
        QVERIFY(QFile::remove(m_library + "/add.cod")); // a code whose file is gone
        m_exportAs = m_dir->filePath("dir/b.asm");
        tree()->findChild<QAction *>("mnuExportCode")->trigger();
        QTRY_COMPARE(m_told.size(), 3);
        QVERIFY(!QFileInfo::exists(m_exportAs));
    }

    // A category's New-code comes up with that category picked.
    void newInCategory()
    {
        tree()->setCurrentIndex(node("逻辑操作"));
        tree()->findChild<QAction *>("mnuNewInCategory")->trigger();
        QCOMPARE(m_filled, QStringList({ "", "逻辑操作", "", "", "" }));
    }

    // A code whose file has moved it to another category since start-up.
    void newFromChangedCode()
    {
        QVERIFY(writeCode(m_library, "sub.cod", record("减法", kOther)));
        tree()->setCurrentIndex(node("减法"));
        tree()->findChild<QAction *>("mnuNewFromCode")->trigger();
        QCOMPARE(m_filled.value(1), kOther);
    }

    // The library's folder in the file manager; one that cannot show it is told.
    void showInFolder()
    {
        tree()->setCurrentIndex(node("加法"));
        for (const char *handler : { "open", "none" }) {
            QDesktopServices::setUrlHandler("file", this, handler);
            tree()->findChild<QAction *>("mnuShowInFolder")->trigger();
        }
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(m_opened, QList<QUrl> { QUrl::fromLocalFile(m_library) });
        QTRY_COMPARE(m_told.size(), 1);
        QVERIFY(m_told[0].startsWith(u"无法在文件管理器中打开代码库文件夹“%1”"_s.arg(m_library)));
    }

    // Cancel in a long export's progress stops it after the code it is at.
    void exportCancelled()
    {
        for (const QByteArray name : { "c", "d" })
            QVERIFY(writeCode(m_library, name + ".cod", record(name, "逻辑操作"))
                && m_window->codeTree()->addCode({ u"逻辑操作"_s, name, name + ".cod", {} }));
        ScopedFileOps ops; // each code is slow to read
        ops.before = [](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::Pread ? usleep(300000) : 0;
        };
        m_cancel = true;
        tree()->setCurrentIndex(node("逻辑操作"));
        tree()->findChild<QAction *>("mnuExportCategory")->trigger();
        QTRY_COMPARE(m_told.size(), 1);
        QVERIFY2(m_told[0].endsWith(
                     u"个代码导出到文件夹“%1”。\n导出已取消。"_s.arg(m_dir->filePath("dir"))),
            qPrintable(m_told[0]));
        QCOMPARE(TestLibrary::entries(m_dir->filePath("dir")).size(), 3);
    }

    void searchAll()
    {
        tree()->findChild<QAction *>("mnuSearchAll")->trigger();
        QTRY_VERIFY(m_window->findChild<QWidget *>("frmSearch")->isVisible());
    }

    // A code filled into the dialog and added under its own name in
    // another category: replaced and moved only when the user agrees.
    void newFromCode_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("category");
        QTest::newRow("replaced") << QMessageBox::Yes << kOther;
        QTest::newRow("kept") << QMessageBox::No << "逻辑操作";
    }
    void newFromCode()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QAbstractItemModelTester tester(
            m_window->codeTree(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QByteArray before = readFile(m_library + "/add.cod");
        m_answers = { answer };
        m_onDialog = [&](QDialog *dialog) {
            QCOMPARE(readFile(m_library + "/add.cod"), before);
            child<QComboBox>(dialog, "cmbCategory")->setCurrentText(kOther);
            QTest::mouseClick(child<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
        };
        tree()->setCurrentIndex(node("加法"));
        QTest::keyClick(tree(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(m_filled,
            QStringList({ "  加法", "逻辑操作", "说明一\n说明二", "DATA EQU 30H",
                "MOV A,#1\nMOV B,#2\nRET\n" }));
        QCOMPARE(m_told.size(), 1);
        QVERIFY(m_told[0].contains("已有名为“加法”的代码"));
        QTEST(node("加法").parent().data().toString(), "category");
        const QByteArray after = readFile(m_library + "/add.cod");
        QTEST(CodeRecord::fromBytes(after, after.size()).field(CodeRecord::Category).trimmed(),
            "category");
    }

    // Files of the test folder dropped on a node (none: empty space); the
    // dialog's texts, what the last message says and the codes of "其他".
    void drop_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("filled");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QStringList>("added");
        const QStringList several { "a.asm", "加法.asm", "dir", "bin.asm", "big.asm" };
        QTest::newRow("one") << QStringList { "乘法.asm" } << "减法"
                             << QStringList { "乘法", "逻辑操作", "乘法\n8 位", "", "MUL AB" }
                             << QStringList() << QStringList();
        QTest::newRow("several") << several << kOther << QStringList()
                                 << several
                + QStringList { "“a.asm”成为代码“a”", "没有加入 4 个文件",
                      "“加法.asm”：已有同名的代码或文件，没有替换" }
                                 << QStringList { "a" };
        QTest::newRow("a folder") << QStringList { "dir" } << kOther << QStringList()
                                  << QStringList { "无法加入文件“dir”" } << QStringList();
        QTest::newRow("on empty space")
            << QStringList { "a.asm" } << "" << QStringList() << QStringList() << QStringList();
    }
    void drop()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, key);
        m_answers = { QMessageBox::Yes, QMessageBox::No }; // add them, replace nothing
        const QByteArray before = readFile(m_library + "/add.cod");
        QMimeData mime;
        for (const QString &file : files)
            mime.setUrls(mime.urls() << QUrl::fromLocalFile(m_dir->filePath(file)));
        // A drop goes where the drag entered; it may be offered as a move.
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        // Made with Shift, as a move: a copy, so that the file manager keeps the files.
        const Qt::KeyboardModifier shift = Qt::ShiftModifier;
        QDragEnterEvent enter(placeOf(key), actions, &mime, Qt::LeftButton, shift);
        QDragMoveEvent move(placeOf(key), actions, &mime, Qt::LeftButton, shift);
        QDropEvent event(placeOf(key), actions, &mime, Qt::LeftButton, shift);
        event.setAccepted(key.isEmpty()); // as a platform may deliver it: refused off the nodes
        for (QEvent *e : std::initializer_list<QEvent *> { &enter, &move })
            QCoreApplication::sendEvent(tree()->viewport(), e);
        QCOMPARE(tree()->selectionModel()->isSelected(node(key)), !key.isEmpty()); // highlighted
        QDragMoveEvent moveOnly(placeOf(key), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &moveOnly);
        QVERIFY(!moveOnly.isAccepted()); // a drag that may only move the files is refused
        QCoreApplication::sendEvent(tree()->viewport(), &event);
        QCoreApplication::processEvents();
        QVERIFY(enter.isAccepted()); // anywhere, so that a move on to a node is seen
        QCOMPARE(move.isAccepted() && move.dropAction() == Qt::CopyAction, !key.isEmpty());
        QCOMPARE(event.isAccepted() && event.dropAction() == Qt::CopyAction, !key.isEmpty());
        QTEST(m_filled, "filled");
        QFETCH(QStringList, told);
        for (const QString &part : told)
            QVERIFY2(m_told.last().contains(part), qPrintable(m_told.last()));
        QTEST(childNames(m_window->codeTree(), node(kOther)), "added");
        QCOMPARE(TestLibrary::entries(m_library).size(),
            2 + m_window->codeTree()->rowCount(node(kOther)));
        QCOMPARE(readFile(m_library + "/add.cod"), before);
    }
};

QTEST_MAIN(TestTreeMenu)
#include "tst_treemenu.moc"
