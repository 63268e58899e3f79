#include "output/play_report.h"

#include <gtest/gtest.h>

#include <limits>

namespace arb {
namespace {

TEST(FormatSeconds, GeneralFormWithAtMost15Digits) {
    const struct {
        std::size_t rows;
        double hz;
        char separator;
        const char* text;
    } cases[] = {
        {1000, 1000, '.', "1"},
        {1500, 1000, '.', "1.5"},
        {1500, 1000, ',', "1,5"},
        {100, 1024, '.', "0.09765625"},
        {100, 1000, '.', "0.1"},
        {1, 3, '.', "0.333333333333333"},
        {2, 3, '.', "0.666666666666667"},
        {1, 8192, '.', "0.0001220703125"},
        {1310720, 256, '.', "5120"},
        {1, 20000, '.', "5E-5"},
        {3, 20000, ',', "0,00015"},
        {1, 200000, ',', "5E-6"},
        {3, 200000, ',', "1,5E-5"},
        {1000000000000000, 1, '.', "1E15"},
        {999999999999999, 1, '.', "999999999999999"},
        {12345678901234567, 1, ',', "1,23456789012346E16"},
        {0, 1000, '.', "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSeconds(c.rows, c.hz, c.separator), c.text) << c.rows << " / " << c.hz;
    }
}

// A run always starts from the slider's rate; other rates still give a text, never a fault.
TEST(FormatSeconds, RatesNoRunStartsWith) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::size_t rows;
        double hz;
        const char* text;
    } cases[] = {
        {100, 0, "?"},
        {0, 0, "?"},
        {100, -1000, "?"},
        {100, nan, "?"},
        {100, inf, "0"},
        {100, -inf, "?"},
        {100, 1e-300, "1E302"},
        {100, std::numeric_limits<double>::denorm_min(), "2.02402253307311E325"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSeconds(c.rows, c.hz, '.'), c.text) << c.hz;
    }
}

TEST(PlayingReport, WrapsTheFigure) {
    EXPECT_EQ(PlayingReport(100, 1000, '.'), "Playing 0.1-sec file\u2026");
}

} // namespace
} // namespace arb
