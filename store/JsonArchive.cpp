#include "JsonArchive.h"

#include "CodePage936.h"
#include "FileList.h"
#include "SkipReason.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>

namespace {

const char kFormat[] = "quillbank-codes";
constexpr int kVersion = 1;

// The keys of the five fields, in the order of the record.
constexpr const char *kFieldKeys[CodeRecord::FieldCount]
    = { "name", "code", "declarations", "comments", "category" };
// The order in which a code's texts are written, for people who read it.
constexpr CodeRecord::Field kWriteOrder[] = { CodeRecord::Name, CodeRecord::Category,
    CodeRecord::Comments, CodeRecord::Declarations, CodeRecord::Code };

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

// The bytes of the field that a file of `size` bytes holds, without the
// spaces at the end.
QByteArrayView fieldBytes(const char *bytes, qsizetype size, CodeRecord::Field field)
{
    const qsizetype start = CodeRecord::offset(field);
    qsizetype end = qBound(start, size, start + CodeRecord::width(field));
    while (end > start && bytes[end - 1] == ' ')
        --end;
    return QByteArrayView(bytes + start, end - start);
}

// The field's text as UTF-8 in *utf8; true when it encodes back to the
// same bytes.
bool decodeField(QByteArrayView bytes, QByteArray *utf8)
{
    if (isAscii(bytes)) {
        *utf8 = bytes.toByteArray();
        return true;
    }
    const QString text = CodePage936::decode(bytes.data(), bytes.size());
    *utf8 = text.toUtf8();
    QByteArray back;
    return CodePage936::encode(text, &back) && back == bytes;
}

// Appends bytes of UTF-8 as the inside of a JSON string.
void appendEscaped(QByteArrayView text, QByteArray *out)
{
    static const char hex[] = "0123456789abcdef";
    const char *run = text.begin();
    for (const char *p = text.begin(); p != text.end(); ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out->append(run, p - run);
        run = p + 1;
        switch (c) {
        case '"':
            out->append("\\\"", 2);
            break;
        case '\\':
            out->append("\\\\", 2);
            break;
        case '\n':
            out->append("\\n", 2);
            break;
        case '\r':
            out->append("\\r", 2);
            break;
        case '\t':
            out->append("\\t", 2);
            break;
        default: {
            const char escape[] = { '\\', 'u', '0', '0', hex[c >> 4], hex[c & 15] };
            out->append(escape, 6);
        }
        }
    }
    out->append(run, text.end() - run);
}

void appendMember(const char *key, QByteArrayView utf8, QByteArray *out)
{
    *out += '"';
    *out += key;
    *out += "\":\"";
    appendEscaped(utf8, out);
    *out += '"';
}

QString fieldLoss(CodeRecord::Field field)
{
    return QStringLiteral("“%1”中有不能原样写回的字节（不是有效的 GBK 文本）")
        .arg(CodeRecord::fieldTitle(field));
}

QString sizeLoss(qsizetype size)
{
    if (size < CodeRecord::RecordSize)
        return SkipReason::tooShort(size);
    return QStringLiteral("文件有 %1 字节，多于代码文件的 %2 字节；多出的字节不会写回")
        .arg(size)
        .arg(CodeRecord::RecordSize);
}

bool isSafeFileName(const QByteArray &name)
{
    return !name.isEmpty() && !name.startsWith('.') && !name.contains('/') && !name.contains('\0');
}

// The text of a member that must be a string; false when it is not.
bool stringMember(const QJsonObject &object, const char *key, QString *text, QString *error)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString()) {
        *error = QStringLiteral("缺少文字“%1”").arg(QLatin1String(key));
        return false;
    }
    *text = value.toString();
    return true;
}

// Why a text would not be stored as it stands.
QString fieldProblem(CodeRecord::Field field, const QString &text)
{
    QByteArray bytes;
    QString bad;
    if (!CodePage936::encode(trimmedSpaces(text), &bytes, &bad))
        return CodeRecord::unencodableMessage(field, bad);
    if (bytes.size() > CodeRecord::width(field)) {
        return QStringLiteral("“%1”有 %2 字节，超出了 %3 字节")
            .arg(CodeRecord::fieldTitle(field))
            .arg(bytes.size())
            .arg(CodeRecord::width(field));
    }
    return {};
}

bool readCode(const QJsonObject &object, JsonArchive::ArchivedCode *code, QString *error)
{
    QString name;
    if (!stringMember(object, "file", &name, error))
        return false;
    code->fileName = name.toUtf8();
    if (const QJsonValue bytes = object.value(QLatin1String("fileBytes")); !bytes.isUndefined()) {
        auto decoded = QByteArray::fromBase64Encoding(
            bytes.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!bytes.isString() || !decoded) {
            *error = QStringLiteral("的“fileBytes”不是 base64");
            return false;
        }
        code->fileName = *decoded;
    }
    if (!isSafeFileName(code->fileName)) {
        code->problem = QStringLiteral("文件名“%1”不能用作代码库中的文件名")
                            .arg(FileList::decodeFileName(code->fileName));
    }
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const auto field = CodeRecord::Field(f);
        QString text;
        if (!stringMember(object, kFieldKeys[f], &text, error))
            return false;
        code->record.setField(field, text);
        if (code->problem.isEmpty())
            code->problem = fieldProblem(field, text);
    }
    return true;
}

} // namespace

namespace JsonArchive {

QString lossReason(const char *bytes, qsizetype size)
{
    if (size != CodeRecord::RecordSize)
        return sizeLoss(size);
    QByteArray utf8;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const auto field = CodeRecord::Field(f);
        if (!decodeField(fieldBytes(bytes, size, field), &utf8))
            return fieldLoss(field);
    }
    return {};
}

bool isLossless(const char *bytes, qsizetype size)
{
    return lossReason(bytes, size).isEmpty();
}

Writer::Writer(QIODevice *device)
    : m_device(device)
{
    m_buffer += "{\"format\":\"";
    m_buffer += kFormat;
    m_buffer += "\",\"version\":" + QByteArray::number(kVersion) + ",\"codes\":[";
}

QString Writer::add(QByteArrayView fileName, const char *bytes, qsizetype size)
{
    m_buffer += m_count++ > 0 ? ",\n{" : "\n{";
    // Qt's JSON reader drops a byte order mark that begins a string.
    if (isUtf8(fileName) && !fileName.startsWith("\xEF\xBB\xBF")) {
        appendMember("file", fileName, &m_buffer);
    } else {
        appendMember("file", FileList::decodeFileName(fileName).toUtf8(), &m_buffer);
        m_buffer += ",\"fileBytes\":\"" + fileName.toByteArray().toBase64() + '"';
    }
    QString loss = size == CodeRecord::RecordSize ? QString() : sizeLoss(size);
    QByteArray utf8;
    for (const CodeRecord::Field field : kWriteOrder) {
        if (!decodeField(fieldBytes(bytes, size, field), &utf8) && loss.isEmpty())
            loss = fieldLoss(field);
        m_buffer += ',';
        appendMember(kFieldKeys[field], utf8, &m_buffer);
    }
    m_buffer += '}';
    writeBuffer();
    return loss;
}

void Writer::writeBuffer()
{
    m_failed = m_failed || m_device->write(m_buffer) != m_buffer.size();
    m_buffer.clear();
}

bool Writer::finish()
{
    m_buffer += "\n]}\n";
    writeBuffer();
    return !m_failed;
}

bool read(const QByteArray &json, QVector<ArchivedCode> *codes, QString *error)
{
    codes->clear();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        *error
            = QStringLiteral("不是有效的 JSON 文件：第 %1 个字节处有误").arg(parseError.offset + 1);
        return false;
    }
    const QJsonObject top = document.object();
    if (top.value(QLatin1String("format")).toString() != QLatin1String(kFormat)
        || top.value(QLatin1String("version")).toInt() != kVersion
        || !top.value(QLatin1String("codes")).isArray()) {
        *error = QStringLiteral("不是 Quillbank 导出的代码文件（第 %1 版）").arg(kVersion);
        return false;
    }
    const QJsonArray array = top.value(QLatin1String("codes")).toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        ArchivedCode code;
        if (!readCode(array.at(i).toObject(), &code, error)) {
            *error = QStringLiteral("第 %1 个代码%2").arg(i + 1).arg(*error);
            codes->clear();
            return false;
        }
        codes->append(code);
    }
    return true;
}

} // namespace JsonArchive
