// The serial primitives on a scripted line with virtual time (chunking, polls, purge, close,
// a held line, port names). The termios backend on a real pseudo-terminal:
// device_posix_line_test.cpp.
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

#include "FakeLine.h"
#include "device/SerialPort.h"

namespace {

PortSettings Settings(int port, int handshake = 0) {
    PortSettings s;
    s.nPort = port;
    s.dwBaudRate = 38400;
    s.byByteSize = 8;
    s.byParity = 0;
    s.byStopBits = 0;
    s.nHandshake = handshake;
    return s;
}

std::string Times(int n, const std::string& calls) {
    std::string all;
    for (int k = 0; k < n; ++k) {
        all += calls;
    }
    return all;
}

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        line.Install();
    }
    void TearDown() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        line.Uninstall();
    }
    void OpenLine() {
        ASSERT_EQ(OpenPort(Settings(0)), 0);
        ASSERT_NE(g_hCom.load(), kInvalidPortHandle);
    }
    FakeLine line;
};

TEST_F(SerialPortTest, OpenPassesSettingsForEachHandshakeMode) {
    for (int mode : {0, 1, 7}) {
        PortSettings s = Settings(2, mode);
        s.byByteSize = 7;
        s.byParity = 2;
        s.byStopBits = 2;
        s.dwBaudRate = 9600;
        ASSERT_EQ(OpenPort(s), 0);
        EXPECT_TRUE(g_bPortOpen.load());
        const PortSettings got = line.OpenedSettings().back();
        EXPECT_EQ(got.nHandshake, mode);
        EXPECT_EQ(got.dwBaudRate, 9600u);
        EXPECT_EQ(got.byByteSize, 7);
        EXPECT_EQ(got.byParity, 2);
        EXPECT_EQ(got.byStopBits, 2);
#ifdef _WIN32
        EXPECT_EQ(line.Opened().back(), "\\\\.\\COM3");
#else
        EXPECT_EQ(line.Opened().back(), "/dev/ttyS2");
#endif
    }
    // Each open closed the handle of the one before; both buffers were purged after each.
    EXPECT_EQ(line.Closes(), 2);
    EXPECT_EQ(line.OpenHandles(), 1);
    EXPECT_EQ(line.Purges(), 3);
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
}

TEST_F(SerialPortTest, PortOutsideTheRangeFailsAndStaysClosed) {
    for (int port : {-1, 8, 100}) {
        EXPECT_EQ(OpenPort(Settings(port)), 1) << port;
        EXPECT_EQ(LastOpenError(), PortOpenError::kNoDevice);
        EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
        EXPECT_FALSE(g_bPortOpen.load());
    }
    EXPECT_TRUE(line.Opened().empty());
}

TEST_F(SerialPortTest, RejectedOpenLeavesHandleInvalidAndFlagUntouched) {
    OpenLine();
    EXPECT_EQ(LastOpenError(), PortOpenError::kNone);
    line.SetOpenFails(true, PortOpenError::kBusy);
    EXPECT_EQ(OpenPort(Settings(1)), 1);
    EXPECT_EQ(LastOpenError(), PortOpenError::kBusy); // the backend's reason is kept
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    EXPECT_TRUE(g_bPortOpen.load());  // not touched by the failed open
    EXPECT_EQ(line.OpenHandles(), 0); // the earlier handle was released first
}

TEST_F(SerialPortTest, WritesInChunksOf1024WithAnEmptyLastChunk) {
    OpenLine();
    std::vector<uint8_t> data(2048 + 1500, 0x41);
    EXPECT_EQ(WritePort(data.data(), 0), 0);
    EXPECT_EQ(WritePort(data.data(), 2048), 0);
    EXPECT_EQ(WritePort(data.data(), 1500), 0);
    EXPECT_EQ(WritePort(data.data(), 1024), 0);
    std::vector<size_t> sizes;
    for (const auto& w : line.Writes()) {
        sizes.push_back(w.size());
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{0, 1024, 1024, 0, 1024, 476, 1024, 0}));
}

TEST_F(SerialPortTest, WriteFailsOnClosedPortOrShortWrite) {
    const uint8_t frame[] = {0x02, 'Y'};
    EXPECT_EQ(WritePort(frame, 2), 1);
    EXPECT_TRUE(line.Writes().empty());
    OpenLine();
    line.SetShortWrites(1);
    EXPECT_EQ(WritePort(frame, 2), 1);
    EXPECT_EQ(WritePort(frame, 2), 0);
    // A short first chunk stops the write: no second chunk follows.
    std::vector<uint8_t> big(1500, 0);
    line.SetShortWrites(1);
    const size_t before = line.Writes().size();
    EXPECT_EQ(WritePort(big.data(), big.size()), 1);
    EXPECT_EQ(line.Writes().size(), before + 1);
}

TEST_F(SerialPortTest, HeldLineGivesAShortWriteAtItsTimeoutAndACloseThatDoesNotWait) {
    OpenLine();
    line.SetOutputHeld(true);
    const uint8_t frame[] = {0x02, 'Y'};
    EXPECT_EQ(WritePort(frame, 2), 1);
    EXPECT_EQ(line.NowMs(), 4500u); // 2000 ms per byte + 500 ms
    EXPECT_EQ(line.OutputQueuedBytes(), 0u);
    EXPECT_EQ(line.Calls().back(), 'D'); // discarded at the timeout
    // A line that moves again within the timeout: done once it has sent the bytes.
    line.At(4800, [&] { line.SetOutputHeld(false); });
    EXPECT_EQ(WritePort(frame, 2), 0);
    EXPECT_GE(line.NowMs(), 4800u);
    EXPECT_LE(line.NowMs(), 4820u);
    // Closed while a chunk waits: the write ends there, and the close discards the output
    // first, so it takes only its own 1000 ms instead of the driver's closing wait.
    line.SetOutputHeld(true);
    uint64_t closeMs = 0;
    line.At(line.NowMs() + 100, [&] {
        const uint64_t start = line.NowMs();
        ClosePort();
        closeMs = line.NowMs() - start;
    });
    std::vector<uint8_t> big(2048, 'x');
    const size_t before = line.Writes().size();
    EXPECT_EQ(WritePort(big.data(), big.size()), 1);
    EXPECT_EQ(closeMs, 1000u);
    EXPECT_EQ(line.Writes().size(), before + 1); // no chunk after the close
    EXPECT_EQ(line.OpenHandles(), 0);
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
    // A write that itself waits for the held line (Win32) holds the line lock: the close
    // cancels it instead of waiting for its timeout.
    OpenLine();
    line.SetOutputHeld(false);
    line.SetWritesWaitForCancel(true);
    std::thread writer([&] { EXPECT_EQ(WritePort(frame, 2), 1); });
    for (int k = 0; k < 1000 && line.Writes().size() < before + 2; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    ClosePort(); // its fixed wait on the line's virtual time
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    writer.join();
    EXPECT_EQ(line.OpenHandles(), 0);
}

TEST_F(SerialPortTest, ReadWithNoReplyMakesTenPollsOf50ms) {
    OpenLine();
    uint8_t buffer[255] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(line.Sleeps(), std::vector<unsigned>(10, 50));
    EXPECT_EQ(line.ReadSizes(), std::vector<size_t>(10, 255));
    EXPECT_EQ(line.Calls(), "OP" + Times(10, "ESR")); // errors cleared before every read
}

TEST_F(SerialPortTest, ReadStopsAtTheFirstPollWithBytes) {
    OpenLine();
    line.Arrive("128/", 120);
    uint8_t buffer[255] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 0);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), "128/");
    EXPECT_EQ(line.Sleeps().size(), 3u);
}

TEST_F(SerialPortTest, ReadOnClosedPortReturnsAtOnce) {
    uint8_t buffer[10] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 1);
    EXPECT_TRUE(line.Sleeps().empty());
    EXPECT_EQ(count, 0u);
}

TEST_F(SerialPortTest, SmallBufferNeverGetsMoreThanItsCapacity) {
    OpenLine();
    line.Arrive(std::string(300, 'Y'));
    uint8_t buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(buffer, 10, count), 0);
    EXPECT_EQ(count, 10u);
    for (size_t k = 10; k < sizeof buffer; ++k) {
        EXPECT_EQ(buffer[k], 0xEE) << k;
    }
    // A large buffer still takes at most 255 bytes per read.
    std::vector<uint8_t> large(1000);
    count = 0;
    EXPECT_EQ(ReadPort(large.data(), large.size(), count), 0);
    EXPECT_EQ(count, 255u);
}

// A read the platform refuses is a line that went away (a pulled adapter), not a silent
// printer: the wait ends at once and the line is marked gone until the next open.
TEST_F(SerialPortTest, ARejectedReadEndsTheWaitAsALostLineAndKeepsTheCount) {
    OpenLine();
    EXPECT_FALSE(LineGone());
    line.SetFailingReads(10);
    line.Arrive("7/");
    uint8_t buffer[255] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(line.Sleeps().size(), 1u);
    EXPECT_TRUE(LineGone());
    OpenLine();
    EXPECT_FALSE(LineGone());
    // So is a refused clearing of the line's errors (a pulled adapter on Windows).
    line.SetFailingReads(0, 1);
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 1);
    EXPECT_TRUE(LineGone());
}

TEST_F(SerialPortTest, PurgeWhilePrinterKeepsSendingEndsOnlyOnAnEmptyQueue) {
    OpenLine();
    for (uint64_t t = 0; t < 1000; t += 20) {
        line.Arrive("exist 128/headpos 7/", t);
    }
    PurgeInput();
    EXPECT_GE(line.NowMs(), 1000u);
    EXPECT_EQ(line.Queued(), 0u);
    for (size_t size : line.ReadSizes()) {
        EXPECT_EQ(size, 30u);
    }
    // With nothing arriving a purge takes exactly one pass.
    const size_t sleeps = line.Sleeps().size();
    PurgeInput();
    EXPECT_EQ(line.Sleeps().size(), sleeps + 1);
    EXPECT_EQ(line.Sleeps().back(), 100u);
}

TEST_F(SerialPortTest, FlushWaitsOnceAndReadsOnceWithinItsLimit) {
    OpenLine();
    line.Arrive(std::string(400, 'x'));
    FlushInput(255);
    EXPECT_EQ(line.Sleeps(), std::vector<unsigned>{100});
    EXPECT_EQ(line.ReadSizes(), std::vector<size_t>{255});
    EXPECT_EQ(line.Calls(), "OPESR");
    FlushInput(1000); // never more than one read's 255 bytes
    EXPECT_EQ(line.ReadSizes().back(), 255u);
    EXPECT_EQ(line.Queued(), 0u);
}

TEST_F(SerialPortTest, PrimitivesOnClosedPortDoNotWait) {
    PurgeInput();
    FlushInput(255);
    uint32_t count = 0;
    uint8_t buffer[4];
    EXPECT_EQ(ReadAttempt(buffer, sizeof buffer, count, 500), 1);
    EXPECT_EQ(ReadOnce(buffer, sizeof buffer, count), 1);
    EXPECT_EQ(ClearLineErrors(), 1);
    EXPECT_TRUE(line.Sleeps().empty());
    EXPECT_TRUE(line.ReadSizes().empty());
}

TEST_F(SerialPortTest, CloseTwice) {
    OpenLine();
    ClosePort();
    EXPECT_FALSE(g_bPortOpen.load());
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    EXPECT_EQ(line.Closes(), 1);
    ClosePort();
    EXPECT_EQ(line.Closes(), 1);
    EXPECT_EQ(line.Sleeps(), (std::vector<unsigned>{1000, 1000}));
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
    uint8_t frame[] = {0x02, 'Y'};
    EXPECT_EQ(WritePort(frame, 2), 1);
}

TEST(SerialPortNames, FirstEightThenExtraDevices) {
#ifdef _WIN32
    EXPECT_EQ(PortDeviceName(0), "\\\\.\\COM1");
#else
    EXPECT_EQ(PortDeviceName(0), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceName(7), "/dev/ttyS7");
#endif
    EXPECT_EQ(PortDeviceName(-1), "");
    const size_t known = ExtraPorts().size();
    EXPECT_EQ(PortDeviceName(8 + static_cast<int>(known)), "");
    const int a = AddExtraPort("/dev/ttyUSB-test-a");
    const int b = AddExtraPort("/dev/ttyUSB-test-b");
    EXPECT_EQ(a, 8 + static_cast<int>(known));
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(AddExtraPort("/dev/ttyUSB-test-a"), a); // registered once
    EXPECT_EQ(PortDeviceName(a), "/dev/ttyUSB-test-a");
    EXPECT_EQ(PortDeviceName(b), "/dev/ttyUSB-test-b");
    EXPECT_EQ(ExtraPorts().size(), known + 2);
}

} // namespace
