// test-labels: threaded e2e
// The sensor pages' work under a misbehaving printer, end to end on a pseudo-terminal with the
// virtual printer and the status monitor running: the adjustment worker, single readings and
// the paper check against silence, garbage, replies split at every byte, slow replies, 64 KiB
// replies, a hang-up in the middle, and the user closing (and reopening) the port meanwhile.
// For every case: no crash, every wait bounded, the monitor's gate back at 0, no worker left
// running, and g_hCom and g_bPortOpen telling the same story.
//
// The fixed waits run five times faster than real time (a sleep hook); the pseudo-terminal,
// the printer and the threads are real.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PrinterFixture.h"
#include "RecordingCheckSink.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;
using tarvello::sim::FrameKind;
using SimSensor = tarvello::sim::Sensor;

// One adjustment pass at most: the discarding read and ten 200 ms reply attempts.
constexpr long kPassMs = 100 + 10 * 200;
// A single reading at most: the flush and ten 50 ms attempts.
constexpr long kReadingMs = 100 + 10 * 50;

struct Fault {
    const char* name;
    std::function<void(VirtualPrinter&)> apply;
};

// Reply faults, applied once the port is open (the handshake itself is device_fault's).
const std::vector<Fault>& ReplyFaults() {
    static const std::vector<Fault> faults = {
        {"silence", [](VirtualPrinter& p) { p.SetSilent(true); }},
        {"garbage", [](VirtualPrinter& p) { p.SetGarbage(true); }},
        {"split at every byte", [](VirtualPrinter& p) { p.SetSplit(1, 1); }},
        {"slow", [](VirtualPrinter& p) { p.SetReplyDelayMs(Scaled(700).count()); }},
        {"64 KiB replies", [](VirtualPrinter& p) { p.SetOversize(65536); }},
    };
    return faults;
}

class OpsFaultE2E : public FastPrinterFixture {
  protected:
    void SetUp() override {
        g_bAdjustStop = false;
        FastPrinterFixture::SetUp();
    }
    void TearDown() override {
        const auto took = Timed([] { StopAdjustmentAndWait(); });
        EXPECT_LE(took.count(), Bound(kPassMs).count()) << "stopping the adjustment hung";
        CloseAll();
        FastPrinterFixture::TearDown();
    }
    // A printer, opened as the port page opens it, with the monitor polling.
    VirtualPrinter& OpenPrinter() {
        VirtualPrinter& printer = NewPrinter();
        EXPECT_EQ(OpenLikeThePortPage(AddExtraPort(printer.DevicePath()), &sink).failedStep,
                  PortOpenStep::kNone);
        EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 3000));
        return printer;
    }
    void CloseAll() {
        ClosePort();
        WaitStatusMonitorEnd();
        EXPECT_FALSE(g_bPortOpen.load());
        EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
        EXPECT_FALSE(MonitorRunning());
        EXPECT_FALSE(IsAdjustmentRunning());
    }
    // Starts an adjustment as the page's start handler does, without its file: the target,
    // the start state and the worker.
    void StartAdjusting(Sensor sensor, float target) {
        StopAdjustmentAndWait();
        g_fAdjustTarget = target;
        g_bAdjustStop = false;
        g_nSensitivity = 3;
        g_nIntensity = 0;
        ASSERT_TRUE(StartAdjustment(sensor, [this] { ++updates; }));
    }

    NullSink sink;
    std::atomic<int> updates{0};
};

// Under every reply fault the worker keeps making passes without a wrong success, the monitor
// stays silent meanwhile, and a stop request (a page activation, a reading, closing the
// window) ends the worker within one pass, with the monitor resumed.
TEST_F(OpsFaultE2E, AdjustmentUnderReplyFaultsStopsWithinOnePass) {
    for (const Fault& fault : ReplyFaults()) {
        SCOPED_TRACE(fault.name);
        VirtualPrinter& printer = OpenPrinter();
        fault.apply(printer);
        // The monitor's poll under the fault: its reply may be in flight when the run starts.
        const int polls = printer.FrameCount(FrameKind::Status);
        EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 1,
                                          static_cast<int>(Bound(5200).count())));
        // 5.0 V is out of every reach, so only a stop ends the run.
        StartAdjusting(Sensor::Reflective, 5.0f);
        const bool passes = printer.WaitForFrames(FrameKind::ReflectiveReading, 2,
                                                  static_cast<int>(Bound(3 * kPassMs).count()));
        // A printer that keeps sending holds the worker in its start purge (30 bytes per
        // 100 ms) until the stop; every other fault lets it make its passes.
        const bool flooding = std::string(fault.name) == "64 KiB replies";
        EXPECT_TRUE(passes || flooding) << "the worker made no passes";
        const int statusDuringRun = printer.FrameCount(FrameKind::Status);
        const auto took = Timed([] { StopAdjustmentAndWait(); });
        EXPECT_LE(took.count(), Bound(kPassMs).count())
            << "the stop request waited for more than one pass";
        EXPECT_FALSE(IsAdjustmentRunning());
        EXPECT_EQ(LastAdjustmentExitCode(), 0);
        EXPECT_EQ(GateCount(), 0);
        if (passes) {
            EXPECT_LE(printer.FrameCount(FrameKind::Status), statusDuringRun + 1)
                << "the monitor polled during the run";
        }
        CloseAll();
    }
}

// The printer hangs up in the middle of an adjustment pass (while the worker waits for its
// reply): the worker ends with its port failure code, the monitor is resumed and then ends on
// its own failed write; the port stays open until the user closes it.
TEST_F(OpsFaultE2E, HangUpDuringAnAdjustmentPassEndsTheWorker) {
    VirtualPrinter& printer = OpenPrinter();
    printer.SetSilentFor(FrameKind::TransmissiveReading, true);
    StartAdjusting(Sensor::Transmissive, 2.0f);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::TransmissiveReading, 1, 3000));
    std::this_thread::sleep_for(Scaled(700)); // inside the reply attempts
    printer.HangUp();
    EXPECT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, Bound(2 * kPassMs)));
    EXPECT_EQ(LastAdjustmentExitCode(), 1);
    EXPECT_EQ(GateCount(), 0);
    EXPECT_TRUE(Eventually([] { return !MonitorRunning(); }, Bound(5200)));
    EXPECT_TRUE(g_bPortOpen.load());
    EXPECT_EQ(updates.load(), 0);
}

// The user closes the port at several moments of an adjustment pass: the worker always ends
// with the port failure code and the monitor resumed, and the close takes its own second.
TEST_F(OpsFaultE2E, ClosingDuringAnAdjustmentPassEndsTheWorker) {
    for (long afterFrameMs : {0L, 60L, 500L, 1500L}) {
        SCOPED_TRACE(afterFrameMs);
        VirtualPrinter& printer = OpenPrinter();
        printer.SetSilentFor(FrameKind::ReflectiveReading, true);
        StartAdjusting(Sensor::Reflective, 2.5f);
        ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, 1, 3000));
        std::this_thread::sleep_for(Scaled(afterFrameMs));
        const auto took = Timed([] { ClosePort(); });
        EXPECT_LE(took.count(), Bound(1000).count());
        EXPECT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, Bound(kPassMs)));
        EXPECT_EQ(LastAdjustmentExitCode(), 1);
        WaitStatusMonitorEnd();
        EXPECT_EQ(GateCount(), 0);
        CloseAll();
    }
}

// The user closes the port during an adjustment and opens it again at once (here on another
// printer): the worker of the earlier opening must end with the close and never use the new
// connection, so the new handshake gets its 'Y' and the new printer sees no adjustment frame.
TEST_F(OpsFaultE2E, AWorkerNeverRunsOnIntoTheNextOpening) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        VirtualPrinter& first = OpenPrinter();
        first.SetSilentFor(FrameKind::ReflectiveReading, true);
        StartAdjusting(Sensor::Reflective, 2.5f);
        ASSERT_TRUE(first.WaitForFrames(FrameKind::ReflectiveReading, 1, 3000));
        std::this_thread::sleep_for(Scaled(300 + 450 * round));
        ClosePort(); // the port page's close; it does not wait for the worker
        WaitStatusMonitorEnd();

        printers.push_back(std::make_unique<VirtualPrinter>());
        VirtualPrinter& second = *printers.back();
        ASSERT_TRUE(second.Start());
        EXPECT_EQ(OpenLikeThePortPage(AddExtraPort(second.DevicePath()), &sink).failedStep,
                  PortOpenStep::kNone)
            << "the new handshake lost its reply";
        EXPECT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, Bound(kPassMs)));
        EXPECT_EQ(LastAdjustmentExitCode(), 1);
        std::this_thread::sleep_for(Scaled(kPassMs));
        EXPECT_EQ(second.FrameCount(FrameKind::ReflectiveReading), 0)
            << "the earlier worker wrote into the new connection";
        EXPECT_EQ(GateCount(), 0);
        CloseAll();
    }
}

// Single readings under every reply fault: a reading either is the printer's value or there
// is none (nothing changes), each within its own waits, with the monitor resumed. A hung-up
// printer gives none.
TEST_F(OpsFaultE2E, SingleReadingsUnderReplyFaults) {
    struct Expect {
        const char* fault;
        bool reading; // whether the first reading under the fault has a value
    };
    const std::vector<Expect> expectations = {{"silence", false},
                                              {"garbage", false},
                                              {"split at every byte", true},
                                              {"slow", false},
                                              {"64 KiB replies", true}};
    for (size_t k = 0; k < ReplyFaults().size(); ++k) {
        const Fault& fault = ReplyFaults()[k];
        SCOPED_TRACE(fault.name);
        VirtualPrinter& printer = OpenPrinter();
        printer.SetReadingOverride(SimSensor::Reflective, 128);
        fault.apply(printer);
        for (int reading = 0; reading < 3; ++reading) {
            std::optional<float> value;
            const auto took =
                Timed([&] { value = TakeSingleReading(Sensor::Reflective, 3, "100", 5.0f); });
            EXPECT_LE(took.count(), Bound(kReadingMs + 300).count());
            if (value) {
                EXPECT_FLOAT_EQ(*value, 2.5098f) << "a reading from a piece of a reply";
            }
            if (reading == 0) {
                EXPECT_EQ(value.has_value(), expectations[k].reading);
            }
            EXPECT_EQ(GateCount(), 0);
        }
        printer.HangUp();
        EXPECT_FALSE(TakeSingleReading(Sensor::Transmissive, 1, "7", 5.0f).has_value());
        EXPECT_EQ(GateCount(), 0);
        CloseAll();
    }
}

// The paper check under every reply fault: it completes with the printer's values or ends
// with nothing computed from a bad reply, within its own waits, with the monitor resumed.
TEST_F(OpsFaultE2E, PaperCheckUnderReplyFaults) {
    for (const Fault& fault : ReplyFaults()) {
        SCOPED_TRACE(fault.name);
        VirtualPrinter& printer = OpenPrinter();
        fault.apply(printer);
        RecordingCheckSink sink;
        PaperCheckEnd end = PaperCheckEnd::PortNotOpen;
        // Reads, frames, the 1000 ms check wait, two purges and the samples.
        const auto took = Timed([&] { end = RunPaperCheck(Sensor::Reflective, 5.0f, sink); });
        EXPECT_LE(took.count(), Bound(6 * 600 + 1000 + 1000).count());
        EXPECT_TRUE(end == PaperCheckEnd::Completed || end == PaperCheckEnd::BadValue)
            << static_cast<int>(end);
        if (end == PaperCheckEnd::Completed) {
            ASSERT_EQ(sink.values.size(), 4u);
            EXPECT_NE(sink.values[0], sink.values[1]);
        } else {
            EXPECT_LE(sink.values.size(), 1u) << "values derived from a bad reply";
        }
        if (std::string(fault.name) == "silence" || std::string(fault.name) == "garbage") {
            EXPECT_EQ(end, PaperCheckEnd::BadValue);
            EXPECT_EQ(printer.FrameCount(FrameKind::CheckMeasure), 0);
        }
        if (std::string(fault.name) == "split at every byte") {
            EXPECT_EQ(end, PaperCheckEnd::Completed);
        }
        EXPECT_EQ(GateCount(), 0);
        CloseAll();
    }
}

// A hang-up or the user's close during the paper check's wait (after STX "JC"): the check ends
// at its next frame with nothing derived, within its waits, with the monitor resumed.
TEST_F(OpsFaultE2E, HangUpOrCloseDuringThePaperChecksWaitEndsTheCheck) {
    for (bool hangUp : {true, false}) {
        SCOPED_TRACE(hangUp ? "hang-up" : "close");
        VirtualPrinter& printer = OpenPrinter();
        RecordingCheckSink sink;
        std::future<PaperCheckEnd> end = std::async(std::launch::async, [&sink] {
            return RunPaperCheck(Sensor::Transmissive, 5.0f, sink);
        });
        ASSERT_TRUE(printer.WaitForFrames(FrameKind::CheckMeasure, 1, 5000));
        std::this_thread::sleep_for(Scaled(300)); // in the purge or the 1000 ms wait
        if (hangUp) {
            printer.HangUp();
        } else {
            ClosePort();
        }
        ASSERT_EQ(end.wait_for(Bound(1000 + 1000 + 600)), std::future_status::ready)
            << "the check hung";
        EXPECT_EQ(end.get(), PaperCheckEnd::PortFailed);
        // The close leaves the port usable for its first second: the first sample may come,
        // nothing is derived.
        EXPECT_LE(sink.values.size(), hangUp ? 0u : 1u);
        EXPECT_EQ(GateCount(), 0);
        CloseAll();
    }
}

} // namespace
