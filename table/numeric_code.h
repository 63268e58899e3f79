#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace arb {

// Raised where a value that has the number form is too large in magnitude for a double.
class FloatingPointOverflow : public std::overflow_error {
  public:
    FloatingPointOverflow() : std::overflow_error("Floating point overflow") {}
};

// The loader's number test. `code` becomes 0 exactly when the whole of `s` is a number
// (spaces, optional sign, digits with an optional full stop, optional exponent); otherwise the
// position (from 1) of the first character that does not fit, or s.size() + 1 when `s` ends
// before the form is complete. Gives the value when `code` is 0. Throws FloatingPointOverflow.
double NumericCode(std::string_view s, std::size_t& code);

} // namespace arb
