#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant stops the fuzzer as a crash would, so that libFuzzer keeps the input.
// The message comes first: a trap alone would say nothing about what went wrong.
#define FUZZ_CHECK(condition, ...)                                                  \
    do                                                                              \
    {                                                                               \
        if (!(condition))                                                           \
        {                                                                           \
            std::fprintf(stderr, "\nInvariant broken at %s:%d: ", __FILE__, __LINE__); \
            std::fprintf(stderr, __VA_ARGS__);                                      \
            std::fprintf(stderr, "\n");                                             \
            std::fflush(stderr);                                                    \
            __builtin_trap();                                                       \
        }                                                                           \
    } while (false)
