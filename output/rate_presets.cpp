#include "rate_presets.h"

#include <charconv>
#include <cmath>

namespace arb {

std::optional<double> PresetRate(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kRatePresets.size())
        return std::nullopt;
    return kRatePresets[static_cast<std::size_t>(index)].hz;
}

int SliderPositionFor(double hz) {
    if (!(hz > kSliderMinHz)) // also a NaN
        return kSliderMinHz;
    if (hz >= kSliderMaxHz)
        return kSliderMaxHz;
    return static_cast<int>(std::rint(hz)); // halves go to even
}

std::string RateLabel(double hz) {
    const double whole = std::rint(hz) + 0.0; // + 0.0 turns -0 into 0
    char digits[400];                         // enough for the largest double in fixed notation
    const auto written =
        std::to_chars(digits, digits + sizeof digits, whole, std::chars_format::fixed, 0);
    return std::string(digits, written.ptr) + " Hz";
}

} // namespace arb
