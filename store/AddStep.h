#pragma once

#include "CodeRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class LibraryFolder;

// Adding one code to the library: the checks that refuse what cannot be
// stored as entered, then the write that asks before anything is cut or
// replaced. The New-code dialog answers the questions with message boxes,
// the command line from its options, a drop of several files the same way
// as the dialog.
class AddStep {
public:
    enum Question {
        CutTexts, // texts are longer than their fields: cut them at whole characters?
        ReplaceListed, // the library lists a code of this name: replace it?
        ReplaceUnlisted, // a file of this name is there but lists no code: replace it?
        ReplaceAppeared, // a file of this name appeared while saving: replace it?
        SaveChanged, // the file changed after it was agreed to: save anyway?
    };
    // True to go on. `text` is the question as the user reads it.
    using Answer = std::function<bool(Question question, const QString &text)>;

    enum Result {
        Saved,
        Refused, // the code cannot be stored as entered
        Cancelled, // a question was answered no
        Failed, // the write failed
    };
    struct Outcome {
        Result result = Failed;
        QString reason; // Refused, Failed: why; Cancelled: the question answered no
        QByteArray fileName; // Saved: the file written
        bool replaced = false; // Saved: an existing file was replaced
        QStringList cuts; // Saved: the texts that were cut, one line each
    };

    // The texts entered, in the order of CodeRecord's fields.
    explicit AddStep(const QStringList &texts);

    const CodeRecord &record() const { return m_record; }
    // The trimmed Name and Category fields.
    const QString &name() const { return m_name; }
    const QString &category() const { return m_category; }

    // Why the code cannot be added as entered, or an empty string.
    QString refusal() const;
    // The texts longer than their fields, one line each saying what is kept.
    QStringList overlongTexts() const;
    // The question asked about overlong texts.
    static QString cutQuestion(const QStringList &overlong);

    // Checks, asks and writes. `listedFile` is the file the library lists
    // the code of this name in, empty when it lists none: that file is
    // rewritten, so that the library never holds two files of one code.
    Outcome run(LibraryFolder *library, const QByteArray &listedFile, const Answer &answer) const;

    // The write alone: the record as the file `fileName`, asking before a
    // file is replaced (ReplaceListed when `listed`, else ReplaceUnlisted)
    // and again when another writer comes in between.
    static Outcome save(LibraryFolder *library, const CodeRecord &record,
        const QByteArray &fileName, bool listed, const Answer &answer);

private:

    QStringList m_texts;
    CodeRecord m_record;
    QString m_name;
    QString m_category;
};
