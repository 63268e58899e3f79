#include "output/buffer_depth.h"

#include "tests/support/recording_board.h"

#include <gtest/gtest.h>

namespace arb {
namespace {

using test::BoardOp;
using test::RecordingBoard;

// Each command sends exactly one request, with index 1, and ignores a failed answer.
TEST(SendBufferDepth, OneVendorRequestPerCommand) {
    const std::uint16_t expectedValues[] = {19, 255, 1};
    for (std::size_t i = 0; i < kBufferDepthCommands.size(); ++i) {
        for (std::uint32_t answer : {0u, 3u}) {
            RecordingBoard board;
            RecordingBoard::Activation active(board);
            board.setResult(BoardOp::VendorWrite, answer);
            EXPECT_NO_THROW(SendBufferDepth(board.functions(), kBufferDepthCommands[i].value));

            ASSERT_EQ(board.calls().size(), 1u) << kBufferDepthCommands[i].caption;
            const test::BoardCall& call = board.calls()[0];
            EXPECT_EQ(call.op, BoardOp::VendorWrite);
            EXPECT_EQ(call.deviceIndex, 0u);
            EXPECT_EQ(call.request, 0xC7);
            EXPECT_EQ(call.value, expectedValues[i]) << kBufferDepthCommands[i].caption;
            EXPECT_EQ(call.index, 1);
            EXPECT_EQ(call.dataLength, 0u);
            EXPECT_TRUE(call.dataIsNull);
        }
    }
}

} // namespace
} // namespace arb
