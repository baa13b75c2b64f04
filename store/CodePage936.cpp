#include "CodePage936.h"

#include <memory>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>

namespace {

struct ConverterCloser {
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread: a UConverter keeps state and must not be shared.
UConverter *converter()
{
    thread_local ConverterPtr instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr c(ucnv_open("windows-936-2000", &status));
        if (U_FAILURE(status))
            qFatal("code page 936 converter unavailable: %s", u_errorName(status));
        status = U_ZERO_ERROR;
        ucnv_setFromUCallBack(
            c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        return c;
    }();
    ucnv_reset(instance.get());
    return instance.get();
}

bool isAscii(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char32_t codePointAt(QStringView text, qsizetype i)
{
    return CodePage936::isPairAt(text, i) ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                          : text[i].unicode();
}

// The converter drops these without a word when it has no bytes for them.
bool isDefaultIgnorable(char32_t c)
{
    return u_hasBinaryProperty(UChar32(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}

bool hasDefaultIgnorable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isDefaultIgnorable(codePointAt(text, i)))
            return true;
    }
    return false;
}

// Encodes one code point (one or two UTF-16 units); false when unencodable,
// which includes a character the converter would silently leave out.
bool encodeOne(QStringView unit, QByteArray *out)
{
    char buffer[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter(), buffer, sizeof buffer,
        reinterpret_cast<const UChar *>(unit.utf16()), int32_t(unit.size()), &status);
    if (U_FAILURE(status) || n == 0)
        return false;
    out->append(buffer, n);
    return true;
}

} // namespace

namespace CodePage936 {

bool encode(QStringView text, QByteArray *out, QString *unencodable)
{
    out->clear();
    if (isAscii(text)) {
        *out = text.toLatin1();
        return true;
    }
    out->resize(text.size() * 2 + 8);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter(), out->data(), int32_t(out->size()),
        reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()), &status);
    if (U_SUCCESS(status) && !hasDefaultIgnorable(text)) {
        out->resize(n);
        return true;
    }
    // Slow path: find every character that cannot be represented.
    out->clear();
    bool ok = true;
    QString bad;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = isPairAt(text, i) ? 2 : 1;
        const QStringView unit = text.mid(i, len);
        if (!encodeOne(unit, out)) {
            ok = false;
            if (!bad.contains(unit))
                bad += unit;
        }
        i += len;
    }
    if (unencodable)
        *unencodable = bad;
    return ok;
}

QString describe(QStringView characters)
{
    QString result;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t c = codePointAt(characters, i);
        if (isDefaultIgnorable(c))
            result += QStringLiteral("<U+%1>").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        else
            result += QStringView(characters).mid(i, c > 0xFFFF ? 2 : 1);
        i += c > 0xFFFF ? 1 : 0;
    }
    return result;
}

QString decode(const char *bytes, qsizetype size)
{
    if (isAscii(bytes, size))
        return QString::fromLatin1(bytes, size);
    QString text(size, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    // The default callback substitutes U+FFFD for invalid and truncated input.
    const int32_t n = ucnv_toUChars(converter(), reinterpret_cast<UChar *>(text.data()),
        int32_t(text.size()), bytes, int32_t(size), &status);
    if (U_FAILURE(status))
        return QString(size, QChar::ReplacementCharacter);
    text.truncate(n);
    return text;
}

void decodeAppend(const char *bytes, qsizetype size, QString *out)
{
    if (isAscii(bytes, size)) {
        out->append(QLatin1String(bytes, size));
        return;
    }
    const qsizetype start = out->size();
    out->resize(start + size);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter(), reinterpret_cast<UChar *>(out->data() + start),
        int32_t(size), bytes, int32_t(size), &status);
    if (U_FAILURE(status)) {
        out->resize(start);
        out->append(QString(size, QChar::ReplacementCharacter));
        return;
    }
    out->resize(start + n);
}

qsizetype wholeCharacterPrefix(const char *bytes, qsizetype size, qsizetype width)
{
    qsizetype i = 0;
    while (i < size) {
        const qsizetype len = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + len > width || i + len > size)
            break;
        i += len;
    }
    return i;
}

} // namespace CodePage936
