// The sensor pages' work (adjustment, single readings, paper check) on a scripted line: the
// port open on the line and one suspension of the monitor held by the test, so that a second
// resume would show as a count below the baseline. Once the test is done, any adjustment is
// stopped and the monitor must be resumed exactly once.
#pragma once

#include <string>
#include <vector>

#include "LineFixture.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

// How many suspensions of the monitor are held.
inline int SuspendCount() {
    return CMonitorThread().SuspendCount();
}

// The state an adjustment starts from: a 5 V supply, the target 2.5 V, no result yet, level 3,
// intensity 0 and no stop request.
inline void SetAdjustmentStartState() {
    g_fSensorSupply = 5.0f;
    g_fAdjustTarget = 2.5f;
    g_fAdjustResult = 0.0f;
    g_nSensitivity = 3;
    g_nIntensity = 0;
    g_bAdjustStop = false;
}

class PageWorkLineFixture : public LineFixture {
  public:
    void SetUp() override {
        LineFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        SuspendMonitor();
        baseline = SuspendCount();
    }
    void TearDown() override {
        StopAdjustmentAndWait();
        EXPECT_EQ(SuspendCount(), baseline) << "the monitor is resumed exactly once";
        ResumeMonitor();
        LineFixture::TearDown();
    }
    std::vector<std::string> Frames() const { return line.WrittenFrames(); }
    int baseline = 0;
};
