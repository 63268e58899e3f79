// The loader's number test: Code must be 0 exactly when the whole text has the number form, and
// otherwise the position where the form breaks off; an ordinary number must come back with its
// value, and one too large for a double must raise the overflow error.

#include "fuzz_check.h"
#include "table/numeric_code.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The number form as a state machine, written apart from the routine under test.
enum class State { Blanks, Signed, Digits, Fraction, ExponentLetter, ExponentSign, ExponentDigits };

// The state after `c`, or none when `c` cannot continue the form.
std::optional<State> Next(State state, char c) {
    const bool digit = c >= '0' && c <= '9';
    const bool sign = c == '+' || c == '-';
    const bool letter = c == 'E' || c == 'e';
    switch (state) {
    case State::Blanks:
        if (c == ' ')
            return State::Blanks;
        if (sign)
            return State::Signed;
        break;
    case State::Signed:
    case State::Digits:
        break;
    case State::Fraction:
        if (digit)
            return State::Fraction;
        if (letter)
            return State::ExponentLetter;
        return std::nullopt;
    case State::ExponentLetter:
        if (sign)
            return State::ExponentSign;
        return digit ? std::optional(State::ExponentDigits) : std::nullopt;
    case State::ExponentSign:
    case State::ExponentDigits:
        return digit ? std::optional(State::ExponentDigits) : std::nullopt;
    }
    // Blanks, Signed and Digits: the mantissa goes on or starts.
    if (digit)
        return State::Digits;
    if (c == '.')
        return State::Fraction;
    if (letter)
        return State::ExponentLetter;
    return std::nullopt;
}

bool Accepting(State state) {
    return state == State::Digits || state == State::Fraction || state == State::ExponentDigits;
}

// 0 when `s` has the form; else the position of the first character that cannot continue it, or
// the length plus 1 when the text ends too soon.
std::size_t ReferenceCode(std::string_view s) {
    State state = State::Blanks;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::optional<State> next = Next(state, s[i]);
        if (!next)
            return i + 1;
        state = *next;
    }
    return Accepting(state) ? 0 : s.size() + 1;
}

// What the number's parts say about how far its value can be trusted (beyond these limits only
// Code is fixed).
struct Parts {
    std::size_t digits = 0, fractionDigits = 0, exponentDigits = 0;
    bool hasExponent = false;
    long long exponent = 0; // valid while exponentDigits fit
};

Parts PartsOf(std::string_view s) {
    Parts parts;
    std::size_t i = s.find_first_not_of(" +-");
    bool inFraction = false;
    for (; i < s.size() && s[i] != 'E' && s[i] != 'e'; ++i) {
        if (s[i] == '.')
            inFraction = true;
        else {
            ++parts.digits;
            parts.fractionDigits += inFraction;
        }
    }
    if (i < s.size()) {
        parts.hasExponent = true;
        const std::string_view exponent = s.substr(i + 1);
        const bool negative = exponent.front() == '-';
        for (char c : exponent)
            if (c >= '0' && c <= '9' && parts.exponentDigits++ < 12)
                parts.exponent = parts.exponent * 10 + (c - '0');
        if (negative)
            parts.exponent = -parts.exponent;
    }
    return parts;
}

bool Ordinary(const Parts& parts) {
    const long long power = parts.exponent - static_cast<long long>(parts.fractionDigits);
    return parts.digits <= 1000 && parts.exponentDigits <= 9 && power > -5120 && power < 5120 &&
           !(parts.hasExponent && parts.fractionDigits > 127);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    const std::size_t expected = ReferenceCode(s);

    std::size_t code = 12345;
    double value = 0;
    bool overflow = false;
    try {
        value = arb::NumericCode(s, code);
    } catch (const arb::FloatingPointOverflow&) {
        overflow = true;
    }
    if (overflow) {
        FUZZ_CHECK(expected == 0); // only a text of the number form can overflow
        code = 0;
    }
    FUZZ_CHECK(code == expected);
    if (code != 0)
        return 0;

    const Parts parts = PartsOf(s);
    if (!overflow)
        FUZZ_CHECK(std::isfinite(value));
    if (parts.digits == 0) { // ".", "+.", "E5": the form allows a mantissa without digits
        FUZZ_CHECK(!overflow && value == 0);
        return 0;
    }
    if (!Ordinary(parts))
        return 0;

    // strtold reads every form the test accepts; it is correctly rounded in extended precision.
    const std::string text(s.substr(s.find_first_not_of(' ')));
    errno = 0;
    const long double reference = std::strtold(text.c_str(), nullptr);
    const long double magnitude = std::fabs(reference);
    const long double largest = DBL_MAX;
    if (magnitude > largest * (1 + 1e-15L)) {
        FUZZ_CHECK(overflow);
        return 0;
    }
    if (magnitude < largest * (1 - 1e-15L))
        FUZZ_CHECK(!overflow);
    if (overflow)
        return 0;
    const long double error = std::fabs(static_cast<long double>(value) - reference);
    FUZZ_CHECK(error <= magnitude * 1e-14L + 1e-320L);
    FUZZ_CHECK(std::signbit(value) == std::signbit(reference) || value == 0);
    return 0;
}
