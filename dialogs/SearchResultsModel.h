#pragma once

#include "CodeSearch.h"

#include <QAbstractTableModel>
#include <QVector>

// The rows of the search window: one per matching code, in the tree's
// order, with the columns 名称, 种类, 位置 and 内容.
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        MatchStartRole = Qt::UserRole + 1, // the match in the 内容 line
        MatchLengthRole,
        FieldRole, // CodeRecord::Field of the text the match lies in
        TextOffsetRole, // the match in that text as the pane shows it
        TextLengthRole,
    };
    struct Row {
        QString name;
        QString category;
        CodeSearch::Hit hit;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row; `lines` holds the rows' lines back to back.
    void setRows(QVector<Row> rows, QString lines);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<Row> m_rows;
    QString m_lines;
};
