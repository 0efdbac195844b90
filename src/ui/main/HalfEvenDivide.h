#pragma once
// Exact integer division rounded to the nearest whole number, a half going to the even
// neighbour: the rounding the progress display and the scroll mapping use. Products of two
// 64-bit values are formed in 128 bits, so nothing overflows on the way.

#include <cstdint>
#include <optional>

__extension__ typedef __int128 WideInt;

// numerator / denominator rounded half to even; nothing for a zero denominator or a result
// outside the 64-bit range.
inline std::optional<int64_t> DivideRoundHalfEven(WideInt numerator, WideInt denominator) {
    if (denominator == 0) return std::nullopt;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    WideInt quotient = numerator / denominator;
    WideInt remainder = numerator % denominator;
    if (remainder < 0) {  // floor division
        quotient -= 1;
        remainder += denominator;
    }
    const WideInt twice = remainder * 2;
    if (twice > denominator || (twice == denominator && (quotient % 2) != 0)) quotient += 1;
    if (quotient > INT64_MAX || quotient < INT64_MIN) return std::nullopt;
    return static_cast<int64_t>(quotient);
}
