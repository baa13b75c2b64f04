// The main window and the dialogs as a window manager shows them.
#include "Controls.h"
#include "TestLibrary.h"
#include "Twips.h"
#include "frmMain.h"

#include <QPlainTextEdit>
#include <QTimer>

using namespace TestLibrary;

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(writeCode(m_dir.path(), "a.cod", record("a", "其他", "abc")));
        m_window = std::make_unique<frmMain>(m_dir.path());
    }
    // The outer size counts the frame, and a resize back gives the first
    // layout. Panel 2 keeps its design width unless its text needs more.
    // Lines with and without Chinese are equally high.
    void mainWindow()
    {
        m_window->show();
        const QRect first = pane("txtCode")->geometry();
        QCOMPARE(first.x() + first.width(),
            Twips::toPixels(Twips::fromPixels(m_window->frameGeometry().width()) - 190));
        m_window->resize(m_window->size() + QSize(40, 30));
        m_window->resize(m_window->size() - QSize(40, 30));
        QCOMPARE(pane("txtCode")->geometry(), first);
        const QFontMetrics fm = m_window->fontMetrics();
        QCOMPARE(Controls::panelWidth(fm, "12 Code(s)", 2, 96), 96);
        QVERIFY(Controls::panelWidth(fm, "20000 Code(s)", 2, 96)
            >= fm.horizontalAdvance("20000 Code(s)") + 4 + fm.horizontalAdvance(u'x') / 2);
        pane("txtComments")->setPlainText(QStringLiteral("MOV AX,1"));
        pane("txtCode")->setPlainText(QStringLiteral("浮点数比较"));
        QCOMPARE(
            pane("txtComments")->cursorRect().height(), pane("txtCode")->cursorRect().height());
    }
    // Escape hides Find; Enter searches (the empty text finds a) and discards it.
    void findKeysAndFixedSize()
    {
        for (const Qt::Key key : { Qt::Key_Escape, Qt::Key_Return }) {
            QPointer<QWidget> find;
            QTimer::singleShot(0, this, [&] {
                find = m_window->findChild<QWidget *>("frmFind");
                QCOMPARE(find->minimumSize(), find->maximumSize());
                QTest::keyClick(find->findChild<QWidget *>("Text1"), key);
                if (find && find->isVisible())
                    find->close(); // and destroyed
            });
            m_window->Toolbar_ButtonClick(QStringLiteral("Find"));
            QCOMPARE(find.isNull(), key == Qt::Key_Return);
        }
        QCOMPARE(pane("txtComments")->toPlainText().trimmed(), QStringLiteral("abc"));
    }

private:
    QPlainTextEdit *pane(const char *name) { return m_window->findChild<QPlainTextEdit *>(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
