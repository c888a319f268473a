// The record of the latest adjustment run: when the search counts as having been through all
// four levels, the passes in a row without a reading, and the end a stop request gives.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/SharedState.h"
#include "pages/AdjustRun.h"

namespace {

// Frames at these (level, intensity) pairs, each followed by a reply with a reading.
AdjustRunState RunOf(const std::vector<std::pair<int, int>>& frames) {
    NoteAdjustRunStart();
    for (const auto& [level, intensity] : frames) {
        NoteAdjustFrame(level, intensity);
        NoteAdjustReply(true, 4);
    }
    return LatestAdjustRun();
}

// The levels while the intensity overflows (3, 2, 1, 0, 3, ...) and while it underflows (3, then
// 4 sent as level 0, 1, 2, 3, ...): all four tried once the level leaves the fourth one.
TEST(AdjustRun, AllFourLevelsTriedOnceTheSearchGoesRoundAgain) {
    std::vector<std::pair<int, int>> over;
    for (int i = 0; i <= 240; i += i < 160 ? 32 : 16)
        over.push_back({3, i});
    over.insert(over.end(), {{2, 255}, {1, 255}, {0, 255}});
    EXPECT_FALSE(RunOf(over).allLevelsTried);
    over.push_back({0, 255}); // a fine step's pass at the same level
    EXPECT_FALSE(RunOf(over).allLevelsTried);
    over.push_back({3, 255});
    const AdjustRunState state = RunOf(over);
    EXPECT_TRUE(state.allLevelsTried);
    EXPECT_EQ(state.passes, over.size());
    EXPECT_EQ(state.level, 3);
    EXPECT_EQ(state.intensity, 255);

    const std::vector<std::pair<int, int>> under = {{3, 0},  {0, 127}, {0, 15}, {1, 127},
                                                    {1, 15}, {2, 127}, {2, 15}};
    EXPECT_FALSE(RunOf(under).allLevelsTried);
    auto again = under;
    again.push_back({3, 127});
    EXPECT_TRUE(RunOf(again).allLevelsTried);
    // Back and forth between two levels is not a round.
    EXPECT_FALSE(RunOf({{3, 0}, {2, 255}, {3, 127}, {2, 255}, {3, 127}}).allLevelsTried);
}

TEST(AdjustRun, PassesWithoutAReadingCountInARowOfOneKind) {
    NoteAdjustRunStart();
    NoteAdjustFrame(3, 0);
    NoteAdjustReply(false, 0);
    NoteAdjustReply(false, 0);
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 2u);
    EXPECT_TRUE(LatestAdjustRun().lastReplyEmpty);
    NoteAdjustReply(false, 7); // bytes, but no reading in them: a row of another kind
    NoteAdjustReply(false, 7);
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 2u);
    EXPECT_FALSE(LatestAdjustRun().lastReplyEmpty);
    NoteAdjustReply(true, 4);
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 0u);
    EXPECT_EQ(LatestAdjustRun().passes, 5u);
    EXPECT_EQ(LatestAdjustRun().end, AdjustEnd::kRunning);
}

TEST(AdjustRun, AStopRequestEndsAsItsCauseAndANewStartForgetsTheCause) {
    const std::pair<AdjustStopCause, AdjustEnd> cases[] = {
        {AdjustStopCause::kPageActivation, AdjustEnd::kStoppedByPage},
        {AdjustStopCause::kStopControl, AdjustEnd::kStoppedByUser},
        {AdjustStopCause::kOther, AdjustEnd::kStopped},
    };
    for (const auto& [cause, end] : cases) {
        NoteAdjustRunStart();
        ClearAdjustmentStop();
        RequestAdjustmentStop(cause);
        EXPECT_TRUE(g_bAdjustStop.load());
        NoteAdjustStopped();
        EXPECT_EQ(LatestAdjustRun().end, end);
    }
    RequestAdjustmentStop(AdjustStopCause::kStopControl);
    ClearAdjustmentStop(); // a new start
    EXPECT_FALSE(g_bAdjustStop.load());
    NoteAdjustRunStart();
    g_bAdjustStop = true; // set directly, as the window's close does
    NoteAdjustStopped();
    EXPECT_EQ(LatestAdjustRun().end, AdjustEnd::kStopped);
    g_bAdjustStop = false;
}

} // namespace
