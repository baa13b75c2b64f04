#include "MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace MessageBoxes {

namespace {

    int show(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
        const QString &details = QString())
    {
        QMessageBox box(icon, title, text, buttons, parent);
        box.setDefaultButton(defaultButton);
        box.setDetailedText(details);
        const struct {
            QMessageBox::StandardButton button;
            const char *text;
        } captions[] = { { QMessageBox::Ok, "确定" }, { QMessageBox::Yes, "是(&Y)" },
            { QMessageBox::No, "否(&N)" } };
        for (const auto &caption : captions) {
            if (QAbstractButton *button = box.button(caption.button))
                button->setText(QString::fromUtf8(caption.text));
        }
        return box.exec();
    }

} // namespace

void warning(QWidget *parent, const QString &title, const QString &text)
{
    show(QMessageBox::Warning, parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void information(QWidget *parent, const QString &title, const QString &text, const QString &details)
{
    show(QMessageBox::Information, parent, title, text, QMessageBox::Ok, QMessageBox::Ok, details);
}

bool question(QWidget *parent, const QString &title, const QString &text)
{
    return show(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace MessageBoxes
