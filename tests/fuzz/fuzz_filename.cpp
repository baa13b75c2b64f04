// libFuzzer target: any bytes as the name of a file in the library folder.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzChecks::checkFileName(data, size);
    return 0;
}
