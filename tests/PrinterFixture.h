// The virtual printer on a pseudo-terminal with the port open on it, for the end-to-end tests:
// the port settings, the port page's open sequence, and the
// fixtures that start the printer, open the port (and the status monitor) and tidy up again.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "E2EWaits.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/PortOpenSequence.h"
#include "sim/VirtualPrinter.h"

namespace e2e {

using tarvello::sim::VirtualPrinter;

// The settings the virtual printer is opened with: 38400 baud, 8 data bits.
inline PortSettings SettingsFor(int nPort) {
    PortSettings s;
    s.nPort = nPort;
    s.dwBaudRate = 38400;
    s.byByteSize = 8;
    return s;
}

// No port open, a 5 V sensor supply.
inline void ResetLineState() {
    g_hCom = kInvalidPortHandle;
    g_bPortOpen = false;
    g_fSensorSupply = 5.0f;
}

class NullSink : public DisplaySink {
  public:
    void ShowStatus(int, const std::string&) override {}
};

inline bool MonitorRunning() {
    const CMonitorThread* monitor = g_pMonitorThread.load();
    return monitor != nullptr && monitor->IsRunning();
}

// The monitor's gate: how many suspensions are held.
inline int GateCount() {
    return CMonitorThread().SuspendCount();
}

// The port page's open sequence on the port nPort names, with the settings the
// virtual printer is opened with.
inline PortOpenResult OpenLikeThePortPage(int nPort, DisplaySink* sink) {
    return RunPortOpenSequence(SettingsFor(nPort), sink);
}

// Starts the printer and opens the port on it (a fatal failure if either fails).
inline void StartAndOpen(VirtualPrinter& printer) {
    ResetLineState();
    ASSERT_TRUE(printer.Start());
    ASSERT_EQ(OpenPort(SettingsFor(AddExtraPort(printer.DevicePath()))), 0);
}

// A printer with the port open on it and no monitor, in real time.
class PrinterFixture : public ::testing::Test {
  protected:
    void SetUp() override { StartAndOpen(printer); }
    void TearDown() override {
        // No monitor runs any more, so the close may skip its wait for one.
        WaitStatusMonitorEnd();
        tarvello::SetSleepHook([](unsigned) {});
        ClosePort();
        tarvello::SetSleepHook(nullptr);
        printer.Stop();
    }
    void Write(const std::vector<uint8_t>& frame) {
        ASSERT_EQ(WritePort(frame.data(), frame.size()), 0);
    }
    VirtualPrinter printer;
};

// A printer with the port open on it and the status monitor polling, in real time. The test
// must leave the monitor's gate as it found it.
class MonitoredPrinterFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        StartAndOpen(printer);
        if (HasFatalFailure()) {
            return;
        }
        baseline = GateCount();
        StartStatusMonitor(&monitorSink);
        ASSERT_TRUE(printer.WaitForFrames(tarvello::sim::FrameKind::Status, 1, 3000));
    }
    void TearDown() override {
        EXPECT_EQ(GateCount(), baseline);
        if (g_hCom.load() != kInvalidPortHandle) {
            ClosePort();
        }
        WaitStatusMonitorEnd();
        printer.Stop();
    }
    VirtualPrinter printer;
    NullSink monitorSink;
    int baseline = 0;
};

// Printers started as a test needs them, on fast time; the port is closed at the start. The
// test must leave the monitor's gate at 0.
class FastPrinterFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        tarvello::SetSleepHook(&FastSleep);
        ResetLineState();
        ASSERT_EQ(GateCount(), 0);
    }
    void TearDown() override {
        EXPECT_EQ(GateCount(), 0) << "the monitor was left suspended";
        printers.clear();
        tarvello::SetSleepHook(nullptr);
    }
    VirtualPrinter& NewPrinter() {
        printers.push_back(std::make_unique<VirtualPrinter>());
        EXPECT_TRUE(printers.back()->Start());
        return *printers.back();
    }
    std::vector<std::unique_ptr<VirtualPrinter>> printers;
};

} // namespace e2e
