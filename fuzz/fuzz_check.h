// What the fuzz targets use to stop on a broken promise: a message naming
// the check, then a trap, which libFuzzer reports as a crash (with the input
// saved) and which fails a replay run.
#pragma once

#include <cstdio>

#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);      \
            __builtin_trap();                                                                        \
        }                                                                                            \
    } while (0)
