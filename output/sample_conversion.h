#pragma once

#include "table/board_range.h"
#include "table/row_store.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace arb {

// The DAC codes of one playback: rows x channels, the code of row r and channel c at r * N + c.
using TSampleBuffer = std::vector<std::uint16_t>;

// A cell that cannot be read as a number, or a value whose scaling overflows. what() is the text
// the user sees: "'<cell>' is not a valid floating point value" or "Floating point overflow".
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The hexadecimal listing of every code: one line a row, each code as four upper-case hex digits
// and a blank. Held as one text, every line followed by CR LF, so showing it costs no join.
class CodeListing {
  public:
    std::size_t lineCount() const { return lines_; }
    std::string_view line(std::size_t row) const;     // without its CR LF
    const std::string& text() const { return text_; } // JoinLines of the lines

  private:
    friend class SampleConverter;
    std::string text_;
    std::size_t lines_ = 0;
    std::size_t lineLength_ = 0; // 5 * N + 2
};

struct ConversionInput {
    const RowStore& rows;
    int channelCount = 1;                      // N, 1..16
    BoardRange boardRange = 3;                 // sets the held values' starting zero level
    std::span<const BoardRange> channelRanges; // range code of channel c, for every field index
    char decimalSeparator = '.';               // the user's locale's
};

struct ConvertedTable {
    TSampleBuffer samples;
    CodeListing listing;
};

// m not above 0 gives 0, 65535 or more gives 65535, else the nearest integer, halves to even.
std::uint16_t ClampToWord(double m);

// Converts every row into one scan of N codes, holding each channel's last code where a cell is
// blank or missing. Throws ConversionError.
ConvertedTable BuildSampleBuffer(const ConversionInput& input);

} // namespace arb
