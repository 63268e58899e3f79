#include "table/load_summary.h"
#include "table/table_loader.h"

#include "reference_loader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace arb {
namespace {

using namespace std::string_literals;
using Fields = std::vector<std::string>;

std::vector<Fields> FieldRows(const RowStore& rows) {
    std::vector<Fields> result;
    std::vector<std::string_view> fields;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows.fieldsOf(r, fields);
        result.emplace_back(fields.begin(), fields.end());
    }
    return result;
}

class TableLoader : public testing::Test {
  protected:
    LoadedTable load(const std::string& bytes) { return LoadTable(dir_.write("data.tsv", bytes)); }
    test::TempDir dir_;
};

TEST_F(TableLoader, CleansColumnsAndKeepsEveryLineAsARow) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<Fields> rows;
        std::size_t columnCount;
    };
    const Case cases[] = {
        {"header row becomes empty fields",
         "Ch1\tCh2\r\n1\t2\r\n3\t4\r\n",
         {{"", ""}, {"1", "2"}, {"3", "4"}},
         2},
        {"commas separate when no TAB", "a,b\n1,2\n", {{"", ""}, {"1", "2"}}, 2},
        {"with a TAB, commas are characters", "1,5\t2\n3,5\t4\n", {{"2"}, {"4"}}, 1},
        {"only text: every column removed", "time\tvolts\n", {{}}, 0},
        {"one column without separators", "x\n5\ny\n", {{""}, {"5"}, {"y"}}, 1},
        {"lines ending in TAB lose the empty column", "1\t\n2\t\n", {{"1"}, {"2"}}, 1},
        {"extra empty line adds a row", "1\n\n", {{"1"}, {""}}, 1},
        {"leading space is a number, trailing is not",
         " 1\tx \n2\t3\n",
         {{" 1", ""}, {"2", "3"}},
         2},
        {"text below the first number stays", "1\n2\nabc\n", {{"1"}, {"2"}, {"abc"}}, 1},
        {"rows of unequal length", "1\n2\t3\t4\n", {{"1"}, {"2", "3", "4"}}, 3},
        {"byte 0 ends the table", "1\t2\n3\0\t4\n5\n"s, {{"1", "2"}, {"3"}}, 2},
        {"CR-only line ends", "a\rb\r1\r", {{""}, {""}, {"1"}}, 1},
        {"LF CR gives an extra empty row", "1\n\r2\n\r", {{"1"}, {""}, {"2"}, {""}}, 1},
        {"first number at the bottom", "a\tb\nc\td\n\t5\n", {{""}, {""}, {"5"}}, 1},
        {"a TAB after byte 0 still keeps commas", "1,2\n\0\t"s, {{}}, 0},
        {"byte-order mark is part of the first cell",
         "\xEF\xBB\xBF"
         "1\t2\n",
         {{"2"}},
         1},
        {"wider rows further down",
         "x\n1\na\tb\tc\n\t2\t7\n",
         {{""}, {"1"}, {"a", "", ""}, {"", "2", "7"}},
         3},
    };
    for (const Case& c : cases) {
        const LoadedTable table = load(c.file);
        EXPECT_EQ(FieldRows(table.rows), c.rows) << c.what;
        EXPECT_EQ(table.columnCount, c.columnCount) << c.what;
    }
}

TEST_F(TableLoader, ListsTheLinesAfterCommaReplacementUpToByteZero) {
    std::string listing = "not called";
    LoadTable(dir_.write("data.csv", "a,b\r1,2\0junk\n"s),
              [&](std::string&& text) { listing = std::move(text); });
    EXPECT_EQ(listing, "a\tb\r\n1\t2\r\n");
}

// The fast loader against the rules followed step by step, on many small generated files.
TEST_F(TableLoader, AgreesWithStepByStepReferenceOnGeneratedFiles) {
    const std::string tokens[] = {"1", "-2.5", "x",   "Ch 1", " 3", "3 ",    "1e5",
                                  ".", "e",    "7,5", "\t",   "\t", "\t",    ",",
                                  ",", "\r\n", "\n",  "\r",   "",   "1e400", "\0"s};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(tokens) - 1), length(0, 24);
    for (int file = 0; file < 1500; ++file) {
        std::string bytes;
        for (std::size_t n = length(random); n > 0; --n) {
            const std::string& token = tokens[pick(random)];
            // Overflowing values and byte 0 only now and then, so most files load.
            if ((token == "1e400" || token == "\0"s) && random() % 4 != 0)
                continue;
            bytes += token;
        }
        SCOPED_TRACE(testing::PrintToString(bytes));
        std::string listing = "not called";
        const auto sink = [&](std::string&& text) { listing = std::move(text); };
        const std::string path = dir_.write("generated.tsv", bytes);

        test::ReferenceTable expected;
        try {
            expected = test::ReferenceLoad(bytes);
        } catch (const FloatingPointOverflow&) {
            try {
                LoadTable(path, sink);
                ADD_FAILURE() << "loaded despite an overflowing value";
            } catch (const LoadError& e) {
                EXPECT_EQ(e.failure(), LoadFailure::ValueOverflow);
            }
            continue;
        }
        if (expected.rows.empty()) {
            EXPECT_THROW(LoadTable(path, sink), LoadError);
            EXPECT_EQ(listing, "");
            continue;
        }
        const LoadedTable table = LoadTable(path, sink);
        EXPECT_EQ(listing, expected.listing);
        EXPECT_EQ(test::JoinedRows(table.rows), expected.rows);
        EXPECT_EQ(table.columnCount, expected.columnCount);
    }
}

TEST_F(TableLoader, StoreCostsAtMostTwiceTheFileSize) {
    std::string bytes;
    for (int c = 1; c <= 16; ++c)
        bytes += "Ch" + std::to_string(c) + (c < 16 ? "\t" : "\r\n");
    for (int r = 0; r < 20000; ++r)
        for (int c = 0; c < 16; ++c)
            bytes += std::to_string(r % 997 * 0.01 - c) + (c < 15 ? "\t" : "\r\n");
    const LoadedTable table = load(bytes);
    ASSERT_EQ(table.rows.size(), 20001u);
    ASSERT_EQ(table.columnCount, 16u);
    EXPECT_LE(table.rows.memoryBytes(), 2 * bytes.size());
}

TEST(LoadSummary, NamesTheFileWithRowsAndFirstRowFields) {
    RowStore rows;
    rows.appendRow({"1"});
    rows.appendRow({"1", "2", "3"});
    struct Case {
        std::string_view path, expected;
    };
    const Case cases[] = {
        {"wave.tsv", "wave.tsv - 2 Rows, 1 Cols"},
        {"C:\\data\\wave.tsv", "wave.tsv - 2 Rows, 1 Cols"},
        {"C:wave.tsv", "wave.tsv - 2 Rows, 1 Cols"},
        {"/home/u/wave.tsv", "wave.tsv - 2 Rows, 1 Cols"},
        {"a:b/c\\wave.tsv", "wave.tsv - 2 Rows, 1 Cols"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadSummary(c.path, rows), c.expected);
}

TEST_F(TableLoader, SummaryCountsHeaderRowAndFirstRowFields) {
    const std::string path = dir_.write("ramp.csv", "t\n1\n2,3,4\n\n");
    const LoadedTable table = LoadTable(path);
    EXPECT_EQ(LoadSummary(path, table.rows), "ramp.csv - 4 Rows, 1 Cols");
    EXPECT_EQ(table.columnCount, 3u);
    const std::string textOnly = dir_.write("names.tsv", "time\tvolts\n");
    EXPECT_EQ(LoadSummary(textOnly, LoadTable(textOnly).rows), "names.tsv - 1 Rows, 0 Cols");
}

} // namespace
} // namespace arb
