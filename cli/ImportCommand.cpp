// quillbank-cli import: text files, or a JSON export, into the library,
// through the Add step of the New-code dialog.
#include "AddStep.h"
#include "CliArguments.h"
#include "CliCommands.h"
#include "CliLibrary.h"
#include "CliOutput.h"
#include "CodePage936.h"
#include "FileList.h"
#include "JsonArchive.h"
#include "TextImport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

using namespace CliOutput;

namespace {

// What the command's options answer, and the report of every file.
class Import {
public:
    Import(const CliArguments &arguments, CliLibrary &library)
        : m_library(library)
        , m_replace(arguments.isSet(QStringLiteral("replace")))
        , m_cut(arguments.isSet(QStringLiteral("cut")))
        , m_json(arguments.isSet(QStringLiteral("json")))
    {
        for (const CatalogCode &code : library.catalog().codes()) {
            m_listed.insert(code.name, code.fileName);
            m_listedFiles.insert(code.fileName);
        }
    }

    void textFile(const QString &path, const QString &category);
    void archivedCode(const JsonArchive::ArchivedCode &code);
    void refuse(const QString &file, const QString &reason) { report(file, {}, reason); }

    int finish()
    {
        if (m_json)
            json(m_report);
        return m_refused == 0 ? Done : NothingOrProblems;
    }

private:
    AddStep::Answer answer()
    {
        return [this](AddStep::Question question, const QString &) {
            m_asked = question;
            if (question == AddStep::CutTexts)
                return m_cut;
            return m_replace
                && (question == AddStep::ReplaceListed || question == AddStep::ReplaceUnlisted);
        };
    }
    QString declined(const AddStep::Outcome &outcome, const QString &name, const QStringList &lost);
    void done(const QString &file, const QString &name, const AddStep::Outcome &outcome,
        const QStringList &cuts, const QStringList &lost = {});
    void report(const QString &file, const AddStep::Outcome *saved, const QString &detail,
        const QString &name = {}, const QStringList &cuts = {});

    CliLibrary &m_library;
    const bool m_replace;
    const bool m_cut;
    const bool m_json;
    QHash<QString, QByteArray> m_listed; // code name -> its file
    QSet<QByteArray> m_listedFiles;
    AddStep::Question m_asked = AddStep::CutTexts;
    QJsonArray m_report;
    int m_refused = 0;
};

// With --cut, characters that code page 936 cannot store are left out.
QString withoutUnencodable(const QString &text, CodeRecord::Field field, QStringList *cuts)
{
    QByteArray bytes;
    QString bad;
    if (CodePage936::encode(text, &bytes, &bad))
        return text;
    QString kept;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        if (CodePage936::encode(character, &bytes))
            kept += character;
        i += length - 1;
    }
    *cuts << QStringLiteral("“%1”中去掉了无法保存的字符：%2")
                 .arg(CodeRecord::fieldTitle(field), CodePage936::describe(bad));
    return kept;
}

void Import::textFile(const QString &path, const QString &category)
{
    ImportedText imported;
    QString why;
    if (!TextImport::readFile(path, &imported, &why)) {
        refuse(path, why);
        return;
    }
    QStringList texts = TextImport::fieldTexts(imported, category);
    QStringList cuts;
    if (m_cut) {
        for (int f = 0; f < CodeRecord::FieldCount; ++f)
            texts[f] = withoutUnencodable(texts[f], CodeRecord::Field(f), &cuts);
    }
    const AddStep step(texts);
    const AddStep::Outcome outcome
        = step.run(&m_library.folder(), m_listed.value(step.name()), answer());
    done(path, step.name(), outcome, cuts, step.overlongTexts());
}

void Import::archivedCode(const JsonArchive::ArchivedCode &code)
{
    const QString file = FileList::decodeFileName(code.fileName);
    if (!code.problem.isEmpty()) {
        refuse(file, code.problem);
        return;
    }
    done(file, code.record.codeName(),
        AddStep::save(&m_library.folder(), code.record, code.fileName,
            m_listedFiles.contains(code.fileName), answer()),
        {});
}

QString Import::declined(
    const AddStep::Outcome &outcome, const QString &name, const QStringList &lost)
{
    switch (m_asked) {
    case AddStep::CutTexts:
        return QStringLiteral(
            "超出了保存的长度（一个汉字占 2 字节）：%1；加 --cut 按整字截断后保存")
            .arg(lost.join(QStringLiteral("；")));
    case AddStep::ReplaceListed:
        return QStringLiteral("代码库中已有名为“%1”的代码；加 --replace 替换它").arg(name);
    case AddStep::ReplaceUnlisted:
        return QStringLiteral("代码库文件夹中已有文件“%1”；加 --replace 替换它")
            .arg(FileList::decodeFileName(outcome.fileName));
    default:
        return QStringLiteral("保存时另一个程序写入了这个文件，没有替换它");
    }
}

void Import::done(const QString &file, const QString &name, const AddStep::Outcome &outcome,
    const QStringList &cuts, const QStringList &lost)
{
    if (outcome.result == AddStep::Saved) {
        m_listed.insert(name, outcome.fileName);
        m_listedFiles.insert(outcome.fileName);
        report(file, &outcome, {}, name, cuts + outcome.cuts);
        return;
    }
    QString reason = outcome.reason;
    if (outcome.result == AddStep::Cancelled)
        reason = declined(outcome, name, lost);
    report(file, nullptr, reason.replace(u'\n', u' '), name);
}

void Import::report(const QString &file, const AddStep::Outcome *saved, const QString &detail,
    const QString &name, const QStringList &cuts)
{
    const QString result = !saved
        ? QStringLiteral("refused")
        : (saved->replaced ? QStringLiteral("replaced") : QStringLiteral("added"));
    m_refused += saved ? 0 : 1;
    if (m_json) {
        QJsonObject object { { "file", file }, { "result", result } };
        if (saved) {
            object.insert("name", name);
            object.insert("codeFile", FileList::decodeFileName(saved->fileName));
            object.insert("cuts", QJsonArray::fromStringList(cuts));
        } else {
            object.insert("reason", detail);
        }
        m_report.append(object);
        return;
    }
    QString text = saved
        ? QStringLiteral("代码“%1”，文件“%2”").arg(name, FileList::decodeFileName(saved->fileName))
        : detail;
    if (!cuts.isEmpty())
        text += QStringLiteral("；已截断：") + cuts.join(QStringLiteral("；"));
    const QString shownResult = !saved
        ? QStringLiteral("已拒绝")
        : (saved->replaced ? QStringLiteral("已替换") : QStringLiteral("已添加"));
    line(column(QDir::toNativeSeparators(file)) + u'\t' + shownResult + u'\t' + column(text));
}

} // namespace

namespace CliCommands {

int import(const CliArguments &arguments, CliLibrary &library)
{
    Import import(arguments, library);
    if (arguments.value(QStringLiteral("format")) != u"json") {
        for (const QString &path : arguments.positional)
            import.textFile(path, arguments.value(QStringLiteral("category")));
        return import.finish();
    }
    const QString source = arguments.positional.first();
    QFile file(source);
    QVector<JsonArchive::ArchivedCode> codes;
    QString why;
    if (!file.open(QIODevice::ReadOnly)) {
        error(QStringLiteral("无法读取“%1”：%2").arg(source, file.errorString()));
        return NothingOrProblems;
    }
    if (!JsonArchive::read(file.readAll(), &codes, &why)) {
        error(QStringLiteral("“%1”不是代码库的 JSON 导出文件：%2").arg(source, why));
        return NothingOrProblems;
    }
    for (const JsonArchive::ArchivedCode &code : codes)
        import.archivedCode(code);
    return import.finish();
}

} // namespace CliCommands
