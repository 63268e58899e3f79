#include "play_report.h"

#include <charconv>
#include <cmath>

namespace arb {

namespace {

constexpr int kSignificantDigits = 15;

// `value` (finite, not negative) in the general form: fixed notation from 0.0001 up to below
// 10^15, else d.dddE<exponent>; at most 15 significant digits and no trailing zeros.
std::string FormatGeneral(long double value, char decimalSeparator) {
    if (value == 0)
        return "0";
    char scientific[64];
    const auto written = std::to_chars(scientific, scientific + sizeof scientific, value,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    // written is "d.ddddddddddddddde[+-]xx": 15 digits, then the exponent after rounding.
    std::string digits;
    const char* p = scientific;
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            digits += *p;
    }
    int exponent = 0;
    const char* exponentDigits = p + 2; // after 'e' and its sign
    std::from_chars(exponentDigits, written.ptr, exponent);
    if (p[1] == '-')
        exponent = -exponent;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int digitCount = static_cast<int>(digits.size());

    std::string text;
    if (exponent < -4 || exponent >= kSignificantDigits) {
        text = digits.substr(0, 1);
        if (digitCount > 1)
            text += decimalSeparator + digits.substr(1);
        text += 'E' + std::to_string(exponent);
    } else if (exponent < 0) {
        text = std::string("0") + decimalSeparator + std::string(-exponent - 1, '0') + digits;
    } else if (digitCount <= exponent + 1) {
        text = digits + std::string(exponent + 1 - digitCount, '0');
    } else {
        text = digits.substr(0, exponent + 1) + decimalSeparator + digits.substr(exponent + 1);
    }
    return text;
}

} // namespace

std::string FormatSeconds(std::size_t rows, double hz, char decimalSeparator) {
    // A rate of 0, a negative or a NaN rate has no meaningful length; never a run's case, since a
    // run takes its rate from the slider. Checked before dividing, so 0 is never a divisor.
    if (!(hz > 0))
        return "?";
    const long double seconds = static_cast<long double>(rows) / hz;
    if (!std::isfinite(seconds))
        return "?";
    return FormatGeneral(seconds, decimalSeparator);
}

std::string PlayingReport(std::size_t rows, double hz, char decimalSeparator) {
    return "Playing " + FormatSeconds(rows, hz, decimalSeparator) + "-sec file\u2026";
}

} // namespace arb
