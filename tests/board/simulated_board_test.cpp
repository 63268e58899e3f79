#include "board/simulated_board.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace arb {
namespace {

using namespace std::chrono_literals;
using Result = SimulatedBoardResult;
using Limits = SimulatedBoardLimits;

std::uint32_t code(Result r) {
    return static_cast<std::uint32_t>(r);
}

// A simulated board on a manual clock, driven through its function table as the program does.
class SimulatedBoardTest : public ::testing::Test {
  protected:
    // Sends one block of `scans` scans; the board writes its rate back into `rateHz`.
    std::uint32_t sendAt(std::uint32_t scans, double& rateHz) {
        std::vector<std::uint16_t> codes(std::size_t{scans} * board.figures().channelCount, 0x8000);
        return dac.outputProcess(0, &rateHz, static_cast<std::uint32_t>(codes.size()),
                                 codes.data());
    }
    std::uint32_t send(std::uint32_t scans, double rateHz = 1000.0) {
        return sendAt(scans, rateHz);
    }
    void setChannels(std::uint32_t channels) { ASSERT_EQ(dac.outputSetCount(0, channels), 0u); }
    void setDepthValue(std::uint16_t value) {
        ASSERT_EQ(dac.vendorWrite(0, kConfigRequest, value, kBufferDepthIndex, 0, nullptr), 0u);
    }

    ManualBoardClock clock;
    SimulatedBoard board{clock};
    DacFunctions dac = board.functions();
};

// Back-to-back blocks of 20 scans: the buffer drains from the first block on, so block k (from
// 1) fits, and its call returns, once 20k - depth scans have played.
TEST_F(SimulatedBoardTest, EachCallWaitsExactlyUntilItsBlockFits) {
    struct Case {
        const char* what;
        int depthValue; // -1: the default depth
        std::uint32_t depthScans;
        std::uint32_t channels;
        double rateHz;
        BoardClock::duration period;
    };
    const Case cases[] = {
        {"default depth", -1, Limits::kDefaultDepthScans, 1, 1000.0, 1ms},
        {"20 deep, 2 channels", 19, 20, 2, 2000.0, 500us},
        {"ring of 1", 1, 1, 1, 1000.0, 1ms},
        {"256 deep, 16 channels, 3 kHz", 255, 256, 16, 3000.0, 333300ns},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ManualBoardClock caseClock;
        SimulatedBoard caseBoard(caseClock);
        DacFunctions table = caseBoard.functions();
        if (c.depthValue >= 0)
            table.vendorWrite(0, kConfigRequest, static_cast<std::uint16_t>(c.depthValue),
                              kBufferDepthIndex, 0, nullptr);
        table.outputSetCount(0, c.channels);
        std::vector<std::uint16_t> block(20 * c.channels);
        for (std::int64_t k = 1; k <= 40; ++k) {
            double rate = c.rateHz;
            ASSERT_EQ(table.outputProcess(0, &rate, static_cast<std::uint32_t>(block.size()),
                                          block.data()),
                      0u);
            const std::int64_t mustHavePlayed = std::max<std::int64_t>(0, 20 * k - c.depthScans);
            ASSERT_EQ(caseClock.elapsed(), c.period * mustHavePlayed) << "block " << k;
            ASSERT_EQ(caseBoard.figures().fillScans, std::min<std::int64_t>(20 * k, c.depthScans));
        }
    }
}

TEST_F(SimulatedBoardTest, ANewRateDrainsTheBufferFromTheCallOn) {
    setDepthValue(19);
    ASSERT_EQ(send(20, 1000.0), 0u); // fills the 20 scans
    clock.advance(10ms);             // 10 played at 1 kHz
    ASSERT_EQ(send(20, 2000.0), 0u); // 10 more must play, at 0.5 ms each
    EXPECT_EQ(clock.elapsed(), 15ms);
    EXPECT_EQ(board.figures().rateHz, 2000.0);
}

TEST_F(SimulatedBoardTest, CountsAnUnderrunWhenTheBufferRanDryBeforeTheNextBlock) {
    struct Case {
        const char* what;
        BoardClock::duration gap; // after each block; 20 scans play in 20 ms
        bool reloadInGap;
        std::uint64_t underruns;
    };
    const Case cases[] = {
        {"next block comes early", 19ms, false, 0},
        {"next block comes exactly when the last scan ends", 20ms, false, 0},
        {"next block comes late", 21ms, false, 3},
        {"a new stream after re-linking is not an underrun", 21ms, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ManualBoardClock caseClock;
        caseClock.advance(1h); // idle before the first block: no underrun either
        SimulatedBoard caseBoard(caseClock);
        DacFunctions table = caseBoard.functions();
        std::vector<std::uint16_t> block(20);
        for (int i = 0; i < 4; ++i) {
            if (i > 0) {
                caseClock.advance(c.gap);
                if (c.reloadInGap)
                    table.reloadDeviceLinks();
            }
            double rate = 1000.0;
            ASSERT_EQ(table.outputProcess(0, &rate, 20, block.data()), 0u);
        }
        EXPECT_EQ(caseBoard.figures().underruns, c.underruns);
    }
}

TEST_F(SimulatedBoardTest, RunsAtTheNearestRateTheClockGivesAndWritesItBack) {
    struct Case {
        double requestedHz;
        std::uint32_t divisor; // of 10 MHz
    };
    const Case cases[] = {
        {1000.0, 10000}, {3000.0, 3333}, {8191.0, 1221},    {8192.0, 1221},
        {256.0, 39063},  {545.0, 18349}, {1.0, 10'000'000}, {1.5, 6'666'667},
        {500000.0, 20},  {499999.9, 20}, {333333.3, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.requestedHz << " Hz");
        const double expected = 10e6 / c.divisor;
        double rate = c.requestedHz;
        ASSERT_EQ(sendAt(1, rate), 0u);
        EXPECT_EQ(rate, expected);
        EXPECT_EQ(board.figures().rateHz, expected);
        ASSERT_EQ(sendAt(1, rate), 0u); // the rate written back is a rate the board runs at
        EXPECT_EQ(rate, expected);
    }
}

TEST(SimulatedBoardErrors, EachBadArgumentGetsItsCodeAndChangesNothing) {
    using Call = std::function<std::uint32_t(const DacFunctions&, double& rate,
                                             const std::uint16_t* samples)>;
    struct Case {
        const char* what;
        std::uint32_t channels;
        Call call;
        Result expected;
        double rateHz = 1000.0; // in the rate's variable before the call
    };
    const auto process = [](std::uint32_t device, std::uint32_t count) {
        return [=](const DacFunctions& f, double& rate, const std::uint16_t* samples) {
            return f.outputProcess(device, &rate, count, samples);
        };
    };
    const auto write = [](std::uint32_t device, std::uint8_t request, std::uint16_t value,
                          std::uint16_t index, std::uint32_t length, bool withData) {
        return [=](const DacFunctions& f, double&, const std::uint16_t* samples) {
            void* data = withData ? const_cast<std::uint16_t*>(samples) : nullptr;
            return f.vendorWrite(device, request, value, index, length, data);
        };
    };
    const auto range = [](std::uint32_t device, std::uint32_t code) {
        return [=](const DacFunctions& f, double&, const std::uint16_t*) {
            return f.setBoardRange(device, code);
        };
    };
    const auto setCount = [](std::uint32_t device, std::uint32_t n) {
        return [=](const DacFunctions& f, double&, const std::uint16_t*) {
            return f.outputSetCount(device, n);
        };
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"range 3", 1, range(0, 3), Result::Ok},
        {"range 4", 1, range(0, 4), Result::BadRange},
        {"range all bits", 1, range(0, 0xFFFFFFFFu), Result::BadRange},
        {"range on device 1", 1, range(1, 0), Result::BadDevice},
        {"set count 16", 1, setCount(0, 16), Result::Ok},
        {"set count 0", 1, setCount(0, 0), Result::BadChannelCount},
        {"set count 17", 1, setCount(0, 17), Result::BadChannelCount},
        {"set count on device 2", 1, setCount(2, 1), Result::BadDevice},
        {"request 16 channels", 1, write(0, 0xC7, 16 * 256 + 1, 0, 0, false), Result::Ok},
        {"request 0 channels", 1, write(0, 0xC7, 0 * 256 + 1, 0, 0, false),
         Result::BadChannelCount},
        {"request 17 channels", 1, write(0, 0xC7, 17 * 256 + 1, 0, 0, false),
         Result::BadChannelCount},
        {"channel request without its low byte 1", 1, write(0, 0xC7, 2 * 256, 0, 0, false),
         Result::BadRequest},
        {"unknown request", 1, write(0, 0xC6, 19, 1, 0, false), Result::BadRequest},
        {"unknown index", 1, write(0, 0xC7, 19, 2, 0, false), Result::BadRequest},
        {"request with data", 1, write(0, 0xC7, 19, 1, 2, true), Result::BadRequest},
        {"data length without data", 1, write(0, 0xC7, 19, 1, 2, false), Result::NullAddress},
        {"request on device 1", 1, write(1, 0xC7, 19, 1, 0, false), Result::BadDevice},
        {"block on device 1", 1, process(1, 20), Result::BadDevice},
        {"no rate address", 1,
         [](const DacFunctions& f, double&, const std::uint16_t* samples) {
             return f.outputProcess(0, nullptr, 20, samples);
         },
         Result::NullAddress},
        {"no sample address", 1,
         [](const DacFunctions& f, double& rate, const std::uint16_t*) {
             return f.outputProcess(0, &rate, 20, nullptr);
         },
         Result::NullAddress},
        {"slowest rate", 1, process(0, 20), Result::Ok, 1.0},
        {"fastest rate", 1, process(0, 20), Result::Ok, 500e3},
        {"rate below 1 Hz", 1, process(0, 20), Result::BadRate, 0.999},
        {"rate 0", 1, process(0, 20), Result::BadRate, 0.0},
        {"negative rate", 1, process(0, 20), Result::BadRate, -1000.0},
        {"rate above 500 kHz", 1, process(0, 20), Result::BadRate, 500000.5},
        {"rate not a number", 1, process(0, 20), Result::BadRate, nan},
        {"infinite rate", 1, process(0, 20), Result::BadRate, inf},
        {"no samples", 1, process(0, 0), Result::BadSampleCount},
        {"41 samples on 2 channels", 2, process(0, 41), Result::BadSampleCount},
        {"largest block", 1, process(0, Limits::kMaxScansPerBlock), Result::Ok},
        {"block above the limit", 1, process(0, Limits::kMaxScansPerBlock + 1),
         Result::BadSampleCount},
    };
    const std::vector<std::uint16_t> samples(Limits::kMaxScansPerBlock + 1, 0x1234);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ManualBoardClock clock;
        SimulatedBoard board(clock);
        const DacFunctions dac = board.functions();
        ASSERT_EQ(dac.outputSetCount(0, c.channels), 0u);
        const SimulatedBoardFigures before = board.figures();
        double rate = c.rateHz;

        EXPECT_EQ(c.call(dac, rate, samples.data()), code(c.expected));
        SimulatedBoardFigures after = board.figures();
        if (c.expected == Result::Ok) {
            EXPECT_EQ(after.rejectedCalls, 0u);
            continue;
        }
        EXPECT_EQ(after.rejectedCalls, 1u);
        after.rejectedCalls = 0;
        EXPECT_EQ(after, before);
        EXPECT_TRUE(std::isnan(c.rateHz) ? std::isnan(rate) : rate == c.rateHz)
            << "a rejected call wrote the rate back: " << rate;
    }
}

TEST_F(SimulatedBoardTest, BufferDepthRequestsSetTheDepth) {
    struct Case {
        std::uint16_t value;
        std::uint32_t depthScans;
    };
    const Case cases[] = {{19, 20}, {255, 256}, {1, 1}, {0, 1}, {2, 3}, {65535, 65536}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        setDepthValue(c.value);
        EXPECT_EQ(board.figures().depthScans, c.depthScans);
    }
}

TEST_F(SimulatedBoardTest, ChannelCountComesFromTheRequestAndFromSetCount) {
    for (const bool byRequest : {true, false}) {
        for (const std::uint32_t n : {2u, 16u, 1u}) {
            SCOPED_TRACE(testing::Message() << (byRequest ? "request " : "set count ") << n);
            const std::uint32_t result =
                byRequest
                    ? dac.vendorWrite(0, kConfigRequest, static_cast<std::uint16_t>(n * 256 + 1),
                                      kChannelCountIndex, 0, nullptr)
                    : dac.outputSetCount(0, n);
            ASSERT_EQ(result, 0u);
            EXPECT_EQ(board.figures().channelCount, n);
            ASSERT_EQ(send(20), 0u); // 20 × n samples: 20 whole scans
            for (std::uint32_t ch = 0; ch < n; ++ch)
                EXPECT_EQ(board.history(ch).size(), 20u) << "channel " << ch;
            EXPECT_TRUE(board.history(n).empty());
        }
    }
}

TEST_F(SimulatedBoardTest, FiguresAfterARun) {
    ASSERT_EQ(dac.reloadDeviceLinks(), 0u);
    ASSERT_EQ(dac.setBoardRange(0, 1), 0u);
    setChannels(2);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(send(20), 0u);
    // 600 scans into a 256-deep buffer at 1 kHz: the last call returned at 344 ms.
    EXPECT_EQ(clock.elapsed(), 344ms);
    clock.advance(100ms);
    SimulatedBoardFigures expected;
    expected.scansSent = 600;
    expected.scansPlayed = 444;
    expected.blocksReceived = 30;
    expected.fillScans = 156;
    expected.depthScans = 256;
    expected.rateHz = 1000.0;
    expected.rangeCode = 1;
    expected.channelCount = 2;
    EXPECT_EQ(board.figures(), expected);

    clock.advance(1s);
    EXPECT_EQ(board.figures().scansPlayed, 600u);
    EXPECT_EQ(board.figures().fillScans, 0u);
    board.resetCounters();
    EXPECT_EQ(board.figures().scansSent, 0u);
    EXPECT_EQ(board.figures().scansPlayed, 0u);
    EXPECT_EQ(board.figures().channelCount, 2u);
}

TEST_F(SimulatedBoardTest, HistoryKeepsTheLastSecondsOfEachChannel) {
    setChannels(2);
    // Code of scan s, channel c: 2s + c, so every sample says where it came from.
    std::uint32_t scan = 0;
    auto sendScans = [&](std::uint32_t scans, double rateHz) {
        std::vector<std::uint16_t> codes;
        for (std::uint32_t i = 0; i < scans; ++i, ++scan)
            for (std::uint32_t ch = 0; ch < 2; ++ch)
                codes.push_back(static_cast<std::uint16_t>(2 * scan + ch));
        ASSERT_EQ(
            dac.outputProcess(0, &rateHz, static_cast<std::uint32_t>(codes.size()), codes.data()),
            0u);
    };
    auto expectLastScans = [&](std::uint32_t count) {
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            std::vector<std::uint16_t> expected;
            for (std::uint32_t s = scan - count; s < scan; ++s)
                expected.push_back(static_cast<std::uint16_t>(2 * s + ch));
            EXPECT_EQ(board.history(ch), expected) << "channel " << ch;
        }
    };

    for (int i = 0; i < 250; ++i)
        sendScans(20, 1000.0);
    EXPECT_EQ(board.historyCapacity(), 4000u); // 4 s at 1 kHz
    expectLastScans(4000);

    sendScans(20, 10.0); // 4 s at 10 Hz: the newest 40
    expectLastScans(40);

    sendScans(20, 500e3);
    EXPECT_EQ(board.historyCapacity(), Limits::kHistoryCap);
    expectLastScans(60);

    setChannels(3); // the channels no longer line up: start again
    for (std::uint32_t ch = 0; ch < 3; ++ch)
        EXPECT_TRUE(board.history(ch).empty());
}

TEST_F(SimulatedBoardTest, ObserverSeesEveryAcceptedBlockAsReceived) {
    struct Seen {
        std::vector<std::uint16_t> codes;
        std::uint32_t channels;
        double rateHz;
        BoardClock::duration receivedAt, playsAt;
    };
    std::vector<Seen> seen;
    board.setBlockObserver([&](const ReceivedBlock& b) {
        seen.push_back({{b.codes.begin(), b.codes.end()},
                        b.channelCount,
                        b.rateHz,
                        b.receivedAt.time_since_epoch(),
                        b.playsAt.time_since_epoch()});
    });
    setDepthValue(19);
    setChannels(2);
    std::vector<std::vector<std::uint16_t>> blocks;
    for (std::uint16_t i = 0; i < 3; ++i) {
        blocks.emplace_back(40);
        for (std::uint16_t j = 0; j < 40; ++j)
            blocks.back()[j] = static_cast<std::uint16_t>(1000 * i + j);
    }
    double rate = 1000.0;
    ASSERT_EQ(dac.outputProcess(0, &rate, 40, blocks[0].data()), 0u); // plays at once
    ASSERT_EQ(dac.outputProcess(0, &rate, 40, blocks[1].data()), 0u); // waits for room
    clock.advance(30ms); // the second block has played by 40 ms: dry from then
    rate = 3000.0;
    ASSERT_EQ(dac.outputProcess(0, &rate, 40, blocks[2].data()), 0u);
    ASSERT_NE(dac.outputProcess(0, &rate, 39, blocks[2].data()), 0u); // rejected: not seen

    ASSERT_EQ(seen.size(), 3u);
    const BoardClock::duration received[] = {0ms, 20ms, 50ms};
    const BoardClock::duration plays[] = {0ms, 20ms, 50ms};
    const double rates[] = {1000.0, 1000.0, 10e6 / 3333};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "block " << i);
        EXPECT_EQ(seen[i].codes, blocks[i]);
        EXPECT_EQ(seen[i].channels, 2u);
        EXPECT_EQ(seen[i].rateHz, rates[i]);
        EXPECT_EQ(seen[i].receivedAt, received[i]);
        EXPECT_EQ(seen[i].playsAt, plays[i]);
    }
}

TEST_F(SimulatedBoardTest, ABlockQueuedBehindOthersPlaysWhenTheyHavePlayed) {
    std::vector<BoardClock::duration> plays;
    board.setBlockObserver(
        [&](const ReceivedBlock& b) { plays.push_back(b.playsAt.time_since_epoch()); });
    ASSERT_EQ(send(20), 0u);
    clock.advance(5ms);
    ASSERT_EQ(send(20), 0u);
    EXPECT_EQ(plays, (std::vector<BoardClock::duration>{0ms, 20ms}));
}

TEST(SimulatedBoardBinding, TheTableReachesTheBoardBoundLastAndNoneAfterItIsGone) {
    ManualBoardClock clock;
    SimulatedBoard first(clock);
    const DacFunctions table = first.functions();
    EXPECT_TRUE(first.isBound());
    {
        SimulatedBoard second(clock);
        second.functions();
        EXPECT_FALSE(first.isBound());
        ASSERT_EQ(table.setBoardRange(0, 1), 0u);
        EXPECT_EQ(second.figures().rangeCode, 1u);
        EXPECT_NE(first.figures().rangeCode, 1u);
    }
    EXPECT_EQ(SimulatedBoard::boundInstance(), nullptr);

    const std::uint32_t notBound = code(Result::NotBound);
    double rate = 1000.0;
    const std::uint16_t sample = 0;
    EXPECT_EQ(table.reloadDeviceLinks(), notBound);
    EXPECT_EQ(table.setBoardRange(0, 1), notBound);
    EXPECT_EQ(table.vendorWrite(0, kConfigRequest, 257, 0, 0, nullptr), notBound);
    EXPECT_EQ(table.outputSetCount(0, 1), notBound);
    EXPECT_EQ(table.outputProcess(0, &rate, 1, &sample), notBound);

    first.functions(); // binding again brings it back
    EXPECT_EQ(table.setBoardRange(0, 2), 0u);
    EXPECT_EQ(first.figures().rangeCode, 2u);
}

} // namespace
} // namespace arb
