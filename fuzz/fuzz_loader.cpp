// The loader on raw bytes, against a plain reading of its rules: one string per line and per
// field, columns cleaned from the last to the first. The table, the column count, the debug
// listing and the reason of a failed load must all agree.

#include "fuzz_check.h"
#include "table/numeric_code.h"
#include "table/table_loader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Row = std::vector<std::string>;

struct Expected {
    std::string listing;
    std::optional<arb::LoadFailure> failure;
    std::vector<Row> rows;
    std::size_t columnCount = 0;
};

Expected ReferenceLoad(std::string_view bytes) {
    Expected expected;
    std::string text(bytes.substr(0, bytes.find('\0')));
    if (bytes.find('\t') == std::string_view::npos) // a TAB after a byte 0 counts too
        std::replace(text.begin(), text.end(), ',', '\t');

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.push_back(text.substr(i, end - i));
        i = end;
        if (i < text.size() && text[i] == '\r')
            ++i;
        if (i < text.size() && text[i] == '\n')
            ++i;
    }
    for (const std::string& line : lines)
        expected.listing += line + "\r\n";
    if (lines.empty()) {
        expected.failure = arb::LoadFailure::Empty;
        return expected;
    }

    for (const std::string& line : lines) {
        Row row(1);
        for (char c : line) {
            if (c == '\t')
                row.emplace_back();
            else
                row.back() += c;
        }
        expected.columnCount = std::max(expected.columnCount, row.size());
        expected.rows.push_back(row);
    }
    for (std::size_t column = expected.columnCount; column-- > 0;) {
        bool hasNumber = false;
        for (Row& row : expected.rows) {
            if (row.size() <= column || row[column].empty())
                continue;
            std::size_t code = 0;
            try {
                arb::NumericCode(row[column], code);
            } catch (const arb::FloatingPointOverflow&) {
                expected.failure = arb::LoadFailure::ValueOverflow;
                return expected;
            }
            if (code == 0) {
                hasNumber = true;
                break;
            }
            row[column].clear();
        }
        if (!hasNumber) {
            --expected.columnCount;
            for (Row& row : expected.rows)
                if (row.size() > column)
                    row.erase(row.begin() + static_cast<std::ptrdiff_t>(column));
        }
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Expected expected = ReferenceLoad(bytes);

    std::optional<std::string> listing;
    try {
        const arb::LoadedTable table = arb::LoadTableFromText(
            std::string(bytes), "fuzz.tsv", [&](std::string&& text) { listing = std::move(text); });
        FUZZ_CHECK(!expected.failure);
        FUZZ_CHECK(table.columnCount == expected.columnCount);
        FUZZ_CHECK(table.rows.size() == expected.rows.size());
        std::vector<std::string_view> fields;
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            table.rows.fieldsOf(r, fields);
            FUZZ_CHECK(table.rows.fieldCount(r) == fields.size());
            FUZZ_CHECK(fields.size() <= table.columnCount);
            FUZZ_CHECK(std::equal(fields.begin(), fields.end(), expected.rows[r].begin(),
                                  expected.rows[r].end()));
            std::string joined;
            for (std::string_view field : fields)
                (joined += field) += "\r\n";
            FUZZ_CHECK(table.rows.joinedRow(r) == joined);
        }
    } catch (const arb::LoadError& e) {
        FUZZ_CHECK(expected.failure == e.failure());
    }
    FUZZ_CHECK(listing == expected.listing);
    return 0;
}
