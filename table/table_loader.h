#pragma once

#include "row_store.h"
#include "text_utils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace arb {

enum class LoadFailure {
    Missing,       // no such file
    NotAFile,      // a folder or another non-regular file
    Unreadable,    // cannot be opened or read
    TooLarge,      // 2 GiB or more: refused without being read
    Empty,         // no line at all (an empty file, or byte 0 first)
    ValueOverflow, // a cell with the number form beyond the range of a double
    OutOfMemory,
};

class LoadError : public std::runtime_error {
  public:
    LoadError(LoadFailure failure, const std::string& message)
        : std::runtime_error(message), failure_(failure) {}
    LoadFailure failure() const { return failure_; }

  private:
    LoadFailure failure_;
};

// Files of this size or more are refused as too large.
inline constexpr std::uint64_t kMaxTableFileBytes = kMaxReadFileBytes;

struct LoadedTable {
    RowStore rows;
    std::size_t columnCount = 0; // columns that survived cleaning; handed to SetChannelCount
};

// Receives the file's lines joined by JoinLines (after the comma replacement, up to any byte 0),
// before the table is cleaned: the debug pane's text.
using FileListingSink = std::function<void(std::string&& listing)>;

// Reads the file at `path`, cuts it into rows and fields (TAB, or comma when the file holds no
// TAB), blanks non-numeric cells above each column's first number and drops columns without a
// number. Throws LoadError saying why, its text a sentence naming the file and the reason.
// `onListing`, when set, is called once the lines are cut, also when the load then fails.
LoadedTable LoadTable(const std::string& path, const FileListingSink& onListing = {});

// The same for the bytes of a file already in memory; `path` only names the file in messages.
LoadedTable LoadTableFromText(std::string text, const std::string& path,
                              const FileListingSink& onListing = {});

} // namespace arb
