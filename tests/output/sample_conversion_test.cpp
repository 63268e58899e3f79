#include "output/sample_conversion.h"

#include "tests/support/test_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace arb {
namespace {

using test::RowsFromText;

constexpr BoardRange k0To5 = 0, kPlusMinus5 = 1, k0To10 = 2, kPlusMinus10 = 3;

ConvertedTable Build(const RowStore& rows, int channels, BoardRange boardRange,
                     const std::vector<BoardRange>& channelRanges, char separator = '.') {
    return BuildSampleBuffer({rows, channels, boardRange, channelRanges, separator});
}

TSampleBuffer Convert(const RowStore& rows, int channels, BoardRange boardRange,
                      const std::vector<BoardRange>& channelRanges, char separator = '.') {
    return Build(rows, channels, boardRange, channelRanges, separator).samples;
}

std::uint16_t ConvertOne(std::string_view cell, BoardRange channelRange, char separator = '.') {
    const RowStore rows = RowsFromText(cell);
    return Convert(rows, 1, kPlusMinus10, {channelRange}, separator).at(0);
}

struct VoltageCodes {
    const char* volts;
    std::uint16_t codes[4]; // by channel range code
};

TEST(SampleConversion, CodesForEachRange) {
    const VoltageCodes cases[] = {
        {"-10", {0x0000, 0x0000, 0x0000, 0x0000}}, {"-5", {0x0000, 0x0000, 0x0000, 0x4000}},
        {"-1", {0x0000, 0x6666, 0x0000, 0x7333}},  {"0", {0x0000, 0x8000, 0x0000, 0x8000}},
        {"1", {0x3333, 0x999A, 0x199A, 0x8CCD}},   {"2.5", {0x8000, 0xC000, 0x4000, 0xA000}},
        {"5", {0xFFFF, 0xFFFF, 0x8000, 0xC000}},   {"10", {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
    };
    for (const VoltageCodes& c : cases) {
        for (BoardRange range = 0; range < 4; ++range)
            EXPECT_EQ(ConvertOne(c.volts, range), c.codes[range])
                << c.volts << " V on range " << range;
    }
}

TEST(ClampToWord, ClampsAndRoundsHalvesToEven) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double m;
        std::uint16_t code;
    } cases[] = {
        {0.5, 0},         {1.5, 2},         {2.5, 2},       {3.5, 4},
        {65534.5, 65534}, {65534.6, 65535}, {65535, 65535}, {65536, 65535},
        {0, 0},           {-0.0, 0},        {-0.1, 0},      {0.49999999999999994, 0},
        {1e300, 65535},   {inf, 65535},     {-inf, 0},      {std::nan(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampToWord(c.m), c.code) << c.m;
}

// Blank and missing cells repeat their channel's last code, starting at the board range's zero
// level, which a channel's own range does not change.
TEST(SampleConversion, BlankAndMissingCellsHoldTheLastCode) {
    RowStore rows = RowsFromText("\t\n" // a header row that the loader blanked
                                 "1\t\n"
                                 "\n" // a blank line: one empty field
                                 "\t2\n");
    rows.appendRow({}); // a row with no fields at all
    const std::vector<BoardRange> bothPlusMinus10 = {kPlusMinus10, kPlusMinus10};

    EXPECT_EQ(Convert(rows, 2, kPlusMinus10, bothPlusMinus10),
              (TSampleBuffer{0x8000, 0x8000, 0x8CCD, 0x8000, 0x8CCD, 0x8000, 0x8CCD, 0x999A, 0x8CCD,
                             0x999A}));
    EXPECT_EQ(Convert(rows, 2, k0To10, bothPlusMinus10),
              (TSampleBuffer{0x0000, 0x0000, 0x8CCD, 0x0000, 0x8CCD, 0x0000, 0x8CCD, 0x999A, 0x8CCD,
                             0x999A}));
}

TEST(SampleConversion, ChannelsBeyondTheColumnsCarryTheZeroLevel) {
    const RowStore rows = RowsFromText("1\t2.5\n");
    EXPECT_EQ(Convert(rows, 4, kPlusMinus5, {k0To5, k0To5}),
              (TSampleBuffer{0x3333, 0x8000, 0x8000, 0x8000}));
}

TEST(SampleConversion, ColumnsBeyondTheChannelsAreNeverRead) {
    const RowStore rows = RowsFromText("1\t2.5\tnot a number\n");
    EXPECT_EQ(Convert(rows, 2, k0To5, {k0To5, k0To5, k0To5}), (TSampleBuffer{0x3333, 0x8000}));
}

TEST(SampleConversion, ListsEveryCodeAsFourHexDigitsAndABlank) {
    const RowStore rows = RowsFromText("2.5\t1\n"
                                       "\t-5\n");
    const ConvertedTable table = Build(rows, 3, kPlusMinus10, {k0To5, k0To5});
    ASSERT_EQ(table.listing.lineCount(), 2u);
    EXPECT_EQ(table.listing.line(0), "8000 3333 8000 ");
    EXPECT_EQ(table.listing.line(1), "8000 0000 8000 ");
    EXPECT_EQ(table.listing.text(), "8000 3333 8000 \r\n8000 0000 8000 \r\n");
    EXPECT_THROW(table.listing.line(2), std::out_of_range);
}

TEST(SampleConversion, ListingUsesUpperCaseDigits) {
    const RowStore rows = RowsFromText("1\t1\n");
    const ConvertedTable table = Build(rows, 2, kPlusMinus10, {kPlusMinus5, kPlusMinus10});
    EXPECT_EQ(table.listing.text(), "999A 8CCD \r\n");
}

TEST(SampleConversion, EmptyTableGivesNoCodes) {
    const RowStore rows;
    const ConvertedTable table = Build(rows, 16, kPlusMinus10, {});
    EXPECT_TRUE(table.samples.empty());
    EXPECT_EQ(table.listing.lineCount(), 0u);
    EXPECT_EQ(table.listing.text(), "");
}

TEST(SampleConversion, ReadsCellsWithTheLocaleSeparator) {
    EXPECT_EQ(ConvertOne("2,5", k0To5, ','), 0x8000);
    EXPECT_EQ(ConvertOne(" -1,0E0 ", kPlusMinus5, ','), 0x6666);
    EXPECT_EQ(ConvertOne(",", kPlusMinus5, ','), 0x8000);
}

// What stops a conversion, with the text the user sees.
TEST(SampleConversion, ErrorTexts) {
    const struct {
        const char* cell;
        char separator;
        BoardRange range;
        const char* error;
    } cases[] = {
        {"abc ", '.', k0To5, "'abc ' is not a valid floating point value"},
        {"   ", '.', k0To5, "'   ' is not a valid floating point value"},
        {"2.5", ',', k0To5, "'2.5' is not a valid floating point value"},
        {"1,000", '.', k0To5, "'1,000' is not a valid floating point value"},
        {"E5", '.', k0To5, "'E5' is not a valid floating point value"},
        {"1e4933", '.', k0To5, "'1e4933' is not a valid floating point value"},
        {"1e305", '.', k0To5, "Floating point overflow"},
        {"-1e305", '.', k0To5, "Floating point overflow"},
        {"1.38e304", '.', k0To5, "Floating point overflow"},
        {"1e4000", '.', kPlusMinus10, "Floating point overflow"},
    };
    for (const auto& c : cases) {
        std::string text = "1\n"; // a good row first: the error stops the whole conversion
        text += c.cell;
        const RowStore rows = RowsFromText(text);
        try {
            Convert(rows, 1, kPlusMinus10, {c.range}, c.separator);
            ADD_FAILURE() << "no error for " << c.cell;
        } catch (const ConversionError& error) {
            EXPECT_STREQ(error.what(), c.error) << c.cell;
        }
    }
}

TEST(SampleConversion, HugeValuesBelowTheOverflowClamp) {
    EXPECT_EQ(ConvertOne("1.37e304", k0To5), 0xFFFF);
    EXPECT_EQ(ConvertOne("-1e304", kPlusMinus10), 0x0000);
    EXPECT_EQ(ConvertOne("1e-4000", kPlusMinus10), 0x8000);
}

TEST(SampleConversion, RefusesAChannelCountOutsideOneToSixteen) {
    const RowStore rows = RowsFromText("1\n");
    for (int channels : {0, -1, 17})
        EXPECT_THROW(Convert(rows, channels, k0To5, {k0To5}), std::invalid_argument) << channels;
}

// A channel without a range setting of its own is scaled by the board range.
TEST(SampleConversion, ChannelWithoutRangeSettingUsesTheBoardRange) {
    const RowStore rows = RowsFromText("1\t1\n");
    EXPECT_EQ(Convert(rows, 2, kPlusMinus5, {k0To5}), (TSampleBuffer{0x3333, 0x999A}));
}

} // namespace
} // namespace arb
