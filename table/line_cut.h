#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace arb {

// The text that counts for line cutting: everything before the first byte 0.
inline std::string_view TextBeforeZeroByte(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The lines of a text without byte 0, one after the other: a line runs up to the next CR or LF;
// then one CR and after it one LF are skipped, so CR LF, CR and LF each end one line. The next CR
// and the next LF are remembered, so each is searched for once over the whole text, even in a
// file whose lines all end in CR alone.
//
// Once a line has been handed out, nothing before the walker's position is read again, so a
// caller may rewrite the text up to the end of that line.
class LineWalker {
  public:
    explicit LineWalker(std::string_view text)
        : text_(text), nextCr_(find('\r', 0)), nextLf_(find('\n', 0)) {}

    bool done() const { return pos_ >= text_.size(); }

    // The next line, without its line end.
    std::string_view next() {
        if (nextCr_ < pos_)
            nextCr_ = find('\r', pos_);
        if (nextLf_ < pos_)
            nextLf_ = find('\n', pos_);
        const std::size_t end = std::min(nextCr_, nextLf_);
        const std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size() && text_[pos_] == '\r')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
        return line;
    }

  private:
    std::size_t find(char ch, std::size_t from) const {
        const std::size_t at = text_.find(ch, from);
        return at == std::string_view::npos ? text_.size() : at;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t nextCr_, nextLf_;
};

} // namespace arb
