#pragma once

#include <QList>
#include <QObject>

class CodeExport;
class CodeRecord;
class QAction;
class QKeySequence;
class QMenu;
class QModelIndex;
class QPoint;
class QTreeView;
class frmMain;

// The tree's right-click menu, also opened by the Menu key and Shift+F10
// on the current node. Its entries act on the current node; the shortcuts
// of a code's entries work while the tree has the focus.
class TreeMenu : public QObject {
    Q_OBJECT
public:
    TreeMenu(frmMain *window, QTreeView *tree);
    ~TreeMenu() override;

    // The entries for a code node, a category node or (an invalid index)
    // empty space, in order; a null entry stands for a separator.
    QList<QAction *> entriesFor(const QModelIndex &node) const;
    // Makes `node` the current node, when it is one, and opens the menu
    // for it at `globalPos`.
    void popup(const QModelIndex &node, const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *createAction(const char *name, const QString &text, const QKeySequence &shortcut,
        void (TreeMenu::*handler)());
    void updateEntries();
    // The current node when it is a code, read from its file; a failure is
    // told.
    bool readCurrentCode(CodeRecord *record);

    void copyCode();
    void copyAll();
    void newFromCode();
    void exportCode();
    void showInFolder();
    void newInCategory();
    void exportCategory();

    frmMain *m_window;
    QTreeView *m_tree;
    QMenu *m_menu;
    CodeExport *m_export;
    QAction *m_copyCode;
    QAction *m_copyAll;
    QAction *m_newFromCode;
    QAction *m_exportCode;
    QAction *m_showInFolder;
    QAction *m_newInCategory;
    QAction *m_exportCategory;
    QAction *m_searchAll;
};
