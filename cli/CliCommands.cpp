#include "CliCommands.h"

#include "Categories.h"
#include "CliArguments.h"
#include "CliLibrary.h"
#include "CliOutput.h"
#include "CodeRecord.h"
#include "CodeSearch.h"
#include "FileList.h"
#include "modProgramVars.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

using namespace CliOutput;

namespace {

// A field's text as shown: padding removed, line breaks LF.
QString shownField(const CodeRecord &record, CodeRecord::Field field)
{
    QString text = record.field(field);
    if (field == CodeRecord::Name || field == CodeRecord::Category)
        return trimmedSpaces(text);
    while (text.endsWith(u' '))
        text.chop(1);
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString categoryName(const CatalogCode &code)
{
    return Categories::treeOrder().value(code.category);
}

} // namespace

namespace CliCommands {

int run(const CliArguments &arguments)
{
    const struct {
        const char *name;
        int (*run)(const CliArguments &, CliLibrary &);
    } commands[] = { { "list", list }, { "show", show }, { "search", search }, { "check", check },
        { "export", exportLibrary }, { "import", import } };
    for (const auto &command : commands) {
        if (arguments.command != QLatin1String(command.name))
            continue;
        CliLibrary library;
        QString error;
        CodeSearch query;
        if (arguments.command == u"search" && !setQuery(arguments, &query, &error))
            return usageError(error, arguments.command);
        if (!library.open(arguments.value(QStringLiteral("library")), &error)) {
            CliOutput::error(error);
            return LibraryUnreadable;
        }
        return command.run(arguments, library);
    }
    return usageError(QStringLiteral("缺少命令"), QString());
}

int list(const CliArguments &arguments, CliLibrary &library)
{
    const int category
        = int(Categories::treeOrder().indexOf(arguments.value(QStringLiteral("category"))));
    const bool asJson = arguments.isSet(QStringLiteral("json"));
    QJsonArray array;
    QString lines;
    int count = 0;
    for (const CatalogCode &code : library.catalog().codes()) {
        if (category >= 0 && code.category != category)
            continue;
        ++count;
        if (asJson) {
            array.append(QJsonObject { { "name", code.name }, { "category", categoryName(code) },
                { "file", FileList::decodeFileName(code.fileName) } });
        } else {
            lines += column(code.name) + u'\t' + categoryName(code) + u'\n';
        }
    }
    asJson ? json(array) : text(lines);
    return count > 0 ? Done : NothingOrProblems;
}

int show(const CliArguments &arguments, CliLibrary &library)
{
    int only = -1;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        if (arguments.value(QStringLiteral("field")) == fieldKey(CodeRecord::Field(f)))
            only = f;
    }
    const QString name = arguments.positional.first();
    const CatalogCode *code = library.catalog().find(name);
    if (!code) {
        error(QStringLiteral("代码库中没有名为“%1”的代码").arg(name));
        return NothingOrProblems;
    }
    QByteArray bytes;
    QString why;
    if (!library.readBytes(code->fileName, &bytes, &why)) {
        error(QStringLiteral("无法读取代码“%1”：%2").arg(name, why));
        return LibraryUnreadable;
    }
    const CodeRecord record = CodeRecord::fromBytes(bytes.constData(), bytes.size());
    if (only >= 0) {
        line(shownField(record, CodeRecord::Field(only)));
        return Done;
    }
    const CodeRecord::Field order[] = { CodeRecord::Name, CodeRecord::Category,
        CodeRecord::Comments, CodeRecord::Declarations, CodeRecord::Code };
    if (arguments.isSet(QStringLiteral("json"))) {
        QJsonObject object { { "file", FileList::decodeFileName(code->fileName) } };
        for (CodeRecord::Field f : order)
            object.insert(fieldKey(f), shownField(record, f));
        json(object);
        return Done;
    }
    QString all;
    for (CodeRecord::Field f : order) {
        const QString value = shownField(record, f);
        const bool oneLine = f == CodeRecord::Name || f == CodeRecord::Category;
        all += QStringLiteral("%1：%2%3\n")
                   .arg(CodeRecord::fieldTitle(f), oneLine ? QString() : QStringLiteral("\n"),
                       oneLine || value.isEmpty() || value.endsWith(u'\n') ? value : value + u'\n');
    }
    text(all);
    return Done;
}

int check(const CliArguments &arguments, CliLibrary &library)
{
    QVector<SkippedFile> problems = library.catalog().skipped();
    for (const CatalogCode &code : library.catalog().codes()) {
        const QByteArray expected = QFile::encodeName(modProgramVars::CodeFileName(code.name));
        if (code.fileName != expected) {
            problems.append({ FileList::decodeFileName(code.fileName),
                QStringLiteral("文件名与代码名称“%1”不一致（按名称应为“%2”）")
                    .arg(code.name, FileList::decodeFileName(expected)) });
        }
    }
    if (arguments.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const SkippedFile &problem : problems)
            array.append(
                QJsonObject { { "file", problem.fileName }, { "problem", problem.reason } });
        json(array);
    } else {
        QString lines;
        for (const SkippedFile &problem : problems)
            lines += column(problem.fileName) + u'\t' + column(problem.reason) + u'\n';
        text(lines);
    }
    return problems.isEmpty() ? Done : NothingOrProblems;
}

} // namespace CliCommands
