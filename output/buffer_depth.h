#pragma once

#include "board/dac_functions.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace arb {

struct BufferDepthCommand {
    std::string_view buttonName; // the button's object name
    std::string_view caption;
    std::uint16_t value; // sent with request 0xC7, index 1
};

inline constexpr std::array<BufferDepthCommand, 3> kBufferDepthCommands = {{
    {"BufDepthButton", "Configure Buffer for 20 deep", 19},
    {"BufDepth256Button", "Configure Buffer for 256 deep", 255},
    {"BufDepth1Button", "Configure Ring for 1 deep (?)", 1},
}};

// Sends one buffer-depth request; its result is discarded. Throws std::invalid_argument for an
// incomplete function table.
void SendBufferDepth(const DacFunctions& board, std::uint16_t value);

} // namespace arb
