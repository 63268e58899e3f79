// A file that is rewritten while it is loaded: emptied, then filled again piece by piece, so that
// a load meets it shrinking and growing. Every load must give a consistent table of what it read
// (a start of the file, cut anywhere) or fail as empty; never a crash or a mixed-up row.

#include "hostile_files.h"
#include "table/table_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace arb {
namespace {

TEST(ChangingFile, LoadsWhatWasThereOrFailsAsEmpty) {
    const test::HostileDir dir;
    const std::string row = "123\t456\n";
    std::string content;
    for (int r = 0; r < 20'000; ++r)
        content += row;
    const std::string path = dir.write("changing.tsv", content);

    std::atomic<bool> done = false;
    std::thread writer([&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        constexpr std::size_t kPiece = 4096;
        while (!done) {
            ASSERT_EQ(::ftruncate(fd, 0), 0);
            for (std::size_t at = 0; at < content.size() && !done; at += kPiece) {
                const std::size_t n = std::min(kPiece, content.size() - at);
                ASSERT_EQ(::pwrite(fd, content.data() + at, n, static_cast<off_t>(at)),
                          static_cast<ssize_t>(n));
            }
        }
        ::close(fd);
    });

    int loaded = 0, empty = 0;
    std::vector<std::string_view> fields;
    for (int attempt = 0; attempt < 300; ++attempt) {
        try {
            const LoadedTable table = LoadTable(path);
            ++loaded;
            const std::size_t rows = table.rows.size();
            ASSERT_GE(rows, 1u);
            for (std::size_t r = 0; r + 1 < rows; ++r)
                ASSERT_EQ(table.rows.joinedRow(r), "123\r\n456\r\n") << "row " << r;
            // The last row may be cut anywhere: a start of "123", or "123" and a start of "456".
            table.rows.fieldsOf(rows - 1, fields);
            ASSERT_TRUE(fields.size() == 1 || fields.size() == 2);
            ASSERT_TRUE(!fields[0].empty() && std::string_view("123").starts_with(fields[0]));
            if (fields.size() == 2) {
                EXPECT_EQ(fields[0], "123");
                EXPECT_TRUE(std::string_view("456").starts_with(fields[1]));
            }
            EXPECT_EQ(table.columnCount, rows > 1 ? 2u : fields.size());
        } catch (const LoadError& e) {
            ++empty;
            ASSERT_EQ(e.failure(), LoadFailure::Empty) << e.what();
        }
    }
    done = true;
    writer.join();
    EXPECT_EQ(loaded + empty, 300);
}

} // namespace
} // namespace arb
