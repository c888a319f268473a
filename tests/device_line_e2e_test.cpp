// test-labels: threaded e2e
// The device link end to end on a pseudo-terminal with the virtual printer, in real time:
// handshake, reads, purge and the voltage exchange.
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "PrinterFixture.h"
#include "device/ExchangeVoltage.h"

namespace {

using namespace std::chrono_literals;
using tarvello::sim::FrameKind;
using tarvello::sim::Sensor;
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

using LineE2E = e2e::PrinterFixture;

TEST_F(LineE2E, HandshakeAndAccessCode) {
    Write(BuildConnectFrame());
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Handshake, 1, 2000));
    std::this_thread::sleep_for(50ms);
    uint8_t reply[10] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(reply, sizeof reply, count), 0);
    EXPECT_GE(count, 1u);
    EXPECT_EQ(reply[0], 'Y');
    Write(BuildAccessFrame());
    EXPECT_TRUE(printer.WaitForFrames(FrameKind::AccessCode, 1, 2000));
    EXPECT_EQ(printer.FrameCount(FrameKind::Unknown), 0);
}

TEST_F(LineE2E, ReadWithNoReplyReturnsNothing) {
    uint8_t reply[255] = {};
    uint32_t count = 0;
    const auto start = Clock::now();
    EXPECT_EQ(ReadPort(reply, sizeof reply, count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_GE(MsSince(start), 450);
}

TEST_F(LineE2E, OversizedReplyNeverOverfillsASmallBuffer) {
    printer.SetOversize(65536);
    Write(BuildStatusFrame());
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 2000));
    uint8_t reply[16];
    std::fill(std::begin(reply), std::end(reply), uint8_t{0xEE});
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(reply, 10, count), 0);
    EXPECT_GE(count, 1u);
    EXPECT_LE(count, 10u);
    for (size_t k = 10; k < sizeof reply; ++k) {
        EXPECT_EQ(reply[k], 0xEE);
    }
}

TEST_F(LineE2E, PurgeEndsOnlyWhenThePrinterHasStoppedSending) {
    // 600 bytes in pieces of 20 every 20 ms, faster than a purge reads (30 bytes per 100 ms):
    // the queue only empties once the purge has read all of it, about 2 s.
    printer.SetOversize(600);
    printer.SetSplit(20, 20);
    Write(BuildStatusFrame());
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 2000));
    const auto start = Clock::now();
    PurgeInput();
    EXPECT_GE(MsSince(start), 1500);
    EXPECT_EQ(printer.RawSent().size(), 600u);
    std::this_thread::sleep_for(150ms);
    uint8_t rest[255];
    uint32_t count = 0;
    EXPECT_EQ(ReadOnce(rest, sizeof rest, count), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(LineE2E, ExchangeVoltageReadings) {
    printer.SetReadingOverride(Sensor::Reflective, 128);
    Write(BuildReadingPrefix('F'));
    const std::string code = SensitivityCode(2);
    ASSERT_EQ(WritePort(code.data(), code.size()), 0);
    EXPECT_FLOAT_EQ(ExchangeVoltage("100", 3, 5.0f), 2.5098f);

    printer.SetReadingOverride(Sensor::Reflective, 12);
    const std::vector<uint8_t> frame = BuildReadingFrame('F', 1, 50);
    EXPECT_FLOAT_EQ(ExchangeVoltage(frame.data(), frame.size(), 3.3f), 0.1553f);

    printer.SetSilent(true);
    const auto start = Clock::now();
    EXPECT_FLOAT_EQ(ExchangeVoltage(frame.data(), frame.size(), 5.0f), 0.0f);
    EXPECT_GE(MsSince(start), 550); // flush and ten polls

    printer.SetSilent(false);
    printer.SetGarbage(true);
    EXPECT_FLOAT_EQ(ExchangeVoltage(frame.data(), frame.size(), 5.0f), 0.0f);
}

} // namespace
