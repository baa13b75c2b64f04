#pragma once

#include <QRect>
#include <QString>

class QColor;
class QFontMetrics;
class QPlainTextEdit;
class QWidget;

// Small helpers for building the program's windows from their designs.
namespace Controls {

// Gives a control its name and its place (in pixels).
template <typename Widget> Widget *named(Widget *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A multi-line text box as the program's windows use them: Tahoma 9.75 pt,
// word wrap, a vertical scroll bar only; Tab moves the focus on.
QPlainTextEdit *createTextBox(QWidget *parent, const char *name, const QRect &geometry);

// The width in pixels of a framed status bar panel that shows all of
// `text`, and never less than `minimum`.
int panelWidth(const QFontMetrics &metrics, const QString &text, int frameWidth, int minimum);

// Gives a text box the design's text colour, made readable where a dark
// desktop theme gives the box a dark ground (set the ground first).
void setTextColor(QWidget *widget, const QColor &color);

} // namespace Controls
