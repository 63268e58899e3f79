#pragma once

#include <string_view>

namespace arb {

// Reads a cell as volts: blanks, an optional sign, digits with an optional `decimalSeparator` and
// more digits (at least a digit or the separator), an optional exponent (E or e, an optional sign,
// digits; none means 0), blanks, the end. The value is built in extended precision. Returns false
// when the text has another form, when the exponent runs past 500 and still has digits, or when
// the value lies beyond the extended range.
bool ParseVolts(std::string_view text, char decimalSeparator, long double& value);

} // namespace arb
