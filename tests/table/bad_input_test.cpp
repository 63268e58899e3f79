#include "table/table_loader.h"

#include "reference_loader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged_file_access.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace arb {
namespace {

using namespace std::string_literals;

// Loads `path` expecting a failure; gives the error and whether the listing sink was called.
struct Failure {
    LoadFailure failure;
    std::string message;
    bool listed;
    std::string listing;
};

Failure LoadExpectingFailure(const std::string& path) {
    Failure result{LoadFailure::OutOfMemory, "", false, ""};
    try {
        LoadTable(path, [&](std::string&& listing) {
            result.listed = true;
            result.listing = std::move(listing);
        });
        ADD_FAILURE() << path << " loaded";
    } catch (const LoadError& e) {
        result.failure = e.failure();
        result.message = e.what();
    }
    return result;
}

class BadInput : public testing::Test {
  protected:
    test::TempDir dir_;
};

TEST_F(BadInput, FilesThatCannotBeReadAreRefusedBeforeListing) {
    const std::string fifo = dir_.path("pipe.tsv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        LoadFailure failure;
        std::string reason;
    };
    const Case cases[] = {
        {dir_.path("x.tsv"), LoadFailure::Missing, "the file does not exist."},
        {"", LoadFailure::Missing, "the file does not exist."},
        {dir_.path(""), LoadFailure::NotAFile, "it is a folder, not a file."},
        {fifo, LoadFailure::NotAFile, "it is not a regular file."},
    };
    for (const Case& c : cases) {
        const Failure f = LoadExpectingFailure(c.path);
        EXPECT_EQ(f.failure, c.failure) << c.path;
        EXPECT_EQ(f.message, "Cannot load '" + c.path + "': " + c.reason);
        EXPECT_FALSE(f.listed) << c.path;
    }
}

TEST_F(BadInput, UnreadableFileIsRefusedWithTheSystemsReason) {
    const std::string path = dir_.write("locked.tsv", "1\t2\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir_.path("").c_str(), 0755), 0); // the folder itself stays searchable
    Failure f;
    {
        const test::UnprivilegedFileAccess unprivileged;
        if (!unprivileged.effective())
            GTEST_SKIP() << "running as root without the right to change the file-system user";
        f = LoadExpectingFailure(path);
    }
    EXPECT_EQ(f.failure, LoadFailure::Unreadable);
    EXPECT_EQ(f.message,
              "Cannot load '" + path + "': the file cannot be opened (Permission denied).");
}

TEST_F(BadInput, FilesOfTwoGibibytesOrMoreAreRefusedUnread) {
    for (const off_t size : {off_t{1} << 31, (off_t{1} << 33) + 5}) {
        const std::string path = dir_.path("huge.tsv");
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0) << "sparse file of " << size << " bytes";
        ::close(fd);
        const Failure f = LoadExpectingFailure(path);
        EXPECT_EQ(f.failure, LoadFailure::TooLarge);
        EXPECT_EQ(f.message, "Cannot load '" + path + "': the file is " + std::to_string(size) +
                                 " bytes long; files of 2 GiB or more cannot be loaded.");
        EXPECT_FALSE(f.listed);
        EXPECT_THROW(ReadFileToString(path), FileReadError);
    }
}

TEST_F(BadInput, FileWithoutLinesIsEmptyAfterAnEmptyListing) {
    for (const std::string& bytes : {""s, "\0"s, "\0001\t2\r\n"s}) {
        const std::string path = dir_.write("empty.tsv", bytes);
        const Failure f = LoadExpectingFailure(path);
        EXPECT_EQ(f.failure, LoadFailure::Empty);
        EXPECT_EQ(f.message, "Cannot load '" + path +
                                 "': the file holds no line (it is empty or begins with a zero "
                                 "byte).");
        EXPECT_TRUE(f.listed);
        EXPECT_EQ(f.listing, "");
    }
}

TEST_F(BadInput, ValueBeyondADoubleFailsTheLoadNamingTheCell) {
    const std::string path = dir_.write("big.tsv", "a\tb\n1\t1e400\n");
    const Failure f = LoadExpectingFailure(path);
    EXPECT_EQ(f.failure, LoadFailure::ValueOverflow);
    EXPECT_EQ(f.message, "Cannot load '" + path +
                             "': the number '1e400' in line 2, column 2 is too large for a "
                             "double.");
    EXPECT_EQ(f.listing, "a\tb\r\n1\t1e400\r\n");

    // Below the column's first number cells are not tested, so the table loads.
    EXPECT_EQ(LoadTable(dir_.write("late.tsv", "1\n1e400\n")).rows.joinedRow(1), "1e400\r\n");
}

TEST_F(BadInput, BinaryJunkLoadsLikeTheReferenceOrFailsCleanly) {
    std::mt19937 random(7);
    for (int file = 0; file < 40; ++file) {
        std::string bytes(4096 + random() % 4096, '\0');
        for (char& b : bytes) {
            // Mostly arbitrary bytes, with line ends, separators and digits more often than chance.
            const unsigned r = random() % 64;
            b = r < 8 ? "\t\r\n,.e1-"[r] : static_cast<char>(random() % 255 + 1);
        }
        const std::string path = dir_.write("junk.bin", bytes);
        SCOPED_TRACE(file);
        const test::ReferenceTable expected = test::ReferenceLoad(bytes);
        const LoadedTable table = LoadTable(path);
        EXPECT_EQ(test::JoinedRows(table.rows), expected.rows);
        EXPECT_EQ(table.columnCount, expected.columnCount);
    }
}

TEST_F(BadInput, LineOfOneHundredMegabytes) {
    std::string bytes(100u << 20, 'x');
    bytes += "\r\n1\r\n";
    const LoadedTable table = LoadTable(dir_.write("long.tsv", bytes));
    ASSERT_EQ(table.rows.size(), 2u);
    // The text cell above the first number is blanked (compared without printing 100 MB).
    EXPECT_TRUE(table.rows.joinedRow(0) == "\r\n");
    EXPECT_EQ(table.rows.joinedRow(1), "1\r\n");
    EXPECT_EQ(table.columnCount, 1u);
    EXPECT_LE(table.rows.memoryBytes(), 2 * bytes.size());
}

TEST_F(BadInput, OneHundredThousandColumns) {
    constexpr std::size_t kColumns = 100'000;
    std::string header, numbers, text;
    for (std::size_t c = 0; c < kColumns; ++c) {
        const char* tab = c + 1 < kColumns ? "\t" : "\n";
        header += "Ch" + std::to_string(c + 1) + tab;
        numbers += std::to_string(c % 10) + tab;
        text += std::string("v") + tab;
    }
    const LoadedTable table = LoadTable(dir_.write("wide.tsv", header + numbers));
    EXPECT_EQ(table.columnCount, kColumns);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows.joinedRow(0), JoinLines(std::vector<std::string>(kColumns)));
    std::vector<std::string_view> fields;
    table.rows.fieldsOf(1, fields);
    ASSERT_EQ(fields.size(), kColumns);
    EXPECT_EQ(fields[kColumns - 1], "9");

    // With text only, every one of them is removed.
    const LoadedTable textOnly = LoadTable(dir_.write("names.tsv", header + text));
    EXPECT_EQ(textOnly.columnCount, 0u);
    EXPECT_EQ(textOnly.rows.fieldCount(1), 0u);
}

} // namespace
} // namespace arb
