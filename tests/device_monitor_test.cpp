// test-labels: threaded
// The status monitor on a scripted line with virtual time: its passes, its texts, its waits,
// its ends, and the gate.
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

#include "LineFixture.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"

namespace {

using namespace std::chrono_literals;

class RecordingSink : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        shown_.push_back({controlId, text});
    }
    std::vector<StatusText> Shown() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return shown_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return shown_.size();
    }
    std::string LastText() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return shown_.empty() ? std::string() : shown_.back().text;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<StatusText> shown_;
};

// Waits (in real time) until the condition holds; false after the timeout.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout = 5s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool IsStatusFrame(const FakeLine::Bytes& bytes) {
    return bytes == BuildStatusFrame();
}

class MonitorTest : public LineFixture {
  protected:
    void SetUp() override {
        g_fSensorSupply = 5.0f;
        LineFixture::SetUp();
    }
    void TearDown() override {
        g_bPortOpen = false;
        WaitStatusMonitorEnd();
        EXPECT_EQ(line.CallsOnClosedHandle(), 0);
        EXPECT_EQ(g_pMonitorThread.load()->SuspendCount(), 0);
        LineFixture::TearDown();
    }
    void AnswerStatus(const std::string& reply, uint64_t afterMs = 5) {
        line.OnWrite([reply, afterMs](const FakeLine::Bytes& bytes) {
            std::vector<FakeLine::Reply> replies;
            if (IsStatusFrame(bytes)) {
                replies.push_back({reply, afterMs});
            }
            return replies;
        });
    }
    size_t StatusWrites() const { return line.CountWrites(BuildStatusFrame()); }
    bool MonitorEnds() {
        return Eventually([] { return !g_pMonitorThread.load()->IsRunning(); });
    }
    RecordingSink sink;
};

TEST_F(MonitorTest, ExampleReplyGivesTheThreeTexts) {
    AnswerStatus("exist 128/headpos 7/ribbon 255/");
    StartStatusMonitor(&sink);
    ASSERT_NE(g_pMonitorThread.load(), nullptr);
    ASSERT_TRUE(Eventually([&] { return sink.Count() >= 3; }));
    const auto shown = sink.Shown();
    EXPECT_EQ(shown[0].controlId, 1042);
    EXPECT_EQ(shown[0].text, "2.5098");
    EXPECT_EQ(shown[1].controlId, 1021);
    EXPECT_EQ(shown[1].text, "0.1373");
    EXPECT_EQ(shown[2].controlId, 1048);
    EXPECT_EQ(shown[2].text, "5.0000");
}

TEST_F(MonitorTest, PromptPassTakes700msOfWaits) {
    AnswerStatus("ribbon 1/");
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return StatusWrites() >= 4; }));
    g_bPortOpen = false;
    WaitStatusMonitorEnd();
    const auto times = line.WriteTimes();
    // Flush 100 ms, one reply attempt of 500 ms, 100 ms at the end of the pass.
    for (size_t k = 1; k < 4; ++k) {
        EXPECT_EQ(times[k] - times[k - 1], 700u) << k;
    }
    const auto sleeps = line.Sleeps();
    ASSERT_GE(sleeps.size(), 3u);
    EXPECT_EQ(std::vector<unsigned>(sleeps.begin(), sleeps.begin() + 3),
              (std::vector<unsigned>{100, 500, 100}));
    // Each pass: errors cleared, wait, flush read; the frame; errors cleared, wait, reply read;
    // the wait at its end. Every read asks for the whole 255-byte buffer.
    const std::string pass = "ESRWQESRS";
    EXPECT_EQ(line.Calls().substr(0, 2 + 3 * pass.size()), "OP" + pass + pass + pass);
    for (size_t size : line.ReadSizes()) {
        EXPECT_EQ(size, 255u);
    }
}

TEST_F(MonitorTest, SilentPrinterShowsNothingAndAPassTakes5200ms) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return StatusWrites() >= 3; }));
    g_bPortOpen = false;
    WaitStatusMonitorEnd();
    const auto times = line.WriteTimes();
    EXPECT_EQ(times[1] - times[0], 5200u);
    EXPECT_EQ(times[2] - times[1], 5200u);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(MonitorTest, ChangedSupplyIsUsedByTheNextPass) {
    AnswerStatus("exist 128/");
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return sink.Count() >= 1; }));
    g_fSensorSupply = 2.5f;
    ASSERT_TRUE(Eventually([&] { return sink.LastText() == "1.2549"; }));
    // Every text is one of the two: nothing else was ever computed.
    for (const StatusText& t : sink.Shown()) {
        EXPECT_TRUE(t.text == "2.5098" || t.text == "1.2549") << t.text;
    }
}

TEST_F(MonitorTest, ClosingWhileWaitingForAReplyEndsTheMonitor) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return StatusWrites() >= 1; }));
    ClosePort();
    EXPECT_TRUE(MonitorEnds());
    EXPECT_EQ(line.OpenHandles(), 0);
}

TEST_F(MonitorTest, FailedStatusWriteEndsTheMonitorWithThePortOpen) {
    AnswerStatus("exist 128/");
    line.SetShortWrites(1);
    StartStatusMonitor(&sink);
    EXPECT_TRUE(MonitorEnds());
    EXPECT_TRUE(g_bPortOpen.load());
    EXPECT_EQ(line.Writes().size(), 1u);
    EXPECT_EQ(sink.Count(), 0u);
    // Suspending and resuming the ended monitor is harmless, also unpaired extra resumes.
    SuspendMonitor();
    EXPECT_EQ(g_pMonitorThread.load()->SuspendCount(), 1);
    ResumeMonitor();
    ResumeMonitor();
    EXPECT_EQ(g_pMonitorThread.load()->SuspendCount(), 0);
    { ScopedMonitorSuspend suspend; }
    EXPECT_EQ(line.Writes().size(), 1u);
}

TEST_F(MonitorTest, HeldLineEndsTheMonitorAtTheStatusWritesTimeout) {
    line.SetOutputHeld(true);
    StartStatusMonitor(&sink);
    EXPECT_TRUE(MonitorEnds());
    EXPECT_EQ(line.NowMs(), 100u + 4500u); // the flush, then 2000 ms per byte + 500 ms
    EXPECT_EQ(line.OutputQueuedBytes(), 0u);
    EXPECT_TRUE(g_bPortOpen.load());
}

TEST_F(MonitorTest, SuspendedMonitorTouchesNoLineUntilResumed) {
    AnswerStatus("exist 128/");
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return StatusWrites() >= 2; }));
    {
        ScopedMonitorSuspend outer;
        ScopedMonitorSuspend inner; // counted: two suspends need two resumes
        const size_t writes = line.WriteCount();
        const size_t reads = line.ReadCount();
        const uint64_t now = line.NowMs();
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(line.WriteCount(), writes);
        EXPECT_EQ(line.ReadCount(), reads);
        EXPECT_LE(line.NowMs(), now + 500); // at most the wait already under way went on
        EXPECT_TRUE(g_pMonitorThread.load()->IsRunning());
    }
    const size_t writes = StatusWrites();
    EXPECT_TRUE(Eventually([&] { return StatusWrites() > writes; }));
}

TEST_F(MonitorTest, SuspendedMonitorEndsWhenThePortCloses) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return StatusWrites() >= 1; }));
    SuspendMonitor();
    ClosePort();
    EXPECT_TRUE(MonitorEnds());
    ResumeMonitor();
}

TEST_F(MonitorTest, NewStartEndsTheMonitorOfTheEarlierOpening) {
    AnswerStatus("exist 128/");
    RecordingSink first;
    StartStatusMonitor(&first);
    ASSERT_TRUE(Eventually([&] { return first.Count() >= 1; }));
    StartStatusMonitor(&sink);
    const size_t shownByFirst = first.Count();
    ASSERT_TRUE(Eventually([&] { return sink.Count() >= 3; }));
    EXPECT_EQ(first.Count(), shownByFirst);
    EXPECT_TRUE(g_pMonitorThread.load()->IsRunning());
}

TEST_F(MonitorTest, SuspendBeforeStartHoldsTheNewMonitorAtTheGate) {
    AnswerStatus("exist 128/");
    SuspendMonitor();
    StartStatusMonitor(&sink);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(line.WriteCount(), 0u);
    EXPECT_EQ(line.ReadCount(), 0u);
    ResumeMonitor();
    EXPECT_TRUE(Eventually([&] { return sink.Count() >= 1; }));
}

} // namespace
