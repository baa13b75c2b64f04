// The New-code, Find and About dialogs, driven through the main window's
// commands against one library folder.
#include "CodeTreeModel.h"
#include "Fonts.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QtWidgets>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestLibrary;

namespace {

const QString kArithmetic = QStringLiteral("运算子程序");
const char *const kPanes[] = { "txtComments", "txtDeclarations", "txtCode" };

// What a showing of a dialog left: whether the dialog was still up after
// the steps, and the texts of the message boxes shown.
struct Outcome {
    bool stayed = false;
    QStringList messages;
};

// The texts of the New-code dialog (name, category, the three boxes) or of Find.
QStringList texts(QDialog *dialog)
{
    if (auto *text1 = child<QLineEdit>(dialog, "Text1"))
        return { text1->text() };
    QStringList texts { child<QLineEdit>(dialog, "txtName")->text(),
        child<QComboBox>(dialog, "cmbCategory")->currentText() };
    for (const char *name : kPanes)
        texts << child<QPlainTextEdit>(dialog, name)->toPlainText();
    return texts;
}

void fill(QDialog *dialog, const QStringList &texts)
{
    if (auto *text1 = child<QLineEdit>(dialog, "Text1"))
        return text1->setText(texts.first());
    child<QLineEdit>(dialog, "txtName")->setText(texts[0]);
    auto *category = child<QComboBox>(dialog, "cmbCategory");
    category->setCurrentIndex(category->findText(texts[1]));
    for (int i = 0; i < 3; ++i)
        child<QPlainTextEdit>(dialog, kPanes[i])->setPlainText(texts[2 + i]);
}

// Every code of the tree, as category/name.
QStringList codes(const CodeTreeModel *model)
{
    QStringList all;
    for (int c = 0; c < model->rowCount(); ++c) {
        for (int row = 0; row < model->rowCount(model->index(c, 0)); ++row)
            all << model->index(c, 0).data().toString() + u'/'
                    + model->index(row, 0, model->index(c, 0)).data().toString();
    }
    return all;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    // Gives `command` ("Add", "Find", "About"), which shows a dialog
    // modally, runs `steps` on it once it is up, and answers each message
    // box with `answer` or its first button.
    Outcome run(const QString &command, const std::function<void(QDialog *)> &steps,
        QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        Outcome outcome;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                outcome.messages << box->text();
                QAbstractButton *target = box->button(answer);
                (target ? target : box->buttons().first())->click();
            }
        });
        answerer.start(5);
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            QPointer<QDialog> dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY2(dialog && dialog->parent() == m_window.get(), "the dialog is not up");
            steps(dialog);
            if (dialog && dialog->isVisible())
                outcome.stayed = true, dialog->hide();
        });
        command == u"About" ? m_window->mnuAbout_Click() : m_window->Toolbar_ButtonClick(command);
        return outcome;
    }
    Outcome add(const QStringList &entry, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        const auto click = [&](QDialog *dialog) {
            fill(dialog, entry);
            QTest::mouseClick(child<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
        };
        return run("Add", click, answer);
    }
    QString text(const char *name) const
    {
        auto *edit = child<QPlainTextEdit>(m_window.get(), name);
        return edit ? edit->toPlainText() : child<QLabel>(m_window.get(), name)->text();
    }
    QStringList entries() const { return TestLibrary::entries(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;

private slots:
    void init()
    {
        m_window.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        // In list order; the code w is read from z.cod.
        const char *codes[][5] = { { "a.cod", "a", "其他", "Alpha routine", "CODE A" },
            { "a2.cod", "a2", "其他", "Alpha routine", "CODE A2" },
            { "b.cod", "b", "其他", "alpha lower", "CODE B" },
            { "c.cod", "c", "其他", " Alpha with space", "CODE C" },
            { "d.cod", "d", "其他", "浮点数代数值比较\r\n第二行", "CODE D" },
            { "e.cod", "e", "其他", "short", "CODE E" },
            { "y.cod", "y", "运算子程序", "old y", "" }, { "z.cod", "w", "其他", "w's", "" } };
        for (const auto &c : codes) {
            QVERIFY(writeCode(m_dir->path(), c[0],
                record(c[1], QString::fromUtf8(c[2]), QString::fromUtf8(c[3]), {}, c[4])));
        }
        m_window = std::make_unique<frmMain>(m_dir->path());
        QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
    }

    // Each dialog's title, fixed size, place, tab order and controls; the
    // category list; the About box's star.
    void design_data()
    {
        for (const char *column : { "command", "title", "tabOrder" })
            QTest::addColumn<QString>(column);
        QTest::addColumn<QSize>("twips");
        const auto row = [](const char *command, const char *title, QSize twips, const char *tabs) {
            QTest::newRow(command) << command << title << tabs << twips;
        };
        row("Add", "加入新代码", { 5400, 5370 },
            "txtName txtComments txtDeclarations txtCode cmdAdd cmdCancel cmbCategory txtName");
        row("Find", "Find", { 6330, 2925 }, "Text1 Command1 Command2 Text1");
        row("About", "关于Quillbank", { 6645, 4050 }, "Command1 Command1");
    }
    void design()
    {
        QFETCH(QString, command);
        QFETCH(QString, tabOrder);
        QFETCH(QSize, twips);
        run(command, [&](QDialog *dialog) {
            QTEST(dialog->windowTitle(), "title");
            QCOMPARE(dialog->size(), Twips::size(twips.width(), twips.height()));
            QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
            QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
            const QPoint centre = dialog->screen()->geometry().center();
            if (command == u"Find")
                QCOMPARE(dialog->pos(), QPoint(Twips::toPixels(4365), Twips::toPixels(4170)));
            else
                QVERIFY((dialog->frameGeometry().center() - centre).manhattanLength() <= 1);
            // The own font of the New-code dialog, the text boxes' font and
            // the About box's notice; the system's font elsewhere.
            const QFont font = command == u"Add" ? Fonts::windowFont() : QApplication::font();
            QCOMPARE(dialog->font(), font);
            for (auto *box : dialog->findChildren<QPlainTextEdit *>())
                QCOMPARE(box->font(), Fonts::textFont());
            if (auto *notice = child<QLabel>(dialog, "Label2"); command == u"About")
                QCOMPARE(notice->font(), Fonts::noticeFont());
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QStringList order;
            for (int i = 0; i <= tabOrder.count(u' '); ++i) {
                order << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QCOMPARE(order.join(u' '), tabOrder);
            QVERIFY(dialog->objectName().startsWith("frm"));
            if (auto *label = child<QLabel>(dialog, "Label1"); command != u"About")
                QCOMPARE(label->buddy(), child(dialog, command == u"Add" ? "txtName" : "Text1"));
            if (auto *code = child<QPlainTextEdit>(dialog, "txtCode")) { // Ctrl+Tab types a tab
                QTest::keyClick(code, Qt::Key_Tab, Qt::ControlModifier);
                QCOMPARE(code->toPlainText(), "\t");
            }
            if (auto *category = child<QComboBox>(dialog, "cmbCategory")) {
                QVERIFY(category->currentIndex() == -1 && !category->isEditable());
                QStringList items;
                for (int i = 0; i < category->count(); ++i)
                    items << category->itemText(i);
                QCOMPARE(items.join(u' '),
                    "运算子程序 扩展接口程序 中断服务子程序 代码转换 逻辑操作 数据结构 通讯子程序 "
                    "其他");
                auto *comments = child<QPlainTextEdit>(dialog, "txtComments");
                QCOMPARE(comments->palette().color(QPalette::Text), QColor(255, 0, 255));
                QCOMPARE(comments->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            }
            for (auto *button : dialog->findChildren<QPushButton *>())
                QVERIFY(!button->isDefault() && (command != u"Add" || !button->autoDefault()));
            if (command == u"About")
                QCOMPARE(dialog->grab().toImage().pixelColor(1, 1), QColor(74, 121, 198));
        });
    }

    // Leaving a dialog by a button, a key or the close box keeps it hidden
    // with its texts, leaves it up, destroys it, or (Enter in Find) searches.
    void dismiss_data()
    {
        for (const char *column : { "command", "control", "result" })
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("key"); // 0: a mouse click
        const auto row = [](const char *command, const char *control, int key, const char *result) {
            QTest::addRow("%s %s %d", command, control, key) << command << control << result << key;
        };
        row("Add", "cmdCancel", 0, "kept");
        row("Add", "txtName", Qt::Key_Return, "stays");
        row("Add", "", 0, "destroyed");
        row("Find", "Command2", 0, "kept");
        row("Find", "Text1", Qt::Key_Escape, "kept");
        row("Find", "Text1", Qt::Key_Return, "destroyed");
        row("Find", "", 0, "destroyed");
        row("About", "Command1", Qt::Key_Space, "kept");
        row("About", "Command1", Qt::Key_Escape, "stays");
        row("About", "", 0, "destroyed");
    }
    void dismiss()
    {
        QFETCH(QString, command);
        QFETCH(QString, control);
        QFETCH(QString, result);
        QFETCH(int, key);
        QPointer<QDialog> first;
        QStringList typed;
        const Outcome outcome = run(command, [&](QDialog *dialog) {
            first = dialog;
            if (command != u"About")
                fill(dialog, { "zz", kOther, "说明", "声明", "代码" }), typed = texts(dialog);
            QWidget *target = child(dialog, control.isEmpty() ? "none" : control);
            if (!target)
                dialog->close();
            else if (key)
                target->setFocus(), QTest::keyClick(target, Qt::Key(key));
            else
                QTest::mouseClick(target, Qt::LeftButton);
        });
        QCOMPARE(outcome.stayed, result == u"stays");
        QCOMPARE(outcome.messages.size(), key == Qt::Key_Return && command == u"Find" ? 1 : 0);
        QCOMPARE(bool(first), result != u"destroyed");
        QCOMPARE(entries().size(), 8);
        QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
        run(command, [&](QDialog *dialog) {
            QCOMPARE(dialog == first.data(), result != u"destroyed");
            if (command != u"About")
                QCOMPARE(texts(dialog), first ? typed : QStringList(typed.size(), QString()));
        });
        m_window->Toolbar_ButtonClick(QStringLiteral("add")); // keys match exactly: no dialog
    }

    // Add writes the code's file, refuses what cannot be stored as typed,
    // asks before replacing a file and tells a failed write; the dialog
    // stays up unless the file was written, and keeps what was typed. The
    // files change in just that one, and the tree holds one node per file,
    // as the next start reads them, with the count beside it.
    void addStep_data()
    {
        for (const char *column : { "name", "category", "comments", "told", "file" })
            QTest::addColumn<QString>(column);
        QTest::addColumn<bool>("yes"); // the answer to any question
        QTest::addColumn<int>("fault"); // an errno for the opens and writes of files
        const auto row = [](const char *title, const QString &name, const char *category,
                             const QString &comments, const char *told, const QString &file,
                             bool yes = true, int fault = 0) {
            QTest::newRow(title) << name << category << comments << told << file << yes << fault;
        };
        const QString a1600(1600, 'a');
        row("new code", "x", "其他", "第一行\n第二行", "", "x.cod");
        row("spaces around", "  x  ", "其他", "", "", "x.cod");
        row("parent folder", "../x", "其他", "", "“.”", "");
        row("path", "/tmp/x", "其他", "", "字符", "");
        row("device", "CON", "其他", "", "设备名", "");
        row("spaces only", "   ", "其他", "", "不能为空", "");
        row("category's name", " 逻辑操作 ", "其他", "", "种类的名称", "");
        row("no category", "x", "", "", "种类", "");
        row("unencodable", "x", "其他", "笑脸😀与€", "😀", "");
        row("zero-width space", "n\u200Bq", "其他", "", "<U+200B>", "");
        row("invisible, past the end", "n", "其他", a1600 + "\u00AD\uFEFF\u2060",
            "<U+00AD><U+FEFF><U+2060>", "");
        row("comments cut", "cc", "其他", a1600, "说明", "cc.cod");
        row("comments not cut", "cc", "其他", a1600, "说明", "", false);
        row("cut before a straddling han", "ss", "其他", "a" + QString(750, u'汉'), "说明",
            "ss.cod");
        row("name cut", QString(33, u'名'), "其他", "", "名称", QString(32, u'名') + ".cod");
        row("folder gone", "x", "其他", "", "x", "", true, ENOENT);
        row("disk full, replacing", "y", "其他", "", "y", "", true, ENOSPC);
        row("code replaced", " y", "逻辑操作", "new", "“y”", "y.cod");
        row("code kept", "y", "逻辑操作", "new", "“y”", "", false);
        row("unlisted file replaced", "z", "逻辑操作", "new", "z.cod", "z.cod");
        row("unlisted file kept", "z", "逻辑操作", "new", "z.cod", "", false);
        // w was read from z.cod: replacing it rewrites z.cod, not a second file.
        row("code in another file", "w", "逻辑操作", "new", "“w”", "z.cod");
    }
    void addStep()
    {
        QFETCH(QString, name);
        QFETCH(QString, category);
        QFETCH(QString, comments);
        QFETCH(QString, told);
        QFETCH(QString, file);
        QFETCH(int, fault);
        QMap<QString, QByteArray> before, after;
        for (const QString &entry : entries())
            before[entry] = readFile(m_dir->filePath(entry));
        ScopedFileOps ops;
        ops.before = [fault](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::Open || call == ScopedFileOps::Write ? fault : 0;
        };
        const QStringList entry { name, category, comments, "", "" };
        QFETCH(bool, yes);
        const Outcome outcome = add(entry, yes ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(outcome.stayed, file.isEmpty());
        QCOMPARE(outcome.messages.isEmpty(), told.isEmpty());
        QVERIFY2(told.isEmpty() || outcome.messages.last().contains(told),
            qPrintable(outcome.messages.join(u'|')));
        for (const QString &entry : entries())
            after[entry] = readFile(m_dir->filePath(entry));
        if (!file.isEmpty()) {
            const CodeRecord written
                = record(name, category, QString(comments).replace("\n", "\r\n"));
            QCOMPARE(after.take(file), bytes(written));
            before.remove(file);
            const QModelIndex node = m_window->codeTree()->indexOfKey(written.codeName());
            QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
        }
        QCOMPARE(after, before);
        frmMain again(m_dir->path());
        QStringList now = codes(m_window->codeTree()), read = codes(again.codeTree());
        now.sort();
        read.sort();
        QCOMPARE(now, read);
        QCOMPARE(text("Panel2"), QStringLiteral("%1 Code(s)").arg(read.size()));
        run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
    }

    // A library in a folder with a GBK name: adding y, whose file holds the
    // code x, leaves one node for the file, in that folder. Without a
    // folder nothing is written anywhere, not even in the working directory.
    void libraryBesideTheProgram()
    {
        const QByteArray folder = QFile::encodeName(m_dir->path()) + "/\xb4\xfa\xc2\xeb";
        QVERIFY(::mkdir(folder, 0755) == 0);
        QVERIFY(writeFile(m_dir->path(), "\xb4\xfa\xc2\xeb/y.cod", bytes(record("x", kOther))));
        m_window = std::make_unique<frmMain>(folder);
        QCOMPARE(add({ "y", kOther, "", "", "" }, QMessageBox::Yes).messages.size(), 1);
        QCOMPARE(text("Panel2"), QStringLiteral("1 Code(s)"));
        QCOMPARE(::access(folder + "/y.cod", F_OK), 0);
        // Removed while the program runs, the folder is told by its name.
        QVERIFY(std::filesystem::remove_all(folder.toStdString()) == 2);
        QCOMPARE(m_window->libraryFolder(), m_dir->path() + QStringLiteral("/代码"));
        const auto back = qScopeGuard([cwd = QDir::currentPath()] { QDir::setCurrent(cwd); });
        QVERIFY(QDir::setCurrent(m_dir->path()) && QDir().mkdir("Codes"));
        m_window = std::make_unique<frmMain>(QByteArray());
        QCOMPARE(add({ "z", kOther, "", "", "" }).messages.size(), 1);
        QVERIFY(TestLibrary::entries("Codes").isEmpty());
    }

    // A link is written through when its file is in the library folder, and
    // refused otherwise; the link stays and nothing outside the folder changes.
    void links_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("inside") << "sub/t.cod";
        QTest::newRow("outside") << "../t.cod";
    }
    void links()
    {
        QFETCH(QString, target);
        const bool through = !target.startsWith(u'.');
        const QString folder = m_dir->filePath("Codes");
        QVERIFY(QDir().mkpath(folder + "/sub"));
        for (const QString &in : { m_dir->path(), folder + "/sub" })
            QVERIFY(writeFile(in, "t.cod", "old"));
        QVERIFY(QFile::link(target, folder + "/l.cod"));
        m_window = std::make_unique<frmMain>(folder);
        const QStringList shown = add({ "l", kOther, "", "", "" }, QMessageBox::Yes).messages;
        // The question whether to replace, or the refusal.
        QVERIFY(shown.size() == 1 && shown.first().contains(QStringLiteral("链接")) != through);
        QVERIFY(QFileInfo(folder + "/l.cod").isSymLink());
        QCOMPARE(readFile(folder + '/' + target) == bytes(record("l", kOther)), through);
        QCOMPARE(readFile(m_dir->filePath("t.cod")), QByteArray("old"));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // the code shown; empty when none
        const QString pad = QStringLiteral("short") + QString(1495, u' ');
        const char *rows[][3] = { { "empty text: first file", "", "CODE A" },
            { "prefix", "Alpha", "CODE A" }, { "case-sensitive", "alpha", "CODE B" },
            { "upper case", "ALPHA", "" }, { "leading space", " Alpha", "CODE C" },
            { "Chinese", "浮点数代数值比较", "CODE D" },
            { "longer than the comments", "Alpha routineX", "" },
            { "padding", "short    ", "CODE E" }, { "not at the beginning", "routine", "" },
            { "hidden files", "Hidden", "" } };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << row[2];
        QTest::newRow("whole field") << pad << "CODE E";
        QTest::newRow("longer than the field") << pad + u' ' << "";
    }
    // The first file whose Comments begin with the text fills the panes;
    // the tree's selection and panel 1 stay; the dialog goes after a search.
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        QVERIFY(writeCode(m_dir->path(), ".hidden.cod", record("h", kOther, "Hidden")));
        auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
        const QModelIndex y = m_window->codeTree()->indexOfKey(QStringLiteral("y"));
        tree->setCurrentIndex(y);
        m_window->setPanel1Text(QStringLiteral("panel one"));
        QPointer<QDialog> shown;
        const Outcome outcome = run("Find", [&](QDialog *dialog) {
            fill(shown = dialog, { text });
            QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);
        });
        QVERIFY(!shown);
        QCOMPARE(this->text("txtCode"), found.leftJustified(1500));
        QVERIFY(this->text("txtComments").startsWith(found.isEmpty() ? "old y" : text));
        QCOMPARE(outcome.messages.size(), found.isEmpty() ? 1 : 0);
        QCOMPARE(tree->currentIndex(), y);
        QCOMPARE(this->text("Panel1"), QStringLiteral("panel one"));
    }

    // Exit ends the program at once, hidden dialogs or not, and so does
    // closing the main window.
    void exitEndsProgram()
    {
        run("About", [](QDialog *dialog) { dialog->hide(); });
        for (bool viaMenu : { true, false }) {
            m_window->show();
            QTimer::singleShot(0, m_window.get(), [&] {
                viaMenu ? child<QAction>(m_window.get(), "mnuExit")->trigger()
                        : void(m_window->close());
            });
            QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
            QCOMPARE(QCoreApplication::exec(), 0);
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
