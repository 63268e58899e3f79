#include "output/volts_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace arb {
namespace {

struct NumberForm {
    const char* text;
    char separator;
    bool valid;
    long double value;
};

TEST(ParseVolts, AcceptedForms) {
    const NumberForm cases[] = {
        {"1.5", '.', true, 1.5L},
        {"  1.5  ", '.', true, 1.5L},
        {"+2", '.', true, 2},
        {"-2", '.', true, -2},
        {"007", '.', true, 7},
        {"5.", '.', true, 5},
        {".5", '.', true, 0.5L},
        {".", '.', true, 0},
        {"-.", '.', true, -0.0L},
        {"1e", '.', true, 1},
        {"1E+", '.', true, 1},
        {"1e-", '.', true, 1},
        {"2.5e-1", '.', true, 0.25L},
        {"25E-1", '.', true, 2.5L},
        {"-1e3", '.', true, -1000},
        {"1e0500", '.', true, 1e500L},
        {"1e-500", '.', true, 1e-500L},
        {"1e4932", '.', true, 1e4932L},
        {"1,5", ',', true, 1.5L},
        {",", ',', true, 0},
        {"0.000000000000000000000000000000000000001", '.', true, 1e-39L},
    };
    for (const NumberForm& c : cases) {
        long double value = -12345;
        ASSERT_TRUE(ParseVolts(c.text, c.separator, value)) << c.text;
        // Large decimal exponents are scaled in a few steps, each rounded.
        EXPECT_LE(std::fabs(value - c.value), std::fabs(c.value) * 1e-18L) << c.text;
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
    }
}

TEST(ParseVolts, RejectedForms) {
    const NumberForm cases[] = {
        {"", '.', false, 0},       {"   ", '.', false, 0},    {"-", '.', false, 0},
        {"+-1", '.', false, 0},    {"E5", '.', false, 0},     {"e", '.', false, 0},
        {"1 e5", '.', false, 0},   {"1e5x", '.', false, 0},   {"\t1", '.', false, 0},
        {"1\t", '.', false, 0},    {"1,000", '.', false, 0},  {"1.5", ',', false, 0},
        {"1.2.3", '.', false, 0},  {"0x10", '.', false, 0},   {"inf", '.', false, 0},
        {"nan", '.', false, 0},    {"1e5000", '.', false, 0}, {"1e-5000", '.', false, 0},
        {"1e4933", '.', false, 0}, {"1e4999", '.', false, 0}, {"1e++1", '.', false, 0},
        {"1d5", '.', false, 0},    {"- 1", '.', false, 0},    {"1 2", '.', false, 0},
    };
    for (const NumberForm& c : cases) {
        long double value = -12345;
        EXPECT_FALSE(ParseVolts(c.text, c.separator, value)) << c.text;
        EXPECT_EQ(value, -12345) << c.text << ": value written for a rejected text";
    }
}

// Digits beyond what the mantissa holds still count for the value's magnitude.
TEST(ParseVolts, LongDigitStrings) {
    const struct {
        std::string text;
        long double value;
    } cases[] = {
        {"1." + std::string(5000, '0'), 1},
        {"1" + std::string(30, '0'), 1e30L},
        {"0." + std::string(5000, '0') + "1", 0},
        {"12345678901234567890123", 12345678901234567890123.0L},
        {std::string(5000, '9'), INFINITY}, // beyond the extended range
    };
    for (const auto& c : cases) {
        long double value = -1;
        const bool valid = ParseVolts(c.text, '.', value);
        if (std::isinf(c.value)) {
            EXPECT_FALSE(valid) << c.text.size() << " digits";
            continue;
        }
        ASSERT_TRUE(valid) << c.text.substr(0, 40);
        EXPECT_NEAR(value / (c.value == 0 ? 1 : c.value), c.value == 0 ? 0 : 1, 1e-18L)
            << c.text.substr(0, 40);
    }
}

// Numbers of up to 18 digits with small exponents must come out correctly rounded, as the C
// library's extended-precision reader gives them.
TEST(ParseVolts, MatchesCorrectlyRoundedReading) {
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> digitCount(1, 18), digit(0, 9), exponent(-9, 9);
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int digits = digitCount(random);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (random() % 2)
            text += "e" + std::to_string(exponent(random));
        long double value = 0;
        ASSERT_TRUE(ParseVolts(text, '.', value)) << text;
        EXPECT_EQ(value, std::strtold(text.c_str(), nullptr)) << text;
    }
}

} // namespace
} // namespace arb
