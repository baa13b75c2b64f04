#pragma once

#include <QStyledItemDelegate>

// Draws the 内容 column of the search results with the matched text bold.
class MatchDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
};
