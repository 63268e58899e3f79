#include "table/row_store.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace arb {
namespace {

using namespace std::literals;
using Views = std::vector<std::string_view>;

TEST(RowStore, GivesBackAppendedRowsFieldsAndJoinedText) {
    const std::vector<Views> rows = {{"1", "-2.5"}, {}, {""}, {"", "", "x"}, {"3"}};
    RowStore store;
    for (const Views& row : rows)
        store.appendRow(row);
    ASSERT_EQ(store.size(), rows.size());
    Views fields = {"stale"};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        store.fieldsOf(r, fields);
        EXPECT_EQ(fields, rows[r]) << "row " << r;
        EXPECT_EQ(store.fieldCount(r), rows[r].size());
        std::string joined;
        for (std::string_view f : rows[r])
            joined += std::string(f) + "\r\n";
        EXPECT_EQ(store.joinedRow(r), joined);
    }
}

TEST(RowStore, RefusesFieldsThatWouldBreakTheRowFormat) {
    RowStore store;
    for (std::string_view bad : {"a\tb"sv, "a\rb"sv, "a\nb"sv, "a\0b"sv})
        EXPECT_THROW(store.appendRow({"ok", bad}), std::invalid_argument);
    EXPECT_EQ(store.size(), 0u);
    EXPECT_THROW(store.fieldCount(0), std::out_of_range);
}

} // namespace
} // namespace arb
