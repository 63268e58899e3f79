#include "buffer_depth.h"

#include "board_check.h"

namespace arb {

void SendBufferDepth(const DacFunctions& board, std::uint16_t value) {
    RequireCompleteBoard(board);
    board.vendorWrite(0, kConfigRequest, value, kBufferDepthIndex, 0, nullptr);
}

} // namespace arb
