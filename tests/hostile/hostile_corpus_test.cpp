// Every hostile file goes through the loader and, where it loads, through the sample conversion,
// and must end in its expected outcome: a table of the given rows and columns, a failed load with
// its reason, or a conversion error with its text. Never a crash, a hang or a read past a buffer.

#include "hostile_files.h"
#include "output/sample_conversion.h"
#include "table/load_summary.h"
#include "table/table_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <vector>

namespace arb {
namespace {

using test::HostileDir;

struct Expected {
    // A failed load: why, and the sentence after "Cannot load '<path>': ".
    std::optional<LoadFailure> failure;
    std::string reason;
    // A loaded table: its summary line, column count and first rows (each as joined text).
    std::string summary;
    std::size_t columnCount = 0;
    std::vector<std::string> firstRows;
    // Its conversion on "±10V" with one channel per column (1 to 16): the error text, or the
    // first and the last codes of the buffer.
    std::string conversionError;
    std::vector<std::uint16_t> firstCodes, lastCodes;

    Expected converts(std::vector<std::uint16_t> first, std::vector<std::uint16_t> last = {}) && {
        firstCodes = std::move(first);
        lastCodes = std::move(last);
        return std::move(*this);
    }
    Expected failsToConvert(std::string text) && {
        conversionError = std::move(text);
        return std::move(*this);
    }
};

Expected Fails(LoadFailure failure, std::string reason) {
    Expected expected;
    expected.failure = failure;
    expected.reason = std::move(reason);
    return expected;
}

Expected Loads(std::string summary, std::size_t columnCount,
               std::vector<std::string> firstRows = {}) {
    Expected expected;
    expected.summary = std::move(summary);
    expected.columnCount = columnCount;
    expected.firstRows = std::move(firstRows);
    return expected;
}

struct HostileFile {
    std::string name; // under corpus/, or the name of a file the test makes
    std::function<std::string(const HostileDir&)> make; // gives the made path; none: committed
    Expected expected;
    bool asNobody = false; // load with permissions applied, as a user would
};

const std::string kNoLine = "the file holds no line (it is empty or begins with a zero byte).";
const std::string kNotRegular = "it is not a regular file.";

std::string TooLarge(std::string_view number, int line, int column) {
    return "the number '" + std::string(number) + "' in line " + std::to_string(line) +
           ", column " + std::to_string(column) + " is too large for a double.";
}

std::string NotAValue(std::string_view cell) {
    return "'" + std::string(cell) + "' is not a valid floating point value";
}

// Codes on a "±10V" channel.
constexpr std::uint16_t kZero = 0x8000, kPlus1 = 0x8CCD, kMinus1 = 0x7333, kPlus2 = 0x999A,
                        kMinus2 = 0x6666, kPlus3 = 0xA666, kFull = 0xFFFF;

std::vector<HostileFile> Corpus() {
    const std::string digits5000 = "1" + std::string(4999, '0');
    std::vector<HostileFile> files = {
        {"empty.tsv", {}, Fails(LoadFailure::Empty, kNoLine)},
        {"zero_first.tsv", {}, Fails(LoadFailure::Empty, kNoLine)},
        {"zero_mid_line.tsv",
         {},
         Loads("zero_mid_line.tsv - 3 Rows, 2 Cols", 2, {"\r\n\r\n", "0.5\r\n-2\r\n", "1.5\r\n"})
             .converts({kZero, kZero, 0x8666, kMinus2, 0x9333, kMinus2})},
        // Binary files end at their first byte 0; their text cells hold no number.
        {"png_header.png",
         {},
         Loads("png_header.png - 2 Rows, 0 Cols", 0, {"", ""}).converts({kZero, kZero})},
        {"elf_header.bin", {}, Loads("elf_header.bin - 1 Rows, 0 Cols", 0, {""}).converts({kZero})},
        // UTF-16 is not decoded: the text ends at its first byte 0, right after the mark and at
        // most one character, so one row without numbers.
        {"utf16le.tsv", {}, Loads("utf16le.tsv - 1 Rows, 0 Cols", 0, {""}).converts({kZero})},
        {"utf16be.tsv", {}, Loads("utf16be.tsv - 1 Rows, 0 Cols", 0, {""}).converts({kZero})},
        // A UTF-8 byte-order mark belongs to the first cell: a header cell stays text, and a
        // number behind it is no number and is blanked above the column's first number.
        {"utf8_bom_header.csv",
         {},
         Loads("utf8_bom_header.csv - 3 Rows, 2 Cols", 2, {"\r\n\r\n", "0\r\n1\r\n", "1\r\n-1\r\n"})
             .converts({kZero, kZero, kZero, kPlus1, kPlus1, kMinus1})},
        {"utf8_bom_number.tsv",
         {},
         Loads("utf8_bom_number.tsv - 2 Rows, 2 Cols", 2, {"\r\n1\r\n", "2\r\n-1\r\n"})
             .converts({kZero, kPlus1, kPlus2, kMinus1})},
        {"cr_only.tsv",
         {},
         Loads("cr_only.tsv - 2 Rows, 2 Cols", 2, {"1\r\n-1\r\n", "2\r\n-2\r\n"})
             .converts({kPlus1, kMinus1, kPlus2, kMinus2})},
        {"lf_cr.tsv",
         {},
         Loads("lf_cr.tsv - 4 Rows, 2 Cols", 2, {"0\r\n1\r\n", "\r\n", "2\r\n3\r\n", "\r\n"})
             .converts({kZero, kPlus1, kZero, kPlus1, kPlus2, kPlus3, kPlus2, kPlus3})},
        // Below a column's first number cells are not tested, so 1e400 loads and fails only when
        // converted; 1e-400 is merely 0 V.
        {"tiny_and_huge_below.tsv",
         {},
         Loads("tiny_and_huge_below.tsv - 2 Rows, 2 Cols", 2, {"1\r\n1\r\n", "1e-400\r\n1e400\r\n"})
             .failsToConvert("Floating point overflow")},
        {"overflow_first.tsv", {}, Fails(LoadFailure::ValueOverflow, TooLarge("1e400", 1, 2))},
        {"exponent_20_digits.tsv",
         {},
         Fails(LoadFailure::ValueOverflow, TooLarge("1e12345678901234567890", 1, 1))},
        // A number of value 0 to the loader; its exponent has too many digits to convert.
        {"exponent_20_digits_negative.tsv",
         {},
         Loads("exponent_20_digits_negative.tsv - 1 Rows, 1 Cols", 1,
               {"1e-12345678901234567890\r\n"})
             .failsToConvert(NotAValue("1e-12345678901234567890"))},
        {"exponent_leading_zeros.tsv",
         {},
         Loads("exponent_leading_zeros.tsv - 1 Rows, 1 Cols", 1, {"1e00000000000000000001\r\n"})
             .converts({kFull})},
        {"mantissa_5000_digits.tsv",
         {},
         Fails(LoadFailure::ValueOverflow, TooLarge(digits5000.substr(0, 40) + "...", 1, 1))},
        // 10^4999 lies beyond even the extended range of the conversion, 10^3999 does not.
        {"mantissa_5000_digits_below.tsv",
         {},
         Loads("mantissa_5000_digits_below.tsv - 2 Rows, 1 Cols", 1, {"0\r\n", digits5000 + "\r\n"})
             .failsToConvert(NotAValue(digits5000))},
        {"mantissa_4000_digits_below.tsv",
         {},
         Loads("mantissa_4000_digits_below.tsv - 2 Rows, 1 Cols", 1)
             .failsToConvert("Floating point overflow")},
        {"fraction_5000_digits.tsv",
         {},
         Loads("fraction_5000_digits.tsv - 1 Rows, 1 Cols", 1).converts({kZero})},
    };

    // Paths that are no regular file, or that cannot be reached.
    auto made = [&](std::string name, std::function<std::string(const HostileDir&)> make,
                    Expected expected, bool asNobody = false) {
        files.push_back({std::move(name), std::move(make), std::move(expected), asNobody});
    };
    made(
        "folder.tsv",
        [](const HostileDir& dir) {
            std::filesystem::create_directory(dir.path("folder.tsv"));
            return dir.path("folder.tsv");
        },
        Fails(LoadFailure::NotAFile, "it is a folder, not a file."));
    made(
        "socket.tsv",
        [](const HostileDir& dir) {
            const std::string path = dir.path("socket.tsv");
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            path.copy(address.sun_path, sizeof address.sun_path - 1);
            const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
            EXPECT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
            ::close(s); // the socket file stays
            return path;
        },
        Fails(LoadFailure::NotAFile, kNotRegular));
    made(
        "/dev/zero", [](const HostileDir&) { return std::string("/dev/zero"); },
        Fails(LoadFailure::NotAFile, kNotRegular));
    made(
        "loop.tsv",
        [](const HostileDir& dir) {
            std::filesystem::create_symlink("loop.tsv", dir.path("loop.tsv"));
            return dir.path("loop.tsv");
        },
        Fails(LoadFailure::Unreadable,
              "the file cannot be examined (Too many levels of symbolic links)."));
    made(
        "data.tsv/", [](const HostileDir& dir) { return dir.write("data.tsv", "1\n") + "/"; },
        Fails(LoadFailure::Missing, "the file does not exist."));
    made(
        "locked/data.tsv",
        [](const HostileDir& dir) {
            std::filesystem::create_directory(dir.path("locked"));
            const std::string path = dir.write("locked/data.tsv", "1\t2\n");
            std::filesystem::permissions(dir.path("locked"), std::filesystem::perms::none);
            return path;
        },
        Fails(LoadFailure::Unreadable, "the file cannot be examined (Permission denied)."), true);
    // A kernel file whose size reads 0 although it has text: what the size promised is read.
    made(
        "/proc/self/status", [](const HostileDir&) { return std::string("/proc/self/status"); },
        Fails(LoadFailure::Empty, kNoLine));

    // Big files, made by the test.
    made(
        "number_line_100MB.tsv",
        [](const HostileDir& dir) {
            return dir.write("number_line_100MB.tsv",
                             "0." + std::string(100u << 20, '0') + "1\r\n");
        },
        Loads("number_line_100MB.tsv - 1 Rows, 1 Cols", 1).converts({kZero}));
    made(
        "columns_100000.csv",
        [](const HostileDir& dir) {
            std::string header, numbers;
            for (int c = 0; c < 100'000; ++c) {
                const char* comma = c + 1 < 100'000 ? "," : "\n";
                header += "c" + std::to_string(c) + comma;
                numbers += std::to_string(c % 4) + comma;
            }
            return dir.write("columns_100000.csv", header + numbers);
        },
        Loads("columns_100000.csv - 2 Rows, 100000 Cols", 100'000)
            .converts(std::vector<std::uint16_t>(16, kZero),
                      {kZero, kPlus1, kPlus2, kPlus3, kZero, kPlus1, kPlus2, kPlus3, kZero, kPlus1,
                       kPlus2, kPlus3, kZero, kPlus1, kPlus2, kPlus3}));
    made(
        "empty_lines_10M.tsv",
        [](const HostileDir& dir) {
            return dir.write("empty_lines_10M.tsv", std::string(10'000'000, '\n') + "1\n");
        },
        Loads("empty_lines_10M.tsv - 10000001 Rows, 1 Cols", 1, {"\r\n", "\r\n"})
            .converts({kZero, kZero}, {kZero, kPlus1}));
    return files;
}

std::vector<std::string> FirstRows(const RowStore& rows, std::size_t count) {
    std::vector<std::string> joined;
    for (std::size_t r = 0; r < std::min(count, rows.size()); ++r)
        joined.push_back(rows.joinedRow(r));
    return joined;
}

void CheckConversion(const LoadedTable& table, const Expected& expected) {
    const int channels = static_cast<int>(std::clamp<std::size_t>(table.columnCount, 1, 16));
    const std::vector<BoardRange> ranges(static_cast<std::size_t>(channels), 3);
    try {
        const ConvertedTable converted = BuildSampleBuffer({table.rows, channels, 3, ranges, '.'});
        EXPECT_EQ(expected.conversionError, "");
        const TSampleBuffer& codes = converted.samples;
        ASSERT_EQ(codes.size(), table.rows.size() * static_cast<std::size_t>(channels));
        ASSERT_GE(codes.size(), expected.firstCodes.size());
        ASSERT_GE(codes.size(), expected.lastCodes.size());
        EXPECT_TRUE(
            std::equal(expected.firstCodes.begin(), expected.firstCodes.end(), codes.begin()));
        EXPECT_TRUE(
            std::equal(expected.lastCodes.rbegin(), expected.lastCodes.rend(), codes.rbegin()));
        EXPECT_EQ(converted.listing.lineCount(), table.rows.size());
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.what(), expected.conversionError);
    }
}

// The in-memory loader gives what the file loader gave for the same bytes.
void CheckSameFromText(const std::string& path, const std::optional<LoadedTable>& fromFile,
                       const std::string& fileError) {
    try {
        const LoadedTable table = LoadTableFromText(ReadFileToString(path), path);
        ASSERT_TRUE(fromFile.has_value()) << "the file failed: " << fileError;
        EXPECT_EQ(table.rows.size(), fromFile->rows.size());
        EXPECT_EQ(table.columnCount, fromFile->columnCount);
        EXPECT_EQ(FirstRows(table.rows, 4), FirstRows(fromFile->rows, 4));
    } catch (const LoadError& e) {
        EXPECT_FALSE(fromFile.has_value());
        EXPECT_EQ(e.what(), fileError);
    }
}

class HostileCorpus : public testing::Test {
  protected:
    HostileDir dir_;
};

TEST_F(HostileCorpus, EveryFileEndsInItsExpectedOutcome) {
    for (const HostileFile& file : Corpus()) {
        SCOPED_TRACE(file.name);
        const std::string path =
            file.make ? file.make(dir_) : std::string(ARB_HOSTILE_CORPUS "/") + file.name;
        const Expected& expected = file.expected;

        std::optional<LoadedTable> table;
        std::string error;
        bool listed = false;
        try {
            std::optional<test::UnprivilegedFileAccess> nobody;
            if (file.asNobody) {
                nobody.emplace();
                ASSERT_TRUE(nobody->effective()) << "cannot check file access as user nobody";
            }
            // Only failed loads are asked for their listing: making it for the big files that
            // load would double their time.
            FileListingSink sink;
            if (expected.failure)
                sink = [&](std::string&&) { listed = true; };
            table = LoadTable(path, sink);
        } catch (const LoadError& e) {
            error = e.what();
            EXPECT_EQ(e.failure(), expected.failure);
        }

        if (expected.failure) {
            EXPECT_EQ(error, "Cannot load '" + path + "': " + expected.reason);
            // A file that cannot be read is refused before anything of it is shown.
            const bool read = *expected.failure == LoadFailure::Empty ||
                              *expected.failure == LoadFailure::ValueOverflow;
            EXPECT_EQ(listed, read);
        } else {
            ASSERT_TRUE(table.has_value()) << error;
            EXPECT_EQ(LoadSummary(path, table->rows), expected.summary);
            EXPECT_EQ(table->columnCount, expected.columnCount);
            EXPECT_EQ(FirstRows(table->rows, expected.firstRows.size()), expected.firstRows);
            CheckConversion(*table, expected);
        }
        if (!file.make) // the committed files, all small
            CheckSameFromText(path, table, error);
    }
}

} // namespace
} // namespace arb
