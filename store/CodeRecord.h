#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// One code of the library: five fixed-width text fields. In memory a field
// holds exactly its width in characters (cut, or padded with spaces); on
// disk it holds exactly its width in bytes of code page 936.
class CodeRecord {
public:
    enum Field { Name, Code, Declarations, Comments, Category, FieldCount };

    static constexpr int RecordSize = 4692;

    static constexpr int width(Field field) { return kWidths[field]; }
    static constexpr int offset(Field field)
    {
        int result = 0;
        for (int f = 0; f < field; ++f)
            result += kWidths[f];
        return result;
    }

    CodeRecord();

    // The field as held: exactly width(field) characters, padding included.
    const QString &field(Field field) const { return m_fields[field]; }
    // Assigns text, cut or space-padded to the field's width in characters.
    void setField(Field field, const QString &text);

    // The code's name as stored and used for its file and its tree key: the
    // Name field cut to its width in bytes (whole characters), then trimmed.
    QString codeName() const;

    // The field's title as the user knows it ("名称", "说明", ...).
    static QString fieldTitle(Field field);

    // What the user is told about characters of a field that code page 936
    // cannot hold.
    static QString unencodableMessage(Field field, const QString &characters);

    // The 4692 bytes of the file. Fails, naming the characters, when a
    // field holds text that code page 936 cannot represent.
    bool toBytes(QByteArray *bytes, QString *error) const;
    // Decodes a file's bytes; missing bytes read as spaces, extra bytes are
    // ignored, invalid sequences become U+FFFD.
    static CodeRecord fromBytes(const char *bytes, qsizetype size);

    // Decodes one field from bytes; absent bytes read as spaces.
    static QString decodeField(Field field, const char *bytes, qsizetype size);

    // Encodes text into exactly `width` bytes: cut before any character that
    // would cross the width, padded with 0x20.
    static bool encodeFixed(const QString &text, int width, QByteArray *out, QString *unencodable);

private:
    static constexpr std::array<int, FieldCount> kWidths { 64, 1500, 1500, 1500, 128 };
    std::array<QString, FieldCount> m_fields;
};

// Leading and trailing spaces (U+0020) removed; nothing else.
QString trimmedSpaces(const QString &text);
