#include "Contrast.h"
#include "Desktop.h"
#include "frmFind.h"
#include "frmMain.h"
#include "frmNewCode.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QTest>

class tst_Desktop : public QObject {
    Q_OBJECT
private slots:
    void qtTextsInChinese()
    {
        QVERIFY(Desktop::installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }

    // Every control the keyboard reaches has a name; the panes' names differ.
    void controlsNamed()
    {
        frmMain window(QStringLiteral("/nonexistent"));
        QSet<QString> paneNames;
        for (QWidget *w :
            QList<QWidget *> { &window, new frmNewCode(&window), new frmFind(&window) }) {
            for (QWidget *control : w->findChildren<QWidget *>()) {
                if (control->window() != w || !(control->focusPolicy() & Qt::TabFocus))
                    continue;
                const QString name
                    = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
                if (w == &window && qobject_cast<QPlainTextEdit *>(control))
                    paneNames << name;
            }
        }
        QCOMPARE(paneNames.size(), 3);
    }

    // The design's colour on a light ground, even a faint one; on a dark
    // ground where it reads, or else lightened to 4.5:1.
    void readableText_data()
    {
        QTest::addColumn<QColor>("design");
        QTest::addColumn<QColor>("ground");
        const QColor pink(255, 128, 255), dark(0x2d, 0x2d, 0x2d);
        QTest::newRow("pink on white, 2.2:1") << pink << QColor(Qt::white);
        QTest::newRow("pink on dark, 6.4:1") << pink << dark;
        QTest::newRow("navy on dark") << QColor(0, 0, 64) << dark;
    }
    void readableText()
    {
        QFETCH(QColor, design);
        QFETCH(QColor, ground);
        const QColor text = Contrast::readableText(design, ground);
        QCOMPARE(text == design, ground == Qt::white || Contrast::ratio(design, ground) >= 4.5);
        QVERIFY(ground == Qt::white || Contrast::ratio(text, ground) >= 4.5);
    }
};

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
