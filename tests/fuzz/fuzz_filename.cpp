// libFuzzer target: any bytes as a file name. FileList::decodeFileName
// keeps a UTF-8 name exactly and decodes any other as code page 936.
#include "CodePage936.h"
#include "FileList.h"
#include "FuzzChecks.h"

#include <unicode/ustring.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray name(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = FileList::decodeFileName(name);
    FUZZ_CHECK(text.isEmpty() == name.isEmpty());
    // Well-formed UTF-8, as ICU judges it.
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, name.constData(), int32_t(name.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status)) {
        // Every character kept, a leading byte order mark included.
        FUZZ_CHECK(text.toUtf8() == name);
        return 0;
    }
    FUZZ_CHECK(text == CodePage936::decode(name));
    // A name that was whole code page 936 comes back to the same text.
    if (!text.contains(QChar::ReplacementCharacter)) {
        QByteArray encoded;
        FUZZ_CHECK(CodePage936::encode(text, &encoded));
        FUZZ_CHECK(CodePage936::decode(encoded) == text);
    }
    return 0;
}
