// The one wait of the tool. Every fixed wait between exchanges goes through Sleep, so tests can
// count the waits or run protocol logic on virtual time.
#pragma once

namespace tarvello {

// Waits ms milliseconds (through the installed hook, if any).
void Sleep(unsigned ms);

// A replacement for the real wait; nullptr restores it. Installed by tests before any thread
// that sleeps is started, and removed after all have ended.
using SleepHook = void (*)(unsigned ms);
void SetSleepHook(SleepHook hook);

} // namespace tarvello
