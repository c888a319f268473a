// The termios line backend on a real pseudo-terminal: the settings each open applies, writes
// on a line that moves and on one that is full, and the exclusive hold of the device.
#ifndef _WIN32

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "device/LineBackend.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"

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

class PosixLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        index = AddExtraPort(ptsname(master));
    }
    void TearDown() override {
        SetLineBackend(nullptr);
        const PortHandle h = g_hCom.exchange(kInvalidPortHandle);
        if (h != kInvalidPortHandle) {
            PlatformLineBackend().Close(h);
        }
        g_bPortOpen = false;
        close(master);
    }
    termios Attributes() {
        termios tio{};
        EXPECT_EQ(tcgetattr(static_cast<int>(g_hCom.load()), &tio), 0);
        return tio;
    }
    int master = -1;
    int index = -1;
};

TEST_F(PosixLineTest, HardwareHandshakeRawAndNonBlocking) {
    PortSettings s = Settings(index, 0);
    s.dwBaudRate = 57600;
    ASSERT_EQ(OpenPort(s), 0);
    const termios tio = Attributes();
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & (PARENB | CSTOPB));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_TRUE(fcntl(static_cast<int>(g_hCom.load()), F_GETFL) & O_NONBLOCK);

    // Nothing arrived: a read returns at once with nothing; bytes from the other side arrive.
    uint8_t buffer[32] = {};
    uint32_t count = 0;
    EXPECT_EQ(ReadOnce(buffer, sizeof buffer, count), 0);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(write(master, "Y", 1), 1);
    EXPECT_EQ(ReadPort(buffer, sizeof buffer, count), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer[0], 'Y');
    // A pseudo-terminal hands the output on at once: the write is done without a wait.
    const uint8_t frame[] = {0x02, 'Y'};
    EXPECT_EQ(WritePort(frame, 2), 0);
    char got[2] = {};
    EXPECT_EQ(read(master, got, 2), 2);
    EXPECT_EQ(std::string(got, 2), "\x02Y");
}

TEST_F(PosixLineTest, SoftwareHandshakeAndFraming) {
    PortSettings s = Settings(index, 1);
    s.dwBaudRate = 4800;
    s.byByteSize = 7;
    s.byParity = 1;
    s.byStopBits = 2;
    ASSERT_EQ(OpenPort(s), 0);
    const termios tio = Attributes();
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_TRUE(tio.c_iflag & IXOFF);
    EXPECT_EQ(tio.c_cc[VSTART], 0x11);
    EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
    // A pseudo-terminal keeps its own character size, parity and stop bits, so only the
    // speed of the framing can be seen here.
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B4800));
}

TEST_F(PosixLineTest, WriteHeldUpGivesUpAfterItsTimeout) {
    ASSERT_EQ(OpenPort(Settings(index, 0)), 0);
    // Nobody reads the other side: fill the line until it takes no more.
    const int fd = static_cast<int>(g_hCom.load());
    // The pseudo-terminal moves bytes on in the background, so keep filling until it has
    // taken nothing for a while.
    std::vector<uint8_t> block(4096, 'x');
    for (int idle = 0, k = 0; idle < 5 && k < 100000; ++k) {
        if (write(fd, block.data(), block.size()) > 0) {
            idle = 0;
        } else {
            ++idle;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const uint8_t frame[] = {0x02};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WritePort(frame, 1), 1); // 2000 ms per byte + 500 ms, then a short write
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_GE(ms, 2400);
    EXPECT_LT(ms, 10000);
    EXPECT_FALSE(LineGone());
    // A line that hangs up (EIO from the device) is gone at once.
    close(master);
    master = -1;
    EXPECT_EQ(WritePort(frame, 1), 1);
    EXPECT_TRUE(LineGone());
}

// A second process, a second open in this one: both refused while the port is open, with the
// reason; the device is free again once the port has closed.
TEST_F(PosixLineTest, HeldDeviceCannotBeOpenedAgain) {
    const std::string device = PortDeviceName(index);
    const int other = open(device.c_str(), O_RDWR | O_NOCTTY); // as the printer side holds it
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0); // another program that locks the device
    EXPECT_EQ(OpenPort(Settings(index)), 1);
    EXPECT_EQ(LastOpenError(), PortOpenError::kBusy);
    ASSERT_EQ(flock(other, LOCK_UN), 0);
    ASSERT_EQ(OpenPort(Settings(index)), 0);
    const auto openInChild = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            g_hCom = kInvalidPortHandle; // the parent's descriptor is not this process's port
            const int result = OpenPort(Settings(index));
            _exit(result == 0 ? 0 : LastOpenError() == PortOpenError::kBusy ? 1 : 2);
        }
        int status = -1;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(openInChild(), 1);
    EXPECT_EQ(PlatformLineBackend().Open(device, Settings(index)), kInvalidPortHandle);
    EXPECT_EQ(PlatformLineBackend().OpenError(), PortOpenError::kBusy);
#ifdef TIOCGEXCL
    int exclusive = 0;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
#endif
    tarvello::SetSleepHook([](unsigned) {});
    ClosePort();
    tarvello::SetSleepHook(nullptr);
#ifdef TIOCGEXCL
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0); // left exclusive mode, although another descriptor stays open
#endif
    EXPECT_EQ(openInChild(), 0);
    close(other);
}

TEST_F(PosixLineTest, RejectedSettingsCloseTheDevice) {
    PortSettings s = Settings(index, 0);
    s.dwBaudRate = 12345;
    EXPECT_EQ(OpenPort(s), 1);
    EXPECT_EQ(LastOpenError(), PortOpenError::kSettingsRefused);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    s = Settings(index, 0);
    s.byStopBits = 1; // one and a half stop bits
    EXPECT_EQ(OpenPort(s), 1);
    EXPECT_EQ(LastOpenError(), PortOpenError::kSettingsRefused);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    EXPECT_FALSE(g_bPortOpen.load());
    const int missing = AddExtraPort("/dev/tarvello-no-such-device");
    EXPECT_EQ(OpenPort(Settings(missing)), 1);
    EXPECT_EQ(LastOpenError(), PortOpenError::kNoDevice);
    // Refused settings released the device: it opens again.
    EXPECT_EQ(OpenPort(Settings(index, 0)), 0);
}

} // namespace

#endif // !_WIN32
