// The virtual printer's answers: what it replies to each frame, from its sensor model and its
// settings.
#include "sim/VirtualPrinter.h"

#include <algorithm>
#include <cstdio>

namespace tarvello::sim {

// The printer's answer to one frame, before any fault is applied (mutex_ held). May turn an
// invalid reading frame into FrameKind::Unknown.
std::string VirtualPrinter::Answer(Frame& frame) {
    switch (frame.kind) {
    case FrameKind::Handshake:
        return rejectHandshake_ ? "N" : "Y";
    case FrameKind::Status:
        return StatusReply();
    case FrameKind::ReflectiveReading:
    case FrameKind::TransmissiveReading:
        return AnswerReading(frame);
    case FrameKind::ReflectiveCheck:
        checkSensor_ = Sensor::Reflective;
        return "";
    case FrameKind::TransmissiveCheck:
        checkSensor_ = Sensor::Transmissive;
        return "";
    case FrameKind::CheckMeasure:
        TakeCheckSamples();
        return "";
    case FrameKind::KeValue:
        return AnswerKe(frame.bytes.substr(3, 2));
    case FrameKind::AccessCode:
    case FrameKind::Unknown:
        return "";
    }
    return "";
}

std::string VirtualPrinter::StatusReply() const {
    if (!statusReply_.empty()) {
        return statusReply_;
    }
    char text[96];
    std::snprintf(text, sizeof text, "exist %d/headpos %d/ribbon %d/", exist_, headpos_, ribbon_);
    return text;
}

// A reading: with its code, at the level the code names, else at the sensor's last level; the
// sensor keeps the level and intensity for the next check. A frame whose code or intensity is
// no number becomes FrameKind::Unknown, without an answer.
std::string VirtualPrinter::AnswerReading(Frame& frame) {
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
    auto digit = [&](std::size_t at) { return b[at] >= '0' && b[at] <= '9'; };
    if (level < 0 || !digit(digits) || !digit(digits + 1) || !digit(digits + 2)) {
        frame.kind = FrameKind::Unknown;
        return "";
    }
    const int intensity =
        std::min(255, (b[digits] - '0') * 100 + (b[digits + 1] - '0') * 10 + (b[digits + 2] - '0'));
    level_[s] = level;
    intensity_[s] = intensity;
    const int value = readingOverride_[s]
                          ? *readingOverride_[s]
                          : SensorModel::Reading(sensor, level, intensity, media_[s], conditions_);
    char text[16];
    std::snprintf(text, sizeof text, "%d/", value);
    return text;
}

// STX "JC" DC3: the check's two samples at the checked sensor's last level and intensity.
void VirtualPrinter::TakeCheckSamples() {
    const int s = static_cast<int>(checkSensor_);
    const SensorModel::Samples samples =
        SensorModel::CheckSamples(checkSensor_, level_[s], intensity_[s], conditions_);
    sample14_ = samples.first;
    sample13_ = samples.second;
}

// STX "Ke" selector: a value set with SetKeValue, else the check's defaults and samples, else 0;
// four upper-case hex characters.
std::string VirtualPrinter::AnswerKe(const std::string& selector) const {
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
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value) & 0xFFFFu);
    return text;
}

} // namespace tarvello::sim
