// The status monitor: while the port is open it polls the printer with STX "Y" and shows the
// presence sensor, micro switch and ribbon readings (as volts) through a display sink.
//
// Suspension is a counted gate, not a thread suspension: the monitor looks at the gate before
// each port operation and waits there while the count is above 0. SuspendThread waits only for
// a port operation of the monitor already under way (at most one: clearing the line errors, a
// read without waiting, or the two-byte status write, which a held line keeps for up to its
// write timeout of 4.5 s), never for the monitor's fixed waits; once it has returned, the
// monitor touches the line no more until the matching resume. Suspend and resume stay valid
// whether the monitor runs, has ended by itself, or was never started.
#pragma once

#include <string>

// Receives the monitor's texts for the status edits 1042, 1021 and 1048. Called on the
// monitor thread; an implementation must not block on the UI thread (the main window posts
// an event to itself).
class DisplaySink {
  public:
    virtual ~DisplaySink() = default;
    virtual void ShowStatus(int controlId, const std::string& text) = 0;
};

class CMonitorThread {
  public:
    // Counted suspension through the gate; waits at most for one monitor port operation.
    void SuspendThread();
    void ResumeThread();
    // True while the monitor thread of the latest opening is running.
    bool IsRunning() const;
    // Suspensions not yet resumed.
    int SuspendCount() const;
};

// Starts the monitor for the port opened last, after the monitor of the previous opening has
// ended (waits for it). Sets g_pMonitorThread. The sink must outlive the monitor.
void StartStatusMonitor(DisplaySink* sink);
// Waits until the current monitor thread (if any) has ended; a monitor whose port is still
// open is asked to end first, so this never waits for more than one port operation and one
// wait of the monitor. Used after ClosePort and when the main window closes.
void WaitStatusMonitorEnd();

// Suspend/resume through g_pMonitorThread; harmless when no monitor was ever started.
void SuspendMonitor();
void ResumeMonitor();

// Suspends the monitor for its lifetime: exactly one resume on every way out of a scope.
class ScopedMonitorSuspend {
  public:
    ScopedMonitorSuspend() { SuspendMonitor(); }
    ~ScopedMonitorSuspend() { ResumeMonitor(); }
    ScopedMonitorSuspend(const ScopedMonitorSuspend&) = delete;
    ScopedMonitorSuspend& operator=(const ScopedMonitorSuspend&) = delete;
};
