#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTimer;
class QTreeView;
class SearchJob;
class SearchResultsModel;
class frmMain;

// The search window: finds every code with all the words of a query in
// its name, comments, declarations or code, while the user types. The
// search runs on threads of its own; a change of the query abandons it.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    explicit frmSearch(frmMain *owner);
    ~frmSearch() override;

    // Starts a search for what the window holds now.
    void startSearch();

protected:
    // Down in the pattern goes to the first result.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void abandonSearch();
    void scheduleSearch();
    void treeChanged();
    void checkJob();
    void takeResults();
    void activateRow(const QModelIndex &index);

    frmMain *m_owner;
    QLineEdit *m_txtSearch = nullptr;
    QCheckBox *m_chkCase = nullptr;
    QCheckBox *m_chkRegex = nullptr;
    QTreeView *m_lstResults = nullptr;
    QLabel *m_lblCount = nullptr;
    SearchResultsModel *m_model = nullptr;
    QTimer *m_delay = nullptr; // from the last change to the search
    QTimer *m_poll = nullptr; // while a search runs
    std::unique_ptr<SearchJob> m_job;
    qint64 m_jobStarted = 0;
};
