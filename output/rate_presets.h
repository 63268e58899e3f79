#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace arb {

struct RatePreset {
    std::string_view caption; // the character after '&' is the accelerator
    double hz;
};

inline constexpr std::array<RatePreset, 5> kRatePresets = {{
    {"&512", 512.0},
    {"&1,024", 1024.0},
    {"&4,096", 4096.0},
    {"1&000", 1000.0},
    {"&2000", 2000.0},
}};
inline constexpr int kInitialPreset = 3;

inline constexpr int kSliderMinHz = 256;
inline constexpr int kSliderMaxHz = 8192;
inline constexpr int kSliderInitialHz = 1000;
inline constexpr int kSliderPageStep = 512;
inline constexpr int kSliderTickInterval = 1000;

// The preset's rate, or none for an index outside 0..4.
std::optional<double> PresetRate(int index);

// The slider position for a rate: rounded, clamped into the slider's range.
int SliderPositionFor(double hz);

// "4096 Hz": the rate rounded to an integer, no digit grouping.
std::string RateLabel(double hz);

} // namespace arb
