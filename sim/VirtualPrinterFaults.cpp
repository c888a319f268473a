// The virtual printer's faults: silence, garbage, oversized and split replies, a slow printer,
// a refused handshake and a hang-up, switched on and off from any thread, and applied to each
// reply on the server thread.
#include "sim/VirtualPrinter.h"

#include <algorithm>

namespace tarvello::sim {

using Clock = std::chrono::steady_clock;

void VirtualPrinter::SetSilent(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    silentAll_ = on;
}

void VirtualPrinter::SetSilentFor(FrameKind kind, bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (on) {
        silentKinds_.insert(kind);
    } else {
        silentKinds_.erase(kind);
    }
}

void VirtualPrinter::SetGarbage(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    garbage_ = on;
}

void VirtualPrinter::SetSplit(int pieceBytes, int gapMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    splitPiece_ = std::max(0, pieceBytes);
    splitGapMs_ = std::max(0, gapMs);
}

void VirtualPrinter::SetReplyDelayMs(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    replyDelayMs_ = std::max(0, ms);
}

void VirtualPrinter::SetOversize(std::size_t totalBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    oversize_ = totalBytes;
}

void VirtualPrinter::SetRejectHandshake(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    rejectHandshake_ = on;
}

void VirtualPrinter::HangUp() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!running_) {
        return;
    }
    hangUpRequest_ = true;
    Wake();
    changed_.wait_for(lock, std::chrono::seconds(2), [this] { return hungUp_.load(); });
}

void VirtualPrinter::SetHangUpAfterFrames(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    hangUpAfter_ = std::max(0, n);
}

bool VirtualPrinter::HungUp() const {
    std::lock_guard<std::mutex> lock(mutex_); // the close and the flag change together
    return hungUp_;
}

void VirtualPrinter::DoHangUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseFds();
    out_.clear();
    pending_.clear();
    hangUpRequest_ = false;
    hungUp_ = true;
    running_ = false;
    changed_.notify_all();
}

// A reply as the faults let it out (mutex_ held): none while the printer is silent (to
// everything or to this kind of frame), garbage in its place, padded to the oversize, then queued.
void VirtualPrinter::Reply(std::string reply, FrameKind kind, Clock::time_point now) {
    if (reply.empty() || silentAll_ || silentKinds_.count(kind)) {
        return;
    }
    if (garbage_) {
        reply = Garbage(std::max<std::size_t>(reply.size(), 8));
    }
    if (oversize_ > reply.size()) {
        reply.append(oversize_ - reply.size(), '.');
    }
    Queue(std::move(reply), now);
}

// Bytes that no reply grammar accepts: never 'Y', '/', a digit or a hex letter, and no control
// byte (so no XON/XOFF either). Deterministic.
std::string VirtualPrinter::Garbage(std::size_t length) {
    static const char kAlphabet[] = "GHIJLMNOPQRSTUVWXZghijlmnopqrstuvwxz!#$%&*+-=?@[]^_{}~ ";
    std::string bytes;
    bytes.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
        unsigned pick = (garbageSeed_ >> 16) % (sizeof kAlphabet - 1 + 16);
        if (pick < sizeof kAlphabet - 1) {
            bytes += kAlphabet[pick];
        } else {
            bytes += static_cast<char>(0xF0 + (pick - (sizeof kAlphabet - 1))); // high bytes
        }
    }
    return bytes;
}

// Schedules a reply after the reply delay, in pieces when splitting (mutex_ held). Replies keep
// their order.
void VirtualPrinter::Queue(std::string reply, Clock::time_point now) {
    Clock::time_point due = now + std::chrono::milliseconds(replyDelayMs_);
    if (!out_.empty() && out_.back().due > due) {
        due = out_.back().due;
    }
    if (splitPiece_ <= 0 || reply.size() <= static_cast<std::size_t>(splitPiece_)) {
        out_.push_back({due, std::move(reply)});
        return;
    }
    for (std::size_t at = 0; at < reply.size(); at += static_cast<std::size_t>(splitPiece_)) {
        out_.push_back({due, reply.substr(at, static_cast<std::size_t>(splitPiece_))});
        due += std::chrono::milliseconds(splitGapMs_);
    }
}

} // namespace tarvello::sim
