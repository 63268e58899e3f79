#include "board/output_volts.h"

#include <gtest/gtest.h>

namespace arb {
namespace {

// volts = low + code / 65535 × span. 13107 is 65535 / 5, so multiples of it land on whole
// fifths of the span and the expected voltages are exact.
TEST(OutputVolts, CodesSpanEachRangeFromBottomToTop) {
    struct Case {
        std::uint32_t rangeCode;
        std::uint16_t code;
        double volts;
    };
    const Case cases[] = {
        {0, 0, 0.0},   {0, 13107, 1.0},  {0, 65535, 5.0},  // 0-5V
        {1, 0, -5.0},  {1, 26214, -1.0}, {1, 65535, 5.0},  // ±5V
        {2, 0, 0.0},   {2, 39321, 6.0},  {2, 65535, 10.0}, // 0-10V
        {3, 0, -10.0}, {3, 39321, 2.0},  {3, 65535, 10.0}, // ±10V
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.rangeCode << ", code " << c.code);
        EXPECT_DOUBLE_EQ(CodeToVolts(c.code, c.rangeCode), c.volts);
    }
    // The middle of a bipolar range lies between two codes, half a step either side of 0 V.
    EXPECT_NEAR(CodeToVolts(32767, 3), -10.0 / 65535, 1e-12);
    EXPECT_NEAR(CodeToVolts(32768, 3), 10.0 / 65535, 1e-12);
}

} // namespace
} // namespace arb
