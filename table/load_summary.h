#pragma once

#include "row_store.h"

#include <string>
#include <string_view>

namespace arb {

// "name - R Rows, C Cols": the file name without its folder, the row count, and the field count
// of the first row.
std::string LoadSummary(std::string_view path, const RowStore& rows);

} // namespace arb
