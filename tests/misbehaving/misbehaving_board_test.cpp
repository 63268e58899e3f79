// A playback run against a vendor library that misbehaves: every call failing, rates written back
// that no board should give, blocks that take long. The run must end with the right texts, never
// divide by zero, and stop as soon as Repeat is unticked.

#include "output/buffer_depth.h"
#include "output/playback_run.h"
#include "tests/support/recording_board.h"
#include "tests/support/recording_host.h"
#include "tests/support/test_rows.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace arb {
namespace {

using test::BoardCall;
using test::BoardOp;
using test::CallEvent;
using test::RecordingBoard;
using test::RecordingHost;

// 40 rows: two whole blocks of one channel.
RowStore FortyRows() {
    std::string text;
    for (int r = 0; r < 40; ++r)
        text += std::to_string(r % 10) + "\n";
    return test::RowsFromText(text);
}

// One board, its host and the window's rate field; each case builds its own.
struct Bench {
    RecordingBoard board;
    RecordingBoard::Activation active{board};
    RecordingHost host;
    double sampleHz = 0;
    std::vector<BoardRange> ranges = std::vector<BoardRange>(16, 3);

    void Run(const RowStore& rows) {
        const PlaybackSettings settings{.rows = rows,
                                        .sliderPosition = 1000,
                                        .boardRange = 3,
                                        .channelCount = 1,
                                        .channelRanges = ranges,
                                        .decimalSeparator = '.'};
        RunPlayback(board.functions(), sampleHz, settings, host);
    }
    std::vector<const BoardCall*> Blocks() const { return board.callsOf(BoardOp::OutputProcess); }
};

TEST(MisbehavingBoard, FailingCallsEndTheRunWithTheirTexts) {
    struct Case {
        const char* what;
        std::uint32_t reload, range, write, count, process;
        std::size_t blocks;
        std::vector<RecordingHost::Warning> warnings;
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {"every call fails: the range ends the run",
         1,
         2,
         3,
         4,
         5,
         0,
         {{"Error 2 setting board range.", "DACSetBoardRange Error 2"}},
         {}},
        {"every call but the range fails: one block, then the output error",
         0xFFFFFFFF,
         0,
         3,
         4,
         0x80000000,
         1,
         {{"Error 2147483648 launching DAC output process.", "DACOutputProcess Error 2147483648"}},
         {"2147483648 error on DACOutputProcess"}},
        {"only results nobody examines fail: the run streams on", 7, 0, 3, 4, 0, 5, {}, {}},
    };
    const RowStore rows = FortyRows();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        bench.board.setResult(BoardOp::ReloadDeviceLinks, c.reload);
        bench.board.setResult(BoardOp::SetBoardRange, c.range);
        bench.board.setResult(BoardOp::VendorWrite, c.write);
        bench.board.setResult(BoardOp::OutputSetCount, c.count);
        bench.board.setResult(BoardOp::OutputProcess, c.process);
        bench.host.repeat = true;
        bench.host.onServePendingEvents = [&bench] {
            if (bench.host.eventsServed == 5)
                bench.host.repeat = false; // the user unticks Repeat
        };
        bench.Run(rows);

        EXPECT_EQ(bench.Blocks().size(), c.blocks);
        EXPECT_EQ(bench.host.warnings, c.warnings);
        EXPECT_EQ(bench.host.captions, c.captions);
        if (c.range != 0) { // nothing after the range: no set-up, no status text, Repeat kept
            EXPECT_EQ(bench.board.calls().size(), 2u);
            EXPECT_TRUE(bench.host.reports.empty());
            EXPECT_TRUE(bench.host.repeat);
        } else {
            EXPECT_EQ(bench.host.reports.back(), "");
            EXPECT_FALSE(bench.host.repeat);
        }

        // The buffer-depth commands discard their result, failed or not.
        for (const BufferDepthCommand& command : kBufferDepthCommands)
            EXPECT_NO_THROW(SendBufferDepth(bench.board.functions(), command.value));
    }
}

TEST(MisbehavingBoard, OddRatesWrittenBackAreSentOnAndTheNextRunStartsFromTheSlider) {
    const double odd[] = {0.0,
                          -0.0,
                          -1000.0,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::denorm_min(),
                          std::numeric_limits<double>::max()};
    const RowStore rows = FortyRows();
    for (const double rate : odd) {
        SCOPED_TRACE(rate);
        Bench bench;
        bench.host.repeat = true;
        bench.board.setHook([&](const CallEvent& call) {
            if (call.op != BoardOp::OutputProcess)
                return;
            *call.rate = rate;
            if (call.opNumber == 4)
                bench.host.repeat = false;
        });
        bench.Run(rows);

        const auto blocks = bench.Blocks();
        ASSERT_EQ(blocks.size(), 4u);
        EXPECT_EQ(blocks[0]->rateSeen, 1000.0);
        for (std::size_t b = 1; b < blocks.size(); ++b) // passed on unchanged, bit for bit
            EXPECT_EQ(std::bit_cast<std::uint64_t>(blocks[b]->rateSeen),
                      std::bit_cast<std::uint64_t>(rate));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(bench.sampleHz), std::bit_cast<std::uint64_t>(rate));
        // The length shown is the table's at the slider's rate, whatever the board wrote.
        EXPECT_EQ(
            bench.host.reports,
            (std::vector<std::string>{"Parsing file\u2026", "Playing 0.04-sec file\u2026", ""}));
        EXPECT_TRUE(bench.host.warnings.empty());

        bench.board.setHook({});
        bench.Run(rows);
        EXPECT_EQ(bench.Blocks().back()->rateSeen, 1000.0);
    }
}

TEST(MisbehavingBoard, SlowBlocksKeepTheRunGoingUntilRepeatIsUnticked) {
    struct Case {
        const char* what;
        std::size_t untickAfterEvents; // 0: the user never unticks
        std::size_t failingBlock;      // 0: no block fails
        std::size_t blocks;
    };
    const Case cases[] = {
        {"the user unticks Repeat while events are served", 6, 0, 6},
        {"the slow board fails on its third block", 0, 3, 3},
    };
    const RowStore rows = FortyRows();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        if (c.failingBlock != 0)
            bench.board.setResultOnCall(BoardOp::OutputProcess, c.failingBlock, 9);
        bench.board.setHook([](const CallEvent& call) {
            if (call.op == BoardOp::OutputProcess) // the board takes its time over every block
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        bench.host.repeat = true;
        bench.host.onServePendingEvents = [&] {
            if (bench.host.eventsServed == c.untickAfterEvents)
                bench.host.repeat = false;
        };
        bench.Run(rows);

        const auto blocks = bench.Blocks();
        ASSERT_EQ(blocks.size(), c.blocks);
        EXPECT_EQ(bench.host.eventsServed, c.blocks); // events were served after every block
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            EXPECT_EQ(blocks[b]->samplesAddress,
                      blocks[0]->samplesAddress + (b % 2) * 20 * sizeof(std::uint16_t));
            EXPECT_EQ(blocks[b]->samples.size(), 20u);
        }
        EXPECT_FALSE(bench.host.repeat);
        EXPECT_EQ(bench.host.warnings.empty(), c.failingBlock == 0);
    }
}

} // namespace
} // namespace arb
