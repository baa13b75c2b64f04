#pragma once

#include "SkippedFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

// The listing of one folder: its regular files (and links to regular
// files) that are not hidden, in ascending order of their names, compared
// without regard to case first and exactly after that.
class FileList : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QByteArray fileName; // as the file system holds it
        QString name; // for display
    };

    explicit FileList(QObject *parent = nullptr);

    // Points the list at a folder and lists it; false (with *error) when
    // the folder cannot be listed, which leaves the list empty.
    bool setFolder(const QString &folder, QString *error = nullptr);
    QString folder() const { return m_folder; }

    int count() const { return int(m_order.size()); }
    Entry entry(int index) const { return { fileName(index).toByteArray(), name(index) }; }
    // The file name; its data() is also a NUL-terminated string.
    QByteArrayView fileName(int index) const;
    QString name(int index) const { return decodeFileName(fileName(index)); }
    QByteArray path(int index) const { return pathOf(fileName(index)); }
    QByteArray pathOf(QByteArrayView fileName) const;

    // Entries passed over because they are not regular files.
    const QVector<SkippedFile> &skipped() const { return m_skipped; }
    // Hidden temporary files left by writes of codes that never finished.
    const QVector<QByteArray> &staleTemporaryFiles() const { return m_staleTemporaries; }

    // Frees the entries once they have been read; the folder stays.
    void releaseEntries();

    // A file name as text: UTF-8 when it is valid UTF-8, else code page 936.
    static QString decodeFileName(QByteArrayView fileName);

private:
    void sortEntries();

    QString m_folder;
    QByteArray m_nativeFolder;
    // All names, each ended by a NUL; entry i is the m_order[i]-th name listed.
    QByteArray m_names;
    QVector<quint32> m_offsets; // name k starts at m_offsets[k], ends before m_offsets[k + 1] - 1
    QVector<qint32> m_order;
    QVector<SkippedFile> m_skipped;
    QVector<QByteArray> m_staleTemporaries;
};
