#include "sim/VirtualPrinter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

const char* FrameKindName(FrameKind kind) {
    switch (kind) {
    case FrameKind::Handshake:
        return "handshake";
    case FrameKind::AccessCode:
        return "access-code";
    case FrameKind::Status:
        return "status";
    case FrameKind::ReflectiveReading:
        return "reflective-reading";
    case FrameKind::TransmissiveReading:
        return "transmissive-reading";
    case FrameKind::ReflectiveCheck:
        return "reflective-check";
    case FrameKind::TransmissiveCheck:
        return "transmissive-check";
    case FrameKind::KeValue:
        return "ke-value";
    case FrameKind::CheckMeasure:
        return "check-measure";
    case FrameKind::Unknown:
        return "unknown";
    }
    return "?";
}

std::string RenderBytes(const std::string& bytes) {
    std::string text;
    bool inQuote = false;
    auto separate = [&] {
        if (!text.empty()) {
            text += ' ';
        }
    };
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            if (!inQuote) {
                separate();
                text += '"';
                inQuote = true;
            }
            text += c;
            continue;
        }
        if (inQuote) {
            text += '"';
            inQuote = false;
        }
        separate();
        switch (u) {
        case 0x02:
            text += "STX";
            break;
        case 0x0D:
            text += "CR";
            break;
        case 0x13:
            text += "DC3";
            break;
        case 0x00:
            text += "NUL";
            break;
        default: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", u);
            text += hex;
        }
        }
    }
    if (inQuote) {
        text += '"';
    }
    return text;
}

VirtualPrinter::VirtualPrinter() {
    // Samples of a check taken before any STX "JC": the reflective ones at the start settings.
    sample14_ = SensorModel::Reading(Sensor::Reflective, level_[0], intensity_[0], Media::Mark);
    sample13_ = SensorModel::Reading(Sensor::Reflective, level_[0], intensity_[0], Media::Paper);
}

VirtualPrinter::~VirtualPrinter() {
    Stop();
}

std::string VirtualPrinter::DevicePath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

void VirtualPrinter::Stop() {
    stop_ = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Wake();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    CloseFds();
    ClosePipe();
    running_ = false;
    changed_.notify_all();
}

bool VirtualPrinter::Running() const {
    return running_;
}

// --- Settings -------------------------------------------------------------------------------

void VirtualPrinter::SetMedia(Sensor sensor, Media media) {
    std::lock_guard<std::mutex> lock(mutex_);
    media_[static_cast<int>(sensor)] = media;
}

Media VirtualPrinter::GetMedia(Sensor sensor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return media_[static_cast<int>(sensor)];
}

void VirtualPrinter::SetStatus(int exist, int headpos, int ribbon) {
    std::lock_guard<std::mutex> lock(mutex_);
    exist_ = exist;
    headpos_ = headpos;
    ribbon_ = ribbon;
}

void VirtualPrinter::SetStatusReply(const std::string& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    statusReply_ = reply;
}

void VirtualPrinter::SetReadingOverride(Sensor sensor, std::optional<int> value) {
    std::lock_guard<std::mutex> lock(mutex_);
    readingOverride_[static_cast<int>(sensor)] = value;
}

void VirtualPrinter::SetKeValue(const std::string& selector, std::optional<int> value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (value) {
        keValues_[selector] = *value;
    } else {
        keValues_.erase(selector);
    }
}

int VirtualPrinter::Level(Sensor sensor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return level_[static_cast<int>(sensor)];
}

int VirtualPrinter::Intensity(Sensor sensor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return intensity_[static_cast<int>(sensor)];
}

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

// --- Observation ----------------------------------------------------------------------------

int VirtualPrinter::FrameCount(FrameKind kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = counts_.find(kind);
    return it == counts_.end() ? 0 : it->second;
}

int VirtualPrinter::TotalFrames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    int total = 0;
    for (const auto& entry : counts_) {
        total += entry.second;
    }
    return total;
}

std::vector<Frame> VirtualPrinter::FrameLog() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<std::string> VirtualPrinter::Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> texts;
    texts.reserve(log_.size());
    for (const Frame& f : log_) {
        texts.push_back(f.text);
    }
    return texts;
}

std::string VirtualPrinter::RawReceived() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rawIn_;
}

std::string VirtualPrinter::RawSent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rawOut_;
}

void VirtualPrinter::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
    counts_.clear();
    rawIn_.clear();
    rawOut_.clear();
}

bool VirtualPrinter::WaitForFrames(FrameKind kind, int count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        auto it = counts_.find(kind);
        return it != counts_.end() && it->second >= count;
    });
}

// --- Server ---------------------------------------------------------------------------------

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
    if (pending_[0] != kStx) {
        pending_ += c;
        if (pending_.size() >= kMaxStray) {
            CompleteUnknown();
        }
        return;
    }
    pending_ += c;
    const std::size_t n = pending_.size();
    const char cmd = pending_[1];
    if (n == 2) {
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
    case 'J': {
        const char sub = pending_[2];
        if (n == 3) {
            return (c == 'F' || c == 'T' || c == 'C') ? void() : CompleteUnknown();
        }
        if (sub == 'C') {
            return c == kDc3 ? Complete(FrameKind::CheckMeasure, now) : CompleteUnknown();
        }
        if (n == 8) {
            return Complete(
                sub == 'F' ? FrameKind::ReflectiveReading : FrameKind::TransmissiveReading, now);
        }
        return;
    }
    default:
        return CompleteUnknown();
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

    std::string reply;
    bool hangUp = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reply = Answer(frame); // may find a reading frame invalid (kind Unknown)
        Record(frame);
        ++counts_[frame.kind];
        if (hangUpAfter_ > 0 && --hangUpAfter_ == 0) {
            hangUp = true;
        }
        if (!reply.empty() && !hangUp && !(silentAll_ || silentKinds_.count(frame.kind))) {
            if (garbage_) {
                reply = Garbage(std::max<std::size_t>(reply.size(), 8));
            }
            if (oversize_ > reply.size()) {
                reply.append(oversize_ - reply.size(), '.');
            }
            Queue(std::move(reply), now);
        }
        changed_.notify_all();
    }
    if (hangUp) {
        hangUpRequest_ = true;
    }
}

// The printer's answer to one frame, before any fault is applied (mutex_ held). May turn an
// invalid reading frame into FrameKind::Unknown.
std::string VirtualPrinter::Answer(Frame& frame) {
    char text[96];
    switch (frame.kind) {
    case FrameKind::Handshake:
        return rejectHandshake_ ? "N" : "Y";
    case FrameKind::Status:
        if (!statusReply_.empty()) {
            return statusReply_;
        }
        std::snprintf(text, sizeof text, "exist %d/headpos %d/ribbon %d/", exist_, headpos_,
                      ribbon_);
        return text;
    case FrameKind::ReflectiveReading:
    case FrameKind::TransmissiveReading: {
        const Sensor sensor =
            frame.kind == FrameKind::ReflectiveReading ? Sensor::Reflective : Sensor::Transmissive;
        const int s = static_cast<int>(sensor);
        const std::string& b = frame.bytes;
        int level = level_[s];
        std::size_t digits = 3;
        if (b.size() == 8) {
            level = SensorModel::LevelFromCode(b[3], b[4]);
            digits = 5;
        }
        if (level < 0 || !IsDigit(b[digits]) || !IsDigit(b[digits + 1]) ||
            !IsDigit(b[digits + 2])) {
            frame.kind = FrameKind::Unknown;
            return "";
        }
        const int intensity = std::min(255, (b[digits] - '0') * 100 + (b[digits + 1] - '0') * 10 +
                                                (b[digits + 2] - '0'));
        level_[s] = level;
        intensity_[s] = intensity;
        const int value = readingOverride_[s]
                              ? *readingOverride_[s]
                              : SensorModel::Reading(sensor, level, intensity, media_[s]);
        std::snprintf(text, sizeof text, "%d/", value);
        return text;
    }
    case FrameKind::ReflectiveCheck:
        checkSensor_ = Sensor::Reflective;
        return "";
    case FrameKind::TransmissiveCheck:
        checkSensor_ = Sensor::Transmissive;
        return "";
    case FrameKind::CheckMeasure: {
        const int s = static_cast<int>(checkSensor_);
        if (checkSensor_ == Sensor::Reflective) {
            sample14_ = SensorModel::Reading(checkSensor_, level_[s], intensity_[s], Media::Mark);
            sample13_ = SensorModel::Reading(checkSensor_, level_[s], intensity_[s], Media::Paper);
        } else {
            sample14_ = SensorModel::Reading(checkSensor_, level_[s], intensity_[s], Media::Liner);
            sample13_ = SensorModel::Reading(checkSensor_, level_[s], intensity_[s], Media::Paper);
        }
        return "";
    }
    case FrameKind::KeValue: {
        const std::string selector = frame.bytes.substr(3, 2);
        int value = 0;
        auto it = keValues_.find(selector);
        if (it != keValues_.end()) {
            value = it->second;
        } else if (selector == "0f") {
            value = kDefaultK0f;
        } else if (selector == "02") {
            value = kDefaultK02;
        } else if (selector == "0e") {
            value = kDefaultK0e;
        } else if (selector == "14") {
            value = sample14_;
        } else if (selector == "13") {
            value = sample13_;
        }
        std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value) & 0xFFFFu);
        return text;
    }
    case FrameKind::AccessCode:
    case FrameKind::Unknown:
        return "";
    }
    return "";
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
