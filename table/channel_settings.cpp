#include "channel_settings.h"

#include <algorithm>

namespace arb {

namespace {

// Channels stand 72 pixels apart from 8 pixels inside the group's left edge.
constexpr int kChannelPitch = 72;
constexpr int kFirstChannelLeft = 8;

} // namespace

ChannelCountPlan PlanChannelCount(std::size_t oldCount, std::size_t newCount, int boardRangeIndex) {
    ChannelCountPlan plan;
    plan.kept = std::min(oldCount, newCount);
    plan.removedFrom = plan.kept;
    plan.removedTo = oldCount > newCount ? oldCount : plan.kept;
    const BoardRange rangeCode = std::max(0, boardRangeIndex);
    for (std::size_t i = oldCount; i < newCount; ++i) {
        const int left = kChannelPitch * static_cast<int>(i) + kFirstChannelLeft;
        plan.created.push_back({i, "Ch " + std::to_string(i + 1), rangeCode,
                                Bounds{left, 16, 64, 16}, Bounds{left, 32, 64, 21}});
    }
    return plan;
}

} // namespace arb
