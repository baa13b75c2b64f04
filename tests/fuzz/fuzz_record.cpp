// libFuzzer target: any bytes as the content of a code file, as a file
// name, as a text file to import and as a JSON archive. A record saves and
// reads back unchanged; a file name decodes without loss; a text file gives
// a code or a refusal; a lossless record comes back from an archive.
#include "CodePage936.h"
#include "CodeRecord.h"
#include "FileList.h"
#include "JsonArchive.h"
#include "TextImport.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <cstdio>

// A property that must hold for any bytes: a broken one aborts, which both
// libFuzzer and CTest report.
#define FUZZ_CHECK(condition)                                                                      \
    if (!(condition))                                                                              \
    qFatal("line %d: property does not hold: %s", __LINE__, #condition)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const CodeRecord record = CodeRecord::fromBytes(bytes, qsizetype(size));
    // Only U+FFFD, standing for bytes that were not code page 936, cannot be
    // saved; with it replaced, the rest saves and reads back unchanged.
    CodeRecord cleaned;
    bool saveable = true;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        const auto field = CodeRecord::Field(f);
        FUZZ_CHECK(record.field(field).size() == CodeRecord::width(field));
        saveable = saveable && !record.field(field).contains(QChar::ReplacementCharacter);
        cleaned.setField(
            field, QString(record.field(field)).replace(QChar::ReplacementCharacter, u'?'));
    }
    QByteArray saved;
    QString error;
    FUZZ_CHECK(record.toBytes(&saved, &error) == saveable);
    FUZZ_CHECK(cleaned.toBytes(&saved, &error) && saved.size() == CodeRecord::RecordSize);
    const CodeRecord back = CodeRecord::fromBytes(saved.constData(), saved.size());
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        FUZZ_CHECK(back.field(CodeRecord::Field(f)) == cleaned.field(CodeRecord::Field(f)));

    // A file name keeps UTF-8 exactly and is read as code page 936 otherwise.
    const QByteArray name(bytes, qsizetype(size));
    const QString decoded = FileList::decodeFileName(name);
    FUZZ_CHECK(decoded.toUtf8() == name || decoded == CodePage936::decode(name));

    // Any bytes give a code or a refusal with its reason.
    ImportedText text;
    error.clear();
    const bool imported = TextImport::fromBytes(QStringLiteral("f.asm"), name, &text, &error);
    FUZZ_CHECK(imported == error.isEmpty());

    // Lossless is what saves back to the same bytes; those come back from an
    // archive under the same name.
    const bool lossless = JsonArchive::isLossless(bytes, qsizetype(size));
    FUZZ_CHECK(lossless == (record.toBytes(&saved, &error) && saved == name));
    QByteArray json;
    QBuffer device(&json);
    device.open(QIODevice::WriteOnly);
    JsonArchive::Writer writer(&device);
    FUZZ_CHECK(writer.add(name, name).isEmpty() == lossless && writer.finish());
    QVector<JsonArchive::ArchivedCode> codes;
    FUZZ_CHECK(JsonArchive::read(json, &codes, &error) && codes.size() == 1);
    FUZZ_CHECK(codes[0].fileName == name && (!lossless || codes[0].record.toBytes(&saved, &error)));
    FUZZ_CHECK(!lossless || saved == name);
    JsonArchive::read(name, &codes, &error); // never a crash
    return 0;
}

#ifndef QUILLBANK_FUZZ
// Without libFuzzer: replays every file under the folder given.
int main(int, char **argv)
{
    int count = 0;
    for (QDirIterator it(argv[1], QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext(); ++count) {
        QFile in(it.next());
        const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        LLVMFuzzerTestOneInput(
            reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1; // a corpus that went missing must not pass
}
#endif
