#include "Controls.h"

#include "Contrast.h"
#include "Fonts.h"

#include <QFontMetrics>
#include <QPlainTextEdit>

namespace Controls {

QPlainTextEdit *createTextBox(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = named(new QPlainTextEdit(parent), name, geometry);
    box->setFont(Fonts::textFont());
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, as everywhere else in the program.
    box->setTabChangesFocus(true);
    return box;
}

int panelWidth(const QFontMetrics &metrics, const QString &text, int frameWidth, int minimum)
{
    // A framed label sets its text in by half an x on the side it is
    // aligned to; the same is left free on the other side.
    const int indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2;
    return qMax(minimum, metrics.horizontalAdvance(text) + 2 * (frameWidth + indent));
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, Contrast::readableText(color, palette.color(QPalette::Base)));
    widget->setPalette(palette);
}

} // namespace Controls
