// libFuzzer target: any bytes as the content of a code file.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzChecks::checkRecord(data, size);
    return 0;
}
