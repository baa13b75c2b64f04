#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for any bytes, checked by the fuzz targets and
// by the replay of their corpus. A broken property prints what broke and
// aborts, which both libFuzzer and CTest report.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(                                                                          \
                stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
