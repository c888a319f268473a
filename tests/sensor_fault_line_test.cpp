// test-labels: threaded
// The adjustment worker's ends under faults, on a scripted line with virtual time: a printer
// that keeps sending during the start purge, a close that begins while the worker waits for
// its reply, and how each way a run ends (or goes on without readings) is recorded for the
// page. (The same faults end to end on the virtual printer: sensor_fault_e2e_test.)
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "PageWorkLineFixture.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

namespace {

// A wait hook that counts the waits and, at the given one, runs an action (standing for the
// user interface thread acting while the worker waits). Time does not advance, so what has
// arrived stays what has arrived.
std::atomic<int> s_waits{0};
std::atomic<int> s_actAt{0};
void (*s_action)() = nullptr;

void CountingSleep(unsigned) {
    if (++s_waits == s_actAt.load() && s_action != nullptr) {
        s_action();
    }
}

class WorkerFaultTest : public LineFixture {
  protected:
    void SetUp() override {
        LineFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        SetAdjustmentStartState();
        baseline = SuspendCount();
    }
    void TearDown() override {
        EXPECT_EQ(SuspendCount(), baseline);
        EXPECT_EQ(line.CallsOnClosedHandle(), 0);
        s_action = nullptr;
        s_actAt = 0;
        s_waits = 0;
        g_bAdjustStop = false;
        LineFixture::TearDown();
    }
    void ActAtWait(int wait, void (*action)()) {
        s_waits = 0;
        s_actAt = wait;
        s_action = action;
        tarvello::SetSleepHook(&CountingSleep);
    }
    // The printer answers every adjustment frame with text (nothing: silence).
    void Answer(const std::string& text) {
        line.OnWrite([text](const FakeLine::Bytes& bytes) {
            std::vector<FakeLine::Reply> replies;
            if (bytes.size() == 8 && !text.empty())
                replies.push_back({text, 0});
            return replies;
        });
    }
    // A run from the start state with an action at one wait: its exit code and its record.
    AdjustRunState Run(int actAtWait, void (*action)(), int expectedExit = 0) {
        SetAdjustmentStartState();
        ClearAdjustmentStop();
        ActAtWait(actAtWait, action);
        EXPECT_EQ(ReflectiveAdjustThread({}), expectedExit);
        return LatestAdjustRun();
    }
    int baseline = 0;
};

// The waits: the start purge's, then per pass the discarding read's and one per reply attempt
// (one when the printer answers at once, ten when it is silent). The action comes at a pass's
// discarding read, so that pass's stop check sees it.
constexpr int kPrompt = 2;
constexpr int kSilent = 11;
int FlushWaitOfPass(int pass, int waitsPerPass) {
    return 1 + (pass - 1) * waitsPerPass + 1;
}

// A megabyte waits in the input (a printer that keeps sending): the purge before the first
// pass reads 30 bytes per 100 ms and would take an hour. A stop request, or the first step of
// a close, ends it at its next pass; nothing is sent.
TEST_F(WorkerFaultTest, StartPurgeEndsOnAStopRequestOrAClosingPort) {
    const std::string flood(1 << 20, '.');
    line.Arrive(flood);
    ActAtWait(5, [] { g_bAdjustStop = true; });
    EXPECT_EQ(ReflectiveAdjustThread({}), 0);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_LE(s_waits.load(), 6);
    EXPECT_GT(line.Queued(), flood.size() - 1000) << "the purge ran on after the stop";

    g_bAdjustStop = false;
    ActAtWait(3, [] { g_bPortOpen = false; });
    EXPECT_EQ(TransmissiveAdjustThread({}), 1);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_LE(s_waits.load(), 4);

    // The purge of the primitives on its own, with and without a stop.
    g_bPortOpen = true;
    ActAtWait(0, nullptr);
    static std::atomic<int> asked{0};
    asked = 0;
    PurgeInput([] { return ++asked > 2; });
    EXPECT_EQ(asked.load(), 3);
    EXPECT_EQ(s_waits.load(), 2);
}

// The close begins (the port-open flag is cleared, the handle still valid for its second)
// while the worker waits: the worker ends at its next look, before another wait or reply read,
// so it can never reach a port opened again after the close.
TEST_F(WorkerFaultTest, AClosingPortEndsTheWorkerBeforeItsNextReadOrWait) {
    for (int wait : {2, 3, 4, 8}) {
        SCOPED_TRACE(wait);
        const size_t readsBefore = line.ReadCount();
        const size_t writesBefore = line.WriteCount();
        g_bPortOpen = true;
        // Waits: the start purge (1), the pass's discarding read (2), then the reply attempts.
        ActAtWait(wait, [] { g_bPortOpen = false; });
        EXPECT_EQ(ReflectiveAdjustThread({}), 1);
        EXPECT_EQ(s_waits.load(), wait) << "the worker waited again after the close began";
        // A reply attempt's read after the wait at which the close began is not made; the
        // discarding read of the pass is the flush's own (one read right after its wait, still
        // within the close's second).
        const size_t reads = wait == 2 ? 2u : static_cast<size_t>(wait - 1);
        EXPECT_EQ(line.ReadCount() - readsBefore, reads);
        EXPECT_EQ(line.WriteCount() - writesBefore, wait >= 3 ? 1u : 0u)
            << "one frame at most, sent before the close began";
    }
}

// Every end with its cause: success with the levels found, the stop control, a page
// activation, a closed port, a frame that could not be written.
TEST_F(WorkerFaultTest, EveryEndIsRecordedWithItsCause) {
    Answer("127/"); // 2.4902 V: in the band of 2.5 V at once
    AdjustRunState r = Run(0, nullptr);
    EXPECT_EQ(r.end, AdjustEnd::kSuccess);
    EXPECT_EQ(r.passes, 1u);
    EXPECT_EQ(r.level, 3);
    EXPECT_EQ(r.intensity, 0);

    Answer("255/"); // too high for ever
    r = Run(FlushWaitOfPass(3, kPrompt),
            [] { RequestAdjustmentStop(AdjustStopCause::kStopControl); });
    EXPECT_EQ(r.end, AdjustEnd::kStoppedByUser);
    EXPECT_EQ(r.passes, 2u);
    r = Run(FlushWaitOfPass(2, kPrompt),
            [] { RequestAdjustmentStop(AdjustStopCause::kPageActivation); });
    EXPECT_EQ(r.end, AdjustEnd::kStoppedByPage);
    EXPECT_EQ(r.passes, 1u);
    r = Run(
        FlushWaitOfPass(2, kPrompt) + 1, [] { g_bPortOpen = false; }, 1);
    EXPECT_EQ(r.end, AdjustEnd::kPortClosed);
    g_bPortOpen = true;
    line.SetShortWrites(1);
    r = Run(0, nullptr, 1);
    EXPECT_EQ(r.end, AdjustEnd::kWriteFailed);
    EXPECT_EQ(r.passes, 0u);
}

// Silence and replies without a reading do not end a run: they count, in a row, and say whether
// any bytes came; a reading starts the count again.
TEST_F(WorkerFaultTest, PassesWithoutAReadingCountWhileTheRunGoesOn) {
    Answer("");
    AdjustRunState r =
        Run(FlushWaitOfPass(3, kSilent), [] { RequestAdjustmentStop(AdjustStopCause::kOther); });
    EXPECT_EQ(r.end, AdjustEnd::kStopped);
    EXPECT_EQ(r.passes, 2u);
    EXPECT_EQ(r.passesNoReading, 2u);
    EXPECT_TRUE(r.lastReplyEmpty);
    Answer("no reading here");
    r = Run(FlushWaitOfPass(4, kPrompt), [] { g_bAdjustStop = true; });
    EXPECT_EQ(r.passesNoReading, 3u);
    EXPECT_FALSE(r.lastReplyEmpty);
}

// Readings always too high: level 3 from 0 to 240 (11 frames), then 2, 1 and 0 at 255, then
// level 3 at 255 again, where the search has been through all four levels.
TEST_F(WorkerFaultTest, AllLevelsTriedOnceTheSearchComesRoundToLevelThreeAgain) {
    Answer("255/");
    AdjustRunState r = Run(FlushWaitOfPass(15, kPrompt), [] { g_bAdjustStop = true; });
    EXPECT_EQ(r.passes, 14u);
    EXPECT_EQ(r.level, 0);
    EXPECT_FALSE(r.allLevelsTried);
    r = Run(FlushWaitOfPass(16, kPrompt), [] { g_bAdjustStop = true; });
    EXPECT_EQ(r.passes, 15u);
    EXPECT_EQ(r.level, 3);
    EXPECT_EQ(r.intensity, 255);
    EXPECT_TRUE(r.allLevelsTried);
}

} // namespace
