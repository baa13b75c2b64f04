// The About box and the main window's commands.
#include "Fonts.h"
#include "Twips.h"
#include "frmAbout.h"
#include "frmFind.h"
#include "tst_dialogs_support.h"

#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void design();
    void backgroundPicture();
    void shownTwiceSameDialog();
    void keys_data();
    void keys();
    void closeBoxGivesNewDialog();
    void toolbarKeys_data();
    void toolbarKeys();
    void exitEndsProgram();
    void closingMainWindowEndsProgram();

private:
    void open(const std::function<void(frmAbout *)> &steps, bool *leftOpen = nullptr)
    {
        DialogTest::runModal<frmAbout>(
            *m_window, [this] { m_window->mnuAbout_Click(); }, steps, leftOpen);
    }
    // Runs the program's event loop until it ends; false if it never does.
    static bool runUntilQuit();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
};

void TestAbout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(TestLibrary::writeCode(m_dir->path(), QStringLiteral("a.cod"),
        TestLibrary::record(QStringLiteral("a"), QStringLiteral("其他"))));
    m_window = std::make_unique<frmMain>(m_dir->path());
}

void TestAbout::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestAbout::design()
{
    open([](frmAbout *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("关于Quillbank"));
        QCOMPARE(dialog->size(), Twips::size(6645, 4050));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(QApplication::activeModalWidget(), dialog);
        const QPoint centre = dialog->screen()->geometry().center();
        QVERIFY((dialog->frameGeometry().center() - centre).manhattanLength() <= 1);

        auto *label2 = dialog->findChild<QLabel *>(QStringLiteral("Label2"));
        QCOMPARE(label2->geometry(), Twips::rect(1560, 240, 4575, 2175));
        QCOMPARE(label2->font(), Fonts::noticeFont());
        QVERIFY(label2->wordWrap());
        QVERIFY(label2->text().contains(QStringLiteral("汇编")));
        // The notice fits its label.
        QVERIFY(label2->heightForWidth(label2->width()) <= label2->height());

        auto *label1 = dialog->findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(label1->geometry(), Twips::rect(120, 2760, 1575, 735));
        QCOMPARE(label1->text().split(u'\n'), QStringList({ "版本：1.0", "日期：2003-05-06" }));
        QCOMPARE(label1->font(), QApplication::font());

        auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
        QCOMPARE(ok->geometry(), Twips::rect(2640, 3360, 1335, 375));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QCOMPARE(ok->font(), Fonts::windowFont());
        QCOMPARE(dialog->focusWidget(), ok);

        for (const char *name : { "Image1", "Image2" }) {
            auto *image = dialog->findChild<QLabel *>(QLatin1String(name));
            QCOMPARE(image->pixmap().size(), QSize(33, 33));
            QCOMPARE(image->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("Image1"))->geometry(),
            Twips::rect(120, 960, 495, 495));
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("Image2"))->geometry(),
            Twips::rect(480, 360, 495, 495));
        for (QLabel *label : { label1, label2 })
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        ok->click();
        QVERIFY(!dialog->isVisible());
    });
}

void TestAbout::backgroundPicture()
{
    open([](frmAbout *dialog) {
        const QImage shot = dialog->grab().toImage();
        const QImage star(QStringLiteral(":/images/star.xpm"));
        QCOMPARE(star.size(), QSize(33, 33));
        QCOMPARE(star.pixelColor(0, 0), QColor(74, 121, 198));
        // The corner that no control covers shows the star.
        for (int y = 0; y < 33; ++y) {
            for (int x = 0; x < 32; ++x)
                QCOMPARE(shot.pixelColor(x, y).rgb(), star.pixelColor(x, y).rgb());
        }
        dialog->hide();
    });
}

void TestAbout::shownTwiceSameDialog()
{
    QPointer<frmAbout> first;
    open([&first](frmAbout *dialog) {
        first = dialog;
        QTest::mouseClick(
            dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    QVERIFY(first);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    open([&first](frmAbout *dialog) {
        QCOMPARE(dialog, first.data());
        dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    });
    QCOMPARE(m_window->findChildren<frmAbout *>().size(), 1);
}

void TestAbout::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes"); // Escape does nothing
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
}

void TestAbout::keys()
{
    QFETCH(int, key);
    QFETCH(bool, closes);
    bool leftOpen = closes;
    open(
        [&](frmAbout *dialog) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key(key));
            if (dialog->isVisible())
                QTest::keyClick(dialog, Qt::Key(key));
            QCOMPARE(dialog->isVisible(), !closes);
        },
        &leftOpen);
    QCOMPARE(leftOpen, !closes);
    QVERIFY(m_window->findChild<frmAbout *>());
}

void TestAbout::closeBoxGivesNewDialog()
{
    QPointer<frmAbout> first;
    open([&first](frmAbout *dialog) {
        first = dialog;
        dialog->close();
    });
    QVERIFY(!first);
    open([](frmAbout *dialog) { dialog->hide(); });
    QVERIFY(m_window->findChild<frmAbout *>());
}

void TestAbout::toolbarKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("lower-case add") << "add";
    QTest::newRow("upper-case FIND") << "FIND";
    QTest::newRow("other key") << "Open";
    QTest::newRow("empty") << "";
}

void TestAbout::toolbarKeys()
{
    QFETCH(QString, key);
    m_window->Toolbar_ButtonClick(key);
    QVERIFY(!m_window->findChild<QDialog *>());
}

bool TestAbout::runUntilQuit()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    return QCoreApplication::exec() == 0;
}

void TestAbout::exitEndsProgram()
{
    // With dialogs created and hidden.
    open([](frmAbout *dialog) { dialog->hide(); });
    DialogTest::openNewCode(*m_window, [](frmNewCode *dialog) { dialog->hide(); });
    m_window->show();
    QTimer::singleShot(0, m_window.get(), [this] { m_window->mnuExit_Click(); });
    QVERIFY(runUntilQuit());
    QVERIFY(!m_window->isVisible());
}

void TestAbout::closingMainWindowEndsProgram()
{
    // Another window is open: the program ends all the same.
    QWidget other;
    other.show();
    open([](frmAbout *dialog) { dialog->hide(); });
    m_window->show();
    bool otherOpen = false;
    QTimer::singleShot(0, m_window.get(), [this, &other, &otherOpen] {
        otherOpen = other.isVisible();
        m_window->close();
    });
    QVERIFY(runUntilQuit());
    QVERIFY(otherOpen);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestAbout)
#include "tst_dialogs_about.moc"
