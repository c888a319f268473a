// The line backend for Linux and macOS: termios on a non-blocking descriptor, held for this
// program alone.
#ifndef _WIN32

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "device/LineBackend.h"

namespace {

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

PortOpenError OpenErrorFor(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EIO: // a serial port's device file with no port behind it
        return PortOpenError::kNoDevice;
    case EBUSY:
    case EWOULDBLOCK:
        return PortOpenError::kBusy;
    case EACCES:
    case EPERM:
    case EROFS:
        return PortOpenError::kNoAccess;
    default:
        return PortOpenError::kOther;
    }
}

// Takes the device for this descriptor alone. The lock refuses every other open that asks for
// it (a second instance of the tool, also one run as root, or a serial library that locks); the
// terminal's exclusive mode refuses every further open but root's. A device already in
// exclusive mode is held by another program. False with errno set.
bool TakeExclusively(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
#ifdef TIOCGEXCL
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        errno = EBUSY;
        return false;
    }
#endif
    ioctl(fd, TIOCEXCL); // fails only on a device that is no terminal, which Configure refuses
    return true;
}

class PosixLine : public LineBackend {
  public:
    PortHandle Open(const std::string& device, const PortSettings& settings) override {
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            openError_.store(OpenErrorFor(errno));
            return kInvalidPortHandle;
        }
        if (!TakeExclusively(fd)) {
            openError_.store(OpenErrorFor(errno));
            ::close(fd); // releases the lock, if taken
            return kInvalidPortHandle;
        }
        if (!Configure(fd, settings)) {
            openError_.store(PortOpenError::kSettingsRefused);
            Close(fd);
            return kInvalidPortHandle;
        }
        openError_.store(PortOpenError::kNone);
        return fd;
    }

    PortOpenError OpenError() const override { return openError_.load(); }

    // Leaves exclusive mode (it would outlive this descriptor while another one, such as the
    // master of a pseudo-terminal, keeps the terminal), discards pending output so the close
    // does not wait for the line's closing wait, and closes, which releases the lock.
    void Close(PortHandle handle) override {
        const int fd = static_cast<int>(handle);
        ioctl(fd, TIOCNXCL);
        tcflush(fd, TCOFLUSH);
        ::close(fd);
    }

    size_t Write(PortHandle handle, const uint8_t* data, size_t length) override {
        const int fd = static_cast<int>(handle);
        size_t written = 0;
        writeLost_ = false;
        while (written < length) {
            const ssize_t n = ::write(fd, data + written, length - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
            } else if (n == 0 || errno != EINTR) {
                // The driver's buffer is full, or the line refuses the bytes; EIO and ENXIO
                // say the device went away, as a hang-up that poll reports does.
                writeLost_ = n < 0 && (errno == EIO || errno == ENXIO);
                break;
            }
        }
        return written;
    }

    bool WriteLostLine(PortHandle handle) override {
        return writeLost_ || HungUp(static_cast<int>(handle));
    }

    long OutputQueued(PortHandle handle) override {
        const int fd = static_cast<int>(handle);
        pollfd p{fd, POLLOUT, 0};
        while (::poll(&p, 1, 0) < 0) {
            if (errno != EINTR) {
                return -1;
            }
        }
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return -1; // hung up: nothing more goes out
        }
        int queued = 0;
        if (ioctl(fd, TIOCOUTQ, &queued) != 0) {
            return -1;
        }
        // A pseudo-terminal hands its output on at once and reports none queued; while its
        // reader takes nothing it only stops taking more.
        return (p.revents & POLLOUT) ? std::max(queued, 0) : std::max(queued, 1);
    }

    void DiscardOutput(PortHandle handle) override { tcflush(static_cast<int>(handle), TCOFLUSH); }

    long Read(PortHandle handle, uint8_t* buffer, size_t maxBytes) override {
        if (maxBytes == 0) {
            return 0;
        }
        for (;;) {
            const int fd = static_cast<int>(handle);
            const ssize_t n = ::read(fd, buffer, maxBytes);
            if (n > 0) {
                return static_cast<long>(n);
            }
            if (n == 0) {
                // Nothing, or end of file: only a hang-up reported by poll tells them apart.
                return HungUp(fd) ? -1 : 0;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return 0; // nothing has arrived
            }
            return -1; // EIO, ENXIO: the device went away
        }
    }

    // True when poll reports the line hung up or in error.
    static bool HungUp(int fd) {
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, 0) < 0) {
            if (errno != EINTR) {
                return true;
            }
        }
        return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
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

  private:
    std::atomic<PortOpenError> openError_{PortOpenError::kNone};
    bool writeLost_ = false; // the latest Write met EIO or ENXIO (written under the line lock)
};

} // namespace

LineBackend& PlatformLineBackend() {
    static PosixLine line;
    return line;
}

#endif // !_WIN32
