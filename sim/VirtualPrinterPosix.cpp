// The virtual printer's line: a POSIX pseudo-terminal and the server loop around it. On Windows
// there is no pseudo-terminal; Start() reports failure there.
#include "sim/VirtualPrinter.h"

#ifndef _WIN32

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tarvello::sim {

using Clock = std::chrono::steady_clock;

bool VirtualPrinter::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable() || master_ >= 0) {
        return false;
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        return false;
    }
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        close(master);
        return false;
    }
    // The printer's own hold on the slave side: while it stays open, a client that opens and
    // closes the device never leaves the master without a slave (which would read as EIO).
    int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        close(master);
        return false;
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio); // no echo, no line editing, no CR/NL translation
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        tcsetattr(slave, TCSANOW, &tio);
    }
    int wake[2];
    if (pipe(wake) != 0) {
        close(slave);
        close(master);
        return false;
    }
    for (int fd : {master, wake[0], wake[1]}) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    wake_[0] = wake[0];
    wake_[1] = wake[1];
    master_ = master;
    slave_ = slave;
    path_ = name;
    stop_ = false;
    hangUpRequest_ = false;
    hungUp_ = false;
    pending_.clear();
    out_.clear();
    running_ = true;
    thread_ = std::thread(&VirtualPrinter::Run, this);
    return true;
}

void VirtualPrinter::Wake() {
    if (wake_[1] >= 0) {
        [[maybe_unused]] ssize_t n = write(wake_[1], "w", 1);
    }
}

void VirtualPrinter::CloseFds() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        close(slave_);
        slave_ = -1;
    }
}

void VirtualPrinter::ClosePipe() {
    for (int& fd : wake_) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

void VirtualPrinter::Run() {
    bool blocked = false; // the last write found the line full
    while (!stop_ && Serve(blocked)) {
    }
}

// One turn of the server loop: waits for a byte, a due reply, a frame's quiet line or a wake-up,
// takes what came in, and writes what is due. False once the line has been hung up.
bool VirtualPrinter::Serve(bool& blocked) {
    if (hangUpRequest_) {
        DoHangUp();
        return false;
    }
    Clock::time_point now = Clock::now();
    const int timeout = SleepMs(now, blocked);
    pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                     {wake_[0], POLLIN, 0}};
    int ready = poll(fds, 2, timeout);
    now = Clock::now();
    if (ready > 0 && (fds[1].revents & POLLIN)) {
        char drain[16];
        while (read(wake_[0], drain, sizeof drain) > 0) {
        }
    }
    if (ready > 0 && (fds[0].revents & POLLIN)) {
        char buffer[4096];
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
            Received(buffer, static_cast<std::size_t>(n), now);
        }
    }
    CheckIdleFrame(now);
    if (hangUpRequest_) {
        DoHangUp();
        return false;
    }
    WriteDue(now, blocked);
    return true;
}

// Writes whatever is due; a full line (EAGAIN) leaves blocked set, to wait for POLLOUT.
void VirtualPrinter::WriteDue(Clock::time_point now, bool& blocked) {
    blocked = false;
    while (!out_.empty() && out_.front().due <= now) {
        std::string& bytes = out_.front().bytes;
        ssize_t n;
        {
            // The log grows with the write, so a client that has read a reply finds it
            // in RawSent().
            std::lock_guard<std::mutex> lock(mutex_);
            n = write(master_, bytes.data(), bytes.size());
            if (n > 0) {
                LogSent(bytes.data(), static_cast<std::size_t>(n));
            }
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            blocked = (errno == EAGAIN || errno == EWOULDBLOCK);
            if (!blocked) {
                out_.clear(); // the line is gone; nothing more can be sent
            }
            break;
        }
        if (static_cast<size_t>(n) < bytes.size()) {
            bytes.erase(0, static_cast<size_t>(n));
            blocked = true;
            break;
        }
        out_.pop_front();
    }
}

} // namespace tarvello::sim

#else // _WIN32

namespace tarvello::sim {

bool VirtualPrinter::Start() {
    return false;
}
void VirtualPrinter::Wake() {}
void VirtualPrinter::CloseFds() {}
void VirtualPrinter::ClosePipe() {}
void VirtualPrinter::Run() {}

} // namespace tarvello::sim

#endif // _WIN32
