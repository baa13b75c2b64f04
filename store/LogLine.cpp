#include "LogLine.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

bool isControlCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

QString printableText(const QString &text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (isControlCharacter(c))
            out += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else if (u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u") + QString::number(u, 16).toUpper();
        else
            out += c;
    }
    return out;
}

QString shortList(const QStringList &lines, const QString &more)
{
    constexpr int kShown = 10;
    QStringList result = lines.mid(0, kShown);
    if (lines.size() > kShown)
        result << more.arg(lines.size());
    return result.join(u'\n');
}

void logLine(const QString &line)
{
    std::fprintf(stderr, "quillbank: %s\n", qUtf8Printable(printableText(line)));
}

void openStandardStreams()
{
    for (const int fd : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO })
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) // the lowest free descriptor: fd
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
}
