#pragma once
// Integer rounding rules used throughout the program.
//
// Rounding of a floating-point value to an integer is to the nearest, ties to the
// even neighbour (the FPU default); truncation is toward zero; MulDiv is the
// rounding integer operation a * b / c.

#include <cmath>
#include <cstdint>

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline std::int32_t RoundEven(double v) {
    return static_cast<std::int32_t>(std::nearbyint(v));
}

// a * b / c with a 64-bit intermediate, rounded half away from zero like the
// Windows function; answers -1 when c is 0.
inline std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0)
        return -1;
    std::int64_t p = static_cast<std::int64_t>(a) * b;
    bool neg = (p < 0) != (c < 0);
    std::int64_t ap = p < 0 ? -p : p;
    std::int64_t ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t q = (ap + ac / 2) / ac;
    return static_cast<std::int32_t>(neg ? -q : q);
}
