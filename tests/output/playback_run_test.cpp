#include "output/playback_run.h"

#include "output/sample_conversion.h"
#include "tests/support/recording_board.h"
#include "tests/support/recording_host.h"
#include "tests/support/test_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace arb {
namespace {

using test::BoardCall;
using test::BoardOp;
using test::CallEvent;
using test::RecordingBoard;
using test::RecordingHost;

constexpr BoardRange k0To5 = 0;

// Rows whose cells read back as known codes on a "0-5V" channel: row r, channel c gives the code
// r + 1000 * c.
RowStore CountingRows(std::size_t rowCount, int channels = 1) {
    RowStore rows;
    std::vector<std::string> texts(static_cast<std::size_t>(channels));
    std::vector<std::string_view> fields(texts.size());
    for (std::size_t r = 0; r < rowCount; ++r) {
        for (std::size_t c = 0; c < texts.size(); ++c) {
            texts[c] = test::VoltsForCode(static_cast<std::uint16_t>(r + 1000 * c));
            fields[c] = texts[c];
        }
        rows.appendRow(fields);
    }
    return rows;
}

// The codes of `scans` whole rows of CountingRows from row `first`.
std::vector<std::uint16_t> CountingCodes(std::size_t first, std::size_t scans, int channels = 1) {
    std::vector<std::uint16_t> codes;
    for (std::size_t r = first; r < first + scans; ++r) {
        for (int c = 0; c < channels; ++c)
            codes.push_back(static_cast<std::uint16_t>(r + 1000 * c));
    }
    return codes;
}

class PlaybackRun : public ::testing::Test {
  protected:
    PlaybackRun() {
        board.setJournal(&journal);
        host.journal = &journal;
    }

    PlaybackSettings Settings(const RowStore& table, int channels = 1) const {
        return {.rows = table,
                .sliderPosition = 1000,
                .boardRange = 3,
                .channelCount = channels,
                .channelRanges = ranges,
                .decimalSeparator = '.'};
    }

    void Run(const PlaybackSettings& settings) {
        RunPlayback(board.functions(), sampleHz, settings, host);
    }

    // Unticks Repeat inside the k-th DACOutputProcess call, so the run ends after that block.
    void UntickRepeatOnBlock(std::size_t k) {
        board.setHook([this, k](const CallEvent& call) {
            if (call.op == BoardOp::OutputProcess && call.opNumber == k)
                host.repeat = false;
        });
    }

    std::vector<const BoardCall*> Blocks() const { return board.callsOf(BoardOp::OutputProcess); }

    // The block index of each DACOutputProcess call, from its place in the first call's buffer.
    std::vector<std::size_t> BlockIndexes(std::size_t blockSamples) const {
        std::vector<std::size_t> indexes;
        const auto blocks = Blocks();
        for (const BoardCall* call : blocks) {
            const std::uintptr_t offset = call->samplesAddress - blocks.front()->samplesAddress;
            indexes.push_back(offset / sizeof(std::uint16_t) / blockSamples);
        }
        return indexes;
    }

    RecordingBoard board;
    RecordingBoard::Activation active{board};
    RecordingHost host;
    std::vector<std::string> journal;
    std::vector<BoardRange> ranges = std::vector<BoardRange>(16, k0To5);
    double sampleHz = 0;
};

TEST_F(PlaybackRun, PlainPlaySendsOneBlockInOrder) {
    const RowStore rows = CountingRows(100, 2);
    Run(Settings(rows, 2));

    const std::vector<std::string> expected = {
        "VELDRA_ReloadDeviceLinks()",
        "DACSetBoardRange(0, 3)",
        "GenericVendorWrite(0, 199, 513, 0, 0, null)",
        "DACOutputSetCount(0, 2)",
        "ClearCodePane",
        "ShowPlayReport(Parsing file\u2026)",
        "ShowPlayReport(Playing 0.1-sec file\u2026)",
        "DACOutputProcess(0, 1000, 40)",
        "ServePendingEvents",
        "ShowPlayReport()",
    };
    EXPECT_EQ(journal, expected);
    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0]->rateAddress, &sampleHz);
    EXPECT_EQ(blocks[0]->samples, CountingCodes(0, 20, 2));
    EXPECT_EQ(sampleHz, 1000.0);
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_TRUE(host.captions.empty());
}

TEST_F(PlaybackRun, ShowsTheListingOnlyWhenRawDataIsTicked) {
    const RowStore rows = test::RowsFromText("2.5\t1\n");
    Run(Settings(rows, 2));
    EXPECT_TRUE(host.listings.empty());

    host.showRawData = true;
    journal.clear();
    Run(Settings(rows, 2));
    EXPECT_EQ(host.listings, std::vector<std::string>{"8000 3333 \r\n"});
    const std::vector<std::string> middle(journal.begin() + 5, journal.begin() + 8);
    EXPECT_EQ(middle,
              (std::vector<std::string>{"ShowPlayReport(Parsing file\u2026)", "ShowCodeListing",
                                        "ShowPlayReport(Playing 0.001-sec file\u2026)"}));
}

TEST_F(PlaybackRun, ChannelCountRequest) {
    const RowStore rows = CountingRows(20);
    for (const auto& [channels, value] : {std::pair{1, 257}, {2, 513}, {16, 4097}}) {
        Run(Settings(rows, channels));
        const BoardCall& write = *board.callsOf(BoardOp::VendorWrite).back();
        EXPECT_EQ(write.request, 0xC7);
        EXPECT_EQ(write.value, value) << channels;
        EXPECT_EQ(write.index, 0);
        EXPECT_EQ(board.callsOf(BoardOp::OutputSetCount).back()->channelCount,
                  static_cast<std::uint32_t>(channels));
        EXPECT_EQ(Blocks().back()->sampleCount, static_cast<std::uint32_t>(20 * channels));
    }
}

struct BlockOrderCase {
    std::size_t rows;
    std::size_t blocksSent;
    std::vector<std::size_t> order;
};

class PlaybackBlockOrder : public PlaybackRun,
                           public ::testing::WithParamInterface<BlockOrderCase> {};

// Whole blocks only, back to the first after the last whole block.
TEST_P(PlaybackBlockOrder, RepeatsTheWholeBlocks) {
    const BlockOrderCase& c = GetParam();
    const RowStore rows = CountingRows(c.rows);
    host.repeat = true;
    UntickRepeatOnBlock(c.blocksSent);
    Run(Settings(rows));

    EXPECT_EQ(BlockIndexes(20), c.order);
    const auto blocks = Blocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i]->sampleCount, 20u);
        EXPECT_EQ(blocks[i]->samples, CountingCodes(c.order[i] * 20, 20)) << "call " << i;
    }
    EXPECT_EQ(host.eventsServed, c.blocksSent);
}

INSTANTIATE_TEST_SUITE_P(Tables, PlaybackBlockOrder,
                         ::testing::Values(BlockOrderCase{50, 5, {0, 1, 0, 1, 0}},
                                           BlockOrderCase{40, 4, {0, 1, 0, 1}},
                                           BlockOrderCase{20, 3, {0, 0, 0}},
                                           BlockOrderCase{59, 4, {0, 1, 0, 1}},
                                           BlockOrderCase{60, 4, {0, 1, 2, 0}}));

// A table shorter than one block goes out whole as one shorter block, never reaching past it.
TEST_F(PlaybackRun, ShortTableIsSentAsOneShorterBlock) {
    const RowStore rows = CountingRows(7, 3);
    host.repeat = true;
    UntickRepeatOnBlock(3);
    Run(Settings(rows, 3));

    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    for (const BoardCall* block : blocks) {
        EXPECT_EQ(block->sampleCount, 21u);
        EXPECT_EQ(block->samples, CountingCodes(0, 7, 3));
        EXPECT_EQ(block->samplesAddress, blocks[0]->samplesAddress);
    }
}

TEST_F(PlaybackRun, EmptyTableSendsNothing) {
    const RowStore rows;
    host.repeat = true;
    Run(Settings(rows));
    EXPECT_EQ(board.count(BoardOp::OutputProcess), 0u);
    EXPECT_EQ(host.reports,
              (std::vector<std::string>{"Parsing file\u2026", "Playing 0-sec file\u2026", ""}));
}

// The block counter is 16 bits wide: after block 65535 comes block 0, even when more whole
// blocks follow.
TEST_F(PlaybackRun, BlockCounterWrapsAfter65536Blocks) {
    RowStore rows;
    for (std::size_t r = 0; r < 65537 * 20; ++r)
        rows.appendRow({}); // all rows blank: every code is the zero level
    board.setJournal(nullptr);
    host.journal = nullptr;
    host.repeat = true;
    UntickRepeatOnBlock(65538);
    Run(Settings(rows));

    const std::vector<std::size_t> indexes = BlockIndexes(20);
    ASSERT_EQ(indexes.size(), 65538u);
    for (std::size_t i = 0; i < 65536; ++i)
        ASSERT_EQ(indexes[i], i);
    EXPECT_EQ(indexes[65536], 0u);
    EXPECT_EQ(indexes[65537], 1u);
}

TEST_F(PlaybackRun, BoardRangeErrorEndsTheRunAtOnce) {
    const struct {
        std::uint32_t result;
        const char* text;
        const char* caption;
    } cases[] = {
        {5, "Error 5 setting board range.", "DACSetBoardRange Error 5"},
        {0xFFFFFFFF, "Error 4294967295 setting board range.", "DACSetBoardRange Error 4294967295"},
    };
    const RowStore rows = CountingRows(40);
    for (const auto& c : cases) {
        journal.clear();
        board.setResult(BoardOp::SetBoardRange, c.result);
        host.repeat = true;
        Run(Settings(rows));
        const std::vector<std::string> expected = {
            "VELDRA_ReloadDeviceLinks()", "DACSetBoardRange(0, 3)",
            "ShowWarning(" + std::string(c.text) + " | " + c.caption + ")"};
        EXPECT_EQ(journal, expected);
    }
}

TEST_F(PlaybackRun, OutputErrorStopsRepeatingAndIsReported) {
    const RowStore rows = CountingRows(100);
    board.setResultOnCall(BoardOp::OutputProcess, 3, 7);
    host.repeat = true;
    Run(Settings(rows));

    EXPECT_EQ(BlockIndexes(20), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_FALSE(host.repeat);
    const std::vector<std::string> tail(journal.end() - 6, journal.end());
    const std::vector<std::string> expected = {
        "DACOutputProcess(0, 1000, 20)",
        "SetCaption(7 error on DACOutputProcess)",
        "UntickRepeat",
        "ServePendingEvents",
        "ShowPlayReport()",
        "ShowWarning(Error 7 launching DAC output process. | DACOutputProcess Error 7)"};
    EXPECT_EQ(tail, expected);

    // A later run without errors shows no box and leaves the caption as it was.
    Run(Settings(rows));
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(host.captions, std::vector<std::string>{"7 error on DACOutputProcess"});
}

TEST_F(PlaybackRun, OutputErrorNumbersAreUnsigned) {
    const RowStore rows = CountingRows(20);
    board.setResult(BoardOp::OutputProcess, 0xFFFFFFFF);
    Run(Settings(rows));
    EXPECT_EQ(host.captions, std::vector<std::string>{"4294967295 error on DACOutputProcess"});
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(host.warnings[0].text, "Error 4294967295 launching DAC output process.");
    EXPECT_EQ(host.warnings[0].caption, "DACOutputProcess Error 4294967295");
}

// Only the last block's result decides the final box.
TEST_F(PlaybackRun, ErrorBeforeAReTickedRepeatIsNotBoxedWhenTheLastBlockSucceeds) {
    const RowStore rows = CountingRows(40);
    board.setResultOnCall(BoardOp::OutputProcess, 1, 9);
    host.repeat = true;
    host.onServePendingEvents = [this] {
        if (host.eventsServed == 1)
            host.repeat = true; // the user ticks the box again
    };
    UntickRepeatOnBlock(2);
    Run(Settings(rows));
    EXPECT_EQ(host.captions, std::vector<std::string>{"9 error on DACOutputProcess"});
    EXPECT_TRUE(host.warnings.empty());
}

TEST_F(PlaybackRun, ConversionErrorSendsNothing) {
    const RowStore rows = test::RowsFromText("1\nx1\n");
    host.showRawData = true;
    try {
        Run(Settings(rows));
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'x1' is not a valid floating point value");
    }
    EXPECT_EQ(board.count(BoardOp::OutputSetCount), 1u);
    EXPECT_EQ(board.count(BoardOp::OutputProcess), 0u);
    EXPECT_EQ(host.reports, std::vector<std::string>{"Parsing file\u2026"});
    EXPECT_TRUE(host.listings.empty());
    EXPECT_EQ(host.codePaneClears, 1u);
}

TEST_F(PlaybackRun, EachBlockGoesOutAtTheRateOfThatMoment) {
    const RowStore rows = CountingRows(1000);
    sampleHz = 123; // left over from an earlier run: the slider's position replaces it
    host.repeat = true;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // The board writes odd rates back; between blocks the user picks 2000 Hz once.
    const std::vector<double> written = {0, -5, nan, inf, 500};
    board.setHook([&](const CallEvent& call) {
        if (call.op != BoardOp::OutputProcess)
            return;
        if (call.opNumber <= written.size())
            *call.rate = written[call.opNumber - 1];
        if (call.opNumber == 7)
            host.repeat = false;
    });
    host.onServePendingEvents = [&] {
        if (host.eventsServed == 5)
            sampleHz = 2000;
    };
    Run(Settings(rows));

    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 7u);
    EXPECT_EQ(blocks[0]->rateSeen, 1000);
    EXPECT_EQ(blocks[1]->rateSeen, 0);
    EXPECT_EQ(blocks[2]->rateSeen, -5);
    EXPECT_TRUE(std::isnan(blocks[3]->rateSeen));
    EXPECT_EQ(blocks[4]->rateSeen, inf);
    EXPECT_EQ(blocks[5]->rateSeen, 2000);
    EXPECT_EQ(blocks[6]->rateSeen, 2000);
    for (const BoardCall* block : blocks)
        EXPECT_EQ(block->rateAddress, &sampleHz);
    EXPECT_EQ(host.reports[1], "Playing 1-sec file\u2026");
}

// A Play while a run serves events runs a whole second run inside the first; when it has ended
// with Repeat unticked, the first ends too, without another block.
TEST_F(PlaybackRun, NestedRunEndsTheOuterRun) {
    const RowStore outerRows = CountingRows(60);
    const RowStore innerRows = CountingRows(40, 2);
    host.repeat = true;
    host.onServePendingEvents = [&] {
        if (host.eventsServed == 2) {
            host.onServePendingEvents = nullptr;
            UntickRepeatOnBlock(5); // the inner run's third block
            Run(Settings(innerRows, 2));
        }
    };
    Run(Settings(outerRows));

    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0]->samples, CountingCodes(0, 20));
    EXPECT_EQ(blocks[1]->samples, CountingCodes(20, 20));
    EXPECT_EQ(blocks[2]->samples, CountingCodes(0, 20, 2));
    EXPECT_EQ(blocks[3]->samples, CountingCodes(20, 20, 2));
    EXPECT_EQ(blocks[4]->samples, CountingCodes(0, 20, 2));
    EXPECT_EQ(board.count(BoardOp::ReloadDeviceLinks), 2u);
    EXPECT_EQ(host.reports, (std::vector<std::string>{
                                "Parsing file\u2026", "Playing 0.06-sec file\u2026",
                                "Parsing file\u2026", "Playing 0.04-sec file\u2026", "", ""}));
    EXPECT_EQ(journal.back(), "ShowPlayReport()");
}

// A nested run that fails in its conversion leaves Repeat ticked, so the outer run goes on with
// its own codes, also after the table it was started from has been replaced.
TEST_F(PlaybackRun, OuterRunKeepsItsOwnCodesAfterAFailedNestedRunAndALoad) {
    RowStore table = CountingRows(60);
    host.repeat = true;
    host.onServePendingEvents = [&] {
        if (host.eventsServed != 1)
            return;
        table = test::RowsFromText("bad\n"); // a load replaces the table
        try {
            Run(Settings(table));
        } catch (const ConversionError&) {
            // the window's error display would show it; the outer run goes on
        }
    };
    UntickRepeatOnBlock(4);
    Run(Settings(table));

    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 4u);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        EXPECT_EQ(blocks[i]->samples, CountingCodes(20 * i % 60, 20)) << "block " << i;
    EXPECT_EQ(board.count(BoardOp::ReloadDeviceLinks), 2u);
    EXPECT_EQ(host.reports.back(), "");
}

TEST_F(PlaybackRun, RefusesBadSetupBeforeAnyBoardCall) {
    const RowStore rows = CountingRows(20);
    PlaybackSettings noChannels = Settings(rows, 0);
    PlaybackSettings tooManyChannels = Settings(rows, 17);
    PlaybackSettings noRange = Settings(rows);
    noRange.boardRange = -1;
    for (const PlaybackSettings* settings : {&noChannels, &tooManyChannels, &noRange})
        EXPECT_THROW(Run(*settings), std::invalid_argument);

    DacFunctions incomplete = RecordingBoard::functions();
    incomplete.outputProcess = nullptr;
    EXPECT_THROW(RunPlayback(incomplete, sampleHz, Settings(rows), host), std::invalid_argument);
    EXPECT_TRUE(board.calls().empty());
    EXPECT_TRUE(journal.empty());
}

} // namespace
} // namespace arb
