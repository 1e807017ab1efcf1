// Small helpers shared by the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run with a message: libFuzzer reports the abort as a crash and
// saves the input.
#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                    \
            std::abort();                                                              \
        }                                                                              \
    } while (0)
