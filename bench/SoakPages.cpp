// What the pages do in the soak: the adjustment's start, update and stop handlers, the single
// readings and the paper checks, and the saves that follow them.
#include "SoakPages.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "device/PortState.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"
#include "store/ParameterSet.h"

namespace soak {

namespace {

class KeepSink : public PaperCheckSink {
  public:
    void FirstSample(float) override {}
    void SecondSample(float) override {}
    void Result(float, float) override {}
};

} // namespace

SoakPages::SoakPages(std::mt19937& random, Tally& tally, const bool& flood,
                     const std::string& iniPath)
    : random_(random), tally_(tally), flood_(flood) {
    ini_.SetFileName(iniPath);
}

bool SoakPages::Chance(double p) {
    return std::uniform_real_distribution<double>(0, 1)(random_) < p;
}

int SoakPages::Pick(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random_);
}

// The page's start handler, its update handler for every posted reading, and the end of the
// run: a success, or a page activation, a reading, a check or the close that stops it.
void SoakPages::Adjust(Sensor sensor) {
    const bool reachable = Chance(0.5);
    const char* typed = !reachable ? "5.0" : sensor == Sensor::Reflective ? "2.5" : "2.0";
    ++adjustments;
    if (!PrepareAdjustmentStart(sensor, ini_, typed)) {
        return;
    }
    Saved();
    if (!StartAdjustment(sensor, [this, sensor] { posted_.Post(sensor); })) {
        return;
    }
    // A reachable standard gets up to 40 passes to succeed, an unreachable one a few.
    const uint32_t passes = reachable ? 40 : 1 + Pick(6);
    const auto adjusting = Clock::now();
    // A printer that keeps sending holds the worker in its start purge until a stop: the
    // technician waits as long as the passes would take, then changes the page.
    const auto giveUp =
        adjusting + std::chrono::milliseconds(passes * 2100 / tally_.Speedup() + 1000);
    while (IsAdjustmentRunning() && AdjustmentPasses() < passes && Clock::now() < giveUp) {
        Updates();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    adjustingMs += MsSince(adjusting);
    if (!IsAdjustmentRunning()) {
        Updates();
        return;
    }
    switch (Pick(4)) {
    case 0:
        Reading(sensor);
        break;
    case 1:
        Check(sensor);
        break;
    default:
        Activate(sensor);
        break;
    }
}
// The update events posted so far, handled as the page handles them.
int SoakPages::Updates() {
    int handled = 0;
    while (const std::optional<Sensor> sensor = posted_.Take()) {
        ++handled;
        if (!InBand(*sensor, g_fAdjustTarget.load(), g_fAdjustResult.load())) {
            continue;
        }
        if (const std::optional<AdjustLevels> levels = TakeSuccessfulLevels()) {
            SaveAdjustedLevels(*sensor, ini_, levels->sensitivity, levels->intensity);
            Saved();
            ++reached;
        }
    }
    return handled;
}
// A page activation: the page's saved levels loaded, the stop requested (never waited
// for); the worker must end within one pass.
void SoakPages::Activate(Sensor sensor) {
    const SensorKeys& keys = *ParamsOf(sensor).keys;
    g_nSensitivity = ReadSensitivity(ini_, keys);
    g_nIntensity = ReadIntensity(ini_, keys);
    const auto begin = Clock::now();
    RequestAdjustmentStop(AdjustStopCause::kPageActivation);
    while (IsAdjustmentRunning()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    tally_.Took(Op::Stop, MsSince(begin), flood_);
    Updates();
}

void SoakPages::Reading(Sensor sensor) {
    const SensorParams& params = ParamsOf(sensor);
    const int which = Pick(2);
    const int combo = Pick(4);
    std::optional<float> value;
    const double ms =
        OnWorker([&] { value = TakeSingleReading(sensor, combo, "128", g_fSensorSupply.load()); });
    tally_.Took(Op::Reading, ms, flood_);
    ++readings;
    Updates();
    if (value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", static_cast<double>(*value));
        SaveReading(
            ini_, params, params.readings[which], [&](SensorValue) { return std::string(text); },
            combo, 128);
        Saved();
    }
}

void SoakPages::Check(Sensor sensor) {
    KeepSink sink;
    const double ms = OnWorker([&] { (void)RunPaperCheck(sensor, g_fSensorSupply.load(), sink); });
    tally_.Took(Op::Check, ms, flood_);
    ++checks;
    Updates();
}

// After the saves of one handler: the file as it must now be, or a failed save counted.
void SoakPages::Saved() {
    if (ini_.SaveFailed()) {
        tally_.SaveFailed();
        ini_.ClearSaveError();
    } else {
        lastSaved_ = ini_.GetLines();
    }
}
bool SoakPages::FileHoldsLastSave() const {
    CIniFile again;
    again.SetFileName(ini_.GetFileName());
    return again.LoadFile() && again.GetLines() == lastSaved_;
}
void SoakPages::ReportFile() const {
    const bool ok = FileHoldsLastSave();
    std::printf("soak: parameter file at the end | %s | - | - | parses, holds the last "
                "successful save (%s)\n",
                ok ? "parses, holds the last save" : "DIFFERS FROM THE LAST SAVE",
                ok ? "yes" : "NO");
}

} // namespace soak
