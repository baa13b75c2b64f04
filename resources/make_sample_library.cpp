// Builds a library folder from sample codes kept as text:
//
//   name: <name>
//   category: <category>
//   [comments]
//   ...
//   [declarations]
//   ...
//   [code]
//   ...
//
// Usage: make_sample_library <library folder> <sample file>...
// Does nothing when the library folder already exists.
#include "Categories.h"
#include "CodePage936.h"
#include "CodeRecord.h"
#include "LibraryPlacement.h"
#include "modProgramVars.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

bool parseSample(const QString &path, CodeRecord *record, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.errorString();
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    QString name;
    QString category;
    QString section;
    QMap<QString, QStringList> sections;
    for (const QString &line : lines) {
        if (line == u"[comments]" || line == u"[declarations]" || line == u"[code]") {
            section = line.mid(1, line.size() - 2);
        } else if (section.isEmpty()) {
            if (line.startsWith(u"name:"))
                name = line.mid(5).trimmed();
            else if (line.startsWith(u"category:"))
                category = line.mid(9).trimmed();
        } else {
            sections[section] << line;
        }
    }
    const auto text = [&sections](const QString &key) {
        QStringList body = sections.value(key);
        while (!body.isEmpty() && body.last().trimmed().isEmpty())
            body.removeLast();
        return body.join(QLatin1String("\r\n"));
    };
    if (!Categories::contains(category)) {
        *error = QStringLiteral("unknown category '%1'").arg(category);
        return false;
    }
    const struct {
        CodeRecord::Field field;
        QString value;
    } fields[] = {
        { CodeRecord::Name, name },
        { CodeRecord::Category, category },
        { CodeRecord::Comments, text(QStringLiteral("comments")) },
        { CodeRecord::Declarations, text(QStringLiteral("declarations")) },
        { CodeRecord::Code, text(QStringLiteral("code")) },
    };
    for (const auto &f : fields) {
        QByteArray bytes;
        if (!CodePage936::encode(f.value, &bytes) || bytes.size() > CodeRecord::width(f.field)) {
            *error = QStringLiteral("a field does not fit its width or is not GBK");
            return false;
        }
        record->setField(f.field, f.value);
    }
    return modProgramVars::CheckCodeName(record->codeName(), error);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: make_sample_library <library folder> <sample file>...\n");
        return 2;
    }
    QString error;
    const bool placed = placeLibraryFolder(
        args.at(1),
        [&args](const QString &folder, QString *error) {
            for (const QString &sample : args.mid(2)) {
                CodeRecord record;
                if (!parseSample(sample, &record, error)
                    || !modProgramVars::SaveCodeRecord(record,
                        QDir(folder).filePath(modProgramVars::CodeFileName(record.codeName())),
                        error)) {
                    *error = sample + QStringLiteral(": ") + *error;
                    return false;
                }
            }
            return true;
        },
        &error);
    if (!placed) {
        std::fprintf(stderr, "make_sample_library: %s\n", qUtf8Printable(error));
        return 1;
    }
    return 0;
}
