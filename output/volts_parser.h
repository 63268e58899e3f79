#pragma once

#include <cstdint>
#include <string_view>

namespace arb {

namespace detail {

// Powers of ten that a long double holds exactly (5^27 still fits in 64 bits).
inline constexpr long double kExactPow10[] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L,
};
inline constexpr std::int64_t kMaxExactPow10 = 27;

// x * 10^k for larger |k|, in a few rounded steps; infinity when beyond the extended range.
long double ScaleByLargePowerOfTen(long double x, std::int64_t k);

// Returns false for a value beyond the extended range.
bool ScaleMantissa(std::uint64_t mantissa, std::int64_t decimalExponent, long double& magnitude);

inline bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

} // namespace detail

// Reads a cell as volts: blanks, an optional sign, digits with an optional `decimalSeparator` and
// more digits (at least a digit or the separator), an optional exponent (E or e, an optional sign,
// digits; none means 0), blanks, the end. The value is built in extended precision. Returns false
// when the text has another form, when the exponent runs past 500 and still has digits, or when
// the value lies beyond the extended range. Inline: the conversion calls it for every cell.
inline bool ParseVolts(std::string_view text, char decimalSeparator, long double& value) {
    using detail::IsDigit;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ')
        ++p;

    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }

    // 19 decimal digits always fit in 64 bits; later digits only move the decimal point (the
    // first of them rounds), which keeps the mantissa within the extended format's precision.
    constexpr int kMaxMantissaDigits = 19;
    std::uint64_t mantissa = 0;
    int mantissaDigits = 0;
    bool roundUp = false;
    std::int64_t decimalExponent = 0;
    bool hasMantissa = false;
    auto takeDigit = [&](int digit, bool fractional) {
        if (mantissaDigits < kMaxMantissaDigits) {
            mantissa = mantissa * 10 + static_cast<unsigned>(digit);
            if (mantissa != 0) // leading zeros are not significant digits
                ++mantissaDigits;
            decimalExponent -= fractional;
            return;
        }
        if (mantissaDigits == kMaxMantissaDigits) {
            roundUp = digit >= 5;
            ++mantissaDigits;
        }
        decimalExponent += !fractional;
    };

    for (; p != end && IsDigit(*p); ++p) {
        takeDigit(*p - '0', false);
        hasMantissa = true;
    }
    if (p != end && *p == decimalSeparator) {
        ++p;
        hasMantissa = true; // a separator alone reads as 0
        for (; p != end && IsDigit(*p); ++p)
            takeDigit(*p - '0', true);
    }
    if (!hasMantissa)
        return false;

    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool exponentNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            exponentNegative = *p == '-';
            ++p;
        }
        int exponent = 0;
        for (; p != end && IsDigit(*p); ++p) {
            if (exponent >= 500) // no more exponent digits are read: the text does not end here
                return false;
            exponent = exponent * 10 + (*p - '0');
        }
        decimalExponent += exponentNegative ? -exponent : exponent;
    }

    while (p != end && *p == ' ')
        ++p;
    if (p != end)
        return false;

    long double magnitude = 0.0L;
    if (mantissa != 0) {
        mantissa += roundUp;
        if (decimalExponent <= 0 && decimalExponent >= -detail::kMaxExactPow10) {
            // The common case: one correctly rounded division.
            magnitude = static_cast<long double>(mantissa) / detail::kExactPow10[-decimalExponent];
        } else if (!detail::ScaleMantissa(mantissa, decimalExponent, magnitude)) {
            return false;
        }
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace arb
