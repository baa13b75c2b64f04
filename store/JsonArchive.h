#pragma once

#include "CodeRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>

class QIODevice;

// The whole library as one JSON document (UTF-8):
//
//   {"format":"quillbank-codes","version":1,"codes":[
//   {"file":"x.cod","name":"x","category":"其他","comments":"...",
//    "declarations":"...","code":"..."},
//   ...
//   ]}
//
// The five texts have their padding (spaces at the end) removed; line
// breaks stay CR LF. "file" is the code file's name; a name that is not
// valid UTF-8, or begins with a byte order mark, is also carried byte for
// byte in "fileBytes" (base64), which a reader takes instead. Reading back
// gives a file byte for byte the same as the one written out, with the
// same name, for every lossless file: one exactly a record long whose
// every field decodes from code page 936 and encodes back to the same
// bytes. The program's own files and those written on Windows are; a lossy
// file is still archived, with what could be read of it.
//
// read() holds every code as a CodeRecord (about 9 KB each): fine for the
// libraries people keep, heavy at 100,000 codes.
namespace JsonArchive {

struct ArchivedCode {
    QByteArray fileName; // as the file system holds it
    CodeRecord record;
    // Why the record would not be written as the archive has it (a text
    // too long for its field, characters code page 936 cannot store, a
    // file name that cannot name a file in the library folder); empty when
    // it can.
    QString problem;
};

// Whether CodeRecord::fromBytes and then toBytes give these same bytes.
bool isLossless(const char *bytes, qsizetype size);
// Why the file is not lossless, in Chinese; empty when it is.
QString lossReason(const char *bytes, qsizetype size);

// Writes the document to a device, one code at a time, in big blocks.
class Writer {
public:
    explicit Writer(QIODevice *device);
    // A document never finished is left as it is: incomplete, and refused
    // when read.
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Appends the code stored in the file `fileName` with these bytes.
    // Returns lossReason() for them: empty when the code comes back
    // unchanged.
    QString add(QByteArrayView fileName, const char *bytes, qsizetype size);
    QString add(QByteArrayView fileName, const QByteArray &bytes)
    {
        return add(fileName, bytes.constData(), bytes.size());
    }
    // Ends the document and writes what is left; false when any write
    // failed. Called once, last.
    bool finish();

private:
    // Writes the buffer to the device (which buffers) and empties it.
    void writeBuffer();

    QIODevice *m_device;
    QByteArray m_buffer;
    int m_count = 0;
    bool m_failed = false;
};

// Reads a document that Writer wrote (or one edited by hand); false, with
// a Chinese *error saying where, for malformed input.
bool read(const QByteArray &json, QVector<ArchivedCode> *codes, QString *error);

} // namespace JsonArchive
