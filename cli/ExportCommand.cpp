// quillbank-cli export: the library as UTF-8 .asm files or one JSON file.
#include "AsmText.h"
#include "CliArguments.h"
#include "CliCommands.h"
#include "CliLibrary.h"
#include "CliOutput.h"
#include "CodeRecord.h"
#include "ExportTarget.h"
#include "FileList.h"
#include "JsonArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace CliOutput;

namespace {

QString shown(const QString &path, const QByteArray &fileName)
{
    return QDir::toNativeSeparators(path + u'/' + FileList::decodeFileName(fileName));
}

int exportText(const QString &path, bool force, CliLibrary &library)
{
    ExportTarget target;
    QString why;
    if (!target.open(path, true, &why)) {
        error(why);
        return NothingOrProblems;
    }
    const QVector<CatalogCode> &codes = library.catalog().codes();
    // Nothing is written when a file would be overwritten, or when two
    // codes would give one file.
    QVector<QByteArray> names;
    QSet<QByteArray> seen;
    for (const CatalogCode &code : codes) {
        names << AsmText::fileNameFor(code.fileName);
        if (!force && target.exists(names.last())) {
            error(QStringLiteral("文件“%1”已存在；加 --force 覆盖").arg(shown(path, names.last())));
            return NothingOrProblems;
        }
        if (seen.contains(names.last())) {
            error(QStringLiteral("两个代码都会导出为“%1”，没有导出任何文件")
                      .arg(shown(path, names.last())));
            return NothingOrProblems;
        }
        seen.insert(names.last());
    }
    int failures = 0;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        QByteArray bytes;
        const bool ok = library.readBytes(codes[i].fileName, &bytes, &why)
            && target.write(names[i],
                AsmText::fromRecord(CodeRecord::fromBytes(bytes.constData(), bytes.size()))
                    .toUtf8(),
                force, &why);
        if (!ok) {
            ++failures;
            error(QStringLiteral("无法导出代码“%1”到“%2”：%3")
                      .arg(codes[i].name, shown(path, names[i]), why));
        }
    }
    line(QStringLiteral("已导出 %1 个代码到文件夹“%2”")
             .arg(codes.size() - failures)
             .arg(QDir::toNativeSeparators(path)));
    return failures == 0 ? Done : NothingOrProblems;
}

int exportJson(const QString &path, bool force, CliLibrary &library)
{
    const QFileInfo info(path);
    ExportTarget target;
    QString why;
    if (!target.open(info.absolutePath(), false, &why)) {
        error(why);
        return NothingOrProblems;
    }
    const QByteArray fileName = QFile::encodeName(info.fileName());
    if (info.fileName().isEmpty() || (!force && target.exists(fileName))) {
        error(info.fileName().isEmpty() ? QStringLiteral("“%1”不是文件名").arg(path)
                                        : QStringLiteral("文件“%1”已存在；加 --force 覆盖")
                                              .arg(QDir::toNativeSeparators(path)));
        return NothingOrProblems;
    }
    QStringList lossy;
    const CatalogCode *unreadable = nullptr;
    const auto content = [&](int fd) {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return false;
        JsonArchive::Writer writer(&file);
        QByteArray bytes;
        for (const CatalogCode &code : library.catalog().codes()) {
            if (!library.readBytes(code.fileName, &bytes, &why)) {
                unreadable = &code;
                return false;
            }
            const QString loss = writer.add(code.fileName, bytes);
            if (!loss.isEmpty())
                lossy << QStringLiteral("“%1”：%2")
                             .arg(FileList::decodeFileName(code.fileName), loss);
        }
        return writer.finish() && file.flush();
    };
    QString failure;
    if (!target.write(fileName, content, force, &failure)) {
        if (unreadable) {
            error(QStringLiteral("无法读取代码“%1”：%2").arg(unreadable->name, why));
            return LibraryUnreadable;
        }
        error(QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(path), failure));
        return NothingOrProblems;
    }
    for (const QString &file : lossy)
        error(QStringLiteral("导入时不能原样还原 %1").arg(file));
    line(QStringLiteral("已导出 %1 个代码到文件“%2”")
             .arg(library.catalog().codes().size())
             .arg(QDir::toNativeSeparators(path)));
    return Done;
}

} // namespace

namespace CliCommands {

int exportLibrary(const CliArguments &arguments, CliLibrary &library)
{
    const QString format = arguments.value(QStringLiteral("format"), QStringLiteral("text"));
    const QString path = arguments.positional.first();
    const bool force = arguments.isSet(QStringLiteral("force"));
    return format == u"json" ? exportJson(path, force, library) : exportText(path, force, library);
}

} // namespace CliCommands
