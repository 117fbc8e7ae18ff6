// The pseudo-random generator of one reverb engine: a 32-bit linear congruential rule that
// yields 15-bit numbers. Each engine owns one, so instances never disturb each other's
// sequence, and a reset that reseeds it makes the same start every time.
#pragma once

#include <cstdint>

class ReverbRandom {
public:
    static constexpr int kMaxValue = 32767;

    void Seed(std::uint32_t seed) { state = seed; }

    // Next number in 0..32767.
    int Next()
    {
        state = state * 214013u + 2531011u; // modulo 2^32 by unsigned wrap-around
        return static_cast<int>((state >> 16) & 32767u);
    }

    std::uint32_t State() const { return state; }

private:
    std::uint32_t state = 1;
};
