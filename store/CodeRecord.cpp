#include "CodeRecord.h"

#include "CodePage936.h"

#include <QCoreApplication>

static_assert(CodeRecord::offset(CodeRecord::Category) + CodeRecord::width(CodeRecord::Category)
    == CodeRecord::RecordSize);

QString trimmedSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

static QString fitToWidth(const QString &text, int width)
{
    if (text.size() == width)
        return text;
    if (text.size() > width) {
        qsizetype cut = width;
        // Never keep half of a surrogate pair.
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        return text.left(cut).leftJustified(width, u' ');
    }
    return text.leftJustified(width, u' ');
}

CodeRecord::CodeRecord()
{
    for (int f = 0; f < FieldCount; ++f)
        m_fields[f] = QString(kWidths[f], u' ');
}

void CodeRecord::setField(Field field, const QString &text)
{
    m_fields[field] = fitToWidth(text, kWidths[field]);
}

bool CodeRecord::encodeFixed(const QString &text, int width, QByteArray *out, QString *unencodable)
{
    QByteArray bytes;
    QString bad;
    if (!CodePage936::encode(text, &bytes, &bad)) {
        // Characters past the width would be cut anyway; only those that
        // would reach the file count.
        QByteArray kept;
        QString keptBad;
        for (qsizetype i = 0; i < text.size() && kept.size() < width; ++i) {
            QByteArray one;
            QString oneBad;
            const qsizetype len = text.at(i).isHighSurrogate() ? 2 : 1; // mid() stops at the end
            if (CodePage936::encode(QStringView(text).mid(i, len), &one, &oneBad))
                kept += one;
            else if (!keptBad.contains(oneBad))
                keptBad += oneBad;
            i += len - 1;
        }
        if (!keptBad.isEmpty()) {
            if (unencodable)
                *unencodable = keptBad;
            return false;
        }
        bytes = kept;
    }
    const qsizetype keep
        = CodePage936::wholeCharacterPrefix(bytes.constData(), bytes.size(), width);
    bytes.truncate(keep);
    *out = bytes.leftJustified(width, ' ');
    return true;
}

QString CodeRecord::codeName() const
{
    QByteArray bytes;
    if (!encodeFixed(m_fields[Name], kWidths[Name], &bytes, nullptr))
        return trimmedSpaces(m_fields[Name]);
    return trimmedSpaces(CodePage936::decode(bytes));
}

static const char *fieldTitleText(CodeRecord::Field field)
{
    switch (field) {
    case CodeRecord::Name:
        return QT_TRANSLATE_NOOP("CodeRecord", "名称");
    case CodeRecord::Code:
        return QT_TRANSLATE_NOOP("CodeRecord", "代码");
    case CodeRecord::Declarations:
        return QT_TRANSLATE_NOOP("CodeRecord", "声明");
    case CodeRecord::Comments:
        return QT_TRANSLATE_NOOP("CodeRecord", "说明");
    default:
        return QT_TRANSLATE_NOOP("CodeRecord", "种类");
    }
}

QString CodeRecord::fieldTitle(Field field)
{
    return QString::fromUtf8(fieldTitleText(field));
}

QString CodeRecord::unencodableMessage(Field field, const QString &characters)
{
    return QStringLiteral("“%1”中含有无法以 GBK 编码保存的字符：%2")
        .arg(fieldTitle(field), CodePage936::describe(characters));
}

bool CodeRecord::toBytes(QByteArray *bytes, QString *error) const
{
    QByteArray result;
    for (int f = 0; f < FieldCount; ++f) {
        QByteArray part;
        QString bad;
        if (!encodeFixed(m_fields[f], kWidths[f], &part, &bad)) {
            if (error)
                *error = unencodableMessage(Field(f), bad);
            return false;
        }
        result += part;
    }
    *bytes = result;
    return true;
}

QString CodeRecord::decodeField(Field field, const char *bytes, qsizetype size)
{
    const int start = offset(field);
    const int w = kWidths[field];
    const qsizetype available = qBound(qsizetype(0), size - start, qsizetype(w));
    QString text = available > 0 ? CodePage936::decode(bytes + start, available) : QString();
    if (text.size() < w)
        text = text.leftJustified(w, u' ');
    return text;
}

CodeRecord CodeRecord::fromBytes(const char *bytes, qsizetype size)
{
    CodeRecord record;
    for (int f = 0; f < FieldCount; ++f)
        record.m_fields[f] = decodeField(Field(f), bytes, size);
    return record;
}
