// test-labels: threaded
// The adjustment worker's ends under faults, on a scripted line with virtual time: a printer
// that keeps sending during the start purge, and a close that begins while the worker waits
// for its reply. (The same faults end to end on the virtual printer: ops_fault_e2e_test.)
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "PageWorkLineFixture.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "pages/AdjustWorker.h"

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
    int baseline = 0;
};

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

} // namespace
