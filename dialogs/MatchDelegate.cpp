#include "MatchDelegate.h"

#include "SearchResultsModel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

void MatchDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    QTextLayout::FormatRange bold;
    bold.start = index.data(SearchResultsModel::MatchStartRole).toInt();
    bold.length = index.data(SearchResultsModel::MatchLengthRole).toInt();
    bold.format.setFontWeight(QFont::Bold);
    QTextLayout layout(text, item.font);
    layout.setFormats({ bold });
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    painter->save();
    painter->setClipRect(area);
    painter->setPen(item.palette.color(
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const qreal top = area.top() + (area.height() - layout.boundingRect().height()) / 2;
    layout.draw(painter, QPointF(area.left() + 2, top));
    painter->restore();
}
