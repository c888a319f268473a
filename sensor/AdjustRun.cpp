#include "sensor/AdjustRun.h"

#include <atomic>
#include <mutex>

#include "device/PortState.h"
#include "sensor/AdjustState.h"

namespace {

constexpr unsigned kAllLevels = 0xF;

struct RunRecord {
    std::mutex mutex;
    AdjustRunState state;
    unsigned levelsSent = 0; // bit n: a frame went out at level n
    bool anyFrame = false;
    uint32_t runs = 0;
};

RunRecord& TheRunRecord() {
    static RunRecord record;
    return record;
}

std::atomic<AdjustStopCause> s_stopCause{AdjustStopCause::kOther};

} // namespace

void RequestAdjustmentStop(AdjustStopCause cause) {
    s_stopCause.store(cause);
    g_bAdjustStop = true;
}

void ClearAdjustmentStop() {
    s_stopCause.store(AdjustStopCause::kOther);
    g_bAdjustStop = false;
}

AdjustRunState LatestAdjustRun() {
    RunRecord& r = TheRunRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.state;
}

void NoteAdjustRunStart(Sensor sensor) {
    RunRecord& r = TheRunRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.state = AdjustRunState{};
    r.state.run = ++r.runs;
    r.state.sensor = sensor;
    r.levelsSent = 0;
    r.anyFrame = false;
}

void NoteAdjustFrame(int level, int intensity) {
    RunRecord& r = TheRunRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    // Once frames have gone out at every level, the next change of level begins the search's
    // second time round: no level and intensity it tried reached the band.
    if (r.anyFrame && r.levelsSent == kAllLevels && level != r.state.level) {
        r.state.allLevelsTried = true;
    }
    if (level >= 0 && level <= 3) {
        r.levelsSent |= 1u << level;
    }
    r.anyFrame = true;
    r.state.level = level;
    r.state.intensity = intensity;
}

void NoteAdjustReply(bool hadReading, uint32_t bytes, int raw, float volts) {
    RunRecord& r = TheRunRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    ++r.state.passes;
    if (hadReading) {
        r.state.raw = raw;
        r.state.volts = volts;
        r.state.passesNoReading = 0;
        r.state.lastReplyEmpty = false;
    } else {
        // The count is of passes in a row of one kind: no bytes at all, or bytes without a
        // reading.
        const bool empty = bytes == 0;
        if (r.state.passesNoReading == 0 || empty != r.state.lastReplyEmpty) {
            r.state.passesNoReading = 0;
        }
        ++r.state.passesNoReading;
        r.state.lastReplyEmpty = empty;
    }
}

void NoteAdjustStopped() {
    switch (s_stopCause.load()) {
    case AdjustStopCause::kPageActivation:
        NoteAdjustEnd(AdjustEnd::kStoppedByPage);
        return;
    case AdjustStopCause::kStopControl:
        NoteAdjustEnd(AdjustEnd::kStoppedByUser);
        return;
    case AdjustStopCause::kOther:
        break;
    }
    NoteAdjustEnd(AdjustEnd::kStopped);
}

void NoteAdjustEnd(AdjustEnd end) {
    RunRecord& r = TheRunRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.state.end = end;
}
