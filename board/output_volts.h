#pragma once

// The voltage a code puts on a board output. Code 0 is the bottom of the board's range and 65535
// its top, in equal steps:
//
//     volts = low + code / 65535 × (high − low)
//
// with the ranges by code: 0 "0-5V" 0..5 V, 1 "±5V" −5..+5 V, 2 "0-10V" 0..10 V, 3 "±10V"
// −10..+10 V (bit 0 set: bipolar; bit 1 set: 10 V full scale).

#include <cstdint>

namespace arb {

struct VoltsRange {
    double low = 0;
    double high = 0;
    constexpr double span() const { return high - low; }
};

constexpr VoltsRange OutputVoltsRange(std::uint32_t rangeCode) {
    const double fullScale = (rangeCode & 2) != 0 ? 10.0 : 5.0;
    return {(rangeCode & 1) != 0 ? -fullScale : 0.0, fullScale};
}

constexpr double CodeToVolts(std::uint16_t code, std::uint32_t rangeCode) {
    const VoltsRange range = OutputVoltsRange(rangeCode);
    return range.low + code * range.span() / 65535.0;
}

} // namespace arb
