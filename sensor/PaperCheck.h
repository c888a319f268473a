// The paper check of both sensors: three printer values give the check wait, STX "JC" DC3
// takes two samples over the media, and two voltages are derived from them. Nothing is saved.
//
// A page's check handler: if !g_bPortOpen show "串口未打开!" and return; otherwise run
// RunPaperCheck on a worker thread while the page takes no input, with a sink that posts each
// call to the UI thread, where the page stores the values and refreshes.
#pragma once

#include <optional>

#include "sensor/SensorParams.h"

// The check wait in milliseconds from the printer's values K0f, K02 and K0e: the rate
// R = (K0f - 64) * 12.5, q = (K02 * 10) / K0e in integer division (truncated toward zero), and
// q / R * 1000.0 + 500.0 in double precision, truncated. nullopt when K0e is 0, R <= 0 or the
// wait is not in 1..60000 ms: the check then ends before STX "JC".
std::optional<int> CheckWaitMs(int k0f, int k02, int k0e);

// Receives the check's values at the points where the page refreshes. Called on the thread
// that runs the check, in this order, each at most once.
class PaperCheckSink {
  public:
    virtual ~PaperCheckSink() = default;
    // The check wait in milliseconds, once the printer's three values have given one (before
    // STX "JC" is sent). The pages show no such value; a report may.
    virtual void CheckWait(int /*ms*/) {}
    // The first sample: the reflective mark voltage (edit 1057) or the transmissive liner
    // voltage (edit 1055); the page stores it and refreshes.
    virtual void FirstSample(float volts) = 0;
    // The second sample has been taken; it is no member of the page, which just refreshes.
    virtual void SecondSample(float volts) = 0;
    // The derived values: the voltage difference (edit 1056 / 1054) and the reflective paper
    // voltage (edit 1041) or the transmissive no-paper voltage (edit 1020).
    virtual void Result(float difference, float derived) = 0;
};

enum class PaperCheckEnd {
    Completed,   // all three sink calls were made
    PortNotOpen, // nothing was done
    PortFailed,  // a write failed or the port closed during a read
    BadValue,    // a reply was not four hexadecimal digits (or did not come)
    BadWait,     // the printer's values give no usable check wait; STX "JC" was not sent
    Stopped,     // the program's stop test (SetWaitStopTest) answered true during a wait
};

// Runs the check. Does nothing when the port is not open. Otherwise asks a running adjustment
// to stop and waits for it, suspends the status monitor (resumed exactly once on every way
// out), then: one read whose reply is ignored; STX "r"/"e" and 100 ms; STX "Ke0f", "Ke02" and
// "Ke0e", each with its reply; the check wait; STX "JC" DC3; a purge; the wait; STX "Ke14" and
// its reply (the first sample; the reflective check waits 200 ms before it is shown); a purge
// and 50 ms; STX "Ke13" and its reply (the second sample). Samples are value / 255 * supply
// (transmissive: (255 - value) / 255 * supply), rounded to four decimals. Derived values:
//   reflective   difference = (first - second) / 2 * 5, paper voltage = first - difference
//   transmissive difference = (second - first) / 2 * 5, no-paper voltage = first + difference
// A failed step ends the check; values already passed to the sink stay.
PaperCheckEnd RunPaperCheck(Sensor sensor, float supply, PaperCheckSink& sink);
