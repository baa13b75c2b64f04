// The New-code, Find and About dialogs, driven through the main window's
// commands against one library folder.
#include "CodeTreeModel.h"
#include "Fonts.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QtWidgets>

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
        const QFont bold = Fonts::windowFont(), box = Fonts::textFont(), app = QApplication::font();
        const struct {
            const char *command, *name, *text;
            QFont font;
        } controls[] = { { "Add", "Label1", "名称：", bold }, { "Add", "Label2", "种类：", bold },
            { "Add", "txtName", "", bold }, { "Add", "txtComments", "", box },
            { "Add", "txtDeclarations", "", box }, { "Add", "txtCode", "", box },
            { "Add", "cmdAdd", "添加", bold }, { "Add", "cmdCancel", "取消", bold },
            { "Find", "Command1", "查找", app }, { "Find", "Command2", "取消", app },
            { "Find", "Frame1", "说明", app }, { "Find", "Label1", "查找目标：", app },
            { "Find", "Label2",
                "请输入全名(暂时还不支持模糊查询).例如:浮点数代数值比较（不影响待比较操作数）.",
                app },
            { "About", "Label1", "版本：1.0\n日期：2003-05-06", app },
            { "About", "Command1", "确定", bold },
            { "About", "Label2", nullptr, Fonts::noticeFont() } };
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
            for (const auto &c : controls) {
                auto *control = child(dialog, c.name);
                if (command != c.command)
                    continue;
                const char *property = control->property("title").isValid() ? "title" : "text";
                QVERIFY(!c.text || control->property(property).toString() == c.text);
                QCOMPARE(control->font(), c.font);
            }
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QStringList order;
            for (int i = 0; i <= tabOrder.count(u' '); ++i) {
                order << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QCOMPARE(order.join(u' '), tabOrder);
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

    // Add writes the file, appends the node to its category, counts it and
    // hides the dialog, which keeps what was entered.
    void addsCodes_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : { "x", "  x  " }) // spaces kept in the file, not in its name
            QTest::newRow(name) << name;
    }
    void addsCodes()
    {
        QFETCH(QString, name);
        const QStringList entry { name, kOther, "第一行\n第二行", "DATA EQU 30H", "MOV A,#1" };
        const Outcome outcome = add(entry);
        QVERIFY(!outcome.stayed && outcome.messages.isEmpty());
        QCOMPARE(readFile(m_dir->filePath("x.cod")),
            bytes(record(name, kOther, "第一行\r\n第二行", "DATA EQU 30H", "MOV A,#1")));
        const QModelIndex node = m_window->codeTree()->indexOfKey(QStringLiteral("x"));
        QCOMPARE(node.parent().data().toString(), kOther);
        QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
        QCOMPARE(text("Panel2"), QStringLiteral("9 Code(s)"));
        run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
        m_window->tvCodes_NodeClick(node);
        QCOMPARE(text("txtComments").trimmed(), QStringLiteral("第一行\n第二行"));
        QCOMPARE(text("Panel1"), QStringLiteral("Code: 其他"));
        QVERIFY(!add({ "two", "逻辑操作", "", "", "" }).stayed);
        QCOMPARE(text("Panel2"), QStringLiteral("10 Code(s)"));
    }

    // Refused entries and failed writes: a message saying why, the dialog
    // still up with what was typed, and nothing written or changed anywhere.
    void refused_data()
    {
        for (const char *column : { "name", "category", "comments", "why" })
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("fault"); // errno of the file layer's calls
        const auto row = [](const QString &name, const char *category, const char *comments,
                             int fault, const char *why) {
            QTest::newRow(why) << name << category << comments << why << fault;
        };
        row("../x", "其他", "", 0, "“.”");
        row("/tmp/x", "其他", "", 0, "字符");
        row("CON", "其他", "", 0, "设备名");
        row("   ", "其他", "", 0, "不能为空");
        row(" 逻辑操作 ", "其他", "", 0, "种类的名称");
        row("x", "", "", 0, "种类");
        row("x", "其他", "笑脸😀与€", 0, "😀");
        row("x", "其他", "", ENOENT, "x");
        row("y", "其他", "", ENOSPC, "y");
    }
    void refused()
    {
        QFETCH(QString, name);
        QFETCH(QString, category);
        QFETCH(QString, comments);
        QFETCH(QString, why);
        QFETCH(int, fault);
        const QStringList before = codes(m_window->codeTree());
        const QByteArray y = readFile(m_dir->filePath("y.cod"));
        ScopedFileOps ops;
        ops.before = [fault](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::Open || call == ScopedFileOps::Write ? fault : 0;
        };
        const QStringList entry { name, category, comments, "", "" };
        const Outcome outcome = add(entry, QMessageBox::Yes);
        QVERIFY(outcome.stayed);
        QVERIFY2(outcome.messages.last().contains(why), qPrintable(outcome.messages.last()));
        QVERIFY(fault || !ops.calls().contains(ScopedFileOps::Write));
        QCOMPARE(entries().size(), 8);
        QCOMPARE(readFile(m_dir->filePath("y.cod")), y);
        QCOMPARE(codes(m_window->codeTree()), before);
        QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
        run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
    }

    // Adding under a name that a code or a file already has asks first;
    // afterwards the tree holds one node per file, as the next start reads it.
    void replace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("asked");
        QTest::newRow("code, yes") << " y" << true << "y.cod"
                                   << "“y”";
        QTest::newRow("code, no") << "y" << false << "y.cod"
                                  << "“y”";
        QTest::newRow("unlisted file, yes") << "z" << true << "z.cod"
                                            << "z.cod";
        QTest::newRow("unlisted file, no") << "z" << false << "z.cod"
                                           << "z.cod";
        // w was read from z.cod: replacing it rewrites z.cod, not a second file.
        QTest::newRow("code in another file") << "w" << true << "z.cod"
                                              << "“w”";
    }
    void replace()
    {
        QFETCH(QString, name);
        QFETCH(bool, yes);
        QFETCH(QString, file);
        const QByteArray old = readFile(m_dir->filePath(file));
        const Outcome outcome
            = add({ name, "逻辑操作", "new", "", "" }, yes ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(outcome.messages.size(), 1);
        QFETCH(QString, asked);
        QVERIFY2(outcome.messages.first().contains(asked), qPrintable(outcome.messages.first()));
        QCOMPARE(outcome.stayed, !yes);
        QCOMPARE(entries().size(), 8);
        QCOMPARE(
            readFile(m_dir->filePath(file)), yes ? bytes(record(name, "逻辑操作", "new")) : old);
        QCOMPARE(m_window->codeTree()->indexOfKey(name.trimmed()).parent().data().toString()
                == "逻辑操作",
            yes);
        QCOMPARE(text("Panel2"), QStringLiteral("8 Code(s)"));
        frmMain again(m_dir->path());
        QCOMPARE(codes(m_window->codeTree()), codes(again.codeTree()));
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
