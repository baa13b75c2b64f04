#include "AddStep.h"

#include "Categories.h"
#include "CodePage936.h"
#include "FileList.h"
#include "LibraryFolder.h"
#include "modProgramVars.h"

#include <QFile>
#include <optional>

AddStep::AddStep(const QStringList &texts)
    : m_texts(texts)
{
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        m_record.setField(CodeRecord::Field(f), m_texts.value(f));
    m_name = m_record.codeName();
    m_category = trimmedSpaces(m_record.field(CodeRecord::Category));
}

QString AddStep::refusal() const
{
    QString reason;
    if (!modProgramVars::CheckCodeName(m_name, &reason))
        return reason;
    // Every character that cannot be stored is named, also those past the
    // end of a field, before anything is cut.
    QByteArray bytes;
    QString bad;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        if (!CodePage936::encode(m_texts.value(f), &bytes, &bad))
            return QStringLiteral("%1。请删去或改写这些字符。")
                .arg(CodeRecord::unencodableMessage(CodeRecord::Field(f), bad));
    }
    if (m_category.isEmpty())
        return QStringLiteral("请先在“种类”列表中选择一个种类。");
    if (Categories::contains(m_name))
        return QStringLiteral("名称“%1”是一个种类的名称，请换一个名称。").arg(m_name);
    return {};
}

QStringList AddStep::overlongTexts() const
{
    QStringList lines;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        QByteArray bytes;
        // Trailing spaces are the field's padding anyway.
        CodePage936::encode(m_texts.value(f), &bytes);
        while (bytes.endsWith(' '))
            bytes.chop(1);
        const int width = CodeRecord::width(CodeRecord::Field(f));
        if (bytes.size() <= width)
            continue;
        lines << QStringLiteral("“%1”有 %2 字节，只能保存前 %3 字节")
                     .arg(CodeRecord::fieldTitle(CodeRecord::Field(f)))
                     .arg(bytes.size())
                     .arg(width);
        if (f == CodeRecord::Name)
            lines.last() += QStringLiteral("，名称将成为“%1”").arg(m_name);
    }
    return lines;
}

QString AddStep::cutQuestion(const QStringList &overlong)
{
    return QStringLiteral("以下内容超出了保存的长度（一个汉字占 2 字节）：\n%1\n\n"
                          "可以截断后保存（不会拆开汉字），或者返回修改。")
        .arg(overlong.join(u'\n'));
}

AddStep::Outcome AddStep::run(
    LibraryFolder *library, const QByteArray &listedFile, const Answer &answer) const
{
    Outcome outcome;
    // Nothing is written unless the code can be stored as entered.
    outcome.reason = refusal();
    if (!outcome.reason.isEmpty()) {
        outcome.result = Refused;
        return outcome;
    }
    const QStringList overlong = overlongTexts();
    if (!overlong.isEmpty()) {
        const QString question = cutQuestion(overlong);
        if (!answer(CutTexts, question))
            return { Cancelled, question, {}, false, {} };
    }
    const QByteArray fileName = listedFile.isEmpty()
        ? QFile::encodeName(modProgramVars::CodeFileName(m_name))
        : listedFile;
    outcome = save(library, m_record, fileName, !listedFile.isEmpty(), answer);
    if (outcome.result == Saved)
        outcome.cuts = overlong;
    return outcome;
}

// Writes the code's file, asking before anything is replaced, and again
// when the file changes between the answer and the write.
AddStep::Outcome AddStep::save(LibraryFolder *library, const CodeRecord &record,
    const QByteArray &fileName, bool listed, const Answer &answer)
{
    const QString name = record.codeName();
    const QString shownName = FileList::decodeFileName(fileName);
    const auto failed = [&](const QString &error) {
        return Outcome { Failed, QStringLiteral("无法保存代码“%1”：%2").arg(name, error) };
    };
    const auto declined = [&](Question question, const QString &text) {
        return answer(question, text) ? std::optional<Outcome>() : Outcome { Cancelled, text };
    };
    FileStamp agreed;
    QString error;
    if (!library->stamp(fileName, &agreed, &error))
        return failed(error);
    std::optional<Outcome> no;
    if (listed) {
        no = declined(ReplaceListed,
            QStringLiteral("代码库中已有名为“%1”的代码。\n要用现在填写的内容替换它吗？").arg(name));
    } else if (agreed.exists) {
        no = declined(ReplaceUnlisted,
            QStringLiteral("代码库文件夹中已有文件“%1”，它没有列在代码树中。\n"
                           "要用现在填写的代码替换这个文件吗？")
                .arg(shownName));
    }
    if (no)
        return *no;
    for (;;) {
        FileStamp found;
        const LibraryFolder::Outcome result
            = library->save(record, fileName, agreed, &found, &error);
        if (result == LibraryFolder::Saved)
            return { Saved, {}, fileName, agreed.exists, {} };
        if (result == LibraryFolder::Failed)
            return failed(error);
        // Another program put a file there, or changed the one agreed to.
        const bool appeared = result == LibraryFolder::NameTaken;
        const QString question = appeared
            ? QStringLiteral("保存时发现代码库文件夹中刚刚出现了文件“%1”。\n"
                             "要用现在填写的代码替换这个文件吗？")
            : QStringLiteral(
                "文件“%1”在您同意替换之后被改动或删除了。\n仍要用现在填写的代码保存吗？");
        if ((no = declined(appeared ? ReplaceAppeared : SaveChanged, question.arg(shownName))))
            return *no;
        agreed = found;
    }
}
