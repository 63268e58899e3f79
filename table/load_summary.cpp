#include "load_summary.h"

namespace arb {

namespace {

#ifdef _WIN32
constexpr std::string_view kFolderSeparators = "\\:";
#else
constexpr std::string_view kFolderSeparators = "\\:/";
#endif

} // namespace

std::string LoadSummary(std::string_view path, const RowStore& rows) {
    const std::size_t lastSeparator = path.find_last_of(kFolderSeparators);
    const std::string_view name =
        lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
    const std::size_t firstRowFields = rows.size() > 0 ? rows.fieldCount(0) : 0;
    return std::string(name) + " - " + std::to_string(rows.size()) + " Rows, " +
           std::to_string(firstRowFields) + " Cols";
}

} // namespace arb
