// A double becomes an integer by truncation toward zero, as the x86 conversion
// does it. Host variables are outside input, so every double is accepted: NaN,
// infinities and values beyond the int32 range give 0x80000000, the conversion's
// "integer indefinite" result, instead of undefined behaviour.
#pragma once

#include <cstdint>

constexpr int32_t truncToInt(double value) {
    // The comparisons are false for NaN, so NaN takes the indefinite result too.
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return INT32_MIN;
}
