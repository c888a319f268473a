// The record of the latest adjustment run, where the worker's tests (sensor_fault_line_test) do not
// reach: the round of levels while the intensity underflows, passes without a reading of two
// kinds in one run, and a new start that forgets who asked for the last stop.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "device/PortState.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"

namespace {

// Frames at these (level, intensity) pairs, each followed by a reply with a reading.
AdjustRunState RunOf(const std::vector<std::pair<int, int>>& frames) {
    NoteAdjustRunStart(Sensor::Reflective);
    for (const auto& [level, intensity] : frames) {
        NoteAdjustFrame(level, intensity);
        NoteAdjustReply(true, 4);
    }
    return LatestAdjustRun();
}

// While the intensity underflows the levels go 3, 4 (sent as level 0), 1, 2, 3: all four have
// been tried once the level leaves the fourth one. Back and forth between two is no round.
TEST(AdjustRun, AllFourLevelsTriedOnceTheSearchGoesRoundAgain) {
    std::vector<std::pair<int, int>> under = {{3, 0},  {0, 127}, {0, 15}, {1, 127},
                                              {1, 15}, {2, 127}, {2, 15}};
    EXPECT_FALSE(RunOf(under).allLevelsTried);
    under.push_back({3, 127});
    EXPECT_TRUE(RunOf(under).allLevelsTried);
    EXPECT_FALSE(RunOf({{3, 0}, {2, 255}, {3, 127}, {2, 255}, {3, 127}}).allLevelsTried);
}

TEST(AdjustRun, PassesWithoutAReadingCountInARowOfOneKind) {
    NoteAdjustRunStart(Sensor::Reflective);
    NoteAdjustFrame(3, 0);
    NoteAdjustReply(false, 0);
    NoteAdjustReply(false, 0);
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 2u);
    EXPECT_TRUE(LatestAdjustRun().lastReplyEmpty);
    NoteAdjustReply(false, 7); // bytes, but no reading in them: a row of another kind
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 1u);
    EXPECT_FALSE(LatestAdjustRun().lastReplyEmpty);
    NoteAdjustReply(true, 4);
    EXPECT_EQ(LatestAdjustRun().passesNoReading, 0u);
    EXPECT_EQ(LatestAdjustRun().passes, 4u);
}

TEST(AdjustRun, ANewStartForgetsWhoAskedForTheLastStop) {
    RequestAdjustmentStop(AdjustStopCause::kStopControl);
    EXPECT_TRUE(g_bAdjustStop.load());
    ClearAdjustmentStop(); // a new start
    EXPECT_FALSE(g_bAdjustStop.load());
    NoteAdjustRunStart(Sensor::Reflective);
    g_bAdjustStop = true; // set directly, as the window's close does
    NoteAdjustStopped();
    EXPECT_EQ(LatestAdjustRun().end, AdjustEnd::kStopped);
    g_bAdjustStop = false;
}

} // namespace
