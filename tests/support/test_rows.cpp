#include "test_rows.h"

#include <charconv>
#include <vector>

namespace arb::test {

RowStore RowsFromText(std::string_view text) {
    RowStore rows;
    std::vector<std::string_view> fields;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text = lineEnd == std::string_view::npos ? std::string_view{} : text.substr(lineEnd + 1);
        fields.clear();
        for (;;) {
            const std::size_t tab = line.find('\t');
            fields.push_back(line.substr(0, tab));
            if (tab == std::string_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
        rows.appendRow(fields);
    }
    return rows;
}

std::string VoltsForCode(std::uint16_t code) {
    char text[32];
    // code * 5 / 65536 has at most 16 decimals, so this is the exact value.
    const auto written =
        std::to_chars(text, text + sizeof text, code * 5.0 / 65536.0, std::chars_format::fixed, 16);
    return std::string(text, written.ptr);
}

} // namespace arb::test
