#pragma once

#include <cstddef>
#include <string_view>

namespace arb {

// The text that counts for line cutting: everything before the first byte 0.
inline std::string_view TextBeforeZeroByte(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// One line of a text: [begin, end) holds the line, `next` is where the following line starts.
struct LineSpan {
    std::size_t begin = 0, end = 0, next = 0;
};

// The line that starts at `pos` (< text.size()) of a text without byte 0: it runs up to the next
// CR or LF; then one CR and after it one LF are skipped, so CR LF, CR and LF each end one line.
inline LineSpan CutLine(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    std::size_t next = end;
    if (next < text.size() && text[next] == '\r')
        ++next;
    if (next < text.size() && text[next] == '\n')
        ++next;
    return {pos, end, next};
}

} // namespace arb
