#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace arb {

// Files of this size or more are refused without being read: sizes are 32-bit signed counts.
inline constexpr std::uint64_t kMaxReadFileBytes = std::uint64_t{1} << 31;

enum class FileReadFailure {
    Missing,    // no such file
    NotAFile,   // a folder or another non-regular file
    Unreadable, // cannot be opened or read
    TooLarge,   // kMaxReadFileBytes or more
};

// A file that is missing, is not a regular file, is too large, or cannot be opened or read.
// what() is "Cannot read 'path': " followed by reason(), a sentence such as "the file does not
// exist.".
class FileReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    FileReadError(FileReadFailure failure, const std::string& path, const std::string& reason)
        : std::runtime_error("Cannot read '" + path + "': " + reason), failure_(failure),
          reason_(reason) {}
    FileReadFailure failure() const { return failure_; }
    const std::string& reason() const { return reason_; }

  private:
    FileReadFailure failure_ = FileReadFailure::Unreadable;
    std::string reason_;
};

// Every byte of the file, unchanged. Throws FileReadError. Folders, devices and pipes are refused
// before they are opened; a file that changes size meanwhile gives what one pass of reading up to
// its size at opening time found.
std::string ReadFileToString(const std::string& fileName);

// Position (counting from 1) of the first `ch` at or after `start` (1 or more), or 0.
std::size_t FindCharFrom(char ch, std::string_view s, std::size_t start);

// `s` with every `oldCh` turned into `newCh`.
std::string ReplaceChar(std::string_view s, char oldCh, char newCh);

// The fields of `s` between `delim` characters: always one more than `s` holds delimiters.
// No list (nullopt) when memory runs out.
std::optional<std::vector<std::string>> SplitString(std::string_view s, char delim);

// Empties `lines`, then appends the lines of `text`: CR LF, a lone CR or a lone LF ends a line,
// a byte 0 ends the text, a line end at the very end adds no empty line.
void SplitLines(std::string_view text, std::vector<std::string>& lines);

// Every item followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace arb
