#include "sensor/GuidedSteps.h"

#include <cstdlib>
#include <mutex>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "sensor/AdjustWorker.h"

std::vector<GuidedStepDef> GuidedStepsOf(Sensor sensor) {
    if (sensor == Sensor::Reflective) {
        return {
            {sensor, GuidedStep::Adjust, GuidedMedia::Paper},
            {sensor, GuidedStep::Mark, GuidedMedia::Mark},
            {sensor, GuidedStep::NoPaper, GuidedMedia::NoPaper},
            {sensor, GuidedStep::Reload, GuidedMedia::Paper},
            {sensor, GuidedStep::Check, GuidedMedia::Paper},
        };
    }
    return {
        {sensor, GuidedStep::Adjust, GuidedMedia::LabelStock},
        {sensor, GuidedStep::NoPaper, GuidedMedia::NoPaper},
        {sensor, GuidedStep::Paper, GuidedMedia::Label},
        {sensor, GuidedStep::Check, GuidedMedia::LabelStock},
    };
}

GuidedMedia LoadedStock(Sensor sensor) {
    return sensor == Sensor::Reflective ? GuidedMedia::Paper : GuidedMedia::LabelStock;
}

GuidedMedia MediaOfReading(Sensor sensor, int reading) {
    switch (ParamsOf(sensor).readings[reading == 1 ? 1 : 0].measures) {
    case SensorValue::Mark:
        return GuidedMedia::Mark;
    case SensorValue::NoPaper:
        return GuidedMedia::NoPaper;
    default:
        break;
    }
    return sensor == Sensor::Reflective ? GuidedMedia::Paper : GuidedMedia::Label;
}

namespace {

std::mutex s_placerMutex;
std::function<void(const std::string&)> s_placer; // guarded by s_placerMutex

} // namespace

void SetMediaPlacer(std::function<void(const std::string& command)> placer) {
    std::lock_guard<std::mutex> lock(s_placerMutex);
    s_placer = std::move(placer);
}

void PlaceMedia(Sensor sensor, GuidedMedia media) {
    std::lock_guard<std::mutex> lock(s_placerMutex);
    if (s_placer)
        s_placer(MediaCommand(sensor, media));
}

std::string MediaCommand(Sensor sensor, GuidedMedia media) {
    const char* under = "paper";
    switch (media) {
    case GuidedMedia::Paper:
        break;
    case GuidedMedia::Mark:
        under = "mark";
        break;
    case GuidedMedia::NoPaper:
        under = "none";
        break;
    case GuidedMedia::LabelStock:
        under = "liner";
        break;
    case GuidedMedia::Label:
        under = "label";
        break;
    }
    return std::string(sensor == Sensor::Reflective ? "reflective " : "transmissive ") + under;
}

bool PrinterIdAcceptable(const std::string& id) {
    bool printable = false;
    for (size_t i = 0; i < id.size(); ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
        if (c == 0xC2 && i + 1 < id.size()) {
            const auto next = static_cast<unsigned char>(id[i + 1]);
            if (next >= 0x80 && next <= 0x9F)
                return false;
        }
        if (c != ' ')
            printable = true;
    }
    return printable;
}

bool NeedsMediaChange(const GuidedStepDef& def, const GuidedStepDef* previous) {
    const GuidedMedia before = previous ? previous->media : LoadedStock(def.sensor);
    return def.media != before;
}

std::optional<int> ReadingIndexOf(Sensor sensor, GuidedStep step) {
    const SensorParams& params = ParamsOf(sensor);
    SensorValue measures;
    switch (step) {
    case GuidedStep::Mark:
        measures = SensorValue::Mark;
        break;
    case GuidedStep::NoPaper:
        measures = SensorValue::NoPaper;
        break;
    case GuidedStep::Paper:
        measures = SensorValue::Paper;
        break;
    default:
        return std::nullopt;
    }
    for (int i = 0; i < 2; ++i) {
        if (params.readings[i].measures == measures)
            return i;
    }
    return std::nullopt; // the sensor takes no such reading
}

const char* GuidedStepName(GuidedStep step) {
    switch (step) {
    case GuidedStep::Adjust:
        return "adjust";
    case GuidedStep::Mark:
        return "mark";
    case GuidedStep::NoPaper:
        return "no-paper";
    case GuidedStep::Paper:
        return "paper";
    case GuidedStep::Reload:
        return "reload";
    case GuidedStep::Check:
        break;
    }
    return "check";
}

std::optional<std::vector<GuidedStep>> ParseGuidedSteps(const std::string& text,
                                                        std::string* unknown) {
    static const GuidedStep kNamed[] = {GuidedStep::Adjust, GuidedStep::Mark, GuidedStep::NoPaper,
                                        GuidedStep::Paper, GuidedStep::Check};
    std::vector<GuidedStep> steps;
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        const std::string name =
            text.substr(from, comma == std::string::npos ? comma : comma - from);
        bool found = false;
        for (GuidedStep step : kNamed) {
            if (name == GuidedStepName(step)) {
                steps.push_back(step);
                found = true;
            }
        }
        if (!found) {
            if (unknown)
                *unknown = name;
            return std::nullopt;
        }
        if (comma == std::string::npos)
            return steps;
        from = comma + 1;
    }
}

int ReloadReadingsInBand(Sensor sensor, float standard, const std::vector<float>& readings) {
    int count = 0;
    for (auto r = readings.rbegin(); r != readings.rend() && InBand(sensor, standard, *r); ++r)
        ++count;
    return count;
}

bool ReloadSettled(Sensor sensor, float standard, const std::vector<float>& readings) {
    return ReloadReadingsInBand(sensor, standard, readings) >= kReloadReadings;
}

std::string LoginName() {
#ifndef _WIN32
    if (const passwd* entry = getpwuid(getuid()))
        return entry->pw_name ? entry->pw_name : "";
    const char* user = std::getenv("USER");
#else
    const char* user = std::getenv("USERNAME");
#endif
    return user ? user : "";
}
