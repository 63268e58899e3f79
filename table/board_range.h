#pragma once

#include <array>
#include <string_view>

namespace arb {

// An output range code 0..3. Bit 0 set: bipolar. Bit 1 set: 10 V span.
using BoardRange = int;

inline constexpr std::array<std::string_view, 4> kBoardRangeNames = {"0-5V", "±5V", "0-10V",
                                                                     "±10V"};

constexpr bool IsBipolar(BoardRange range) {
    return (range & 1) != 0;
}
constexpr bool IsTenVoltSpan(BoardRange range) {
    return (range & 2) != 0;
}

} // namespace arb
