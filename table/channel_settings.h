#pragma once

#include "board_range.h"

#include <cstddef>
#include <string>
#include <vector>

namespace arb {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Bounds&) const = default;
};

// One channel range setting to create: a caption label above a range drop-down.
struct NewChannelSetting {
    std::size_t index = 0;
    std::string caption; // "Ch 1" for index 0
    BoardRange rangeCode = 0;
    Bounds labelBounds;
    Bounds comboBounds;
};

// What SetChannelCount does to go from `oldCount` settings to `newCount`: settings below `kept`
// stay untouched, those from `kept` to oldCount - 1 are destroyed in ascending order, and
// `created` lists the new ones in ascending order.
struct ChannelCountPlan {
    std::size_t kept = 0;
    std::size_t removedFrom = 0, removedTo = 0; // half-open range [removedFrom, removedTo)
    std::vector<NewChannelSetting> created;
};

// `boardRangeIndex` is the board range selected now (-1 for none, which gives code 0).
ChannelCountPlan PlanChannelCount(std::size_t oldCount, std::size_t newCount, int boardRangeIndex);

} // namespace arb
