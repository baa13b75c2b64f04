#include "TextImport.h"

#include "AsmText.h"
#include "CodePage936.h"
#include "FileOps.h"
#include "SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString notText(const QString &why)
{
    return QStringLiteral("不是文本文件：%1").arg(why);
}

// Decodes with Qt's strict decoder; false on any invalid sequence.
bool decodeStrict(QStringConverter::Encoding encoding, QByteArrayView bytes, QString *text)
{
    QStringDecoder decoder(
        encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    *text = decoder(bytes);
    return !decoder.hasError();
}

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (CodePage936::isPairAt(text, i))
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

bool decodeUtf16(
    QStringConverter::Encoding encoding, QByteArrayView bytes, QString *text, QString *error)
{
    if (bytes.size() % 2 != 0 || !decodeStrict(encoding, bytes, text) || hasLoneSurrogate(*text)) {
        *error = notText(QStringLiteral("以 UTF-16 字节顺序标记开头，却不是完整的 UTF-16 文本"));
        return false;
    }
    if (text->contains(QChar(u'\0'))) {
        *error = notText(QStringLiteral("含有 NUL 字符"));
        return false;
    }
    return true;
}

// Valid code page 936: every byte belongs to a character that encodes back
// to the same bytes.
bool decodeGbk(QByteArrayView bytes, QString *text)
{
    *text = CodePage936::decode(bytes.data(), bytes.size());
    QByteArray back;
    return CodePage936::encode(*text, &back) && back == bytes;
}

bool isBlank(QStringView line)
{
    for (QChar c : line) {
        if (c != u' ' && c != u'\t')
            return false;
    }
    return true;
}

// A comment line without its ";" and one space after it.
QStringView commentText(QStringView line)
{
    line = line.sliced(1);
    return line.startsWith(u' ') ? line.sliced(1) : line;
}

QString joinComments(const QList<QStringView> &lines, qsizetype begin, qsizetype end)
{
    QString text;
    for (qsizetype i = begin; i < end; ++i) {
        if (i > begin)
            text += QLatin1String("\r\n");
        text += commentText(lines[i]);
    }
    return text;
}

QString joinLines(const QList<QStringView> &lines, qsizetype begin)
{
    QString text;
    for (qsizetype i = begin; i < lines.size(); ++i) {
        if (i > begin)
            text += QLatin1String("\r\n");
        text += lines[i];
    }
    return text;
}

// The index of the first line from `from` on that is not a `;` line, or
// lines.size().
qsizetype endOfCommentBlock(const QList<QStringView> &lines, qsizetype from)
{
    while (from < lines.size() && lines[from].startsWith(u';'))
        ++from;
    return from;
}

// The three texts of a file that AsmText wrote, or false.
bool splitHeaded(const QList<QStringView> &lines, ImportedText *text)
{
    if (lines.isEmpty() || lines[0] != AsmText::commentsHeading())
        return false;
    const QString headings[] = { AsmText::declarationsHeading(), AsmText::codeHeading() };
    qsizetype at[3] = {}; // the headings' lines, the first one at 0
    for (int h = 0; h < 2; ++h) {
        qsizetype i = at[h] + 1;
        while (i < lines.size() && lines[i].startsWith(u';') && lines[i] != headings[h])
            ++i;
        if (i == lines.size() || lines[i] != headings[h])
            return false;
        at[h + 1] = i;
    }
    text->comments = joinComments(lines, 1, at[1]);
    text->declarations = joinComments(lines, at[1] + 1, at[2]);
    text->code = joinLines(lines, at[2] + 1);
    return true;
}

QString nameOf(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

// Reads the open file, refusing what cannot be a code's text file.
bool readTextFile(int fd, QByteArray *bytes, QString *error)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *error = QStringLiteral("无法读取文件：%1").arg(systemErrorText(errno));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("这是文件夹，不是文本文件");
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = QStringLiteral("不是普通文件");
        return false;
    }
    // One byte more than allowed tells a file that grew meanwhile.
    bytes->resize(qMin<qint64>(st.st_size, TextImport::kMaxFileSize) + 1);
    qsizetype got = 0;
    while (got < bytes->size()) {
        const ssize_t n
            = fileOps().pread(fd, bytes->data() + got, size_t(bytes->size() - got), off_t(got));
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR) {
            *error = QStringLiteral("无法读取文件：%1").arg(systemErrorText(errno));
            return false;
        }
        got += qMax<ssize_t>(n, 0);
    }
    bytes->truncate(got);
    if (qMax<qint64>(got, st.st_size) > TextImport::kMaxFileSize) {
        *error = QStringLiteral("文件有 %1 字节，大于一个代码所能容纳的 %2 字节")
                     .arg(qMax<qint64>(got, st.st_size))
                     .arg(TextImport::kMaxFileSize);
        return false;
    }
    return true;
}

} // namespace

namespace TextImport {

bool decode(const QByteArray &bytes, QString *text, QString *error)
{
    if (bytes.startsWith("\xFF\xFE"))
        return decodeUtf16(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2), text, error);
    if (bytes.startsWith("\xFE\xFF"))
        return decodeUtf16(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2), text, error);
    if (bytes.contains('\0')) {
        *error = notText(QStringLiteral("含有 NUL 字节"));
        return false;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (decodeStrict(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3), text))
            return true;
        *error = notText(QStringLiteral("以 UTF-8 字节顺序标记开头，却不是有效的 UTF-8 文本"));
        return false;
    }
    if (decodeStrict(QStringConverter::Utf8, bytes, text) || decodeGbk(bytes, text))
        return true;
    *error = notText(QStringLiteral("既不是 UTF-8 或 UTF-16 文本，也不是 GBK 文本"));
    return false;
}

ImportedText split(const QString &text)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(u'\r', u'\n');
    if (normal.endsWith(u'\n'))
        normal.chop(1);
    ImportedText result;
    if (text.isEmpty())
        return result;
    const QList<QStringView> lines = QStringView(normal).split(u'\n');
    if (splitHeaded(lines, &result))
        return result;
    const qsizetype block = endOfCommentBlock(lines, 0);
    result.comments = joinComments(lines, 0, block);
    qsizetype code = block;
    while (block > 0 && code < lines.size() && isBlank(lines[code]))
        ++code;
    result.code = joinLines(lines, code);
    return result;
}

bool fromBytes(const QString &fileName, const QByteArray &bytes, ImportedText *text, QString *error)
{
    QString decoded;
    if (!decode(bytes, &decoded, error))
        return false;
    *text = split(decoded);
    text->name = nameOf(fileName);
    return true;
}

bool readFile(const QString &path, ImportedText *text, QString *error)
{
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno == ENOENT ? QStringLiteral("文件不存在")
                                 : QStringLiteral("无法打开文件：%1").arg(systemErrorText(errno));
        return false;
    }
    QByteArray bytes;
    const bool read = readTextFile(fd, &bytes, error);
    ::close(fd);
    return read && fromBytes(path, bytes, text, error);
}

} // namespace TextImport

QStringList TextImport::fieldTexts(const ImportedText &text, const QString &category)
{
    QStringList texts(CodeRecord::FieldCount);
    texts[CodeRecord::Name] = text.name;
    texts[CodeRecord::Code] = text.code;
    texts[CodeRecord::Declarations] = text.declarations;
    texts[CodeRecord::Comments] = text.comments;
    texts[CodeRecord::Category] = category;
    return texts;
}
