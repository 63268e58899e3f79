#pragma once

namespace arb {

// Play and "Repeat While Checked" are usable exactly when a board range is selected (index 0 or
// more) and a table is loaded, whatever number of rows it holds.
constexpr bool PlayControlsUsable(int boardRangeIndex, bool tableLoaded) {
    return boardRangeIndex >= 0 && tableLoaded;
}

} // namespace arb
