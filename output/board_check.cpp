#include "board_check.h"

#include <stdexcept>

namespace arb {

void RequireCompleteBoard(const DacFunctions& board) {
    if (!board.reloadDeviceLinks || !board.setBoardRange || !board.vendorWrite ||
        !board.outputSetCount || !board.outputProcess)
        throw std::invalid_argument("The board's function table is incomplete.");
}

} // namespace arb
