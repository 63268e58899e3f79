#include "table/text_utils.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace arb {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(FindCharFrom, FindsFirstAtOrAfterStart) {
    struct Case {
        std::string_view s;
        std::size_t start, expected;
    };
    const Case cases[] = {
        {"a,b,c", 1, 2}, {"a,b,c", 2, 2}, {"a,b,c", 3, 4},
        {"a,b,c", 5, 0}, {"abc,", 4, 4}, // start on the last character
        {"abc,", 5, 0},                  // start past the end
        {"", 1, 0},      {"abc", 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindCharFrom(',', c.s, c.start), c.expected) << c.s << " from " << c.start;
}

TEST(ReplaceChar, ReplacesEveryOccurrenceAndKeepsLength) {
    EXPECT_EQ(ReplaceChar("1,2,,3,", ',', '\t'), "1\t2\t\t3\t");
    EXPECT_EQ(ReplaceChar("", ',', '\t'), "");
    EXPECT_EQ(ReplaceChar("a\0,b"s, ',', '\t'), "a\0\tb"s); // byte 0 is an ordinary character
}

TEST(SplitString, GivesOneFieldMoreThanDelimiters) {
    struct Case {
        std::string_view s;
        Lines expected;
    };
    const Case cases[] = {
        {"", {""}},         {"abc", {"abc"}}, {"a\tb", {"a", "b"}},     {"a\t\tb", {"a", "", "b"}},
        {"a\t", {"a", ""}}, {"\t", {"", ""}}, {"1,5\t2", {"1,5", "2"}},
    };
    for (const Case& c : cases) {
        const auto fields = SplitString(c.s, '\t');
        ASSERT_TRUE(fields.has_value()) << c.s;
        EXPECT_EQ(*fields, c.expected) << c.s;
    }
}

TEST(SplitLines, CutsAtCrLfCrOrLfAndStopsAtZeroByte) {
    struct Case {
        std::string text;
        Lines expected;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}}, // a final line end adds no line
        {"a\r\n\r\n", {"a", ""}},   // but an extra one adds an empty line
        {"a\rb\r", {"a", "b"}},     // CR alone ends lines
        {"a\nb\n", {"a", "b"}},     // LF alone ends lines
        {"a\n\rb", {"a", "", "b"}}, // LF CR is two line ends
        {"\r\n\r\n", {"", ""}},
        {"\n", {""}},
        {"a\0b\nc"s, {"a"}}, // byte 0 ends the text
        {"\0abc"s, {}},
        {"\tx\t\r\n", {"\tx\t"}}, // TAB is an ordinary character
    };
    for (const Case& c : cases) {
        Lines lines = {"stale"};
        SplitLines(c.text, lines);
        EXPECT_EQ(lines, c.expected) << testing::PrintToString(c.text);
    }
}

TEST(JoinLines, EndsEveryItemWithCrLfAndSplitsBack) {
    const Lines cases[] = {{}, {""}, {"", "", ""}, {"a"}, {"a", "", "b\tc"}};
    for (const Lines& lines : cases) {
        std::string expected;
        for (const std::string& line : lines)
            expected += line + "\r\n";
        const std::string joined = JoinLines(lines);
        EXPECT_EQ(joined, expected);
        Lines back;
        SplitLines(joined, back);
        EXPECT_EQ(back, lines);
    }
    EXPECT_EQ(JoinLines({""}), "\r\n");
}

TEST(ReadFileToString, GivesEveryByteUnchanged) {
    const test::TempDir dir;
    const std::string bytes = "\xEF\xBB\xBFh\0\r\n\xFF,\t"s;
    EXPECT_EQ(ReadFileToString(dir.write("bytes.tsv", bytes)), bytes);
    EXPECT_EQ(ReadFileToString(dir.write("empty.tsv", "")), "");
}

TEST(ReadFileToString, RefusesWhatIsNotAReadableFile) {
    const test::TempDir dir;
    const std::string fifo = dir.path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        FileReadFailure failure;
        std::string_view reason;
    };
    const Case cases[] = {
        {dir.path("missing.tsv"), FileReadFailure::Missing, "the file does not exist."},
        {dir.write("file", "x") + "/inside", FileReadFailure::Missing, "the file does not exist."},
        {dir.path(""), FileReadFailure::NotAFile, "it is a folder, not a file."},
        {fifo, FileReadFailure::NotAFile, "it is not a regular file."}, // must not hang
        {"/dev/null", FileReadFailure::NotAFile, "it is not a regular file."},
    };
    for (const Case& c : cases) {
        try {
            ReadFileToString(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const FileReadError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.path;
            EXPECT_EQ(e.reason(), c.reason) << c.path;
            EXPECT_EQ(std::string(e.what()),
                      "Cannot read '" + c.path + "': " + std::string(c.reason));
        }
    }
}

} // namespace
} // namespace arb
