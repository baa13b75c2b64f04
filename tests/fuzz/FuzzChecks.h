#pragma once

#include <cstddef>
#include <cstdint>

// Properties that must hold for any bytes, checked by the fuzz targets and
// by the replay of their corpus. A broken property prints what broke and
// aborts, which both libFuzzer and CTest report.
namespace FuzzChecks {

// The bytes as the content of a code file: every reader agrees with
// CodeRecord::fromBytes, and decoding, saving and decoding again gives the
// same texts.
void checkRecord(const uint8_t *data, size_t size);

// The bytes as a file name: FileList::decodeFileName keeps a UTF-8 name
// exactly and decodes any other as code page 936.
void checkFileName(const uint8_t *data, size_t size);

[[noreturn]] void fail(const char *file, int line, const char *condition);

} // namespace FuzzChecks

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzChecks::fail(__FILE__, __LINE__, #condition);                                      \
    } while (false)
