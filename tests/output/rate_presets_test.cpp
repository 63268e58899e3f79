#include "output/rate_presets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace arb {
namespace {

TEST(PresetRate, OnlyIndexesZeroToFour) {
    EXPECT_EQ(PresetRate(0), 512.0);
    EXPECT_EQ(PresetRate(1), 1024.0);
    EXPECT_EQ(PresetRate(2), 4096.0);
    EXPECT_EQ(PresetRate(3), 1000.0);
    EXPECT_EQ(PresetRate(4), 2000.0);
    for (int index : {-1, 5, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
        EXPECT_FALSE(PresetRate(index).has_value()) << index;
}

// Each preset sets the rate its caption shows, which the slider can stand at.
TEST(PresetRate, CaptionsShowTheirRates) {
    for (const RatePreset& preset : kRatePresets) {
        std::string digits;
        for (char ch : preset.caption) {
            if (ch != '&' && ch != ',')
                digits += ch;
        }
        EXPECT_EQ(std::stod(digits), preset.hz) << preset.caption;
        EXPECT_EQ(SliderPositionFor(preset.hz), preset.hz) << preset.caption;
    }
}

TEST(SliderPositionFor, RoundsHalvesToEvenAndClamps) {
    const struct {
        double hz;
        int position;
    } cases[] = {
        {512, 512},
        {1024.5, 1024},
        {1025.5, 1026},
        {1000.4, 1000},
        {256, 256},
        {255.6, 256},
        {100, 256},
        {8192, 8192},
        {8192.4, 8192},
        {9000, 8192},
        {0, 256},
        {-1000, 256},
        {std::numeric_limits<double>::quiet_NaN(), 256},
        {std::numeric_limits<double>::infinity(), 8192},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SliderPositionFor(c.hz), c.position) << c.hz;
}

TEST(RateLabel, WholeHertzWithoutGrouping) {
    const struct {
        double hz;
        const char* label;
    } cases[] = {
        {4096, "4096 Hz"},   {256, "256 Hz"},     {8192, "8192 Hz"}, {12345, "12345 Hz"},
        {1000.5, "1000 Hz"}, {1001.5, "1002 Hz"}, {-0.2, "0 Hz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RateLabel(c.hz), c.label) << c.hz;
}

} // namespace
} // namespace arb
