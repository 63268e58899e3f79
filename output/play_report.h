#pragma once

#include <cstddef>
#include <string>

namespace arb {

// The table's length in seconds (rows / hz in extended precision), in the general form with at
// most 15 significant digits and the given decimal separator: 1, 1.5, 0.09765625.
std::string FormatSeconds(std::size_t rows, double hz, char decimalSeparator);

// "Playing <seconds>-sec file…"
std::string PlayingReport(std::size_t rows, double hz, char decimalSeparator);

} // namespace arb
