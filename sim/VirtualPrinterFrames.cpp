// The virtual printer's intake: the bytes the client writes, reassembled into frames from any
// split of writes, each frame recorded, answered and its reply queued.
#include "sim/VirtualPrinter.h"

#include <algorithm>

namespace tarvello::sim {

namespace {

constexpr char kStx = 0x02;
constexpr char kCr = 0x0D;
constexpr char kDc3 = 0x13;

// A reading frame without its sensitivity code ("JF" + 3 digits), and stray bytes, are taken once
// the line has been quiet this long. A full frame's code follows its command at once, so a pause
// after "JF" + 3 characters means no code; the pause is long enough that a writer sending byte
// by byte is not cut short, and short enough that the reply comes within a reading's attempts.
constexpr auto kIdleFrame = std::chrono::milliseconds(150);
// Longest sleep of the server loop when nothing is due (Stop and HangUp wake it at once).
constexpr int kIdlePollMs = 500;

// The logs keep the most recent frames and bytes: a long demo session never grows without end.
// Past these sizes the older half is dropped (the counters stay exact).
constexpr std::size_t kMaxLogFrames = 100000;
constexpr std::size_t kMaxRawBytes = 8u << 20;
// Stray bytes (no STX) form one unknown frame at most this long.
constexpr std::size_t kMaxStray = 256;

void AppendCapped(std::string& log, const char* data, std::size_t n) {
    if (log.size() + n > kMaxRawBytes) {
        log.erase(0, std::min(log.size(), std::max(log.size() / 2, n)));
    }
    log.append(data, n);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

using Clock = std::chrono::steady_clock;

} // namespace

// How long the server may sleep: until the next reply is due, until a frame waiting for a quiet
// line may be taken, or at most kIdlePollMs (a byte coming in, Stop and HangUp wake it anyway).
int VirtualPrinter::SleepMs(Clock::time_point now, bool blocked) const {
    auto until = now + std::chrono::milliseconds(kIdlePollMs);
    if (!out_.empty() && !blocked) {
        until = std::min(until, out_.front().due);
    }
    if (AwaitsQuiet()) {
        until = std::min(until, lastByte_ + kIdleFrame);
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now);
    return std::max(0, static_cast<int>(wait.count()));
}

void VirtualPrinter::Received(const char* data, std::size_t n, Clock::time_point now) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        AppendCapped(rawIn_, data, n);
    }
    for (std::size_t i = 0; i < n && !hangUpRequest_; ++i) {
        Feed(static_cast<unsigned char>(data[i]), now);
    }
}

void VirtualPrinter::LogSent(const char* data, std::size_t n) {
    AppendCapped(rawOut_, data, n);
}

void VirtualPrinter::Feed(unsigned char byte, Clock::time_point now) {
    char c = static_cast<char>(byte);
    lastByte_ = now;
    if (pending_.empty()) {
        if (c == 0x00) {
            return; // the filler after the access code (and any NUL between frames)
        }
        pending_ += c; // a frame's STX, or stray bytes that gather until an STX or a quiet line
        return;
    }
    if (c == kStx) {
        // A new frame starts: what came before it was stray or cut off.
        CompleteUnknown();
        pending_ = c;
        return;
    }
    pending_ += c;
    if (pending_[0] != kStx) {
        if (pending_.size() >= kMaxStray) {
            CompleteUnknown();
        }
        return;
    }
    FeedFrame(c, now);
}

// The byte c of a frame, after its STX and already in pending_: completes the frame once it is
// whole, or drops it as unknown as soon as it cannot become one.
void VirtualPrinter::FeedFrame(char c, Clock::time_point now) {
    const std::size_t n = pending_.size();
    const char cmd = pending_[1];
    if (n == 2) {
        return FeedCommand(cmd, now);
    }
    switch (cmd) {
    case 'k':
        return c == kCr ? Complete(FrameKind::Handshake, now) : CompleteUnknown();
    case '&':
        if (n <= 10) {
            return IsDigit(c) ? void() : CompleteUnknown();
        }
        return c == kDc3 ? Complete(FrameKind::AccessCode, now) : CompleteUnknown();
    case 'K':
        if (n == 3) {
            return c == 'e' ? void() : CompleteUnknown();
        }
        if (n == 5) {
            return Complete(FrameKind::KeValue, now);
        }
        return;
    case 'J':
        return FeedReadingOrCheck(c, now);
    default:
        return CompleteUnknown();
    }
}

// The command byte after the STX: the one-byte frames are whole, the longer ones wait.
void VirtualPrinter::FeedCommand(char cmd, Clock::time_point now) {
    switch (cmd) {
    case 'Y':
        return Complete(FrameKind::Status, now);
    case 'r':
        return Complete(FrameKind::ReflectiveCheck, now);
    case 'e':
        return Complete(FrameKind::TransmissiveCheck, now);
    case 'k':
    case '&':
    case 'J':
    case 'K':
        return;
    default:
        return CompleteUnknown();
    }
}

// A byte of STX "JF"/"JT" (a reading, whole with its code and intensity) or STX "JC" DC3.
void VirtualPrinter::FeedReadingOrCheck(char c, Clock::time_point now) {
    const std::size_t n = pending_.size();
    const char sub = pending_[2];
    if (n == 3) {
        return (c == 'F' || c == 'T' || c == 'C') ? void() : CompleteUnknown();
    }
    if (sub == 'C') {
        return c == kDc3 ? Complete(FrameKind::CheckMeasure, now) : CompleteUnknown();
    }
    if (n == 8) {
        return Complete(sub == 'F' ? FrameKind::ReflectiveReading : FrameKind::TransmissiveReading,
                        now);
    }
}

// True when the bytes waiting are complete once the line stays quiet: stray bytes, or STX
// "JF"/"JT" with three digits and no code. Any other unfinished frame waits for its remaining
// bytes (a single reading sends its intensity some 100 ms after its command) or the next STX.
bool VirtualPrinter::AwaitsQuiet() const {
    if (pending_.empty()) {
        return false;
    }
    if (pending_[0] != kStx) {
        return true;
    }
    return pending_.size() == 6 && pending_[1] == 'J' &&
           (pending_[2] == 'F' || pending_[2] == 'T') && IsDigit(pending_[3]) &&
           IsDigit(pending_[4]) && IsDigit(pending_[5]);
}

void VirtualPrinter::CheckIdleFrame(Clock::time_point now) {
    if (!AwaitsQuiet() || now - lastByte_ < kIdleFrame) {
        return;
    }
    if (pending_[0] != kStx) {
        return CompleteUnknown(); // stray bytes
    }
    // A reading sent without its code.
    Complete(pending_[2] == 'F' ? FrameKind::ReflectiveReading : FrameKind::TransmissiveReading,
             now);
}

void VirtualPrinter::Record(const Frame& frame) {
    if (log_.size() >= kMaxLogFrames) {
        log_.erase(log_.begin(), log_.begin() + static_cast<std::ptrdiff_t>(log_.size() / 2));
    }
    log_.push_back(frame);
}

void VirtualPrinter::CompleteUnknown() {
    if (pending_.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Frame frame;
    frame.kind = FrameKind::Unknown;
    frame.bytes = pending_;
    frame.text = RenderBytes(pending_);
    pending_.clear();
    Record(frame);
    ++counts_[FrameKind::Unknown];
    changed_.notify_all();
}

void VirtualPrinter::Complete(FrameKind kind, Clock::time_point now) {
    Frame frame;
    frame.kind = kind;
    frame.bytes = pending_;
    frame.text = RenderBytes(pending_);
    pending_.clear();

    bool hangUp = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string reply = Answer(frame); // may find a reading frame invalid (kind Unknown)
        Record(frame);
        ++counts_[frame.kind];
        if (hangUpAfter_ > 0 && --hangUpAfter_ == 0) {
            hangUp = true;
        }
        if (!hangUp) {
            Reply(std::move(reply), frame.kind, now);
        }
        changed_.notify_all();
    }
    if (hangUp) {
        hangUpRequest_ = true;
    }
}

} // namespace tarvello::sim
