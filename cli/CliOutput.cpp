#include "CliOutput.h"

#include "LogLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cstdio>

namespace CliOutput {

namespace {

    void write(FILE *stream, const QByteArray &bytes)
    {
        fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    }

} // namespace

void line(const QString &text)
{
    write(stdout, text.toUtf8() + '\n');
}

void text(const QString &text)
{
    write(stdout, text.toUtf8());
}

void json(const QJsonValue &value)
{
    const QJsonDocument document
        = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    write(stdout, document.toJson(QJsonDocument::Indented));
}

void error(const QString &text)
{
    fflush(stdout);
    write(stderr, QStringLiteral("quillbank-cli: %1\n").arg(printableText(text)).toUtf8());
}

int usageError(const QString &message, const QString &command)
{
    error(message);
    const QString help = command.isEmpty() ? QStringLiteral("quillbank-cli --help")
                                           : QStringLiteral("quillbank-cli %1 --help").arg(command);
    write(stderr, QStringLiteral("用法见“%1”。\n").arg(help).toUtf8());
    return UsageError;
}

QString column(const QString &text)
{
    return printableText(text);
}

QString fieldKey(CodeRecord::Field field)
{
    static const char *const keys[CodeRecord::FieldCount]
        = { "name", "code", "declarations", "comments", "category" };
    return QLatin1String(keys[field]);
}

} // namespace CliOutput
