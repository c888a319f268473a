#include "sim/SensorModel.h"

#include <algorithm>

namespace tarvello::sim {

namespace {

// Receiver gain per level, in thousandths of a count per intensity step (level 3 least
// sensitive). At level 3 over the reference media a step moves the reading by 0.8 counts.
constexpr long kReflectiveGain[4] = {2000, 1500, 1100, 800};
constexpr long kTransmissiveGain[4] = {2000, 1500, 1100, 800};
constexpr int kReflectiveBottom = 5;
constexpr int kTransmissiveTop = 250;

// How much of the light each media returns to the reflective receiver, in thousandths.
long Reflectance(Media media) {
    switch (media) {
    case Media::Paper:
        return 1000;
    case Media::Liner:
        return 800;
    case Media::Mark:
        return 150;
    case Media::NoPaper:
        return 30;
    }
    return 0;
}

// How much of the light each media lets through to the transmissive receiver, in thousandths
// (liner, the gap between labels, is the reference).
long Transmittance(Media media) {
    switch (media) {
    case Media::NoPaper:
        return 1500;
    case Media::Liner:
        return 1000;
    case Media::Paper:
        return 450;
    case Media::Mark:
        return 40;
    }
    return 0;
}

// gain * factor * intensity / 10^6, rounded to the nearest count.
int Counts(long gain, long factor, int intensity) {
    return static_cast<int>((gain * factor * intensity + 500000) / 1000000);
}

} // namespace

const char* MediaName(Media media) {
    switch (media) {
    case Media::Paper:
        return "paper";
    case Media::Mark:
        return "mark";
    case Media::Liner:
        return "liner";
    case Media::NoPaper:
        return "none";
    }
    return "?";
}

bool ParseMedia(const std::string& text, Media& media) {
    if (text == "paper" || text == "label") {
        media = Media::Paper;
    } else if (text == "mark") {
        media = Media::Mark;
    } else if (text == "liner" || text == "gap") {
        media = Media::Liner;
    } else if (text == "none" || text == "nopaper" || text == "no-paper") {
        media = Media::NoPaper;
    } else {
        return false;
    }
    return true;
}

int SensorModel::Reading(Sensor sensor, int level, int intensity, Media media) {
    if (level < 0 || level > 3) {
        level = 0;
    }
    intensity = std::clamp(intensity, 0, 255);
    if (sensor == Sensor::Reflective) {
        int n = kReflectiveTop - Counts(kReflectiveGain[level], Reflectance(media), intensity);
        return std::clamp(n, kReflectiveBottom, kReflectiveTop);
    }
    int n = kTransmissiveBottom + Counts(kTransmissiveGain[level], Transmittance(media), intensity);
    return std::clamp(n, kTransmissiveBottom, kTransmissiveTop);
}

int SensorModel::LevelFromCode(char c1, char c2) {
    if ((c1 != '0' && c1 != '1') || (c2 != '0' && c2 != '1')) {
        return -1;
    }
    return (c1 - '0') * 2 + (c2 - '0');
}

} // namespace tarvello::sim
