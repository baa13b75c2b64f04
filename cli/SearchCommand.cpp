// quillbank-cli search: the search window's engine over the listed codes.
#include "Categories.h"
#include "CliArguments.h"
#include "CliCommands.h"
#include "CliLibrary.h"
#include "CliOutput.h"
#include "CodeSearch.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace CliOutput;

namespace CliCommands {

bool setQuery(const CliArguments &arguments, CodeSearch *search, QString *error)
{
    return search->setQuery(arguments.positional.first(),
        { arguments.isSet(QStringLiteral("case")), arguments.isSet(QStringLiteral("regex")) },
        error);
}

int search(const CliArguments &arguments, CliLibrary &library)
{
    CodeSearch search;
    setQuery(arguments, &search, nullptr);
    const QVector<CatalogCode> &codes = library.catalog().codes();
    QVector<QByteArray> fileNames;
    fileNames.reserve(codes.size());
    for (const CatalogCode &code : codes)
        fileNames << code.fileName;
    const CodeSearch::Results results = search.run(library.path(), fileNames);
    for (const SkippedFile &file : results.unreadable)
        error(QStringLiteral("无法读取文件“%1”：%2").arg(file.fileName, file.reason));

    const bool asJson = arguments.isSet(QStringLiteral("json"));
    QJsonArray array;
    QString lines;
    for (const CodeSearch::Hit &hit : results.hits) {
        const CatalogCode &code = codes[hit.item];
        const QString category = Categories::treeOrder().value(code.category);
        const QString field = fieldKey(CodeRecord::Field(hit.field));
        const QString matched = results.line(hit).toString();
        if (asJson) {
            array.append(QJsonObject { { "name", code.name }, { "category", category },
                { "field", field }, { "line", matched } });
        } else {
            lines += column(code.name) + u'\t' + category + u'\t' + field + u'\t' + column(matched)
                + u'\n';
        }
    }
    asJson ? json(array) : text(lines);
    return results.hits.isEmpty() ? NothingOrProblems : Done;
}

} // namespace CliCommands
