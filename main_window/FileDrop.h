#pragma once

#include <QObject>
#include <QPersistentModelIndex>

class QDropEvent;
class QTreeView;
class frmMain;

// Text files dropped from a file manager onto a category or a code of the
// tree go into that category: one fills the New-code dialog, several are
// added at once, each with the Add step's checks and questions, and told
// in one report. Files are only ever copied from, never moved.
class FileDrop : public QObject {
    Q_OBJECT
public:
    FileDrop(frmMain *window, QTreeView *tree);

    // What dropping the files at `paths` into `category` does.
    void dropFiles(const QStringList &paths, const QString &category);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The category a drop at this place goes into; empty for none.
    QString categoryAt(const QDropEvent *event) const;
    void highlight(const QModelIndex &node);
    void addOne(const QString &path, const QString &category);
    void addSeveral(const QStringList &paths, const QString &category);

    frmMain *m_window;
    QTreeView *m_tree;
    QPersistentModelIndex m_highlighted;
};
