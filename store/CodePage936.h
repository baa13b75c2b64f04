#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Conversions between Unicode and Microsoft's code page 936 (GBK), the
// encoding of every text field in a code file. Characters are one byte
// (0x00-0x7F, plus 0x80 for the euro sign and 0xFF) or two bytes (a lead
// byte 0x81-0xFE followed by a trail byte).
namespace CodePage936 {

// Encodes text. Returns false when it holds characters that code page 936
// cannot represent; those characters are then listed in *unencodable
// (each once, in order of appearance).
bool encode(QStringView text, QByteArray *out, QString *unencodable = nullptr);

// The characters as a user can read them: those that show as nothing
// (zero-width space, soft hyphen, byte order mark, ...) as <U+XXXX>.
QString describe(QStringView characters);

// Decodes bytes; invalid and truncated sequences become U+FFFD.
QString decode(const char *bytes, qsizetype size);
inline QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size());
}
// Decodes bytes onto the end of *out.
void decodeAppend(const char *bytes, qsizetype size, QString *out);

// The number of leading bytes of `bytes` that hold only whole characters
// and fit in `width` bytes.
qsizetype wholeCharacterPrefix(const char *bytes, qsizetype size, qsizetype width);

// Whether text[i] and text[i + 1] are the two halves of one character.
inline bool isPairAt(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

// True for the first byte of a two-byte character.
inline bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace CodePage936
