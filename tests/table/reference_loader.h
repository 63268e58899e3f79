#pragma once

// A plain loader that follows the cleaning rules step by step with the public routines: one
// string per line and per field, columns cleaned from the last to the first. The fast loader is
// checked against it.

#include "table/numeric_code.h"
#include "table/row_store.h"
#include "table/text_utils.h"

#include <algorithm>
#include <string>
#include <vector>

namespace arb::test {

struct ReferenceTable {
    std::string listing;           // JoinLines of the lines after the comma replacement
    std::vector<std::string> rows; // JoinLines of each row's cleaned fields
    std::size_t columnCount = 0;
};

// Throws FloatingPointOverflow like NumericCode.
inline ReferenceTable ReferenceLoad(std::string text) {
    if (FindCharFrom('\t', text, 1) == 0)
        text = ReplaceChar(text, ',', '\t');
    std::vector<std::string> lines;
    SplitLines(text, lines);
    ReferenceTable table;
    table.listing = JoinLines(lines);

    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        rows.push_back(*SplitString(line, '\t'));
        table.columnCount = std::max(table.columnCount, rows.back().size());
    }
    for (std::size_t column = table.columnCount; column-- > 0;) {
        bool hasNumber = false;
        for (auto& row : rows) {
            if (row.size() <= column || row[column].empty())
                continue;
            std::size_t code = 0;
            NumericCode(row[column], code);
            if (code == 0) {
                hasNumber = true;
                break;
            }
            row[column].clear();
        }
        if (!hasNumber) {
            --table.columnCount;
            for (auto& row : rows)
                if (row.size() > column)
                    row.erase(row.begin() + static_cast<std::ptrdiff_t>(column));
        }
    }
    for (const auto& row : rows)
        table.rows.push_back(JoinLines(row));
    return table;
}

inline std::vector<std::string> JoinedRows(const RowStore& rows) {
    std::vector<std::string> joined;
    for (std::size_t r = 0; r < rows.size(); ++r)
        joined.push_back(rows.joinedRow(r));
    return joined;
}

} // namespace arb::test
