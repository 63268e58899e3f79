#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace arb {

// A file that is missing, is not a regular file, or cannot be opened or read.
class FileReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Every byte of the file, unchanged. Throws FileReadError.
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
