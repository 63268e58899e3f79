#include "board/active_board.h"

#include "tests/board/recorded_calls.h"

#include <gtest/gtest.h>

#include <string>

namespace arb {
namespace {

TEST(ActiveBoard, UsesTheVendorLibraryWhenItBinds) {
    ActiveBoard board(RECORDING_BOARD_PATH);
    EXPECT_EQ(board.simulated(), nullptr);
    EXPECT_EQ(board.warning(), "");
    EXPECT_EQ(board.functions().reloadDeviceLinks(), RECORDING_RELOAD_RESULT);
}

TEST(ActiveBoard, FallsBackToTheSimulatedBoardWarningOnlyWhenALibraryIsBroken) {
    struct Case {
        const char* what;
        std::string library;
        std::string warningMentions; // empty: no warning
    };
    const Case cases[] = {
        {"absent", "libarb_absent_board.so", ""},
        {"not a library", NOT_A_LIBRARY_PATH, NOT_A_LIBRARY_PATH},
        {"lacks an export", INCOMPLETE_BOARD_PATH, "lacks the export DACOutputProcess"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ActiveBoard board(c.library);
        ASSERT_NE(board.simulated(), nullptr);
        EXPECT_TRUE(board.simulated()->isBound());
        if (c.warningMentions.empty()) {
            EXPECT_EQ(board.warning(), "");
        } else {
            EXPECT_NE(board.warning().find(c.warningMentions), std::string::npos)
                << board.warning();
            EXPECT_NE(board.warning().find("simulated board"), std::string::npos)
                << board.warning();
        }
        // The table drives the simulated board.
        ASSERT_EQ(board.functions().setBoardRange(0, 2), 0u);
        EXPECT_EQ(board.simulated()->figures().rangeCode, 2u);
    }
}

} // namespace
} // namespace arb
