#include "AsmText.h"

#include "CodeRecord.h"

#include <QList>

namespace {

// The field without the spaces that pad it.
QStringView unpadded(const QString &field)
{
    qsizetype end = field.size();
    while (end > 0 && field.at(end - 1) == u' ')
        --end;
    return QStringView(field).left(end);
}

// The text with LF line breaks; a lone CR also ends a line.
QString withLineFeeds(QStringView text)
{
    QString result = text.toString();
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

// Each line of the text after "; ", an empty line as ";".
void appendCommentLines(QStringView text, QString *out)
{
    if (text.isEmpty())
        return;
    const QString lines = withLineFeeds(text);
    for (QStringView line : QStringView(lines).split(u'\n')) {
        *out += line.isEmpty() ? QLatin1String(";") : QLatin1String("; ");
        *out += line;
        *out += u'\n';
    }
}

} // namespace

namespace AsmText {

QString commentsHeading()
{
    return QStringLiteral(";; ") + CodeRecord::fieldTitle(CodeRecord::Comments);
}

QString declarationsHeading()
{
    return QStringLiteral(";; ") + CodeRecord::fieldTitle(CodeRecord::Declarations);
}

QString codeHeading()
{
    return QStringLiteral(";; ") + CodeRecord::fieldTitle(CodeRecord::Code);
}

QString fromRecord(const CodeRecord &record)
{
    QString out;
    out += commentsHeading() + u'\n';
    appendCommentLines(unpadded(record.field(CodeRecord::Comments)), &out);
    out += declarationsHeading() + u'\n';
    appendCommentLines(unpadded(record.field(CodeRecord::Declarations)), &out);
    out += codeHeading() + u'\n';
    const QStringView code = unpadded(record.field(CodeRecord::Code));
    if (!code.isEmpty()) {
        out += withLineFeeds(code);
        out += u'\n';
    }
    return out;
}

QByteArray fileNameFor(QByteArrayView codeFileName)
{
    QByteArray name = codeFileName.toByteArray();
    if (name.size() > 4 && name.right(4).toLower() == ".cod")
        name.chop(4);
    return name + ".asm";
}

} // namespace AsmText
