// libFuzzer target: any bytes as the content of a code file. Every reader
// agrees with CodeRecord::fromBytes, and decoding, saving and decoding again
// gives the same texts.
#include "Categories.h"
#include "CodeRecord.h"
#include "FileList.h"
#include "FolderHandle.h"
#include "FuzzChecks.h"
#include "LibraryScan.h"
#include "modProgramVars.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace {

QStringList texts(const CodeRecord &record)
{
    QStringList all;
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        all << record.field(CodeRecord::Field(f));
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const CodeRecord record = CodeRecord::fromBytes(bytes, qsizetype(size));
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const auto field = CodeRecord::Field(f);
        FUZZ_CHECK(record.field(field).size() == CodeRecord::width(field));
    }
    // Missing bytes read as spaces; bytes past the record are ignored.
    const QByteArray whole
        = QByteArray(bytes, qMin<qsizetype>(qsizetype(size), CodeRecord::RecordSize))
              .leftJustified(CodeRecord::RecordSize, ' ');
    FUZZ_CHECK(texts(CodeRecord::fromBytes(whole.constData(), whole.size())) == texts(record));

    // Saving a decoded record and decoding it again gives the same texts.
    // Only U+FFFD, which stands for bytes that were not code page 936,
    // cannot be saved; with it replaced, the rest can.
    CodeRecord cleaned;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        cleaned.setField(CodeRecord::Field(f),
            QString(record.field(CodeRecord::Field(f))).replace(QChar::ReplacementCharacter, u'?'));
    }
    const bool saveable = texts(cleaned) == texts(record);
    QByteArray saved;
    QString error;
    FUZZ_CHECK(record.toBytes(&saved, &error) == saveable);
    FUZZ_CHECK(saveable || error.contains(QChar::ReplacementCharacter));
    FUZZ_CHECK(cleaned.toBytes(&saved, &error) && saved.size() == CodeRecord::RecordSize);
    FUZZ_CHECK(texts(CodeRecord::fromBytes(saved.constData(), saved.size())) == texts(cleaned));

    // The viewer's, Find's and start-up's reads of the file agree with the
    // record decoded from its bytes.
    static const QTemporaryDir scratch; // holds the one file that the readers read
    FUZZ_CHECK(scratch.isValid());
    const QString folder = scratch.path();
    QFile file(scratch.filePath(QStringLiteral("f.cod")));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes, qint64(size)) == qint64(size));
    file.close();
    const QByteArray path = QFile::encodeName(file.fileName());
    CodeRecord read;
    FUZZ_CHECK(modProgramVars::ReadCodeRecord(path, &read, &error));
    FUZZ_CHECK(texts(read) == texts(record));

    const FolderHandle handle(folder);
    const qsizetype chosen = size > 0 ? qsizetype(static_cast<unsigned char>(bytes[0])) * 7 : 0;
    for (qsizetype characters :
        { chosen, qsizetype(1), qsizetype(2), qsizetype(749), qsizetype(750), qsizetype(1500) }) {
        QString text;
        FUZZ_CHECK(
            modProgramVars::ReadFieldPrefix(path, CodeRecord::Comments, characters, &text, &error));
        FUZZ_CHECK(text == record.field(CodeRecord::Comments).left(characters));
        QString textAt;
        FUZZ_CHECK(modProgramVars::ReadFieldPrefixAt(
            handle.fd(), "f.cod", CodeRecord::Comments, characters, &textAt, &error));
        FUZZ_CHECK(textAt == text);
    }

    FileList list;
    FUZZ_CHECK(list.setFolder(folder) && list.count() == 1);
    const LibraryScan scan = LibraryScan::read(list);
    FUZZ_CHECK(scan.skipped.isEmpty() && scan.codes.size() == 1);
    const CodeHead &head = scan.codes.first();
    FUZZ_CHECK(scan.name(head) == trimmedSpaces(record.field(CodeRecord::Name)));
    const QString category = trimmedSpaces(record.field(CodeRecord::Category));
    if (head.category >= 0) {
        FUZZ_CHECK(Categories::treeOrder().at(head.category) == category);
    } else {
        FUZZ_CHECK(!Categories::contains(category));
        FUZZ_CHECK(scan.otherCategories.value(head.entry) == category);
    }
    return 0;
}
