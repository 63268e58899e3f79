#include "table/numeric_code.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace arb {
namespace {

struct NumberCase {
    std::string text;
    std::size_t code; // 0: a number of the value below
    double value = 0;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumericCodeForm : public testing::TestWithParam<NumberCase> {};

TEST_P(NumericCodeForm, GivesCodeAndValue) {
    const NumberCase& c = GetParam();
    std::size_t code = 99;
    const double value = NumericCode(c.text, code);
    EXPECT_EQ(code, c.code);
    if (c.code == 0) {
        EXPECT_DOUBLE_EQ(value, c.value);
        EXPECT_EQ(std::signbit(value), std::signbit(c.value));
    }
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumericCodeForm,
                         testing::Values(NumberCase{"1", 0, 1}, NumberCase{"007", 0, 7},
                                         NumberCase{"  -2.5e-3", 0, -0.0025},
                                         NumberCase{"12.50", 0, 12.5}, NumberCase{"1.5E+2", 0, 150},
                                         NumberCase{"5.", 0, 5}, NumberCase{"+.5", 0, 0.5},
                                         NumberCase{"-0", 0, -0.0},
                                         // no mantissa digits at all still reads as zero
                                         NumberCase{".", 0, 0}, NumberCase{"-.", 0, -0.0},
                                         NumberCase{"e5", 0, 0}, NumberCase{"E-2", 0, 0},
                                         NumberCase{"0.1", 0, 0.1},
                                         NumberCase{"4.9e-324", 0, 4.9e-324}));

// Code is the position of the first character that does not fit, or the length plus 1 when the
// text ends before the form is complete.
INSTANTIATE_TEST_SUITE_P(
    NotNumbers, NumericCodeForm,
    testing::Values(NumberCase{"", 1}, NumberCase{"   ", 4}, NumberCase{"+", 2},
                    NumberCase{" -", 3}, NumberCase{"1 ", 2}, NumberCase{"1 2", 2},
                    NumberCase{"\t1", 1}, NumberCase{"1\t", 2}, NumberCase{"1,5", 2},
                    NumberCase{"$FF", 1}, NumberCase{"0x1F", 2}, NumberCase{"1.2.3", 4},
                    NumberCase{"1e", 3}, NumberCase{"1e+", 4}, NumberCase{"e", 2},
                    NumberCase{"1ex", 3}, NumberCase{"1e5.0", 4}, NumberCase{"1e5 ", 4},
                    NumberCase{"--1", 2}, NumberCase{"+-1", 2}, NumberCase{"inf", 1},
                    NumberCase{"nan", 1}, NumberCase{"Ch 1", 1},
                    NumberCase{"1e99999999999999999999x", 23}));

TEST(NumericCode, ValueBeyondADoubleRaisesOverflow) {
    const std::string tooLarge[] = {"1e400",
                                    "-1e400",
                                    "1.797693134862316e308",
                                    "1e99999999999999999999",
                                    "1" + std::string(5000, '0'),
                                    "0.1e" + std::string(400, '9')};
    for (const std::string& text : tooLarge) {
        std::size_t code = 99;
        try {
            NumericCode(text, code);
            ADD_FAILURE() << text.substr(0, 40) << " gave no error";
        } catch (const FloatingPointOverflow& e) {
            EXPECT_STREQ(e.what(), "Floating point overflow");
        }
    }
}

TEST(NumericCode, ExtremeFormsAreNumbersWithASaneValue) {
    const std::string zeros(5000, '0');
    const NumberCase cases[] = {
        {"1.7976931348623157e308", 0, DBL_MAX},
        {"-1.7976931348623157e308", 0, -DBL_MAX},
        {"1e-400", 0, 0},
        {"-1e-99999999999999999999", 0, -0.0},
        {"0e99999999999999999999", 0, 0}, // a zero mantissa never overflows
        {"0." + zeros + "1", 0, 0},
        {"1" + zeros + "e-5000", 0, 1},
        {"0." + std::string(199, '0') + "25e200", 0, 2.5},
        {"123456789012345678901234567890", 0, 1.2345678901234568e29},
    };
    for (const NumberCase& c : cases) {
        std::size_t code = 99;
        const double value = NumericCode(c.text, code);
        EXPECT_EQ(code, 0u) << c.text.substr(0, 40);
        EXPECT_DOUBLE_EQ(value, c.value) << c.text.substr(0, 40);
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text.substr(0, 40);
    }
}

} // namespace
} // namespace arb
