#include "TextFolding.h"

#include "CodePage936.h"

#include <array>
#include <memory>

namespace {

constexpr int kUnits = 0x10000;

struct FoldTable {
    std::array<char16_t, kUnits> widthOnly;
    std::array<char16_t, kUnits> caseless;
};

const FoldTable &foldTable()
{
    static const std::unique_ptr<FoldTable> table = [] {
        auto t = std::make_unique<FoldTable>();
        for (int c = 0; c < kUnits; ++c) {
            const char16_t narrow = c >= 0xFF01 && c <= 0xFF5E ? char16_t(c - 0xFEE0) : char16_t(c);
            t->widthOnly[size_t(c)] = narrow;
            const char32_t folded
                = QChar::isSurrogate(narrow) ? narrow : QChar::toCaseFolded(narrow);
            t->caseless[size_t(c)] = folded > 0xFFFF ? narrow : char16_t(folded);
        }
        return t;
    }();
    return *table;
}

// The character that each one- and two-byte sequence of code page 936
// decodes to (index: the byte, or lead << 8 | trail), 0 for none.
const std::array<char16_t, kUnits> &decodedSequences()
{
    static const std::unique_ptr<std::array<char16_t, kUnits>> table = [] {
        auto t = std::make_unique<std::array<char16_t, kUnits>>(); // all 0
        const auto store = [&](int index, const char *bytes, qsizetype size) {
            const QString text = CodePage936::decode(bytes, size);
            if (text.size() == 1 && text.at(0) != QChar::ReplacementCharacter)
                (*t)[size_t(index)] = text.at(0).unicode();
        };
        for (int b = 0; b < 0x100; ++b) {
            const char byte = char(b);
            if (!CodePage936::isLeadByte(uchar(b)))
                store(b, &byte, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const char pair[2] = { char(lead), char(trail) };
                store(lead << 8 | trail, pair, 2);
            }
        }
        return t;
    }();
    return *table;
}

} // namespace

namespace TextFolding {

char16_t fold(char16_t c, bool caseless)
{
    const FoldTable &table = foldTable();
    return caseless ? table.caseless[c] : table.widthOnly[c];
}

void foldInPlace(QString *text, bool caseless)
{
    const FoldTable &table = foldTable();
    const auto &map = caseless ? table.caseless : table.widthOnly;
    char16_t *data = reinterpret_cast<char16_t *>(text->data());
    for (qsizetype i = 0, n = text->size(); i < n; ++i)
        data[i] = map[data[i]];
}

void normalizeLineBreaks(QString *text)
{
    if (!text->contains(u'\r'))
        return;
    char16_t *data = reinterpret_cast<char16_t *>(text->data());
    const qsizetype n = text->size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (data[i] == u'\r') {
            data[out++] = u'\n';
            if (i + 1 < n && data[i + 1] == u'\n')
                ++i;
        } else {
            data[out++] = data[i];
        }
    }
    text->truncate(out);
}

QVector<QByteArray> encodingsOf(char16_t c, bool caseless)
{
    const char16_t target = fold(c, caseless);
    const auto &decoded = decodedSequences();
    QVector<QByteArray> result;
    for (int index = 0; index < kUnits; ++index) {
        const char16_t d = decoded[size_t(index)];
        if (d == 0 || fold(d, caseless) != target)
            continue;
        const char bytes[2] = { char(index >> 8), char(index & 0xFF) };
        result.append(index < 0x100 ? QByteArray(bytes + 1, 1) : QByteArray(bytes, 2));
    }
    return result;
}

} // namespace TextFolding
