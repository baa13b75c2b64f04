// The Find dialog: its design and the search.
#include "CodeTreeModel.h"
#include "FileOps.h"
#include "Twips.h"
#include "frmFind.h"
#include "tst_dialogs_support.h"

#include <QGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using DialogTest::MessageBoxAnswerer;

namespace {

const QString kOther = QStringLiteral("其他");

// Calls seen through the file interface.
QVector<std::pair<qint64, size_t>> g_reads;

int openFailingForA(const char *path, int flags, mode_t mode)
{
    if (QByteArray(path).endsWith("/a.cod")) {
        errno = EACCES;
        return -1;
    }
    return ::open(path, flags, mode);
}

ssize_t countingPread(int fd, void *buffer, size_t size, off_t offset)
{
    g_reads.append({ qint64(offset), size });
    return ::pread(fd, buffer, size, offset);
}

} // namespace

class TestFind : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void dialogDesign();
    void search_data();
    void search();
    void matchLeavesSelectionAndPanel1();
    void cancelKeepsText();
    void listsFolderAfresh();
    void unreadableFileSkipped();
    void readsOnlyNeededBytes();
    void folderWithoutCodes_data();
    void folderWithoutCodes();

private:
    // Types `text` and clicks Find; m_answerer then tells the message boxes
    // shown and whether the Find dialog was on screen when each came up.
    void search(const QString &text);
    void open(const std::function<void(frmFind *)> &steps)
    {
        DialogTest::runModal<frmFind>(
            *m_window, [this] { m_window->Toolbar_ButtonClick(QStringLiteral("Find")); }, steps);
    }
    void write(
        const QString &fileName, const QString &name, const QString &comments, const QString &code)
    {
        QVERIFY(TestLibrary::writeCode(
            m_folder, fileName, TestLibrary::record(name, kOther, comments, {}, code)));
    }
    QString paneText(const char *name) const
    {
        return DialogTest::pane(*m_window, name)->toPlainText();
    }
    void markPanes()
    {
        for (const char *name : { "txtComments", "txtDeclarations", "txtCode" })
            DialogTest::pane(*m_window, name)->setPlainText(QStringLiteral("before"));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<MessageBoxAnswerer> m_answerer;
};

void TestFind::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("Codes"));
    QVERIFY(QDir().mkpath(m_folder));
    // In list order.
    write("a.cod", "a", "Alpha routine", "CODE A");
    write("a2.cod", "a2", "Alpha routine", "CODE A2");
    write("b.cod", "b", "alpha lower", "CODE B");
    write("c.cod", "c", " Alpha with space", "CODE C");
    write("d.cod", "d", "浮点数代数值比较\r\n第二行", "CODE D");
    write("e.cod", "e", "short", "CODE E");
    m_window = std::make_unique<frmMain>(m_folder);
    QCOMPARE(m_window->codeTree()->codeCount(), 6);
    // Hidden files, among them a temporary file of a write, never match.
    write(".hidden.cod", "h", "Hidden", "CODE H");
    write(".quillbank-1-1.tmp", "t", "Hidden", "CODE T");
}

void TestFind::cleanup()
{
    fileOps() = FileOps::system();
    m_answerer.reset();
    m_window.reset();
    m_dir.reset();
}

void TestFind::search(const QString &text)
{
    m_answerer = std::make_unique<MessageBoxAnswerer>();
    QPointer<frmFind> shown;
    open([&text, &shown](frmFind *dialog) {
        shown = dialog;
        dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(text);
        QTest::mouseClick(
            dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    // Every search discards the dialog.
    QVERIFY2(!shown, "the Find dialog outlived its search");
    QVERIFY(!m_window->findChild<frmFind *>());
}

void TestFind::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("text");

    QTest::newRow("Text1") << "Text1" << QRectF(1080, 120, 3975, 375) << "";
    QTest::newRow("Command1") << "Command1" << QRectF(5400, 120, 855, 375) << "查找";
    QTest::newRow("Command2") << "Command2" << QRectF(5400, 1080, 855, 375) << "取消";
    QTest::newRow("Frame1") << "Frame1" << QRectF(240, 840, 4935, 1335) << "说明";
    QTest::newRow("Label2") << "Label2" << QRectF(360, 360, 4215, 735)
                            << "请输入全名(暂时还不支持模糊查询).例如:"
                               "浮点数代数值比较（不影响待比较操作数）.";
}

void TestFind::controls()
{
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    QFETCH(QString, text);
    frmFind dialog(m_window.get());
    auto *control = dialog.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), Twips::rect(twips));
    const QString shown = name == u"Frame1" ? static_cast<QGroupBox *>(control)->title()
                                            : control->property("text").toString();
    QCOMPARE(shown, text);
    QCOMPARE(control->font(), QApplication::font());
    QCOMPARE(
        control->parentWidget()->objectName(), QString(name == u"Label2" ? "Frame1" : "frmFind"));
    if (auto *button = qobject_cast<QPushButton *>(control))
        QVERIFY(!button->isDefault());
}

void TestFind::dialogDesign()
{
    frmFind dialog(m_window.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Find"));
    QCOMPARE(dialog.size(), Twips::size(6330, 2925));
    QCOMPARE(dialog.pos(), QPoint(Twips::toPixels(4365), Twips::toPixels(4170)));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog.font(), QApplication::font());
    // No icon: an empty picture, not the main window's.
    const QImage icon = dialog.windowIcon().pixmap(16, 16).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x)
            QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
    }
    // Label1 is sized to its text from its design position.
    auto *label1 = dialog.findChild<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(label1->text(), QStringLiteral("查找目标："));
    QCOMPARE(label1->pos(), QPoint(Twips::toPixels(120), Twips::toPixels(240)));
    QCOMPARE(label1->size(), label1->sizeHint());
    QCOMPARE(label1->alignment(), Qt::AlignCenter);
    QVERIFY(!label1->autoFillBackground());
    QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("Label2"))->wordWrap());
    QVERIFY(dialog.findChild<QObject *>(QStringLiteral("File1")));

    dialog.setModal(false);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({ "Text1", "Command1", "Command2", "Text1" }));
    dialog.hide();
}

void TestFind::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // the code shown; empty when none

    QTest::newRow("empty text: first file") << ""
                                            << "CODE A";
    QTest::newRow("prefix") << "Alpha"
                            << "CODE A";
    QTest::newRow("whole comments") << "Alpha routine"
                                    << "CODE A";
    QTest::newRow("case-sensitive") << "alpha"
                                    << "CODE B";
    QTest::newRow("upper case") << "ALPHA"
                                << "";
    QTest::newRow("leading space") << " Alpha"
                                   << "CODE C";
    QTest::newRow("Chinese") << "浮点数代数值比较"
                             << "CODE D";
    QTest::newRow("longer than the comments") << "Alpha routineX"
                                              << "";
    QTest::newRow("padding included") << "short    "
                                      << "CODE E";
    QTest::newRow("whole field") << QStringLiteral("short") + QString(1495, u' ') << "CODE E";
    QTest::newRow("longer than the field") << QStringLiteral("short") + QString(1496, u' ') << "";
    QTest::newRow("not at the beginning") << "routine"
                                          << "";
    QTest::newRow("hidden files") << "Hidden"
                                  << "";
}

void TestFind::search()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    markPanes();
    search(text);
    const MessageBoxAnswerer *answers = m_answerer.get();
    if (found.isEmpty()) {
        for (const char *name : { "txtComments", "txtDeclarations", "txtCode" })
            QCOMPARE(paneText(name), QStringLiteral("before"));
        // Told after the dialog has gone.
        QCOMPARE(answers->texts.size(), 1);
        QVERIFY(answers->texts.first().contains(QStringLiteral("没有找到")));
        QVERIFY(answers->texts.first().size() < 80); // a long text is shown cut
        QVERIFY(!answers->visibleDialogs.first().contains(QStringLiteral("frmFind")));
    } else {
        QCOMPARE(answers->texts, QStringList());
        // The panes show the fields untrimmed.
        QCOMPARE(paneText("txtCode"), found.leftJustified(1500, u' '));
        QCOMPARE(paneText("txtDeclarations"), QString(1500, u' '));
        QVERIFY(paneText("txtComments").startsWith(text));
        QCOMPARE(paneText("txtComments").size(), found == u"CODE D" ? 1499 : 1500);
    }
}

void TestFind::matchLeavesSelectionAndPanel1()
{
    auto *tree = m_window->findChild<QTreeView *>(QStringLiteral("tvCodes"));
    const QModelIndex e = m_window->codeTree()->indexOfKey(QStringLiteral("e"));
    tree->setCurrentIndex(e);
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE E")));
    m_window->setPanel1Text(QStringLiteral("panel one"));
    search(QStringLiteral("alpha"));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE B")));
    QCOMPARE(tree->currentIndex(), e);
    QCOMPARE(tree->selectionModel()->selectedIndexes(), QModelIndexList({ e }));
    QCOMPARE(DialogTest::panel(*m_window, "Panel1"), QStringLiteral("panel one"));
    QCOMPARE(DialogTest::panel(*m_window, "Panel2"), QStringLiteral("6 Code(s)"));
}

void TestFind::cancelKeepsText()
{
    QPointer<frmFind> first;
    open([&first](frmFind *dialog) {
        first = dialog;
        dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("abc"));
        QTest::mouseClick(
            dialog->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    QVERIFY(first);
    markPanes();
    open([&first](frmFind *dialog) {
        QCOMPARE(dialog, first.data());
        QCOMPARE(
            dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QStringLiteral("abc"));
        dialog->hide();
    });
    QCOMPARE(paneText("txtCode"), QStringLiteral("before"));
    // After a search, or the close box, the next showing starts afresh.
    search(QStringLiteral("Alpha"));
    for (int round = 0; round < 2; ++round) {
        open([&first, round](frmFind *dialog) {
            QVERIFY(dialog != first.data());
            QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->text().isEmpty());
            first = dialog;
            dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("abc"));
            if (round == 0)
                dialog->close();
            else
                dialog->hide();
        });
        if (round == 0)
            QVERIFY(!first); // destroyed
    }
}

void TestFind::listsFolderAfresh()
{
    write("0.cod", "zero", "Fresh", "CODE 0");
    search(QStringLiteral(""));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE 0")));
    QVERIFY(QFile::remove(m_folder + QStringLiteral("/0.cod")));
    search(QStringLiteral(""));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE A ")));
}

void TestFind::unreadableFileSkipped()
{
    fileOps().open = openFailingForA;
    search(QStringLiteral("Alpha"));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE A2")));
    search(QStringLiteral(""));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE A2")));
}

void TestFind::readsOnlyNeededBytes()
{
    g_reads.clear();
    fileOps().pread = countingPread;
    search(QStringLiteral("short"));
    QVERIFY(paneText("txtCode").startsWith(QStringLiteral("CODE E")));
    // Five characters of the Comments field of each file in turn (at most
    // two bytes each), then the whole record of the match.
    QStringList reads;
    for (const auto &[offset, size] : g_reads)
        reads << QStringLiteral("%1+%2").arg(offset).arg(size);
    QCOMPARE(reads,
        QStringList(
            { "3064+10", "3064+10", "3064+10", "3064+10", "3064+10", "3064+10", "0+4692" }));
}

void TestFind::folderWithoutCodes_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << true << QStringLiteral("无法打开代码库文件夹");
    QTest::newRow("empty") << false << QStringLiteral("没有可以读取的代码");
}

void TestFind::folderWithoutCodes()
{
    QFETCH(bool, missing);
    QFETCH(QString, message);
    if (missing)
        QVERIFY(QDir(m_folder).removeRecursively());
    for (const QString &entry : TestLibrary::entries(m_folder))
        QVERIFY(QFile::remove(m_folder + u'/' + entry));
    markPanes();
    search(QString());
    QCOMPARE(m_answerer->texts.size(), 1);
    QVERIFY(m_answerer->texts.first().contains(message));
    for (const char *name : { "txtComments", "txtDeclarations", "txtCode" })
        QCOMPARE(paneText(name), QStringLiteral("before"));
    QCOMPARE(QFileInfo::exists(m_folder), !missing);
}

QTEST_MAIN(TestFind)
#include "tst_dialogs_find.moc"
