#include "CodeSearch.h"

#include "CodePage936.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "ReaderThreads.h"
#include "SystemError.h"
#include "TextFolding.h"
#include "modProgramVars.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr int kChunkSize = 64;
// Characters of the line kept before the match when the line is cut.
constexpr int kContextBefore = 24;
// An anchor with more encodings than this costs more to look for than it saves.
constexpr int kMostAnchors = 6;
// The searched texts, in the order their first match is reported; the
// Name is first and trimmed at both ends.
constexpr std::array<CodeRecord::Field, 4> kTexts { CodeRecord::Name, CodeRecord::Comments,
    CodeRecord::Declarations, CodeRecord::Code };
// Bytes of a record that hold searched texts: all but the Category.
constexpr int kTextBytes = CodeRecord::offset(CodeRecord::Category);

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

QStringList splitTerms(const QString &query)
{
    QStringList terms;
    QString term;
    bool quoted = false;
    for (QChar c : query) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && isSeparator(c)) {
            if (!term.isEmpty())
                terms.append(term);
            term.clear();
        } else {
            term += c;
        }
    }
    if (!term.isEmpty())
        terms.append(term);
    return terms;
}

bool holdsAny(const char *bytes, qsizetype size, const QVector<QByteArray> &needles)
{
    for (const QByteArray &needle : needles) {
        const char *p = bytes;
        const char *end = bytes + size;
        while ((p = static_cast<const char *>(std::memchr(p, needle.at(0), size_t(end - p))))) {
            if (needle.size() == 1 || (p + 1 < end && p[1] == needle.at(1)))
                return true;
            ++p;
        }
    }
    return false;
}

// One text of a record, decoded, trimmed and with LF line breaks; reused
// across records by each thread.
void decodeText(const char *record, qsizetype size, CodeRecord::Field field, QString *text)
{
    const qsizetype start = CodeRecord::offset(field);
    qsizetype begin = start;
    qsizetype end = qBound(start, size, start + CodeRecord::width(field));
    // A trail byte is never 0x20, so spaces can be trimmed as bytes.
    while (end > begin && record[end - 1] == ' ')
        --end;
    while (field == CodeRecord::Name && begin < end && record[begin] == ' ')
        ++begin;
    text->resize(0);
    CodePage936::decodeAppend(record + begin, end - begin, text);
    TextFolding::normalizeLineBreaks(text);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The line of `text` around [at, at + length), trimmed and cut.
void cutLine(QStringView text, qsizetype at, qsizetype length, CodeSearch::Match *match)
{
    qsizetype begin = at;
    while (begin > 0 && text.at(begin - 1) != u'\n')
        --begin;
    qsizetype end = text.indexOf(u'\n', at);
    end = end < 0 ? text.size() : end;
    length = qMin(length, end - at);
    while (begin < at && isBlank(text.at(begin)))
        ++begin;
    while (end > at + length && isBlank(text.at(end - 1)))
        --end;
    const qsizetype lineBegin = begin;
    const qsizetype lineEnd = end;
    if (end - begin > CodeSearch::kLineLength) {
        begin = qMax(lineBegin, at - kContextBefore);
        end = qMin(lineEnd, begin + CodeSearch::kLineLength);
        begin = qMax(lineBegin, end - CodeSearch::kLineLength);
    }
    match->line.clear();
    if (begin > lineBegin)
        match->line += QChar(0x2026);
    match->start = int(match->line.size() + at - begin);
    match->length = int(qMin(length, end - at));
    match->line += text.mid(begin, end - begin);
    if (end < lineEnd)
        match->line += QChar(0x2026);
}

} // namespace

bool CodeSearch::setQuery(const QString &query, Options options, QString *error)
{
    m_options = options;
    m_terms.clear();
    m_pattern = QRegularExpression();
    m_nothing = true;
    const bool caseless = !options.caseSensitive;
    if (options.regex) {
        if (query.trimmed().isEmpty())
            return true;
        QString pattern = query;
        TextFolding::normalizeLineBreaks(&pattern);
        m_pattern.setPattern(pattern);
        if (caseless)
            m_pattern.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        if (!m_pattern.isValid()) {
            if (error)
                *error = QStringLiteral("正则表达式无效：%1（位置 %2）")
                             .arg(m_pattern.errorString())
                             .arg(m_pattern.patternErrorOffset());
            return false;
        }
        m_pattern.optimize();
        m_nothing = false;
        return true;
    }
    for (QString text : splitTerms(query)) {
        TextFolding::normalizeLineBreaks(&text);
        Term term;
        term.folded = text;
        TextFolding::foldInPlace(&term.folded, caseless);
        // The first character with the fewest encodings.
        for (QChar c : std::as_const(term.folded)) {
            if (c == u' ' || c == u'\n' || c.unicode() == 0 || c == QChar::ReplacementCharacter)
                continue;
            QVector<QByteArray> anchors = TextFolding::encodingsOf(c.unicode(), caseless);
            if (!term.anchored || anchors.size() < term.anchors.size()) {
                term.anchors = std::move(anchors);
                term.anchored = true;
            }
        }
        term.anchored = term.anchored && term.anchors.size() <= kMostAnchors;
        m_terms.append(term);
    }
    m_nothing = m_terms.isEmpty();
    return true;
}

bool CodeSearch::matchesNothing() const
{
    return m_nothing;
}

bool CodeSearch::mayMatch(const char *record, qsizetype size) const
{
    const qsizetype searched = qMin<qsizetype>(size, kTextBytes);
    for (const Term &term : m_terms) {
        if (term.anchored && !holdsAny(record, searched, term.anchors))
            return false;
    }
    return true;
}

bool CodeSearch::match(const char *record, qsizetype size, Match *match) const
{
    if (m_nothing || (!m_options.regex && !mayMatch(record, size)))
        return false;
    thread_local std::array<QString, kTexts.size()> texts;
    thread_local std::array<QString, kTexts.size()> folded;
    for (size_t t = 0; t < kTexts.size(); ++t)
        decodeText(record, size, kTexts[t], &texts[t]);
    qsizetype at = -1;
    qsizetype length = 0;
    size_t where = 0;
    if (m_options.regex) {
        for (where = 0; where < kTexts.size() && at < 0; ++where) {
            const QRegularExpressionMatch found = m_pattern.match(texts[where]);
            if (found.hasMatch()) {
                at = found.capturedStart();
                length = found.capturedLength();
            }
        }
        --where;
    } else {
        for (size_t t = 0; t < kTexts.size(); ++t) {
            folded[t] = texts[t];
            TextFolding::foldInPlace(&folded[t], !m_options.caseSensitive);
        }
        for (const Term &term : m_terms) {
            qsizetype found = -1;
            size_t t = 0;
            for (; t < kTexts.size() && found < 0; ++t)
                found = QStringView(folded[t]).indexOf(term.folded);
            if (found < 0)
                return false;
            if (at < 0) {
                at = found;
                length = term.folded.size();
                where = t - 1;
            }
        }
    }
    if (at < 0)
        return false;
    if (match) {
        match->field = kTexts[where];
        match->textOffset = int(at);
        match->textLength = int(length);
        cutLine(texts[where], at, length, match);
    }
    return true;
}

CodeSearch::Results CodeSearch::run(const QString &folder, const QVector<QByteArray> &fileNames,
    const std::atomic<bool> *cancel, std::atomic<int> *progress) const
{
    const FolderHandle handle(folder);
    if (handle.fd() < 0) {
        Results results;
        results.unreadable.append(
            { folder, QStringLiteral("无法打开文件夹（%1）").arg(systemErrorText(errno)) });
        return results;
    }
    return run(handle.fd(), fileNames, cancel, progress);
}

CodeSearch::Results CodeSearch::run(int folderFd, const QVector<QByteArray> &fileNames,
    const std::atomic<bool> *cancel, std::atomic<int> *progress) const
{
    struct Chunk {
        QVector<Hit> hits;
        QString lines;
        QVector<SkippedFile> unreadable;
    };
    const int count = m_nothing ? 0 : int(fileNames.size());
    std::vector<Chunk> chunks(size_t(ReaderThreads::chunkCount(count, kChunkSize)));
    ReaderThreads::forEachChunk(count, kChunkSize, [&](int index, int begin, int end) {
        Chunk &chunk = chunks[size_t(index)];
        char buffer[CodeRecord::RecordSize];
        Match found;
        for (int i = begin; i < end; ++i) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return;
            qsizetype got = 0;
            QString error;
            if (!modProgramVars::ReadRecordBytesAt(
                    folderFd, fileNames.at(i).constData(), buffer, &got, &error)) {
                chunk.unreadable.append({ FileList::decodeFileName(fileNames.at(i)), error });
                continue;
            }
            if (!match(buffer, got, &found))
                continue;
            chunk.hits.append({ i, quint32(chunk.lines.size()), quint8(found.line.size()),
                quint8(found.start), quint8(found.length), quint8(found.field), found.textOffset,
                found.textLength });
            chunk.lines += found.line;
        }
        if (progress)
            progress->fetch_add(end - begin, std::memory_order_relaxed);
    });
    Results results;
    for (Chunk &chunk : chunks) {
        for (Hit hit : std::as_const(chunk.hits)) {
            hit.lineOffset += quint32(results.lines.size());
            results.hits.append(hit);
        }
        results.lines += chunk.lines;
        results.unreadable += chunk.unreadable;
        chunk = Chunk();
    }
    return results;
}
