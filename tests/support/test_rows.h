#pragma once

#include "table/row_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace arb::test {

// A row store from text: lines end in '\n', fields are separated by TAB. An empty line is a row
// with one empty field, as the loader makes it.
RowStore RowsFromText(std::string_view text);

// The voltage, written exactly, that a "0-5V" channel turns into `code` (code * 5 / 65536 V).
std::string VoltsForCode(std::uint16_t code);

} // namespace arb::test
