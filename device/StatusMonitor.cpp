// The status monitor thread and its gate.
//
// The gate is a suspension count under a mutex. The monitor passes the gate before each port
// operation and holds the gate's mutex for the length of that one operation (a read without
// waiting, a two-byte write, clearing the line errors), never across one of its fixed waits.
// So once SuspendThread has returned, no monitor operation runs on the line until the matching
// ResumeThread: a suspend waits at most for the one port operation already under way, never
// for the monitor's pass. That is a few microseconds, except for a status write on a line the
// handshake holds, which waits up to its write timeout (2000 ms per byte + 500 ms: 4.5 s) and
// then ends the monitor. A monitor that waits at the gate leaves the wait when its port closes.
//
// There is one monitor object for the whole process (g_pMonitorThread points at it once a
// monitor has been started), so suspend and resume stay valid after a monitor has ended.
// Each start gets a new generation; a monitor whose generation is no longer current ends,
// which is how a new opening never shares the line with the monitor of an earlier one.
#include "device/StatusMonitor.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/ThreadPriority.h"

namespace {

constexpr size_t kBufferSize = 255;
constexpr int kReplyAttempts = 10;
constexpr unsigned kFlushWaitMs = 100;
constexpr unsigned kReplyWaitMs = 500;
constexpr unsigned kPassEndWaitMs = 100;
// How often a monitor waiting at the gate looks whether its port has closed.
constexpr std::chrono::milliseconds kGateRecheck{20};

struct MonitorState {
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    int suspendCount = 0; // guarded by gateMutex

    std::mutex startMutex; // serialises starts and waits for the end
    std::thread thread;    // guarded by startMutex
    std::atomic<unsigned> generation{0};
    std::atomic<bool> running{false};
};

// Never destroyed: a process may end while a monitor still runs (its port left open), and the
// thread must not meet a destroyed gate or an unjoined std::thread then.
MonitorState& State() {
    static MonitorState* state = new MonitorState;
    return *state;
}

CMonitorThread& MonitorObject() {
    static CMonitorThread monitor;
    return monitor;
}

// The port is in use and this monitor is the current one.
bool ShouldRun(unsigned generation) {
    return PortInUse() && State().generation.load() == generation;
}

// Runs one port operation once the gate is open, holding the gate for its length. False when
// the monitor must end instead (port closed, or a newer monitor started).
template <typename Operation> bool AtGate(unsigned generation, Operation operation) {
    MonitorState& state = State();
    std::unique_lock<std::mutex> lock(state.gateMutex);
    while (state.suspendCount > 0) {
        if (!ShouldRun(generation)) {
            return false;
        }
        state.gateChanged.wait_for(lock, kGateRecheck);
    }
    if (!ShouldRun(generation)) {
        return false;
    }
    return operation();
}

// One pass: flush, STX "Y", the reply, the texts. False when the monitor ends.
bool Pass(unsigned generation, DisplaySink* sink, uint8_t (&buffer)[kBufferSize]) {
    uint32_t count = 0;
    // Flush: clear the line errors, wait, read once and discard.
    if (!AtGate(generation, [] { return ClearLineErrors() == 0; })) {
        return false;
    }
    tarvello::Sleep(kFlushWaitMs);
    if (!AtGate(generation, [&] { return ReadOnce(buffer, sizeof buffer, count) == 0; })) {
        return false;
    }

    static const std::vector<uint8_t> frame = BuildStatusFrame();
    if (!AtGate(generation, [] { return WritePort(frame.data(), frame.size()) == 0; })) {
        return false; // a failed or short write ends the monitor
    }

    std::fill(std::begin(buffer), std::end(buffer), uint8_t{0});
    count = 0;
    for (int attempt = 0; attempt < kReplyAttempts && count == 0; ++attempt) {
        if (!AtGate(generation, [] { return ClearLineErrors() == 0; })) {
            return false;
        }
        tarvello::Sleep(kReplyWaitMs);
        if (!AtGate(generation, [&] { return ReadOnce(buffer, sizeof buffer, count) == 0; })) {
            return false;
        }
    }

    if (count > 0 && sink != nullptr) {
        for (const StatusText& text : ScanStatusReply(buffer, count, g_fSensorSupply.load())) {
            sink->ShowStatus(text.controlId, text.text);
        }
    }
    tarvello::Sleep(kPassEndWaitMs);
    return true;
}

void StatusMonitorThread(unsigned generation, DisplaySink* sink) {
    ScopedTraceParty party(TraceParty::kMonitor);
    RaiseThreadPriority();
    uint8_t buffer[kBufferSize];
    while (ShouldRun(generation) && Pass(generation, sink, buffer)) {
    }
    State().running.store(false);
}

} // namespace

void CMonitorThread::SuspendThread() {
    MonitorState& state = State();
    std::lock_guard<std::mutex> guard(state.gateMutex);
    ++state.suspendCount;
}

void CMonitorThread::ResumeThread() {
    MonitorState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.gateMutex);
        if (state.suspendCount > 0) {
            --state.suspendCount;
        }
    }
    state.gateChanged.notify_all();
}

bool CMonitorThread::IsRunning() const {
    return State().running.load();
}

int CMonitorThread::SuspendCount() const {
    MonitorState& state = State();
    std::lock_guard<std::mutex> guard(state.gateMutex);
    return state.suspendCount;
}

void StartStatusMonitor(DisplaySink* sink) {
    MonitorState& state = State();
    std::lock_guard<std::mutex> guard(state.startMutex);
    if (state.thread.joinable()) {
        // The monitor of an earlier opening ends at its next look at the gate.
        state.generation.fetch_add(1);
        state.gateChanged.notify_all();
        state.thread.join();
    }
    const unsigned generation = state.generation.fetch_add(1) + 1;
    state.running.store(true);
    g_pMonitorThread.store(&MonitorObject());
    state.thread = std::thread(StatusMonitorThread, generation, sink);
}

void WaitStatusMonitorEnd() {
    MonitorState& state = State();
    std::lock_guard<std::mutex> guard(state.startMutex);
    if (state.thread.joinable()) {
        state.generation.fetch_add(1);
        state.gateChanged.notify_all();
        state.thread.join();
    }
}

void SuspendMonitor() {
    MonitorObject().SuspendThread();
}

void ResumeMonitor() {
    MonitorObject().ResumeThread();
}
