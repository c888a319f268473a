// test-labels: threaded e2e
// The device link under a misbehaving printer, end to end on a pseudo-terminal with the
// virtual printer: the port page's open sequence (through the serial primitives, as the page
// sends it) and the status monitor, against silence, garbage, replies split at every byte,
// slow replies, 64 KiB replies, a refused handshake, a hang-up, a vanishing device and the
// user closing the port at any moment. For every case: no crash, no hang (every wait bounded),
// the monitor's gate back at 0, no monitor left running once the port is closed, and g_hCom and
// g_bPortOpen telling the same story.
//
// The fixed waits run five times faster than real time (a sleep hook), so that every pass of
// the monitor and every close is taken for real on the pseudo-terminal but the file stays quick.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "PrinterFixture.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;
using tarvello::sim::FrameKind;

// Takes the monitor's texts and checks each against what the printer's status reply holds
// ("exist 128/headpos 7/ribbon 255/" at 5.0 V): a text for another edit or a value read from
// a piece of a reply would show as a wrong one.
class CheckingSink : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        ++count_;
        const bool right = (controlId == kIdPresenceSensor && text == "2.5098") ||
                           (controlId == kIdMicroSwitch && text == "0.1373") ||
                           (controlId == kIdRibbonSensor && text == "5.0000");
        if (!right) {
            bad_.push_back(std::to_string(controlId) + " '" + text + "'");
        }
    }
    int Count() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return count_;
    }
    std::vector<std::string> Bad() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return bad_;
    }

  private:
    mutable std::mutex mutex_;
    int count_ = 0;
    std::vector<std::string> bad_;
};

// The longest the open sequence may take: the handshake's second, ten 50 ms polls and a close.
constexpr long kOpenSequenceMs = 1000 + 500 + 1000;
// A monitor pass with a silent printer.
constexpr long kSilentPassMs = 100 + 10 * 500 + 100;

class DeviceFaultE2E : public FastPrinterFixture {
  protected:
    void TearDown() override {
        CloseAsTheUserDoes();
        FastPrinterFixture::TearDown();
    }
    int PortOf(const VirtualPrinter& printer) { return AddExtraPort(printer.DevicePath()); }
    // The port page's close: ClosePort, then the wait for the monitor's end. Bounded.
    void CloseAsTheUserDoes() {
        const auto took = Timed([] {
            ClosePort();
            WaitStatusMonitorEnd();
        });
        EXPECT_LE(took.count(), Bound(1000 + 500).count()) << "closing the port hung";
        ExpectClosed();
    }
    static void ExpectClosed() {
        EXPECT_FALSE(g_bPortOpen.load());
        EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
        EXPECT_FALSE(MonitorRunning()) << "a monitor runs on a closed port";
    }
    static void ExpectOpen() {
        EXPECT_TRUE(g_bPortOpen.load());
        EXPECT_NE(g_hCom.load(), kInvalidPortHandle);
    }

    CheckingSink sink;
};

// Handshake faults that must fail the open: the port ends closed, no monitor was started, and
// the whole sequence takes no longer than its own waits.
TEST_F(DeviceFaultE2E, RefusedSilentGarbledLateOrHungUpHandshakesLeaveThePortClosed) {
    struct Case {
        const char* name;
        std::function<void(VirtualPrinter&)> fault;
        PortOpenStep step;
        size_t received; // bytes of the reply kept for the technician
    };
    const std::vector<Case> cases = {
        {"'N' to the handshake", [](VirtualPrinter& p) { p.SetRejectHandshake(true); },
         PortOpenStep::kNotY, 1},
        {"silence", [](VirtualPrinter& p) { p.SetSilent(true); }, PortOpenStep::kNoAnswer, 0},
        // Eight bytes of garbage for the one-byte answer.
        {"garbage", [](VirtualPrinter& p) { p.SetGarbage(true); }, PortOpenStep::kNotY, 8},
        // Later than the second and the ten polls after it.
        {"slow reply", [](VirtualPrinter& p) { p.SetReplyDelayMs(Scaled(3000).count()); },
         PortOpenStep::kNoAnswer, 0},
        {"hang-up after the frame", [](VirtualPrinter& p) { p.SetHangUpAfterFrames(1); },
         PortOpenStep::kNoAnswer, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualPrinter& printer = NewPrinter();
        c.fault(printer);
        PortOpenResult result;
        const auto took = Timed([&] { result = OpenLikeThePortPage(PortOf(printer), &sink); });
        EXPECT_EQ(result.failedStep, c.step);
        EXPECT_EQ(result.received.size(), c.received);
        EXPECT_LE(took.count(), Bound(kOpenSequenceMs).count());
        ExpectClosed();
        EXPECT_EQ(printer.FrameCount(FrameKind::AccessCode), 0);
        EXPECT_EQ(printer.FrameCount(FrameKind::Status), 0);
        EXPECT_EQ(GateCount(), 0);
    }
}

// Faults the open sequence survives: the reply's first byte is still 'Y'. The monitor then
// polls through the fault, never shows a malformed text, stops polling while suspended and ends
// once the user closes the port.
TEST_F(DeviceFaultE2E, MonitorPollsThroughEveryReplyFaultAndEndsOnClose) {
    struct Case {
        const char* name;
        std::function<void(VirtualPrinter&)> fault;
        int passes; // polls to wait for
    };
    const std::vector<Case> cases = {
        {"split at every byte", [](VirtualPrinter& p) { p.SetSplit(1, 1); }, 3},
        {"64 KiB replies", [](VirtualPrinter& p) { p.SetOversize(65536); }, 3},
        // Set after the handshake below: slow, garbled or no status replies.
        {"slow but in time", nullptr, 2},
        {"garbage", nullptr, 2},
        {"silence", nullptr, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualPrinter& printer = NewPrinter();
        if (c.fault) {
            c.fault(printer);
        }
        ASSERT_EQ(OpenLikeThePortPage(PortOf(printer), &sink).failedStep, PortOpenStep::kNone);
        ExpectOpen();
        if (!c.fault) {
            const std::string name = c.name;
            printer.SetGarbage(name == "garbage");
            printer.SetSilent(name == "silence");
            printer.SetReplyDelayMs(name == "slow but in time" ? Scaled(1200).count() : 2);
        }
        const int before = printer.FrameCount(FrameKind::Status);
        EXPECT_TRUE(
            printer.WaitForFrames(FrameKind::Status, before + c.passes,
                                  static_cast<int>(Bound(c.passes * kSilentPassMs).count())))
            << "the monitor stopped polling";
        EXPECT_TRUE(MonitorRunning());

        {
            ScopedMonitorSuspend suspend;
            // A poll already written may still be counted; after that none goes out.
            std::this_thread::sleep_for(Scaled(200));
            const int held = printer.FrameCount(FrameKind::Status);
            std::this_thread::sleep_for(Scaled(1500));
            EXPECT_EQ(printer.FrameCount(FrameKind::Status), held) << "polled while suspended";
        }
        EXPECT_EQ(GateCount(), 0);
        CloseAsTheUserDoes();
        for (const std::string& bad : sink.Bad()) {
            ADD_FAILURE() << "shown: " << bad;
        }
    }
    EXPECT_GT(sink.Count(), 0) << "no fault case showed any status";
}

// The printer hangs up while the monitor waits for its reply: the monitor's reads fail, its
// next STX "Y" cannot be written, and it ends by itself with the port still open (as a failed
// status write always ends it). The user's close then closes the handle.
TEST_F(DeviceFaultE2E, HangUpDuringTheMonitorsReplyWaitEndsTheMonitor) {
    VirtualPrinter& printer = NewPrinter();
    ASSERT_EQ(OpenLikeThePortPage(PortOf(printer), &sink).failedStep, PortOpenStep::kNone);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
    printer.SetSilent(true);
    const int polls = printer.FrameCount(FrameKind::Status);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 1,
                                      static_cast<int>(Bound(kSilentPassMs).count())));
    std::this_thread::sleep_for(Scaled(1200)); // inside the reply attempts
    printer.HangUp();
    EXPECT_TRUE(Eventually([] { return !MonitorRunning(); }, Bound(kSilentPassMs)))
        << "the monitor kept running on a hung-up line";
    ExpectOpen();
    // Suspend and resume stay valid on the ended monitor.
    SuspendMonitor();
    ResumeMonitor();
    EXPECT_EQ(GateCount(), 0);
}

// A hang-up while the monitor is held at the gate by a suspension: the holder's own exchange
// fails, and after the resume the monitor ends on its own failed write.
TEST_F(DeviceFaultE2E, HangUpWhileTheMonitorIsSuspendedEndsItAfterTheResume) {
    VirtualPrinter& printer = NewPrinter();
    ASSERT_EQ(OpenLikeThePortPage(PortOf(printer), &sink).failedStep, PortOpenStep::kNone);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
    {
        ScopedMonitorSuspend suspend;
        printer.HangUp();
        const std::vector<uint8_t> frame = BuildReadingFrame('F', 3, 100);
        EXPECT_EQ(WritePort(frame.data(), frame.size()), 1) << "a write to a hung-up line";
    }
    EXPECT_TRUE(Eventually([] { return !MonitorRunning(); }, Bound(kSilentPassMs)));
    EXPECT_EQ(GateCount(), 0);
}

// The device goes away: a symbolic link removed before the open, a printer stopped before the
// open. The open fails and nothing stays half open. A link removed after the open changes
// nothing for the open port.
TEST_F(DeviceFaultE2E, VanishedDeviceFailsTheOpenCleanly) {
    const std::string link = std::filesystem::temp_directory_path() /
                             ("tarvello-fault-link-" + std::to_string(::getpid()));
    {
        VirtualPrinter& printer = NewPrinter();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(printer.DevicePath(), link);
        const int nPort = AddExtraPort(link);
        std::filesystem::remove(link);
        const PortOpenResult result = OpenLikeThePortPage(nPort, &sink);
        EXPECT_EQ(result.failedStep, PortOpenStep::kOpen);
        EXPECT_EQ(result.openError, PortOpenError::kNoDevice);
        ExpectClosed();
    }
    {
        VirtualPrinter& printer = NewPrinter();
        const int nPort = PortOf(printer);
        printer.Stop();
        PortOpenResult result;
        const auto took = Timed([&] { result = OpenLikeThePortPage(nPort, &sink); });
        EXPECT_EQ(result.failedStep, PortOpenStep::kOpen);
        EXPECT_EQ(result.openError, PortOpenError::kNoDevice);
        EXPECT_LE(took.count(), Bound(0).count());
        ExpectClosed();
    }
    {
        VirtualPrinter& printer = NewPrinter();
        const std::string second = link + "-open";
        std::filesystem::remove(second);
        std::filesystem::create_symlink(printer.DevicePath(), second);
        ASSERT_EQ(OpenLikeThePortPage(AddExtraPort(second), &sink).failedStep, PortOpenStep::kNone);
        std::filesystem::remove(second);
        const int polls = printer.FrameCount(FrameKind::Status);
        EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 2, 3000));
        CloseAsTheUserDoes();
    }
}

// The user closes the port at every moment of the monitor's pass (its flush, its write, its
// reply attempts), of a suspension by another party, and of a hung-up line: the close always
// takes its one second and at most one more monitor wait, and leaves everything closed.
TEST_F(DeviceFaultE2E, ClosingAtAnyMomentOfThePassEndsTheMonitor) {
    struct Case {
        const char* name;
        std::function<void(VirtualPrinter&)> fault;
        long afterPollMs; // nominal time after a poll went out
        bool suspended;
    };
    const std::vector<Case> cases = {
        {"right after the poll", nullptr, 0, false},
        {"in the pass-end wait", nullptr, 560, false},
        {"in the next flush", nullptr, 650, false},
        {"in the silent reply wait", [](VirtualPrinter& p) { p.SetSilent(true); }, 1700, false},
        {"while suspended", nullptr, 300, true},
        {"while suspended, silent", [](VirtualPrinter& p) { p.SetSilent(true); }, 900, true},
        {"after a hang-up", [](VirtualPrinter& p) { p.HangUp(); }, 300, false},
        {"64 KiB replies", [](VirtualPrinter& p) { p.SetOversize(65536); }, 300, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualPrinter& printer = NewPrinter();
        ASSERT_EQ(OpenLikeThePortPage(PortOf(printer), &sink).failedStep, PortOpenStep::kNone);
        ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
        const int polls = printer.FrameCount(FrameKind::Status);
        ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 1, 3000));
        if (c.fault) {
            c.fault(printer);
        }
        std::unique_ptr<ScopedMonitorSuspend> suspend;
        if (c.suspended) {
            suspend = std::make_unique<ScopedMonitorSuspend>();
        }
        std::this_thread::sleep_for(Scaled(c.afterPollMs));
        const auto took = Timed([] { ClosePort(); });
        EXPECT_LE(took.count(), Bound(1000).count());
        EXPECT_TRUE(Eventually([] { return !MonitorRunning(); }, Bound(500)))
            << "the monitor outlived the close";
        suspend.reset();
        EXPECT_EQ(GateCount(), 0);
        WaitStatusMonitorEnd();
        ExpectClosed();
    }
}

// Open, close and open again in quick succession on a printer that floods: every opening has
// at most one monitor, and the monitor of an earlier opening never polls into a later one.
TEST_F(DeviceFaultE2E, QuickReopensNeverShareTheLineWithAnEarlierMonitor) {
    VirtualPrinter& printer = NewPrinter();
    printer.SetOversize(4096);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(OpenLikeThePortPage(PortOf(printer), &sink).failedStep, PortOpenStep::kNone);
        ClosePort();
        WaitStatusMonitorEnd();
        ExpectClosed();
        printer.ClearLog();
        // Nothing polls between two openings.
        std::this_thread::sleep_for(Scaled(800));
        EXPECT_EQ(printer.FrameCount(FrameKind::Status), 0);
    }
}

} // namespace
