// The New-code, Find and About dialogs, driven through the main window's
// commands against one library folder.
#include "CodeTreeModel.h"
#include "ScopedFileOps.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QtWidgets>

using namespace TestLibrary;

namespace {

// What a showing of a dialog left: whether the dialog was still up after
// the steps, and the texts of the message boxes shown.
struct Outcome {
    bool stayed = false;
    QStringList messages;
    QByteArray log; // stderr
};

// One Add: what is typed, the answer to any question, an errno for the
// opens and writes of files; what the user is told and the file written.
struct AddStep {
    QString name, category, comments, told, file;
    bool yes = true;
    int fault = 0;
};

// The texts of Find's text box, or of the New-code dialog's name, category
// and three boxes, after typing `typed` into them if it is given.
QStringList texts(QDialog *dialog, const QStringList &typed = {})
{
    QStringList texts;
    for (const char *name :
        { "Text1", "txtName", "cmbCategory", kPanes[0], kPanes[1], kPanes[2] }) {
        if (QWidget *box = child(dialog, name)) {
            const QMetaProperty text = box->metaObject()->userProperty();
            if (!typed.isEmpty())
                text.write(box, typed[texts.size()]);
            texts << text.read(box).toString();
        }
    }
    return texts;
}

void submit(QDialog *dialog, const QStringList &typed, const char *button)
{
    texts(dialog, typed);
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// Every code of the tree as category/name, sorted.
QStringList codes(const QAbstractItemModel *model)
{
    QStringList all;
    const auto flags = Qt::MatchWildcard | Qt::MatchRecursive;
    for (const QModelIndex &node : model->match(model->index(0, 0), 0, "*", -1, flags))
        all << node.parent().data().toString() + u'/' + node.data().toString();
    all.sort();
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
                outcome.messages << box->text() + u'\n' + box->detailedText();
                for (QAbstractButton *button : box->buttons())
                    outcome.messages.last() += u'\n' + button->text();
                (box->button(answer) ? box->button(answer) : box->buttons().first())->click();
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
        // Add and Find by a click on their toolbar buttons.
        auto *action = child<QAction>(m_window.get(), command == u"About" ? "mnuAbout" : command);
        QWidget *button = child<QToolBar>(m_window.get(), "Toolbar")->widgetForAction(action);
        outcome.log = stderrOf(
            [&] { button ? QTest::mouseClick(button, Qt::LeftButton) : action->trigger(); });
        return outcome;
    }
    Outcome add(const QStringList &entry, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        const auto click = [&](QDialog *dialog) { submit(dialog, entry, "cmdAdd"); };
        return run("Add", click, answer);
    }
    QString text(const char *name) const { return shown(m_window.get(), name); }
    QStringList entries() const { return TestLibrary::entries(m_library); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_library;
    std::unique_ptr<frmMain> m_window;

private slots:
    // The library is the folder Codes; l.cod links to a file in it and
    // o.cod to one outside it.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_library = m_dir->filePath("Codes");
        QVERIFY(QDir().mkpath(m_library + "/sub"));
        for (const QString &in : { m_dir->path(), m_library + "/sub" })
            QVERIFY(writeFile(in, "t.cod", "old"));
        QVERIFY(QFile::link("sub/t.cod", m_library + "/l.cod"));
        QVERIFY(QFile::link("../t.cod", m_library + "/o.cod"));
        QVERIFY(QFile::link("none", m_library + "/g.cod")); // a dangling link
        // In list order; the code w, the first read, is read from 0z.cod.
        const char *codes[][5] = { { "0z.cod", "w", "运算子程序", "w's", "CODE W" },
            { "a.cod", "a", "其他", "Alpha routine", "CODE A" },
            { "a2.cod", "a2", "其他", "Alpha routine", "CODE A2" },
            { "b.cod", "b", "其他", "alpha lower", "CODE B" },
            { "c.cod", "c", "其他", " Alpha with space", "CODE C" },
            { "d.cod", "d", "其他", "浮点数代数值比较\r\n第二行", "CODE D" },
            { "e.cod", "e", "其他", "short", "CODE E" },
            { ".hidden.cod", "h", "其他", "Hidden", "" },
            { "y.cod", "y", "运算子程序", "old y", "" } };
        for (const auto &c : codes)
            QVERIFY(writeCode(m_library, c[0],
                record(c[1], QString::fromUtf8(c[2]), QString::fromUtf8(c[3]), {}, c[4])));
        m_window = std::make_unique<frmMain>(m_library);
        QCOMPARE(text("Panel2"), u"8 Code(s)"_s);
    }

    // Each dialog's place; Ctrl+Tab in the New-code boxes; the About box's
    // star.
    void design_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command : { "Add", "Find", "About" })
            QTest::newRow(command) << command;
    }
    void design()
    {
        QFETCH(QString, command);
        run(command, [&](QDialog *dialog) {
            const QPoint offCentre
                = dialog->frameGeometry().center() - dialog->screen()->geometry().center();
            const QPoint place = command == u"Find" ? Twips::rect(4365, 4170, 0, 0).topLeft()
                                                    : dialog->pos() - offCentre;
            QVERIFY((dialog->pos() - place).manhattanLength() <= 1);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // In the three boxes Ctrl+Tab types a tab; other Ctrl+keys keep their meaning.
            for (auto *box : dialog->findChildren<QPlainTextEdit *>()) { // Add's
                box->setFocus();
                QTest::keyClicks(box, "ab");
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QCOMPARE(box->textCursor().selectedText(), "ab");
                QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);
                QCOMPARE(box->toPlainText(), "\t");
                QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
                QCOMPARE(box->toPlainText(), "ab");
                QTest::keyClick(box, Qt::Key_Tab);
                QVERIFY(!box->hasFocus());
            }
            if (command == u"About")
                QCOMPARE(dialog->grab().toImage().copy(0, 0, 16, 16),
                    QImage(":/images/star.xpm")
                        .copy(0, 0, 16, 16)
                        .convertToFormat(QImage::Format_RGB32));
        });
    }

    // Leaving a dialog by a button, a key or the close box keeps it hidden
    // with its texts and where it was moved, leaves it up, destroys it, or
    // (Enter in Find) searches.
    void dismiss_data()
    {
        QTest::addColumn<QStringList>("step"); // command, control, key (none: a click), result
        const char *rows[][4] = { { "Add", "cmdCancel", "", "kept" },
            { "Add", "cmdCancel", "Return", "kept" }, { "Add", "txtName", "Return", "stays" },
            { "Add", "", "", "destroyed" }, { "Find", "Command2", "", "kept" },
            { "Find", "Text1", "Esc", "kept" }, { "Find", "Text1", "Return", "destroyed" },
            { "Find", "", "", "destroyed" }, { "About", "Command1", "Space", "kept" },
            { "About", "Command1", "Esc", "stays" }, { "About", "", "", "destroyed" } };
        for (const auto &row : rows)
            QTest::addRow("%s %s %s", row[0], row[1], row[2]) << QStringList(row, row + 4);
    }
    void dismiss()
    {
        QFETCH(QStringList, step);
        const QString command = step[0], result = step[3];
        const Qt::Key key = QKeySequence(step[2])[0].key();
        const QStringList files = entries();
        QPointer<QDialog> first;
        QStringList typed;
        QPoint moved; // where the user put the dialog: a kept one comes back there
        const Outcome outcome = run(command, [&](QDialog *dialog) {
            typed = texts(first = dialog, { "zz", kOther, "说明", "声明", "代码" });
            dialog->move(moved = dialog->pos() + QPoint(7, 5));
            QWidget *target = child(dialog, step[1].isEmpty() ? "none" : step[1]);
            if (!target)
                dialog->close();
            else if (key)
                target->setFocus(), QTest::keyClick(target, key);
            else
                QTest::mouseClick(target, Qt::LeftButton);
        });
        QCOMPARE(outcome.stayed, result == u"stays");
        QCOMPARE(outcome.messages.size(), key == Qt::Key_Return && command == u"Find" ? 1 : 0);
        QCOMPARE(bool(first), result != u"destroyed");
        QCOMPARE(entries(), files);
        QCOMPARE(text("Panel2"), u"8 Code(s)"_s);
        run(command, [&](QDialog *dialog) {
            QCOMPARE(dialog == first.data(), result != u"destroyed");
            QCOMPARE(texts(dialog), first ? typed : QStringList(typed.size(), QString()));
            QVERIFY(!first || dialog->pos() == moved);
        });
        m_window->Toolbar_ButtonClick(u"add"_s); // keys match exactly: no dialog
    }

    // Add writes the code's file, refuses what cannot be stored as typed,
    // asks before replacing a file and tells a failed write, leaving no
    // file open; the dialog
    // stays up unless the file was written, and keeps what was typed. The
    // files change in just that one, links stay links, and the tree holds
    // one node per file, as the next start reads them, with the count.
    void addStep_data()
    {
        QTest::addColumn<AddStep>("step");
        const QString a1600(1600, 'a');
        const auto row
            = [](const char *title, const AddStep &step) { QTest::newRow(title) << step; };
        row("new code, first category", { "x", "运算子程序", "第一行\n第二行", "", "x.cod" });
        row("spaces around", { "  x  ", "其他", "", "", "x.cod" });
        row("parent folder", { "../x", "其他", "", "“.”", "" });
        row("spaces only", { "   ", "其他", "", "不能为空", "" });
        row("category's name", { " 逻辑操作 ", "其他", "", "种类的名称", "" });
        row("no category", { "x", "", "", "种类", "" });
        row("unencodable", { "x", "其他", "笑脸\uFFFF😀한与€", "：\uFFFF😀한。", "" });
        row("zero-width space", { "n\u200Bq", "其他", "", "<U+200B>", "" });
        row("invisible, past the end",
            { "n", "其他", a1600 + "\u00AD\uFEFF\U000E0041", "<U+00AD><U+FEFF><U+E0041>", "" });
        row("comments cut", { "cc", "其他", a1600, "截断后保存(&C)", "cc.cod" });
        row("comments not cut", { "cc", "其他", a1600, "说明", "", false });
        row("one byte over, then a space",
            { "cc", "其他", QString(1501, u'a') + u' ', "有 1501 字节", "", false });
        row("cut before a straddling han",
            { "ss", "其他", "a" + QString(750, u'汉'), "说明", "ss.cod" });
        row("name cut", { QString(33, u'名'), "其他", "", "名称", QString(32, u'名') + ".cod" });
        row("folder gone", { "x", "其他", "", "x", "", true, ENOENT });
        row("disk full, replacing", { "y", "其他", "", "y", "", true, ENOSPC });
        row("code replaced", { " y", "逻辑操作", "new", "“y”", "y.cod" });
        row("code kept", { "y", "逻辑操作", "new", "“y”", "", false });
        row("unlisted file replaced", { "0z", "逻辑操作", "new", "0z.cod", "0z.cod" });
        row("unlisted file kept", { "0z", "逻辑操作", "new", "0z.cod", "", false });
        // w was read from 0z.cod: replacing it rewrites 0z.cod, not a second file.
        row("code in another file", { "w", "逻辑操作", "new", "“w”", "0z.cod" });
        row("link into the folder", { "l", "其他", "", "l.cod", "l.cod" });
        row("link out of the folder", { "o", "其他", "", "链接", "" });
        row("dangling link", { "g", "其他", "", "链接", "" });
    }
    void addStep()
    {
        QFETCH(AddStep, step);
        QMap<QString, QByteArray> before = contents(m_library);
        ScopedFileOps ops;
        ops.before = [&](ScopedFileOps::Call call, int) {
            return call == ScopedFileOps::Open || call == ScopedFileOps::Write ? step.fault : 0;
        };
        const QStringList entry { step.name, step.category, step.comments, "", "" };
        const QList<int> handles = openHandles();
        const Outcome outcome = add(entry, step.yes ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(openHandles(), handles);
        // A failed save only: a fault, or a link out of the folder.
        QCOMPARE(outcome.log.startsWith("quillbank: "), step.fault != 0 || step.told == u"链接"_s);
        QCOMPARE(outcome.stayed, step.file.isEmpty());
        QCOMPARE(outcome.messages.isEmpty(), step.told.isEmpty());
        QVERIFY2(step.told.isEmpty() || outcome.messages.last().contains(step.told),
            qPrintable(outcome.messages.join(u'|')));
        QMap<QString, QByteArray> after = contents(m_library);
        if (!step.file.isEmpty()) {
            const CodeRecord written
                = record(step.name, step.category, QString(step.comments).replace("\n", "\r\n"));
            QCOMPARE(after.take(step.file), bytes(written));
            before.remove(step.file);
            const QModelIndex node = m_window->codeTree()->indexOfKey(written.codeName());
            QCOMPARE(node.row(), m_window->codeTree()->rowCount(node.parent()) - 1);
        }
        QCOMPARE(after, before);
        QVERIFY(QFileInfo(m_library + "/l.cod").isSymLink());
        QCOMPARE(readFile(m_dir->filePath("t.cod")), QByteArray("old"));
        frmMain again(m_library);
        QCOMPARE(codes(m_window->codeTree()), codes(again.codeTree()));
        QCOMPARE(text("Panel2"), shown(&again, "Panel2"));
        run("Add", [&](QDialog *dialog) { QCOMPARE(texts(dialog), entry); });
    }

    // The first file whose Comments begin with the text fills the panes;
    // the tree's selection and panel 1 stay; the dialog goes after a search,
    // which leaves no file open and no thread running.
    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // the code shown; empty when none
        const QString pad = u"short"_s + QString(1495, u' ');
        const char *rows[][3] = { { "empty text: first file", "", "CODE W" },
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
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        auto *tree = child<QTreeView>(m_window.get(), "tvCodes");
        const QModelIndex y = m_window->codeTree()->indexOfKey(u"y"_s);
        tree->setCurrentIndex(y);
        m_window->setPanel1Text(u"panel one"_s);
        QVERIFY(writeCode(m_library, "f.cod", record("f", kOther)));
        ScopedFileOps ops; // f.cod cannot be opened
        ops.openat = [](int dirFd, const char *name, int flags, mode_t mode) {
            return qstrcmp(name, "f.cod") ? ScopedFileOps::real.openat(dirFd, name, flags, mode)
                                          : (errno = EACCES, -1);
        };
        const QList<int> handles = openHandles();
        const Outcome outcome
            = run("Find", [&](QDialog *dialog) { submit(dialog, { text }, "Command1"); });
        QCOMPARE(openHandles(), handles);
        QCOMPARE(
            outcome.log.contains("quillbank: 查找时跳过文件“f.cod”：无法打开"), found.isEmpty());
        QVERIFY(!outcome.stayed);
        QCOMPARE(this->text("txtCode"), found.leftJustified(1500));
        QVERIFY(this->text("txtComments").startsWith(found.isEmpty() ? "old y" : text));
        QCOMPARE(outcome.messages.size(), found.isEmpty() ? 1 : 0);
        QCOMPARE(outcome.messages.value(0).contains(u"\nf.cod：无法打开"_s),
            found.isEmpty()); // in the details
        QCOMPARE(tree->currentIndex(), y);
        QCOMPARE(this->text("Panel1"), u"panel one"_s);
    }

    // A library folder removed since start-up is named as missing.
    void searchWithoutLibrary()
    {
        QVERIFY(QDir(m_library).removeRecursively());
        const Outcome outcome
            = run("Find", [&](QDialog *dialog) { submit(dialog, { "x" }, "Command1"); });
        const QString message = outcome.messages.value(0).section(u'\n', 0, 0);
        QVERIFY2(
            message.startsWith(u"无法打开代码库文件夹“%1”"_s.arg(m_library)), qPrintable(message));
        QCOMPARE(outcome.log, "quillbank: " + message.toUtf8() + "\n");
        QVERIFY(!outcome.stayed);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
