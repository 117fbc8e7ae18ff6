// Sets flush-to-zero and denormals-are-zero in the SSE control register for the lifetime of
// the object and restores the caller's setting afterwards. Subnormal numbers cost up to a
// hundred times more per operation; a decaying reverb tail would otherwise pass through them.
#pragma once

#if defined(__x86_64__) || defined(_M_X64) || defined(__SSE2__)
#include <xmmintrin.h>
#define TESSIVANE_HAS_MXCSR 1
#else
#define TESSIVANE_HAS_MXCSR 0
#endif

class ScopedFlushDenormals {
public:
#if TESSIVANE_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000u;
    static constexpr unsigned kDenormalsAreZero = 0x0040u;

    ScopedFlushDenormals() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~ScopedFlushDenormals() { _mm_setcsr(saved); }
#else
    ScopedFlushDenormals() = default;
#endif
    ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
    ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

private:
#if TESSIVANE_HAS_MXCSR
    unsigned saved;
#endif
};
