// test-labels: threaded e2e
// Both adjustments end to end on a pseudo-terminal with the virtual printer and the status
// monitor, in real time: convergence, updates, the saved levels, the monitor's silence while a
// worker runs and its polling after, a stop request and a closed port.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "PrinterFixture.h"
#include "ScratchParameterFile.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;
using tarvello::sim::FrameKind;

tarvello::sim::Sensor SimSensor(Sensor s) {
    return s == Sensor::Reflective ? tarvello::sim::Sensor::Reflective
                                   : tarvello::sim::Sensor::Transmissive;
}

FrameKind ReadingKind(Sensor s) {
    return s == Sensor::Reflective ? FrameKind::ReflectiveReading : FrameKind::TransmissiveReading;
}

class AdjustE2E : public e2e::MonitoredPrinterFixture {
  protected:
    void TearDown() override {
        StopAdjustmentAndWait();
        MonitoredPrinterFixture::TearDown();
    }
    // Status frames received between the first and the last reading frame of the sensor.
    int StatusFramesDuringRun(Sensor sensor) const {
        const auto log = printer.FrameLog();
        int first = -1;
        int last = -1;
        for (int k = 0; k < static_cast<int>(log.size()); ++k) {
            if (log[k].kind == ReadingKind(sensor)) {
                first = first < 0 ? k : first;
                last = k;
            }
        }
        int status = 0;
        for (int k = first; first >= 0 && k <= last; ++k) {
            status += log[k].kind == FrameKind::Status ? 1 : 0;
        }
        return status;
    }

    ScratchParameterFile file{"tarvello_ops_e2e_"};
};

TEST_F(AdjustE2E, BothAdjustmentsConvergeOnTheDefaultMediaAndTheMonitorPollsAfter) {
    struct Case {
        Sensor sensor;
        const char* standard;
        const char* section;
        const char* levelKey;
        const char* intensityKey;
    };
    for (const Case& c : {Case{Sensor::Reflective, "2.5", "RConfig", "RConfig1", "RConfig2"},
                          Case{Sensor::Transmissive, "2.0", "TConfig", "TConfig1", "TConfig2"}}) {
        SCOPED_TRACE(c.standard);
        printer.ClearLog();
        const std::optional<float> target = PrepareAdjustmentStart(c.sensor, file.ini, c.standard);
        ASSERT_TRUE(target.has_value());
        std::atomic<int> updates{0};
        ASSERT_TRUE(StartAdjustment(c.sensor, [&] { ++updates; }));
        ASSERT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, 60s));
        EXPECT_EQ(LastAdjustmentExitCode(), 0);
        EXPECT_GE(updates.load(), 1);
        // One update per pass: the prompt printer answers every frame, and a status reply
        // left in flight by the suspended monitor is purged before the first pass.
        EXPECT_EQ(static_cast<uint32_t>(updates.load()), AdjustmentPasses());
        const float result = g_fAdjustResult.load();
        EXPECT_TRUE(InBand(c.sensor, *target, result)) << result;
        // The page's update handler saves the levels the worker left, which are the levels of
        // the printer's last frame.
        const int level = g_nSensitivity.load();
        const int intensity = g_nIntensity.load();
        EXPECT_EQ(printer.Level(SimSensor(c.sensor)), level);
        EXPECT_EQ(printer.Intensity(SimSensor(c.sensor)), intensity);
        SaveAdjustedLevels(c.sensor, file.ini, level, intensity);
        EXPECT_EQ(file.ini.GetInt(c.section, c.levelKey, -1), level);
        EXPECT_EQ(file.ini.GetInt(c.section, c.intensityKey, -1), intensity);
        EXPECT_EQ(printer.FrameCount(ReadingKind(c.sensor)), static_cast<int>(AdjustmentPasses()));

        EXPECT_EQ(StatusFramesDuringRun(c.sensor), 0) << "the monitor polled during the run";
        EXPECT_EQ(CMonitorThread().SuspendCount(), baseline);
    }
    // The monitor was suspended in the middle of its reply attempts (up to 10 x 500 ms); it
    // finishes them and polls again.
    const int polls = printer.FrameCount(FrameKind::Status);
    EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 1, 6000))
        << "the monitor polls again after the runs";
}

TEST_F(AdjustE2E, AStopRequestEndsTheRunWithinOnePass) {
    // No intensity reaches 5.0 V: the run would go on for ever.
    ASSERT_TRUE(PrepareAdjustmentStart(Sensor::Reflective, file.ini, "5.0").has_value());
    ASSERT_TRUE(StartAdjustment(Sensor::Reflective, {}));
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, 2, 5000));
    const int framesAtRequest = printer.FrameCount(FrameKind::ReflectiveReading);
    g_bAdjustStop = true; // as a page activation does; it never waits
    ASSERT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, 3000ms));
    EXPECT_EQ(LastAdjustmentExitCode(), 0);
    EXPECT_LE(printer.FrameCount(FrameKind::ReflectiveReading), framesAtRequest + 1);
    EXPECT_EQ(StatusFramesDuringRun(Sensor::Reflective), 0);
}

TEST_F(AdjustE2E, AClosedPortEndsTheWorkerWithTheMonitorResumed) {
    ASSERT_TRUE(PrepareAdjustmentStart(Sensor::Transmissive, file.ini, "0.1").has_value());
    ASSERT_TRUE(StartAdjustment(Sensor::Transmissive, {}));
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::TransmissiveReading, 2, 5000));
    ClosePort();
    ASSERT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, 3000ms));
    EXPECT_EQ(LastAdjustmentExitCode(), 1);
    EXPECT_EQ(CMonitorThread().SuspendCount(), baseline);
    EXPECT_EQ(StatusFramesDuringRun(Sensor::Transmissive), 0);
}

} // namespace
