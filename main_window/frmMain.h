#pragma once

#include "SkippedFile.h"

#include <QMainWindow>
#include <QPointer>
#include <QVector>
#include <memory>

class CodeRecord;
class CodeTreeModel;
class FileList;
class LibraryFolder;
class QAction;
class QLabel;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;
class QTreeView;
class frmAbout;
class frmSearch;
class frmFind;
class frmNewCode;

// The library browser: the category tree, the three text panes showing
// the code on view, the toolbar, the menu and the status bar.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Reads the library in `libraryFolder` before the window is shown.
    explicit frmMain(const QString &libraryFolder, QWidget *parent = nullptr);
    // The same for a folder given by the bytes of its path; empty when the
    // program's own folder could not be found, which leaves the library
    // closed.
    explicit frmMain(const QByteArray &nativeLibraryFolder, QWidget *parent = nullptr);
    ~frmMain() override;

    // A path to the library folder for reading its files.
    QString libraryFolder() const;
    // The library folder, held open for writing codes.
    LibraryFolder *library() const { return m_library.get(); }
    CodeTreeModel *codeTree() const { return m_model; }
    // Files passed over at start-up, with the reasons.
    const QVector<SkippedFile> &skippedFiles() const { return m_skipped; }

    // Fills the three panes with a record's texts, untrimmed.
    void showCodeTexts(const CodeRecord &record);
    void setPanel1Text(const QString &text);
    // Shows the number of codes in the tree in status bar panel 2.
    void updateCodeCount();

    // Reads the record of a code node's file; false, with *error, when it
    // cannot be read.
    bool readCode(const QModelIndex &node, CodeRecord *record, QString *error) const;

    // The New-code dialog, created when it does not exist, and its modal
    // showing.
    frmNewCode *newCodeDialog();
    void showNewCodeDialog();
    // Opens the search window, or brings it to the front.
    void showSearchWindow();
    // Shows the code `name` as a click on it does, selects its node, and
    // selects `length` characters at `offset` of the text `field` holds.
    void showFoundCode(const QString &name, int field, int offset, int length);

    void BuildCategoryTree();
    void Form_Resize();
    void tvCodes_NodeClick(const QModelIndex &node);
    void Toolbar_ButtonClick(const QString &key);
    void mnuAbout_Click();
    void mnuExit_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load(const QByteArray &nativeLibraryFolder);
    void createMenu();
    void createToolbar();
    void createStatusBar();
    void createTree();
    void createPanes();
    void createSearchShortcut();
    void reportSkippedFiles();
    void onCurrentNodeChanged(const QModelIndex &current);

    std::unique_ptr<LibraryFolder> m_library;
    FileList *m_lstFiles = nullptr;
    CodeTreeModel *m_model = nullptr;
    QWidget *m_client = nullptr;
    QToolBar *m_toolbar = nullptr;
    QStatusBar *m_status = nullptr;
    QLabel *m_panel1 = nullptr;
    QLabel *m_panel2 = nullptr;
    QTreeView *m_tvCodes = nullptr;
    QPlainTextEdit *m_txtComments = nullptr;
    QPlainTextEdit *m_txtDeclarations = nullptr;
    QPlainTextEdit *m_txtCode = nullptr;
    QMenu *m_mnuFile = nullptr;
    QAction *m_mnuAbout = nullptr;
    QAction *m_mnuExit = nullptr;
    QString m_loadProblem; // set when the library folder could not be listed
    QVector<SkippedFile> m_skipped;
    bool m_reported = false;
    QSize m_laidOutFor; // the outer size the panes were last laid out for
    QPointer<frmNewCode> m_newCode;
    QPointer<frmFind> m_find;
    QPointer<frmAbout> m_about;
    QPointer<frmSearch> m_search;
};
