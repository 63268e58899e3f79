#include "table_loader.h"

#include "huge_pages.h"
#include "line_cut.h"
#include "numeric_code.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace arb {

// Hands the loader's cleaned file buffer to a RowStore without copying it.
class RowStoreBuilder {
  public:
    static RowStore Adopt(std::string bytes, std::vector<std::uint32_t> start,
                          std::vector<std::uint32_t> fieldCount) {
        RowStore rows;
        rows.bytes_ = std::move(bytes);
        rows.start_ = std::move(start);
        rows.fieldCount_ = std::move(fieldCount);
        // Capacity never written costs no memory; give back only a grown index's spare half.
        if (rows.start_.capacity() > rows.start_.size() * 3 / 2) {
            rows.start_.shrink_to_fit();
            rows.fieldCount_.shrink_to_fit();
        }
        return rows;
    }
};

namespace {

constexpr std::uint32_t kNoNumber = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void Fail(LoadFailure failure, const std::string& path, const std::string& reason) {
    throw LoadError(failure, "Cannot load '" + path + "': " + reason);
}

LoadFailure ToLoadFailure(FileReadFailure failure) {
    switch (failure) {
    case FileReadFailure::Missing:
        return LoadFailure::Missing;
    case FileReadFailure::NotAFile:
        return LoadFailure::NotAFile;
    case FileReadFailure::TooLarge:
        return LoadFailure::TooLarge;
    case FileReadFailure::Unreadable:
        break;
    }
    return LoadFailure::Unreadable;
}

// The debug listing: every line of the text followed by CR LF.
std::string JoinedLines(std::string_view text) {
    std::size_t size = 0;
    for (LineWalker lines(text); !lines.done();)
        size += lines.next().size() + 2;
    std::string listing;
    listing.reserve(size);
    AdviseHugePages(listing.data(), listing.capacity());
    for (LineWalker lines(text); !lines.done();) {
        listing += lines.next();
        listing += "\r\n";
    }
    return listing;
}

// Cleans the text of a file in place and records where each row lies. Rows are cut at CR LF, CR
// or LF and fields at TAB; in each column the non-empty cells above its first number are blanked,
// and columns without any number are dropped. Cleaning only shortens rows, so each row is written
// back at or before the place it was read from and the file buffer itself becomes the row store.
// Only the cells at or above each column's first number are tested, so on an ordinary file
// every row after the first row of numbers is merely moved into place.
class TableCleaner {
  public:
    TableCleaner(std::string& text, std::size_t textEnd, const std::string& path)
        : buf_(text.data()), end_(textEnd), path_(path), lines_(std::string_view(buf_, end_)) {
        // Sized once from the first lines' length: growing the index by doubling would write
        // fresh memory twice, and that first touch costs more than cutting a short line.
        const std::size_t rows = estimatedRows();
        start_.reserve(rows + 1);
        fieldCount_.reserve(rows);
    }

    // Returns the number of bytes the cleaned rows occupy at the start of the buffer.
    std::size_t clean() {
        std::size_t write = 0;
        for (std::uint32_t row = 0; !lines_.done(); ++row) {
            start_.push_back(static_cast<std::uint32_t>(write));
            const std::string_view line = lines_.next();
            const std::size_t read = static_cast<std::size_t>(line.data() - buf_);
            const std::size_t lineEnd = read + line.size();
            const std::size_t tabs =
                static_cast<std::size_t>(std::count(buf_ + read, buf_ + lineEnd, '\t'));
            const std::size_t fields = tabs + 1;
            if (unresolved_ == 0 && fields <= firstNumberRow_.size()) {
                if (write != read)
                    std::memmove(buf_ + write, buf_ + read, lineEnd - read);
                write += lineEnd - read;
            } else {
                write = cleanRow(row, read, lineEnd, write);
            }
            fieldCount_.push_back(static_cast<std::uint32_t>(fields));
        }
        start_.push_back(static_cast<std::uint32_t>(write));
        return unresolved_ == 0 ? write : dropColumnsWithoutNumber();
    }

    std::size_t columnCount() const { return firstNumberRow_.size() - unresolved_; }
    std::vector<std::uint32_t> takeStart() { return std::move(start_); }
    std::vector<std::uint32_t> takeFieldCount() { return std::move(fieldCount_); }

  private:
    // The row count the text would have if every line were as long as its first ones, plus a
    // quarter; lines that come out shorter only make the index grow once more.
    std::size_t estimatedRows() const {
        constexpr std::size_t kSampleLines = 64;
        const char* at = buf_;
        std::size_t lines = 0;
        while (lines < kSampleLines && at < buf_ + end_) {
            const void* lf = std::memchr(at, '\n', buf_ + end_ - at);
            at = lf ? static_cast<const char*>(lf) + 1 : buf_ + end_;
            ++lines;
        }
        const std::size_t sampled = static_cast<std::size_t>(at - buf_);
        return sampled == 0 ? 0 : end_ * lines / sampled * 5 / 4 + lines;
    }

    // Moves the row [from, to) to `write` field by field, testing the cells of columns whose
    // first number is still to come; gives the end of the written row.
    std::size_t cleanRow(std::uint32_t row, std::size_t from, std::size_t to, std::size_t write) {
        for (std::size_t column = 0, field = from;; ++column) {
            const void* tab = std::memchr(buf_ + field, '\t', to - field);
            const std::size_t fieldEnd = tab ? static_cast<const char*>(tab) - buf_ : to;
            if (column == firstNumberRow_.size()) {
                firstNumberRow_.push_back(kNoNumber);
                ++unresolved_;
            }
            bool keep = true;
            if (firstNumberRow_[column] == kNoNumber && fieldEnd > field) {
                keep = isNumber(std::string_view(buf_ + field, fieldEnd - field), row, column);
                if (keep) {
                    firstNumberRow_[column] = row;
                    --unresolved_;
                }
            }
            if (column > 0)
                buf_[write++] = '\t';
            if (keep) {
                std::memmove(buf_ + write, buf_ + field, fieldEnd - field);
                write += fieldEnd - field;
            }
            if (fieldEnd == to)
                return write;
            field = fieldEnd + 1;
        }
    }

    bool isNumber(std::string_view cell, std::uint32_t row, std::size_t column) const {
        try {
            std::size_t code = 0;
            NumericCode(cell, code);
            return code == 0;
        } catch (const FloatingPointOverflow&) {
            constexpr std::size_t kShown = 40;
            const std::string shown = cell.size() <= kShown
                                          ? std::string(cell)
                                          : std::string(cell.substr(0, kShown)) + "...";
            Fail(LoadFailure::ValueOverflow, path_,
                 "the number '" + shown + "' in line " + std::to_string(row + 1) + ", column " +
                     std::to_string(column + 1) + " is too large for a double.");
        }
    }

    // Second pass, only for files with columns that never held a number: removes their fields
    // from every row, moving the rows together.
    std::size_t dropColumnsWithoutNumber() {
        std::size_t write = 0;
        for (std::size_t row = 0; row < fieldCount_.size(); ++row) {
            const std::size_t from = start_[row], to = start_[row + 1];
            start_[row] = static_cast<std::uint32_t>(write);
            std::uint32_t kept = 0;
            for (std::size_t column = 0, field = from;; ++column) {
                const void* tab = std::memchr(buf_ + field, '\t', to - field);
                const std::size_t fieldEnd = tab ? static_cast<const char*>(tab) - buf_ : to;
                if (firstNumberRow_[column] != kNoNumber) {
                    if (kept++ > 0)
                        buf_[write++] = '\t';
                    std::memmove(buf_ + write, buf_ + field, fieldEnd - field);
                    write += fieldEnd - field;
                }
                if (fieldEnd == to)
                    break;
                field = fieldEnd + 1;
            }
            fieldCount_[row] = kept;
        }
        start_.back() = static_cast<std::uint32_t>(write);
        return write;
    }

    char* buf_;
    std::size_t end_;
    const std::string& path_;
    std::vector<std::uint32_t> firstNumberRow_; // per column; kNoNumber while none was found
    std::size_t unresolved_ = 0;                // columns still without a number
    LineWalker lines_; // the rows still to clean; rows already cleaned lie before them
    std::vector<std::uint32_t> start_, fieldCount_;
};

} // namespace

LoadedTable LoadTable(const std::string& path, const FileListingSink& onListing) {
    std::string text;
    try {
        text = ReadFileToString(path);
    } catch (const FileReadError& e) {
        Fail(ToLoadFailure(e.failure()), path, e.reason());
    } catch (const std::bad_alloc&) {
        Fail(LoadFailure::OutOfMemory, path, "there is not enough memory to hold it.");
    }
    return LoadTableFromText(std::move(text), path, onListing);
}

LoadedTable LoadTableFromText(std::string text, const std::string& path,
                              const FileListingSink& onListing) {
    // The row store's 32-bit offsets hold no more than a file below 2 GiB gives.
    if (text.size() >= kMaxTableFileBytes)
        Fail(LoadFailure::TooLarge, path,
             "the file is " + std::to_string(text.size()) +
                 " bytes long; files of 2 GiB or more cannot be loaded.");
    try {
        // A file without any TAB, even after a byte 0, is comma-separated.
        const std::size_t textEnd = TextBeforeZeroByte(text).size();
        if (text.find('\t') == std::string::npos)
            std::replace(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(textEnd), ',',
                         '\t');
        if (onListing)
            onListing(JoinedLines(std::string_view(text.data(), textEnd)));
        if (textEnd == 0)
            Fail(LoadFailure::Empty, path,
                 "the file holds no line (it is empty or begins with a zero byte).");

        TableCleaner cleaner(text, textEnd, path);
        text.resize(cleaner.clean());
        LoadedTable table;
        table.columnCount = cleaner.columnCount();
        table.rows =
            RowStoreBuilder::Adopt(std::move(text), cleaner.takeStart(), cleaner.takeFieldCount());
        return table;
    } catch (const std::bad_alloc&) {
        Fail(LoadFailure::OutOfMemory, path, "there is not enough memory to hold it.");
    }
}

} // namespace arb
