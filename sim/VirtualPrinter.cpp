// The virtual printer's state: the frames' names and their rendering, start-up and stop, the
// settings of its sensors and replies, and what tests observe of it. The frames it reassembles
// are in VirtualPrinterFrames.cpp, its answers in VirtualPrinterAnswers.cpp, its faults in
// VirtualPrinterFaults.cpp and its line in VirtualPrinterPosix.cpp.
#include "sim/VirtualPrinter.h"

#include <cstdio>

namespace tarvello::sim {

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
    const SensorModel::Samples samples =
        SensorModel::CheckSamples(Sensor::Reflective, level_[0], intensity_[0]);
    sample14_ = samples.first;
    sample13_ = samples.second;
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

void VirtualPrinter::SetConditions(const Conditions& conditions) {
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_ = conditions;
}

Conditions VirtualPrinter::GetConditions() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return conditions_;
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

} // namespace tarvello::sim
