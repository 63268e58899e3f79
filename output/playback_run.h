#pragma once

#include "board/dac_functions.h"
#include "playback_host.h"
#include "table/board_range.h"
#include "table/row_store.h"

#include <span>

namespace arb {

// What a run reads from the window when it starts.
struct PlaybackSettings {
    const RowStore& rows;
    int sliderPosition = 1000; // the rate slider, 256..8192
    BoardRange boardRange = 3;
    int channelCount = 1; // 1..16
    std::span<const BoardRange> channelRanges;
    char decimalSeparator = '.';
};

// One playback run: sets up the board, converts the table, sends blocks of 20 scans once, or
// while the host's Repeat stays ticked. `sampleHz` is the window's rate field: set from the
// slider at the start, its address passed with every block, so the board and the rate controls
// may change it between blocks. Throws ConversionError when the table cannot be converted, and
// std::invalid_argument (before any board call) for an incomplete function table, a channel count
// outside 1..16 or a board range outside 0..3. A table of fewer than 20 rows goes out as one
// shorter block of all its rows; an empty table sends nothing.
void RunPlayback(const DacFunctions& board, double& sampleHz, const PlaybackSettings& settings,
                 PlaybackHost& host);

} // namespace arb
