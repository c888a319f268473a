// The one wait of the tool. Every fixed wait between exchanges goes through Sleep, so tests can
// count the waits or run protocol logic on virtual time.
#pragma once

namespace tarvello {

// Waits ms milliseconds (through the installed hook, if any).
void Sleep(unsigned ms);

// Waits ms milliseconds whatever the stop test says: the fixed waits that must be whole, such as
// the close's wait for the monitor.
void SleepWhole(unsigned ms);

// A process-wide stop test (nullptr: none). Once it answers true, every Sleep returns within
// 20 ms, so a program that is asked to end leaves each of its waits at once.
using WaitStopTest = bool (*)();
void SetWaitStopTest(WaitStopTest test);
// The installed stop test's answer; false when none is installed.
bool WaitsStopped();

// A replacement for the real wait; nullptr restores it. Installed by tests before any thread
// that sleeps is started, and removed after all have ended.
using SleepHook = void (*)(unsigned ms);
void SetSleepHook(SleepHook hook);

} // namespace tarvello
