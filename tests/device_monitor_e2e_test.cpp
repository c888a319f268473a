// test-labels: threaded e2e
// The device link end to end on a pseudo-terminal with the virtual printer, in real time:
// the status monitor, its gate and its ends.
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "PrinterFixture.h"
#include "device/ExchangeVoltage.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;
using tarvello::sim::FrameKind;
using tarvello::sim::Sensor;

class LatestSink : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        latest_[controlId] = text;
        ++count_;
    }
    std::string Text(int controlId) const {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto it = latest_.find(controlId);
        return it == latest_.end() ? std::string() : it->second;
    }
    int Count() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return count_;
    }

  private:
    mutable std::mutex mutex_;
    std::map<int, std::string> latest_;
    int count_ = 0;
};

class MonitorE2E : public e2e::PrinterFixture {
  protected:
    LatestSink sink;
};

TEST_F(MonitorE2E, MonitorShowsTheStatusAndFollowsTheSupply) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(Eventually([&] { return sink.Text(1048) == "5.0000"; }, 3000ms));
    EXPECT_EQ(sink.Text(1042), "2.5098");
    EXPECT_EQ(sink.Text(1021), "0.1373");

    g_fSensorSupply = 3.3f;
    EXPECT_TRUE(Eventually([&] { return sink.Text(1048) == "3.3000"; }, 3000ms));

    printer.SetStatusReply("exist 10/ribbon 20/exist 255/");
    g_fSensorSupply = 5.0f;
    EXPECT_TRUE(Eventually([&] { return sink.Text(1048) == "0.3922"; }, 3000ms));
    EXPECT_EQ(sink.Text(1042), "5.0000"); // the later of the two
}

TEST_F(MonitorE2E, SuspendedMonitorSendsNoStatusFrame) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
    int frames = 0;
    {
        ScopedMonitorSuspend suspend;
        frames = printer.FrameCount(FrameKind::Status);
        // A single reading runs meanwhile and gets its own reply.
        printer.SetReadingOverride(Sensor::Transmissive, 200);
        const auto frame = BuildReadingFrame('T', 3, 128);
        EXPECT_FLOAT_EQ(ExchangeVoltage(frame.data(), frame.size(), 5.0f), 3.9216f);
        std::this_thread::sleep_for(1000ms);
        EXPECT_EQ(printer.FrameCount(FrameKind::Status), frames);
    }
    // The exchange took the pending status reply, so the monitor's remaining reply attempts
    // (up to 5 s) run out before its next STX "Y".
    EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, frames + 1, 7000));
}

TEST_F(MonitorE2E, ClosingWhileTheMonitorWaitsForAReplyEndsIt) {
    printer.SetSilent(true);
    StartStatusMonitor(&sink);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
    std::this_thread::sleep_for(200ms);
    ClosePort();
    // The monitor sees the cleared flag at its next look, within one 500 ms wait.
    EXPECT_TRUE(Eventually([] { return !g_pMonitorThread.load()->IsRunning(); }, 600ms));
    EXPECT_EQ(sink.Count(), 0);
}

TEST_F(MonitorE2E, HungUpPrinterEndsTheMonitorAndLeavesThePortOpen) {
    StartStatusMonitor(&sink);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
    printer.HangUp();
    // Writes to a hung-up line fail: the monitor ends by itself, the flag stays set.
    EXPECT_TRUE(Eventually([] { return !g_pMonitorThread.load()->IsRunning(); }, 8000ms));
    EXPECT_TRUE(g_bPortOpen.load());
    SuspendMonitor();
    ResumeMonitor();
}

} // namespace
