#include "Controls.h"

#include "Contrast.h"
#include "Fonts.h"

#include <QPlainTextEdit>

namespace Controls {

QPlainTextEdit *createTextBox(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = named(new QPlainTextEdit(parent), name, geometry);
    box->setFont(Fonts::textFont());
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, Contrast::readableText(color, palette.color(QPalette::Base)));
    widget->setPalette(palette);
}

} // namespace Controls
