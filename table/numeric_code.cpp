#include "numeric_code.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace arb {

namespace {

static_assert(LDBL_MAX_EXP > DBL_MAX_EXP, "the number test accumulates in extended precision");

// Digits beyond these add nothing an extended mantissa (64 bits, about 19 digits) can hold; they
// only shift the power of ten. Capping them keeps huge texts fast and free of infinities.
constexpr int kSignificantDigits = 24;
// An exponent past this makes any non-zero mantissa overflow or vanish; it stops growing here.
constexpr std::int64_t kExponentCap = 100'000;

// The smallest magnitude that no longer rounds to a finite double: DBL_MAX plus half its ulp.
const long double kDoubleOverflowAt = std::ldexp(1.0L, DBL_MAX_EXP) - std::ldexp(1.0L, 970);

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// mantissa × 10^power in extended precision, 0 for a zero mantissa whatever the power.
long double Scale(long double mantissa, std::int64_t power) {
    if (mantissa == 0)
        return 0;
    // Dividing by an exact power of ten keeps "0.1" as close as multiplying by 10^-1 cannot.
    if (power < 0)
        return mantissa / std::pow(10.0L, static_cast<long double>(-power));
    return mantissa * std::pow(10.0L, static_cast<long double>(power));
}

} // namespace

double NumericCode(std::string_view s, std::size_t& code) {
    const std::size_t n = s.size();
    std::size_t i = 0;
    // The position of the character at index i, or n + 1 at the end: where the form broke off.
    auto failAt = [&](std::size_t index) {
        code = index + 1;
        return 0.0;
    };

    while (i < n && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == n)
        return failAt(i); // blanks only, or a sign only: at least one more character is needed

    long double mantissa = 0;
    int significant = 0;
    std::int64_t power = 0; // of ten, applied to the mantissa at the end
    auto takeDigit = [&](char c, bool afterPoint) {
        if (significant < kSignificantDigits) {
            mantissa = mantissa * 10 + (c - '0');
            if (mantissa != 0)
                ++significant;
            if (afterPoint)
                --power;
        } else if (!afterPoint) {
            ++power;
        }
    };

    while (i < n && IsDigit(s[i]))
        takeDigit(s[i++], false);
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i]))
            takeDigit(s[i++], true);
    }
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            negativeExponent = s[i++] == '-';
        if (i == n)
            return failAt(i);
        if (!IsDigit(s[i]))
            return failAt(i);
        std::int64_t exponent = 0;
        for (; i < n && IsDigit(s[i]); ++i)
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (s[i] - '0');
        power += negativeExponent ? -exponent : exponent;
    }
    if (i < n)
        return failAt(i);

    code = 0;
    const long double value = Scale(mantissa, power);
    if (value >= kDoubleOverflowAt)
        throw FloatingPointOverflow();
    return static_cast<double>(negative ? -value : value);
}

} // namespace arb
