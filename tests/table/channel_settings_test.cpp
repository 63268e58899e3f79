#include "table/channel_settings.h"
#include "table/play_controls.h"

#include <gtest/gtest.h>

namespace arb {
namespace {

NewChannelSetting Setting(std::size_t i, BoardRange code) {
    const int left = 72 * static_cast<int>(i) + 8;
    return {i, "Ch " + std::to_string(i + 1), code, {left, 16, 64, 16}, {left, 32, 64, 21}};
}

void ExpectSame(const NewChannelSetting& actual, const NewChannelSetting& expected) {
    EXPECT_EQ(actual.index, expected.index);
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.rangeCode, expected.rangeCode);
    EXPECT_EQ(actual.labelBounds, expected.labelBounds);
    EXPECT_EQ(actual.comboBounds, expected.comboBounds);
}

TEST(PlanChannelCount, KeepsRemovesAndCreatesSettings) {
    struct Case {
        std::size_t oldCount, newCount;
        int boardRange;
        std::size_t kept, removedFrom, removedTo, createdFrom;
        BoardRange createdCode;
    };
    const Case cases[] = {
        {0, 4, 3, 0, 0, 0, 0, 3},  // first load: four new settings with the board range
        {4, 6, 0, 4, 4, 4, 4, 0},  // more columns: the four old ones stay, two are new
        {6, 2, 3, 2, 2, 6, 2, 0},  // fewer: 3 to 6 are removed
        {6, 0, 3, 0, 0, 6, 0, 0},  // none: everything goes
        {5, 5, 1, 5, 5, 5, 5, 0},  // same count: nothing changes
        {0, 2, -1, 0, 0, 0, 0, 0}, // no board range selected: code 0
        {0, 16, 2, 0, 0, 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.oldCount) + " -> " + std::to_string(c.newCount));
        const ChannelCountPlan plan = PlanChannelCount(c.oldCount, c.newCount, c.boardRange);
        EXPECT_EQ(plan.kept, c.kept);
        EXPECT_EQ(plan.removedFrom, c.removedFrom);
        EXPECT_EQ(plan.removedTo, c.removedTo);
        ASSERT_EQ(plan.created.size(), c.newCount - c.createdFrom);
        for (std::size_t i = c.createdFrom; i < c.newCount; ++i)
            ExpectSame(plan.created[i - c.createdFrom], Setting(i, c.createdCode));
    }
}

TEST(PlanChannelCount, PlacesChannelsSeventyTwoPixelsApart) {
    const ChannelCountPlan plan = PlanChannelCount(9, 11, 3);
    ASSERT_EQ(plan.created.size(), 2u);
    EXPECT_EQ(plan.created[0].caption, "Ch 10");
    EXPECT_EQ(plan.created[0].labelBounds, (Bounds{656, 16, 64, 16}));
    EXPECT_EQ(plan.created[1].comboBounds, (Bounds{728, 32, 64, 21}));
}

TEST(PlayControlsUsable, NeedsABoardRangeAndATable) {
    struct Case {
        int boardRange;
        bool loaded, usable;
    };
    const Case cases[] = {
        {0, true, true}, {3, true, true}, {-1, true, false}, {0, false, false}, {-1, false, false}};
    for (const Case& c : cases)
        EXPECT_EQ(PlayControlsUsable(c.boardRange, c.loaded), c.usable)
            << c.boardRange << " " << c.loaded;
}

} // namespace
} // namespace arb
