#pragma once

#include "board/dac_functions.h"

namespace arb {

// Throws std::invalid_argument when a function of the table is missing, so that a provider that
// did not bind every operation is refused before any call is made.
void RequireCompleteBoard(const DacFunctions& board);

} // namespace arb
