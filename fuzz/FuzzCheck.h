#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run with a stack, like a sanitizer
// report, so that libFuzzer saves the input; assert() would vanish under
// NDEBUG.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
