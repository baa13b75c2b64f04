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

// The one file that the readers read, in a folder of its own.
const QTemporaryDir &scratch()
{
    static const QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid());
    return folder;
}

bool sameTexts(const CodeRecord &a, const CodeRecord &b)
{
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        if (a.field(CodeRecord::Field(f)) != b.field(CodeRecord::Field(f)))
            return false;
    }
    return true;
}

// Saving a decoded record and decoding it again gives the same texts. Only
// U+FFFD, which stands for bytes that were not code page 936, cannot be
// saved; with it replaced, the rest can.
void checkSavedAgain(const CodeRecord &record)
{
    QByteArray bytes;
    QString error;
    if (record.toBytes(&bytes, &error)) {
        FUZZ_CHECK(bytes.size() == CodeRecord::RecordSize);
        FUZZ_CHECK(sameTexts(CodeRecord::fromBytes(bytes.constData(), bytes.size()), record));
        return;
    }
    FUZZ_CHECK(error.contains(QChar::ReplacementCharacter));
    CodeRecord cleaned;
    bool replaced = false;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        QString text = record.field(CodeRecord::Field(f));
        replaced = replaced || text.contains(QChar::ReplacementCharacter);
        cleaned.setField(CodeRecord::Field(f), text.replace(QChar::ReplacementCharacter, u'?'));
    }
    FUZZ_CHECK(replaced);
    FUZZ_CHECK(cleaned.toBytes(&bytes, &error));
    FUZZ_CHECK(sameTexts(CodeRecord::fromBytes(bytes.constData(), bytes.size()), cleaned));
}

// The viewer's, Find's and start-up's reads of the file agree with the
// record decoded from its bytes.
void checkFileReaders(const char *data, size_t size, const CodeRecord &record)
{
    const QString folder = scratch().path();
    QFile file(scratch().filePath(QStringLiteral("f.cod")));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(data, qint64(size)) == qint64(size));
    file.close();
    const QByteArray path = QFile::encodeName(file.fileName());
    QString error;
    CodeRecord read;
    FUZZ_CHECK(modProgramVars::ReadCodeRecord(path, &read, &error));
    FUZZ_CHECK(sameTexts(read, record));

    const FolderHandle handle(folder);
    const qsizetype chosen = size > 0 ? qsizetype(static_cast<unsigned char>(data[0])) * 7 : 0;
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
    FUZZ_CHECK(sameTexts(CodeRecord::fromBytes(whole.constData(), whole.size()), record));

    checkSavedAgain(record);
    checkFileReaders(bytes, size, record);
    return 0;
}
