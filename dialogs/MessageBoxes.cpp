#include "MessageBoxes.h"

#include "LogLine.h"

#include <QMessageBox>
#include <QPushButton>

namespace MessageBoxes {

namespace {

    int show(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
        const QString &details = QString(), const QString &yesText = QStringLiteral("是(&Y)"),
        const QString &noText = QStringLiteral("否(&N)"))
    {
        QMessageBox box(icon, title, text, buttons, parent);
        box.setDefaultButton(defaultButton);
        box.setDetailedText(details);
        const struct {
            QMessageBox::StandardButton button;
            QString text;
        } captions[] = { { QMessageBox::Ok, QStringLiteral("确定") }, { QMessageBox::Yes, yesText },
            { QMessageBox::No, noText } };
        for (const auto &caption : captions) {
            if (QAbstractButton *button = box.button(caption.button))
                button->setText(caption.text);
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

void failure(QWidget *parent, const QString &title, const QString &text)
{
    logLine(text);
    warning(parent, title, text);
}

bool question(QWidget *parent, const QString &title, const QString &text)
{
    return show(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No)
        == QMessageBox::Yes;
}

bool choice(QWidget *parent, const QString &title, const QString &text, const QString &yesText,
    const QString &noText)
{
    return show(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No, QString(), yesText, noText)
        == QMessageBox::Yes;
}

} // namespace MessageBoxes
