// The serial primitives, the voltage exchange, the monitor and the pages' work through the Win32
// comm API on COM1, with the virtual printer on the other side of the line (under Wine: the
// native tarvello-printer on a pseudo-terminal that the wine prefix maps as COM1).
//
// Each test group needs the printer in one mode; scripts/wintest.sh starts it so and runs the
// group with --gtest_filter=<group>.*:
//   WinLine      tarvello-printer                  (the sensor model, the default replies)
//   WinReadings  tarvello-printer --reflective-reading 128 --transmissive-reading 12
//                                 --status-reply x5/
//   WinSending   tarvello-printer --oversize 600 --split 20,20
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "E2EWaits.h"
#include "RecordingCheckSink.h"
#include "ScratchParameterFile.h"
#include "Wine.h"
#include "device/ExchangeVoltage.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;
using e2e::Timed;

PortSettings Com1(int handshake = 0, uint8_t size = 8, uint8_t parity = 0, uint8_t stop = 0) {
    PortSettings s;
    s.nPort = 0; // COM1
    s.dwBaudRate = 38400;
    s.byByteSize = size;
    s.byParity = parity;
    s.byStopBits = stop;
    s.nHandshake = handshake;
    return s;
}

HANDLE Handle() {
    return static_cast<HANDLE>(g_hCom.load());
}

// Closes the port without its one-second wait (no monitor runs that would need it).
void QuickClose() {
    tarvello::SetSleepHook([](unsigned) {});
    ClosePort();
    tarvello::SetSleepHook(nullptr);
}

void Send(const std::vector<uint8_t>& frame) {
    ASSERT_EQ(WritePort(frame.data(), frame.size()), 0);
}

struct StatusSink : DisplaySink {
    void ShowStatus(int id, const std::string& text) override {
        std::lock_guard<std::mutex> guard(mutex);
        shown.emplace_back(id, text);
    }
    std::vector<std::pair<int, std::string>> Shown() {
        std::lock_guard<std::mutex> guard(mutex);
        return shown;
    }
    std::mutex mutex;
    std::vector<std::pair<int, std::string>> shown;
};

// The port closed at the start and at the end of every test; the port is opened by the test.
class WinPrinterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        g_fSensorSupply = 5.0f;
    }
    void TearDown() override {
        StopAdjustmentAndWait();
        if (CMonitorThread().IsRunning()) {
            ClosePort(); // the monitor's tests run on fast time
        } else if (g_hCom.load() != kInvalidPortHandle) {
            QuickClose();
        }
        WaitStatusMonitorEnd();
        tarvello::SetSleepHook(nullptr);
        EXPECT_EQ(CMonitorThread().SuspendCount(), 0);
    }
};

using WinLine = WinPrinterTest;
using WinReadings = WinPrinterTest;
using WinSending = WinPrinterTest;

TEST_F(WinLine, EveryHandshakeModeAndFramingOpensAndTheHandshakeIsAnswered) {
    for (int handshake : {0, 1}) {
        for (uint8_t size : {uint8_t{8}, uint8_t{7}}) {
            for (uint8_t parity : {uint8_t{0}, uint8_t{1}, uint8_t{2}}) {
                for (uint8_t stop : {uint8_t{0}, uint8_t{2}}) {
                    SCOPED_TRACE(testing::Message()
                                 << "handshake " << handshake << ", " << int(size)
                                 << " bits, parity " << int(parity) << ", stop " << int(stop));
                    ASSERT_EQ(OpenPort(Com1(handshake, size, parity, stop)), 0);
                    EXPECT_TRUE(g_bPortOpen.load());
                    DCB dcb{};
                    dcb.DCBlength = sizeof dcb;
                    ASSERT_TRUE(GetCommState(Handle(), &dcb));
                    EXPECT_EQ(dcb.BaudRate, 38400u);
                    EXPECT_EQ(dcb.StopBits, stop);
                    EXPECT_EQ(dcb.fOutxCtsFlow, handshake == 0 ? 1u : 0u);
                    EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
                    if (handshake != 0) {
                        EXPECT_EQ(dcb.fOutX, 1u);
                        EXPECT_EQ(dcb.fInX, 1u);
                        EXPECT_EQ(dcb.XonChar, 0x11);
                        EXPECT_EQ(dcb.XoffChar, 0x13);
                    }
                    COMMTIMEOUTS t{};
                    ASSERT_TRUE(GetCommTimeouts(Handle(), &t));
                    EXPECT_EQ(t.ReadIntervalTimeout, MAXDWORD);
                    EXPECT_EQ(t.ReadTotalTimeoutMultiplier + t.ReadTotalTimeoutConstant, 0u);
                    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 2000u);
                    EXPECT_EQ(t.WriteTotalTimeoutConstant, 500u);

                    Send(BuildConnectFrame());
                    uint8_t reply[10] = {};
                    uint32_t count = 0;
                    EXPECT_EQ(ReadPort(reply, sizeof reply, count), 0);
                    EXPECT_EQ(count, 1u);
                    EXPECT_EQ(reply[0], 'Y');
                    QuickClose();
                }
            }
        }
    }
}

TEST_F(WinLine, TheLineSettingsTheDriverHoldsAreTheOpensOwn) {
    if (RunningUnderWine()) {
        GTEST_SKIP() << "on a pseudo-terminal Wine reads 8 data bits and no parity back whatever "
                        "was set, DTR and RTS as 'enable', and keeps no abort-on-error flag";
    }
    for (int handshake : {0, 1}) {
        ASSERT_EQ(OpenPort(Com1(handshake, 7, 2, 2)), 0);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(Handle(), &dcb));
        EXPECT_EQ(dcb.ByteSize, 7);
        EXPECT_EQ(dcb.Parity, EVENPARITY);
        EXPECT_EQ(dcb.fParity, 1u);
        EXPECT_EQ(dcb.fAbortOnError, 1u);
        EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
        EXPECT_EQ(dcb.fRtsControl,
                  static_cast<DWORD>(handshake == 0 ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE));
        QuickClose();
    }
}

TEST_F(WinLine, ASecondOpenOfAHeldPortFails) {
    if (RunningUnderWine()) {
        GTEST_SKIP() << "Wine opens a COM port on a pseudo-terminal without exclusion";
    }
    ASSERT_EQ(OpenPort(Com1()), 0);
    HANDLE second = CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    if (second != INVALID_HANDLE_VALUE) {
        CloseHandle(second);
    }
}

TEST_F(WinLine, AReadWithNoReplyPollsTenTimesAndReturnsNothing) {
    ASSERT_EQ(OpenPort(Com1()), 0);
    uint8_t reply[255] = {};
    uint32_t count = 0;
    const auto took = Timed([&] { EXPECT_EQ(ReadPort(reply, sizeof reply, count), 0); });
    EXPECT_EQ(count, 0u);
    // Ten 50 ms polls; a read that waited inside the driver would take far longer.
    EXPECT_GE(took.count(), 450);
    EXPECT_LT(took.count(), 2000);
}

TEST_F(WinLine, ASmallBufferNeverGetsMoreThanItsCapacity) {
    ASSERT_EQ(OpenPort(Com1()), 0);
    Send(BuildStatusFrame()); // a 31-byte reply
    uint8_t reply[16];
    std::fill(std::begin(reply), std::end(reply), uint8_t{0xEE});
    uint32_t count = 0;
    tarvello::Sleep(100);
    EXPECT_EQ(ReadPort(reply, 10, count), 0);
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(std::string(reply, reply + 10), "exist 128/");
    for (size_t k = 10; k < sizeof reply; ++k) {
        EXPECT_EQ(reply[k], 0xEE);
    }
}

TEST_F(WinLine, ClosingTwiceOnlyWaitsTheSecondTime) {
    ASSERT_EQ(OpenPort(Com1()), 0);
    EXPECT_GE(Timed([] { ClosePort(); }).count(), 950);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    EXPECT_FALSE(g_bPortOpen.load());
    EXPECT_GE(Timed([] { ClosePort(); }).count(), 950);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    const uint8_t frame[] = {0x02, 'Y'};
    EXPECT_EQ(WritePort(frame, sizeof frame), 1);
    uint8_t reply[8];
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(reply, sizeof reply, count), 1);
    // The handle was released: the port opens again.
    ASSERT_EQ(OpenPort(Com1()), 0);
}

// The port page's open sequence on fast time, then the monitor until it has shown all three.
void OpenWithMonitor(DisplaySink* sink) {
    tarvello::SetSleepHook(&e2e::FastSleep);
    ASSERT_EQ(OpenPort(Com1()), 0);
    Send(BuildConnectFrame());
    tarvello::Sleep(1000);
    uint8_t reply[10] = {};
    uint32_t count = 0;
    ASSERT_EQ(ReadPort(reply, sizeof reply, count), 0);
    ASSERT_EQ(reply[0], 'Y');
    Send(BuildAccessFrame());
    StartStatusMonitor(sink);
}

TEST_F(WinLine, OneMonitorPassShowsTheThreeStatusValues) {
    StatusSink sink;
    ASSERT_NO_FATAL_FAILURE(OpenWithMonitor(&sink));
    ASSERT_TRUE(Eventually([&] { return sink.Shown().size() >= 3; }, 10s));
    const auto shown = sink.Shown();
    EXPECT_EQ(shown[0], std::make_pair(1042, std::string("2.5098")));
    EXPECT_EQ(shown[1], std::make_pair(1021, std::string("0.1373")));
    EXPECT_EQ(shown[2], std::make_pair(1048, std::string("5.0000")));
    ClosePort();
    WaitStatusMonitorEnd();
    EXPECT_FALSE(CMonitorThread().IsRunning());
}

TEST_F(WinLine, BothAdjustmentsRunToSuccessWhileTheMonitorWaits) {
    StatusSink sink;
    ASSERT_NO_FATAL_FAILURE(OpenWithMonitor(&sink));
    ScratchParameterFile file("tarvello_win_adjust_");
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        SCOPED_TRACE(sensor == Sensor::Reflective ? "reflective" : "transmissive");
        const std::optional<float> target = PrepareAdjustmentStart(sensor, file.ini, "2.0");
        ASSERT_TRUE(target.has_value());
        ASSERT_TRUE(StartAdjustment(sensor, {}));
        ASSERT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, 60s));
        EXPECT_EQ(LastAdjustmentExitCode(), 0);
        EXPECT_GE(AdjustmentPasses(), 1u);
        EXPECT_TRUE(InBand(sensor, *target, g_fAdjustResult.load())) << g_fAdjustResult.load();
        EXPECT_EQ(CMonitorThread().SuspendCount(), 0);
    }
}

TEST_F(WinLine, APaperCheckComputesFromTheTwoSamples) {
    StatusSink sink;
    ASSERT_NO_FATAL_FAILURE(OpenWithMonitor(&sink));
    RecordingCheckSink check;
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, check), PaperCheckEnd::Completed);
    ASSERT_EQ(check.values.size(), 4u);
    const float mark = check.values[0];
    const float paper = check.values[1];
    EXPECT_NE(mark, paper) << "the printer's mark and paper samples differ";
    EXPECT_FLOAT_EQ(check.values[2], static_cast<float>((mark - paper) / 2.0 * 5.0));
    EXPECT_FLOAT_EQ(check.values[3], mark - check.values[2]);
    EXPECT_EQ(CMonitorThread().SuspendCount(), 0);
}

TEST_F(WinReadings, ExchangeVoltageGivesTheWorkedExamples) {
    ASSERT_EQ(OpenPort(Com1()), 0);
    // '128/' at 5.0: a reflective reading frame sent in pieces, the last piece exchanged.
    Send(BuildReadingPrefix('F'));
    const std::string code = SensitivityCode(2);
    ASSERT_EQ(WritePort(code.data(), code.size()), 0);
    EXPECT_FLOAT_EQ(ExchangeVoltage("100", 3, 5.0f), 2.5098f);
    // '12/' at 3.3.
    const std::vector<uint8_t> frame = BuildReadingFrame('T', 1, 50);
    EXPECT_FLOAT_EQ(ExchangeVoltage(frame.data(), frame.size(), 3.3f), 0.1553f);
    // 'x5/': only the digit directly before the '/' counts.
    const std::vector<uint8_t> status = BuildStatusFrame();
    EXPECT_FLOAT_EQ(ExchangeVoltage(status.data(), status.size(), 5.0f), 0.0980f);
    // No reply (the access code is not answered): the flush and ten polls, then 0.0.
    const std::vector<uint8_t> access = BuildAccessFrame();
    float none = -1.0f;
    const auto took = Timed([&] { none = ExchangeVoltage(access.data(), access.size(), 5.0f); });
    EXPECT_FLOAT_EQ(none, 0.0f);
    EXPECT_GE(took.count(), 550);
}

TEST_F(WinSending, APurgeEndsOnlyOnceThePrinterHasStoppedSending) {
    ASSERT_EQ(OpenPort(Com1()), 0);
    // 600 bytes in pieces of 20 every 20 ms, faster than a purge reads (30 bytes per 100 ms):
    // the input queue only empties once the purge has read all of it, about 2 s.
    Send(BuildStatusFrame());
    tarvello::Sleep(100);
    EXPECT_GE(Timed([] { PurgeInput(); }).count(), 1500);
    tarvello::Sleep(150);
    uint8_t rest[255];
    uint32_t count = 0;
    EXPECT_EQ(ReadOnce(rest, sizeof rest, count), 0);
    EXPECT_EQ(count, 0u);
}

} // namespace
