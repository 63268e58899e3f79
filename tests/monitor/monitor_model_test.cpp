#include "board/monitor_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace arb {
namespace {

using namespace std::chrono_literals;

BoardClock::time_point at(BoardClock::duration d) {
    return BoardClock::time_point(d);
}

// A table of `scans` scans of two channels: channel 1 counts up by `step` from `first`,
// channel 2 counts down from 65535.
std::vector<std::uint16_t> rampTable(std::uint32_t scans, std::uint16_t first = 0,
                                     std::uint16_t step = 100) {
    std::vector<std::uint16_t> codes;
    for (std::uint32_t k = 0; k < scans; ++k) {
        codes.push_back(static_cast<std::uint16_t>(first + k * step));
        codes.push_back(static_cast<std::uint16_t>(65535 - k));
    }
    return codes;
}

ReceivedBlock block(const std::vector<std::uint16_t>& codes, BoardClock::duration playsAt,
                    std::uint32_t channels = 2, double rateHz = 1000.0, std::uint32_t range = 3) {
    return {codes, channels, rateHz, at(playsAt), at(playsAt), range, false};
}

CodeSpan only(std::uint16_t code) {
    return {code, code};
}

// The spans of one channel.
std::vector<CodeSpan> channel(const std::vector<CodeSpan>& spans, std::size_t ch,
                              std::size_t columns) {
    return {spans.begin() + static_cast<std::ptrdiff_t>(ch * columns),
            spans.begin() + static_cast<std::ptrdiff_t>((ch + 1) * columns)};
}

// A simulated board on a manual clock with the model as its observer, driven as playback
// drives it.
class MonitorModelOnBoard : public ::testing::Test {
  protected:
    MonitorModelOnBoard() {
        board.setBlockObserver([this](const ReceivedBlock& b) { model.receive(b); });
    }
    void startRun(std::uint32_t channels, std::uint32_t range) {
        dac.reloadDeviceLinks();
        ASSERT_EQ(dac.setBoardRange(0, range), 0u);
        ASSERT_EQ(dac.outputSetCount(0, channels), 0u);
    }
    void sendBlock(const std::vector<std::uint16_t>& table, std::size_t blockIndex,
                   std::uint32_t channels) {
        const std::size_t count = 20 * channels;
        ASSERT_EQ(dac.outputProcess(0, &rate, static_cast<std::uint32_t>(count),
                                    table.data() + blockIndex * count),
                  0u);
    }

    ManualBoardClock clock;
    SimulatedBoard board{clock};
    DacFunctions dac = board.functions();
    MonitorModel model;
    double rate = 1000.0;
};

// A loop is counted when the run's first block comes round again, as a repeating playback sends
// it after the last whole block.
TEST_F(MonitorModelOnBoard, CountsALoopEachTimeTheRunsFirstBlockComesBack) {
    struct Case {
        const char* what;
        std::size_t blocksInTable;
        std::size_t sends;
        std::uint64_t loops;
    };
    const Case cases[] = {
        {"a plain Play", 3, 1, 0},
        {"three blocks, sent 0 1 2 0 1 2 0", 3, 7, 2},
        {"one block, sent five times", 1, 5, 4},
        {"two blocks, not yet round", 2, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto table = rampTable(static_cast<std::uint32_t>(20 * c.blocksInTable));
        startRun(2, 3);
        for (std::size_t i = 0; i < c.sends; ++i)
            sendBlock(table, i % c.blocksInTable, 2);
        EXPECT_EQ(model.run().loops, c.loops);
        EXPECT_EQ(model.run().blocks, c.sends);
        EXPECT_EQ(model.run().scans, 20 * c.sends);
    }
}

TEST_F(MonitorModelOnBoard, ANewRunStartsItsFiguresAfreshFromItsOwnFirstBlock) {
    const auto first = rampTable(40);
    clock.advance(5s);
    startRun(2, 3);
    for (std::size_t i = 0; i < 5; ++i)
        sendBlock(first, i % 2, 2);
    EXPECT_EQ(model.run().loops, 2u);
    EXPECT_EQ(model.run().startedAt, at(5s));
    EXPECT_DOUBLE_EQ(model.run().scanSeconds, 0.1);

    clock.advance(1s); // the buffer runs dry; the next run starts on an empty buffer
    const auto second = rampTable(40, 7);
    startRun(2, 1);
    rate = 2000.0;
    sendBlock(second, 0, 2);
    sendBlock(first, 0, 2); // the old run's first block is not this run's: no loop
    sendBlock(second, 1, 2);
    sendBlock(second, 0, 2);
    const MonitorRunFigures& run = model.run();
    EXPECT_EQ(run.loops, 1u);
    EXPECT_EQ(run.blocks, 4u);
    EXPECT_EQ(run.scans, 80u);
    EXPECT_EQ(run.rangeCode, 1u);
    EXPECT_EQ(run.channelCount, 2u);
    EXPECT_EQ(run.rateHz, 2000.0);
    EXPECT_EQ(run.startedAt, at(6s));
    EXPECT_DOUBLE_EQ(run.scanSeconds, 0.04);
}

// 1000 Hz: scan k of a block at time T is on the output from T + k ms to T + (k + 1) ms.
TEST(MonitorModel, EachColumnHoldsTheCodesOnTheOutputDuringIt) {
    const auto table = rampTable(20);
    MonitorModel model;
    model.receive(block(table, 0ms));

    // One column a scan.
    auto spans = model.columnSpans(at(0ms), at(20ms), 20);
    ASSERT_EQ(spans.size(), 40u);
    for (std::uint16_t k = 0; k < 20; ++k) {
        EXPECT_EQ(spans[k], only(static_cast<std::uint16_t>(100 * k))) << "column " << k;
        EXPECT_EQ(spans[20 + k], only(static_cast<std::uint16_t>(65535 - k))) << "column " << k;
    }
    // Two scans a column: the lower and the higher of the pair.
    spans = model.columnSpans(at(0ms), at(20ms), 10);
    for (std::uint16_t i = 0; i < 10; ++i) {
        const auto up = static_cast<std::uint16_t>(200 * i);
        EXPECT_EQ(spans[i], (CodeSpan{up, static_cast<std::uint16_t>(up + 100)}));
        EXPECT_EQ(spans[10 + i], (CodeSpan{static_cast<std::uint16_t>(65534 - 2 * i),
                                           static_cast<std::uint16_t>(65535 - 2 * i)}));
    }
    // Columns of 0.4 ms: a scan covers every column it touches, so column 2 (0.8 to 1.2 ms)
    // shows scans 0 and 1, column 3 (1.2 to 1.6 ms) scan 1 alone.
    spans = model.columnSpans(at(0ms), at(8ms), 20);
    EXPECT_EQ(spans[1], only(0));
    EXPECT_EQ(spans[2], (CodeSpan{0, 100}));
    EXPECT_EQ(spans[3], only(100));
    // Before the first block: nothing on the output yet.
    spans = model.columnSpans(at(-5ms), at(5ms), 10);
    for (std::size_t c = 0; c < 5; ++c)
        EXPECT_TRUE(spans[c].empty()) << "column " << c;
    EXPECT_EQ(spans[5], only(0));
}

// Like a DAC, the output keeps the last scan's code until the next scan: through the gap of an
// underrun and after the last block.
TEST(MonitorModel, TheLastScanHoldsThroughGapsAndAfterTheEnd) {
    const auto a = rampTable(20);
    const auto b = rampTable(20, 5000, 1);
    MonitorModel model;
    model.receive(block(a, 0ms));
    model.receive(block(b, 30ms));
    const auto spans = channel(model.columnSpans(at(0ms), at(60ms), 60), 0, 60);
    for (std::size_t c = 19; c < 30; ++c)
        EXPECT_EQ(spans[c], only(1900)) << "column " << c;
    EXPECT_EQ(spans[30], only(5000));
    EXPECT_EQ(spans[49], only(5019));
    for (std::size_t c = 50; c < 60; ++c)
        EXPECT_EQ(spans[c], only(5019)) << "column " << c;
}

// Rings of 100 codes and of 3 blocks: the oldest blocks make room, the kept ones stay exact
// across the rings' wrap.
TEST(MonitorModel, KeepsTheNewestBlocksExactWhenTheRingsWrap) {
    struct Case {
        const char* what;
        std::size_t codeCapacity, blockCapacity;
        std::size_t keptBlocks;
    };
    const Case cases[] = {
        {"the code ring is full", 100, 16, 2},
        {"the block ring is full", 1000, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorModel model(4.0, c.codeCapacity, c.blockCapacity);
        std::vector<std::vector<std::uint16_t>> tables;
        for (std::uint16_t i = 0; i < 5; ++i)
            tables.push_back(rampTable(20, static_cast<std::uint16_t>(10000 * i), 1));
        for (std::size_t i = 0; i < tables.size(); ++i)
            model.receive(block(tables[i], std::chrono::milliseconds(20 * i)));

        const auto spans = model.columnSpans(at(0ms), at(100ms), 100);
        const std::size_t firstKept = 5 - c.keptBlocks;
        for (std::size_t k = 0; k < 100; ++k) {
            SCOPED_TRACE(testing::Message() << "scan " << k);
            if (k < 20 * firstKept) {
                EXPECT_TRUE(spans[k].empty());
                continue;
            }
            EXPECT_EQ(spans[k], only(static_cast<std::uint16_t>(10000 * (k / 20) + k % 20)));
            EXPECT_EQ(spans[100 + k], only(static_cast<std::uint16_t>(65535 - k % 20)));
        }
    }
}

TEST(MonitorModel, ForgetsBlocksOnceTheyHaveLeftTheWindow) {
    const auto table = rampTable(20);
    MonitorModel model(1.0);
    model.receive(block(table, 0s));
    model.receive(block(table, 5s)); // the first block's last scan holds until here: still shown
    EXPECT_EQ(model.columnSpans(at(4s), at(5s), 1)[0], only(1900));
    model.receive(block(table, 10s));
    EXPECT_TRUE(model.columnSpans(at(0s), at(5s), 1)[0].empty());
    EXPECT_EQ(model.columnSpans(at(5s), at(6s), 1)[0], (CodeSpan{0, 1900}));
}

TEST(MonitorModel, AnotherChannelCountOrRangeStartsTheTracesAfresh) {
    const auto two = rampTable(20);
    const std::vector<std::uint16_t> one(20, 777);
    struct Case {
        const char* what;
        std::uint32_t channels;
        std::uint32_t range;
    };
    const Case cases[] = {{"one channel", 1, 3}, {"range 0-5V", 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorModel model;
        model.receive(block(two, 0ms));
        model.receive(block(c.channels == 1 ? one : two, 20ms, c.channels, 1000.0, c.range));
        const auto spans = model.columnSpans(at(0ms), at(40ms), 2);
        ASSERT_EQ(spans.size(), 2 * c.channels);
        EXPECT_TRUE(spans[0].empty());
        EXPECT_FALSE(spans[1].empty());
    }
}

} // namespace
} // namespace arb

namespace arb {
namespace {

TEST(RepaintAffordable, OnlyWhenTheBoardsBufferOutlastsTwoRepaintsWhileBlocksAreComing) {
    struct Case {
        const char* what;
        bool runStarted;
        BoardClock::duration sinceLastBlock;
        std::uint32_t fillScans;
        double repaintSeconds;
        bool affordable;
    };
    const Case cases[] = {
        {"no run yet", false, 0ms, 0, 0.006, true},
        {"playback stopped a second ago", true, 1s, 0, 0.006, true},
        {"256 scans queued: 31 ms against 6 ms", true, 2ms, 256, 0.006, true},
        {"20 scans queued: 2.4 ms against 6 ms", true, 2ms, 20, 0.006, false},
        {"49 scans queued: 6.0 ms, under twice 3 ms", true, 2ms, 49, 0.003, false},
        {"50 scans queued: 6.1 ms, over twice 3 ms", true, 2ms, 50, 0.003, true},
        {"an underrun: nothing queued", true, 2ms, 0, 0.001, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorRunFigures run;
        run.started = c.runStarted;
        run.lastReceivedAt = at(10s);
        SimulatedBoardFigures board;
        board.rateHz = 10e6 / 1221;
        board.fillScans = c.fillScans;
        EXPECT_EQ(RepaintAffordable(run, board, at(10s) + c.sinceLastBlock, c.repaintSeconds),
                  c.affordable);
    }
}

} // namespace
} // namespace arb
