// The line backend for Linux and macOS: termios on a non-blocking descriptor.
#ifndef _WIN32

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "device/LineBackend.h"

namespace {

// The write timeout: 2000 ms per byte plus 500 ms.
constexpr long long kWriteMsPerByte = 2000;
constexpr long long kWriteMsConstant = 500;
constexpr cc_t kXon = 0x11;
constexpr cc_t kXoff = 0x13;

bool SpeedFor(uint32_t baud, speed_t& speed) {
    switch (baud) {
    case 1200:
        speed = B1200;
        return true;
    case 2400:
        speed = B2400;
        return true;
    case 4800:
        speed = B4800;
        return true;
    case 9600:
        speed = B9600;
        return true;
    case 19200:
        speed = B19200;
        return true;
    case 38400:
        speed = B38400;
        return true;
    case 57600:
        speed = B57600;
        return true;
    case 115200:
        speed = B115200;
        return true;
    default:
        return false;
    }
}

bool ByteSizeFlag(uint8_t size, tcflag_t& flag) {
    switch (size) {
    case 5:
        flag = CS5;
        return true;
    case 6:
        flag = CS6;
        return true;
    case 7:
        flag = CS7;
        return true;
    case 8:
        flag = CS8;
        return true;
    default:
        return false;
    }
}

// Sets (on) or clears the given modem lines. Pseudo-terminals and some adapters have no modem
// lines; they answer ENOTTY or EINVAL, which is not a failure of the open.
bool SetModemLines(int fd, int lines, bool on) {
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines) == 0) {
        return true;
    }
    return errno == ENOTTY || errno == EINVAL;
}

bool Configure(int fd, const PortSettings& settings) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    speed_t speed = B0;
    tcflag_t size = CS8;
    if (!SpeedFor(settings.dwBaudRate, speed) || !ByteSizeFlag(settings.byByteSize, size)) {
        return false;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= size | CREAD | CLOCAL;
    switch (settings.byParity) {
    case 0:
        break;
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        break;
    default:
        return false;
    }
    switch (settings.byStopBits) {
    case 0:
        break;
    case 2:
        tio.c_cflag |= CSTOPB;
        break;
    default:
        return false; // one and a half stop bits does not exist here
    }
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.nHandshake == 0) {
        tio.c_cflag |= CRTSCTS; // output waits for CTS
    } else {
        tio.c_iflag |= IXON | IXOFF; // XON/XOFF in both directions
        tio.c_cc[VSTART] = kXon;
        tio.c_cc[VSTOP] = kXoff;
    }
    // A read returns at once with what has arrived, possibly nothing.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        return false;
    }
    if (settings.nHandshake == 0) {
        return SetModemLines(fd, TIOCM_RTS, true) && SetModemLines(fd, TIOCM_DTR, false);
    }
    return SetModemLines(fd, TIOCM_RTS | TIOCM_DTR, false);
}

class PosixLine : public LineBackend {
  public:
    PortHandle Open(const std::string& device, const PortSettings& settings) override {
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return kInvalidPortHandle;
        }
        if (!Configure(fd, settings)) {
            ::close(fd);
            return kInvalidPortHandle;
        }
        return fd;
    }

    void Close(PortHandle handle) override { ::close(static_cast<int>(handle)); }

    size_t Write(PortHandle handle, const uint8_t* data, size_t length) override {
        const int fd = static_cast<int>(handle);
        using Clock = std::chrono::steady_clock;
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(
                               kWriteMsPerByte * static_cast<long long>(length) + kWriteMsConstant);
        size_t written = 0;
        while (written < length) {
            const ssize_t n = ::write(fd, data + written, length - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                break; // held by the handshake for too long: a short write
            }
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
                break;
            }
        }
        return written;
    }

    long Read(PortHandle handle, uint8_t* buffer, size_t maxBytes) override {
        if (maxBytes == 0) {
            return 0;
        }
        for (;;) {
            const ssize_t n = ::read(static_cast<int>(handle), buffer, maxBytes);
            if (n >= 0) {
                return static_cast<long>(n);
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return 0; // nothing has arrived
            }
            return -1;
        }
    }

    bool ClearErrors(PortHandle handle, size_t* queued) override {
        // termios keeps no error state that blocks transfers; only the queue count is asked.
        if (queued == nullptr) {
            return true;
        }
        int waiting = 0;
        if (ioctl(static_cast<int>(handle), FIONREAD, &waiting) != 0) {
            *queued = 0;
            return false;
        }
        *queued = waiting > 0 ? static_cast<size_t>(waiting) : 0;
        return true;
    }

    void Purge(PortHandle handle) override { tcflush(static_cast<int>(handle), TCIOFLUSH); }
};

} // namespace

LineBackend& PlatformLineBackend() {
    static PosixLine line;
    return line;
}

#endif // !_WIN32
