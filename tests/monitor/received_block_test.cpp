// What the simulated board tells its observer beyond the codes: the samples' address, the range
// the block plays in, and whether it starts a stream.

#include "board/simulated_board.h"

#include <gtest/gtest.h>

#include <vector>

namespace arb {
namespace {

TEST(ReceivedBlock, CarriesTheSamplesAddressTheRangeAndTheStreamStart) {
    struct Seen {
        const std::uint16_t* samples;
        std::uint32_t rangeCode;
        bool startsStream;
        bool operator==(const Seen&) const = default;
    };
    ManualBoardClock clock;
    SimulatedBoard board(clock);
    const DacFunctions dac = board.functions();
    std::vector<Seen> seen;
    board.setBlockObserver([&](const ReceivedBlock& b) {
        seen.push_back({b.codes.data(), b.rangeCode, b.startsStream});
    });

    std::vector<std::uint16_t> table(60, 0x1234);
    double rate = 1000.0;
    const auto send = [&](std::size_t block) {
        return dac.outputProcess(0, &rate, 20, table.data() + 20 * block);
    };
    ASSERT_EQ(send(0), 0u); // before any ReloadDeviceLinks: the board's first stream
    ASSERT_EQ(dac.reloadDeviceLinks(), 0u);
    ASSERT_EQ(dac.setBoardRange(0, 1), 0u);
    ASSERT_EQ(send(0), 0u);
    ASSERT_EQ(send(1), 0u);
    ASSERT_NE(dac.outputProcess(0, &rate, 0, table.data()), 0u); // rejected: not seen
    ASSERT_EQ(send(2), 0u);
    ASSERT_EQ(dac.reloadDeviceLinks(), 0u);
    ASSERT_EQ(dac.setBoardRange(0, 2), 0u);
    ASSERT_EQ(send(1), 0u);

    const std::uint16_t* t = table.data();
    const std::vector<Seen> expected = {
        {t, 3, true}, {t, 1, true}, {t + 20, 1, false}, {t + 40, 1, false}, {t + 20, 2, true},
    };
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace arb
