#pragma once

#include "CodeRecord.h"
#include "SkippedFile.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QVector>
#include <atomic>

// Searches the texts of many codes for a query, reading each code's file
// once. Used by the search window and by the command-line tool.
//
//   CodeSearch search;
//   if (!search.setQuery(text, { caseSensitive, regex }, &error)) ...  // invalid pattern
//   CodeSearch::Results r = search.run(folder, fileNames, &cancel, &progress);
//
// Rules. The query is split into terms at runs of spaces (U+0020, U+3000,
// tab); a term in double quotes keeps its spaces. A code matches when every
// term occurs in one of its texts: the Name (trimmed), Comments,
// Declarations and Code (without trailing spaces). Line breaks (CR LF, LF,
// CR) count as one LF. Full-width forms U+FF01-U+FF5E equal ASCII; letter
// case is ignored (Unicode simple case folding) unless caseSensitive. With
// regex, the whole query is one QRegularExpression matched against each
// text as it is (line breaks as LF), case-insensitive unless
// caseSensitive. An empty or blank query matches nothing.
class CodeSearch {
public:
    struct Options {
        bool caseSensitive = false;
        bool regex = false;
    };

    // Where the first term first occurs (texts tried in the order Name,
    // Comments, Declarations, Code; for a pattern, its first match).
    struct Match {
        CodeRecord::Field field = CodeRecord::Name;
        QString line; // the line, trimmed of spaces and tabs, cut to kLineLength around the match
        int start = 0; // the match in `line`
        int length = 0;
        int textOffset = 0; // the match in the text, each line break one character
        int textLength = 0; // (the offsets of the text panes; for Name, in the trimmed name)
    };

    // One matching code, kept small: its line lies in Results::lines.
    struct Hit {
        qint32 item; // index in the list of file names
        quint32 lineOffset;
        quint8 lineLength;
        quint8 start;
        quint8 length;
        quint8 field; // CodeRecord::Field
        qint32 textOffset;
        qint32 textLength;
    };

    struct Results {
        QVector<Hit> hits; // in list order
        QString lines; // the lines of all hits, back to back
        QVector<SkippedFile> unreadable; // in list order

        QStringView line(const Hit &hit) const
        {
            return QStringView(lines).mid(hit.lineOffset, hit.lineLength);
        }
    };

    // A line longer than this (in UTF-16 units) is cut around the match,
    // with "…" at each end cut.
    static constexpr int kLineLength = 80;

    // False, with *error in Chinese (Qt's reason and its position), for an
    // invalid pattern; the query then matches nothing.
    bool setQuery(const QString &query, Options options, QString *error = nullptr);
    // True for an empty or blank query (or an invalid pattern).
    bool matchesNothing() const;

    // Whether the record's first `size` bytes (missing bytes read as
    // spaces) match; *match, when given, tells where.
    bool match(const char *record, qsizetype size, Match *match = nullptr) const;

    // Reads the files `fileNames` of the folder open as `folderFd` on the
    // reader threads and matches each. Setting *cancel abandons the run
    // within one chunk of files, leaving partial results to be dropped;
    // *progress counts the files done.
    Results run(int folderFd, const QVector<QByteArray> &fileNames,
        const std::atomic<bool> *cancel = nullptr, std::atomic<int> *progress = nullptr) const;
    // The same for a folder given by its path.
    Results run(const QString &folder, const QVector<QByteArray> &fileNames,
        const std::atomic<bool> *cancel = nullptr, std::atomic<int> *progress = nullptr) const;

private:
    struct Term {
        QString folded;
        // Code-page-936 encodings of one character of the term: a record
        // holding none of them cannot match. Empty when no character
        // serves.
        QVector<QByteArray> anchors;
        bool anchored = false;
    };

    bool mayMatch(const char *record, qsizetype size) const;

    Options m_options;
    QVector<Term> m_terms;
    QRegularExpression m_pattern;
    bool m_nothing = true;
};
