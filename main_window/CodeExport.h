#pragma once

#include <QCoreApplication>
#include <QString>

class QByteArray;

class QModelIndex;
class frmMain;

// Saves codes of the main window's tree as UTF-8 text files (AsmText), to
// places the user picks; the folder last used is offered again.
class CodeExport {
    Q_DECLARE_TR_FUNCTIONS(CodeExport)
public:
    explicit CodeExport(frmMain *window);

    // One code node, through a save dialog.
    void exportCode(const QModelIndex &node);
    // Every code of a category node, one file each, into a folder; files
    // already there are replaced only when the user says so.
    void exportCategory(const QModelIndex &category);

private:
    // One code's text file as UTF-8; false, with *error, when it cannot be
    // read.
    bool textOf(const QModelIndex &node, QByteArray *text, QString *error) const;
    // Writes one code's text file; false, with *error, when it cannot be
    // read or written.
    bool write(const QModelIndex &node, const QString &path, QString *error) const;

    frmMain *m_window;
    QString m_folder;
};
