#include "sensor/AdjustWorker.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "device/ThreadPriority.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustSearch.h"
#include "sensor/AdjustState.h"
#include "sensor/TextValidation.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

namespace {

constexpr int kReplyAttempts = 10;
constexpr unsigned kReplyAttemptWaitMs = 200;

std::atomic<bool> s_running{false};
// Ends the current worker at its next stop check without touching g_bAdjustStop (used when a
// new start has to wait for an earlier worker).
std::atomic<bool> s_cancel{false};
std::atomic<int> s_lastExit{-1};
// The levels of the latest run's successful frame, packed as kSuccessSet | level << 16 |
// intensity; 0 when there are none (or they have been taken).
constexpr uint32_t kSuccessSet = 0x80000000u;
std::atomic<uint32_t> s_success{0};

// The one worker thread of the process.
struct WorkerSlot {
    std::mutex mutex; // serialises starting, stopping and joining
    std::thread thread;
    ~WorkerSlot() {
        // The main window stops the adjustment before the process ends; this only keeps a
        // forgotten worker from ending the process abnormally.
        if (thread.joinable()) {
            s_cancel = true;
            thread.join();
        }
    }
};

WorkerSlot& Slot() {
    static WorkerSlot slot;
    return slot;
}

// The port of this run is gone once it is no longer in use (PortInUse). The worker looks before
// every port operation, and no more than one 200 ms wait lies between a look and the operation.
bool PortGone() {
    return !PortInUse();
}

// The start purge ends early on a stop request or a closing port.
bool PurgeShouldStop() {
    return PortGone() || g_bAdjustStop.load() || s_cancel.load();
}

// The pass's frame from the shared levels, and the levels it carries (sent; the frame never
// holds an intensity outside 0..255).
std::vector<uint8_t> FrameOfThePass(const SensorParams& params, AdjustLevels& sent) {
    int level = g_nSensitivity.load();
    const int sharedLevel = level;
    const int intensity = g_nIntensity.load();
    std::vector<uint8_t> frame = AdjustFrameForPass(params, level, intensity);
    if (level != sharedLevel) {
        g_nSensitivity.store(level); // a level outside 0..3 went out as "00": it is now 0
    }
    sent = AdjustLevels{level, std::clamp(intensity, 0, 255)};
    return frame;
}

// Up to 10 reply attempts 200 ms apart, each after a look at the port, until a read brings
// bytes (count). False as soon as the port has gone.
bool AwaitReply(const SensorParams& params, uint8_t* reply, uint32_t& count) {
    for (int attempt = 0; attempt < kReplyAttempts && count == 0; ++attempt) {
        if (PortGone() || ClearLineErrors() != 0) {
            return false;
        }
        tarvello::Sleep(kReplyAttemptWaitMs);
        if (PortGone() || ReadOnce(reply, params.adjustReadBytes, count) != 0) {
            return false;
        }
    }
    return true;
}

// A pass's reading goes into the curve, and then the page is told: the curve is never behind
// what the page shows.
void PublishReading(Sensor sensor, uint32_t pass, const AdjustLevels& sent,
                    const AdjustReplyResult& step, const std::function<void()>& postUpdate) {
    const bool success = step.outcome == AdjustStepOutcome::Success;
    NoteCurveReading(
        sensor, CurvePoint{pass, sent.sensitivity, sent.intensity, step.raw, step.volts, success});
    if (success) {
        NoteCurveRunEnd(sensor, AdjustEnd::kSuccess);
    }
    if (postUpdate) {
        postUpdate();
    }
}

// Notes how the run ended and gives the worker's exit code: 1 for a port failure, else 0.
int EndWith(AdjustEnd end) {
    NoteAdjustEnd(end);
    return end == AdjustEnd::kPortClosed || end == AdjustEnd::kWriteFailed ? 1 : 0;
}

// The search step on one pass's reply: the shared levels and reading updated, the run record
// told, the page's update posted after a reading. True when the run has found its levels (the
// ones the pass's frame carried, also recorded for the page).
bool TakeReply(const SensorParams& params, AdjustSearchState& state, uint32_t pass,
               const AdjustLevels& sent, const uint8_t* reply, uint32_t count,
               const std::function<void()>& postUpdate) {
    // The step works on the shared levels as they are now (a page activation may have
    // loaded saved ones during the pass) and stores them back.
    AdjustLevels levels{g_nSensitivity.load(), g_nIntensity.load()};
    float result = g_fAdjustResult.load();
    const AdjustReplyResult step = AdjustOnReply(params, state, levels, g_fAdjustTarget.load(),
                                                 g_fSensorSupply.load(), reply, count, result);
    if (step.hadReading) {
        g_fAdjustResult.store(result);
    }
    if (step.outcome == AdjustStepOutcome::Success) {
        // The levels found are the ones the successful frame carried, not levels that a
        // page activation loaded into the shared state during the pass.
        levels = sent;
        s_success.store(kSuccessSet | static_cast<uint32_t>(sent.sensitivity) << 16 |
                        static_cast<uint32_t>(sent.intensity));
    }
    g_nSensitivity.store(levels.sensitivity);
    g_nIntensity.store(levels.intensity);
    NoteAdjustReply(step.hadReading, count, step.raw, result);
    if (step.outcome == AdjustStepOutcome::Success) {
        NoteAdjustEnd(AdjustEnd::kSuccess); // before the page hears of the reading
    }
    if (step.hadReading) {
        PublishReading(params.sensor, pass, sent, step, postUpdate);
    }
    return step.outcome == AdjustStepOutcome::Success;
}

int RunAdjustWorker(Sensor sensor, const std::function<void()>& postUpdate) {
    const SensorParams& params = ParamsOf(sensor);
    ScopedTraceParty party(TraceParty::kAdjustment);
    RaiseThreadPriority();
    ScopedMonitorSuspend suspend; // resumed exactly once, on every return below
    // The monitor may have been suspended between its STX "Y" and its reply. A status reply is
    // longer than the transmissive worker's 30-byte discarding read, and its tail would be
    // taken as the start of the first adjustment reply (a status digit read as the sensor's
    // reading), so the input is emptied once before the first pass (at once on a closed port).
    // The run's record was started by whoever started the run (StartAdjustment or the bodies'
    // public entry points), so its number is known before the first pass.
    NoteCurveRunStart(sensor, g_fAdjustTarget.load());
    PurgeInput(&PurgeShouldStop);
    AdjustSearchState state;
    uint8_t reply[255];
    for (uint32_t pass = 1;; ++pass) {
        if (PortGone()) {
            return EndWith(AdjustEnd::kPortClosed);
        }
        FlushInput(params.adjustReadBytes);
        if (s_cancel.load()) {
            return EndWith(AdjustEnd::kStopped);
        }
        if (g_bAdjustStop.load()) {
            NoteAdjustStopped(); // by whom the request came from
            return 0;
        }
        AdjustLevels sent;
        const std::vector<uint8_t> frame = FrameOfThePass(params, sent);
        if (PortGone()) {
            return EndWith(AdjustEnd::kPortClosed);
        }
        if (WritePort(frame.data(), frame.size()) != 0) {
            // A close that began during the write is the port closing, not the line refusing.
            return EndWith(PortGone() ? AdjustEnd::kPortClosed : AdjustEnd::kWriteFailed);
        }
        NoteAdjustFrame(sent.sensitivity, sent.intensity);
        uint32_t count = 0;
        if (!AwaitReply(params, reply, count)) {
            return EndWith(AdjustEnd::kPortClosed);
        }
        if (TakeReply(params, state, pass, sent, reply, count, postUpdate)) {
            return 0;
        }
    }
}

// Joins the worker, if any. The caller holds the slot's mutex.
void JoinLocked(WorkerSlot& slot) {
    if (slot.thread.joinable()) {
        slot.thread.join();
    }
}

} // namespace

namespace {

// One run of the sensor's worker whose record has been started, with the curve's end.
int RunStartedWorker(Sensor sensor, const std::function<void()>& postUpdate) {
    const int code = RunAdjustWorker(sensor, postUpdate);
    NoteCurveRunEnd(sensor, LatestAdjustRun().end);
    return code;
}

} // namespace

int ReflectiveAdjustThread(const std::function<void()>& postUpdate) {
    NoteAdjustRunStart(Sensor::Reflective);
    return RunStartedWorker(Sensor::Reflective, postUpdate);
}

int TransmissiveAdjustThread(const std::function<void()>& postUpdate) {
    NoteAdjustRunStart(Sensor::Transmissive);
    return RunStartedWorker(Sensor::Transmissive, postUpdate);
}

bool StartAdjustment(Sensor sensor, std::function<void()> postUpdate) {
    WorkerSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (slot.thread.joinable()) {
        s_cancel = true;
        slot.thread.join();
    }
    s_cancel = false;
    NoteAdjustRunStart(sensor); // the page's progress starts from nothing at once
    s_lastExit = -1;
    s_success = 0;
    s_running = true;
    try {
        slot.thread = std::thread([sensor, post = std::move(postUpdate)] {
            s_lastExit = RunStartedWorker(sensor, post);
            s_running = false;
        });
    } catch (const std::system_error&) {
        s_running = false;
        return false;
    }
    return true;
}

void StopAdjustmentAndWait() {
    WorkerSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    g_bAdjustStop = true;
    JoinLocked(slot);
}

bool IsAdjustmentRunning() {
    return s_running.load();
}

uint32_t AdjustmentPasses() {
    return LatestAdjustRun().passes;
}

std::optional<AdjustLevels> TakeSuccessfulLevels() {
    const uint32_t packed = s_success.exchange(0);
    if ((packed & kSuccessSet) == 0) {
        return std::nullopt;
    }
    return AdjustLevels{static_cast<int>((packed >> 16) & 0xFF), static_cast<int>(packed & 0xFFFF)};
}

std::optional<int> LastAdjustmentExitCode() {
    const int code = s_lastExit.load();
    if (code < 0 || s_running.load()) {
        return std::nullopt;
    }
    return code;
}

void SaveStandardText(Sensor sensor, CIniFile& ini, const std::string& typed) {
    const SensorKeys& keys = *ParamsOf(sensor).keys;
    ini.WriteString(keys.szVoltageSection, keys.szBaseKey, typed);
}

std::optional<float> PrepareAdjustmentStart(Sensor sensor, CIniFile& ini,
                                            const std::string& typed) {
    if (!ValidateVoltageText(typed)) {
        return std::nullopt;
    }
    // An earlier worker still in its last pass must see its stop request before the flag is
    // cleared for the new run, and must not change the levels after they are set below.
    StopAdjustmentAndWait();
    const SensorKeys& keys = *ParamsOf(sensor).keys;
    ini.ClearSaveError();
    SaveStandardText(sensor, ini, typed);
    // The target is what the file yields after the save; a save that failed leaves an older
    // value there, and the run then targets the standard as typed and validated.
    const float target =
        ini.SaveFailed() ? VoltageAsFloat(VoltageOfText(typed)) : ReadVoltStandard(ini, keys);
    g_fAdjustTarget = target;
    ClearAdjustmentStop();
    g_nSensitivity = 3;
    g_nIntensity = 0;
    return target;
}

bool InBand(Sensor sensor, float standard, float result) {
    return InBand(ParamsOf(sensor), standard, result);
}

void SaveAdjustedLevels(Sensor sensor, CIniFile& ini, int comboIndex, int intensity) {
    WriteLevels(ini, *ParamsOf(sensor).keys, comboIndex, intensity);
}
