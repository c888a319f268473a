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
long Reflectance(Media media, Stock stock) {
    switch (media) {
    case Media::Paper:
        return 1000;
    case Media::Liner:
        return 800;
    case Media::Mark:
        return stock == Stock::FaintMark ? 480 : stock == Stock::Clear ? 800 : 150;
    case Media::NoPaper:
        return 30;
    }
    return 0;
}

// How much of the light each media lets through to the transmissive receiver, in thousandths
// (liner, the gap between labels, is the reference).
long Transmittance(Media media, Stock stock) {
    switch (media) {
    case Media::NoPaper:
        return 1500;
    case Media::Liner:
        return 1000;
    case Media::Paper:
        return stock == Stock::Clear ? 850 : stock == Stock::FaintMark ? 600 : 450;
    case Media::Mark:
        return 40;
    }
    return 0;
}

// The share of the light (thousandths) that dirt on the sensor lets through: linear between
// these points, so that the reflective search at 2.5 V ends near full light at level 0 from
// about 50 % and cannot reach its band past about 80 %.
long DirtFactor(int dirtyPercent) {
    struct Point {
        int percent;
        long factor;
    };
    constexpr Point kPoints[] = {{0, 1000}, {50, 256}, {80, 224}, {100, 0}};
    const int d = std::clamp(dirtyPercent, 0, 100);
    for (size_t k = 1; k < sizeof kPoints / sizeof kPoints[0]; ++k) {
        const Point a = kPoints[k - 1], b = kPoints[k];
        if (d <= b.percent)
            return a.factor + (b.factor - a.factor) * (d - a.percent) / (b.percent - a.percent);
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

const char* StockName(Stock stock) {
    switch (stock) {
    case Stock::FaintMark:
        return "faint-mark";
    case Stock::Clear:
        return "clear";
    case Stock::Standard:
        break;
    }
    return "standard";
}

bool ParseStock(const std::string& text, Stock& stock) {
    for (Stock s : {Stock::Standard, Stock::FaintMark, Stock::Clear}) {
        if (text == StockName(s)) {
            stock = s;
            return true;
        }
    }
    return false;
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

int SensorModel::Reading(Sensor sensor, int level, int intensity, Media media,
                         const Conditions& conditions) {
    if (level < 0 || level > 3) {
        level = 0;
    }
    intensity = std::clamp(intensity, 0, 255);
    const long dirt = DirtFactor(conditions.dirtyPercent);
    if (sensor == Sensor::Reflective) {
        const long gain = kReflectiveGain[level] * dirt / 1000;
        int n = kReflectiveTop - Counts(gain, Reflectance(media, conditions.stock), intensity);
        return std::clamp(n, kReflectiveBottom, kReflectiveTop);
    }
    const long gain = kTransmissiveGain[level] * dirt / 1000;
    int n = kTransmissiveBottom + Counts(gain, Transmittance(media, conditions.stock), intensity);
    return std::clamp(n, kTransmissiveBottom, kTransmissiveTop);
}

SensorModel::Samples SensorModel::CheckSamples(Sensor sensor, int level, int intensity,
                                               const Conditions& conditions) {
    const Media first = sensor == Sensor::Reflective ? Media::Mark : Media::Liner;
    const int paper = Reading(sensor, level, intensity, Media::Paper, conditions);
    const int over = Reading(sensor, level, intensity, first, conditions);
    // A fifth (reflective) or a third (transmissive) of the single reading's contrast, rounded
    // half away from zero.
    const int gap = over - paper;
    const int part = sensor == Sensor::Reflective ? 5 : 3;
    const int share = gap >= 0 ? (gap + part / 2) / part : -((-gap + part / 2) / part);
    return Samples{paper + share, paper};
}

int SensorModel::LevelFromCode(char c1, char c2) {
    if ((c1 != '0' && c1 != '1') || (c2 != '0' && c2 != '1')) {
        return -1;
    }
    return (c1 - '0') * 2 + (c2 - '0');
}

} // namespace tarvello::sim
