#include "volts_parser.h"

#include <cfloat>
#include <cstdint>

namespace arb {

namespace {

// Powers of ten that a long double holds exactly (5^27 still fits in 64 bits).
constexpr long double kExactPow10[] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L,
};
constexpr int kMaxExactPow10 = 27;

// 10^(16 * 2^i): with the exact powers below 16 they make up any larger power.
constexpr long double kPow10Steps[] = {1e16L,  1e32L,   1e64L,   1e128L, 1e256L,
                                       1e512L, 1e1024L, 1e2048L, 1e4096L};
constexpr int kPow10StepCount = sizeof(kPow10Steps) / sizeof(kPow10Steps[0]);

// x * 10^k for x >= 1 (a whole mantissa). Gives infinity when the result is beyond the range.
long double ScaleByPowerOfTen(long double x, std::int64_t k) {
    const bool down = k < 0;
    std::uint64_t e = down ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
    if (e <= kMaxExactPow10)
        return down ? x / kExactPow10[e] : x * kExactPow10[e]; // one rounding: the common case
    if ((e >> 4) >> kPow10StepCount != 0) // 10^8192 or more: far outside the extended range
        return down ? 0.0L : x * LDBL_MAX * 10.0L;
    x = down ? x / kExactPow10[e & 15] : x * kExactPow10[e & 15];
    e >>= 4;
    for (int i = 0; e != 0; ++i, e >>= 1) {
        if (e & 1)
            x = down ? x / kPow10Steps[i] : x * kPow10Steps[i];
    }
    return x;
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// 19 decimal digits always fit in 64 bits; later digits only move the decimal point (the first
// of them rounds), which keeps the mantissa within the extended format's precision.
constexpr int kMaxMantissaDigits = 19;

} // namespace

bool ParseVolts(std::string_view text, char decimalSeparator, long double& value) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ')
        ++p;

    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }

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
        magnitude =
            ScaleByPowerOfTen(static_cast<long double>(mantissa + roundUp), decimalExponent);
        if (!(magnitude <= LDBL_MAX))
            return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace arb
