// How the latest automatic adjustment is going and how it ended, for the page's progress line
// (and any other caller that reports on a run): its passes, the passes in a row without a
// reading, whether the search has been through all four levels, and its end with the cause.
//
// The worker notes each frame, each reply and its end; any thread may take a copy of the whole
// record at any time (it is kept under a lock of its own that nobody holds for longer than a
// copy, so the worker never waits for the reader).
#pragma once

#include <cstdint>

#include "sensor/SensorParams.h"

// How a run ended.
enum class AdjustEnd {
    kRunning,       // the worker has not ended yet (or no run was started)
    kSuccess,       // a reading in the band
    kStoppedByPage, // a stop request by the activation of a sensor page
    kStoppedByUser, // a stop request by the stop control of the page
    kStopped,       // another stop request: a reading, a paper check, a new start, the window
    kPortClosed,    // the port was closed (or its handle gone) before a port operation
    kWriteFailed,   // the frame could not be written, or not all of it
};

// Who asked a run to stop (the stop request itself is g_bAdjustStop).
enum class AdjustStopCause {
    kOther,
    kPageActivation,
    kStopControl,
};

struct AdjustRunState {
    uint32_t run = 0; // the run's number, counted from 1 since the process began (0: none yet)
    Sensor sensor = Sensor::Reflective; // whose levels the run searches (with run)
    AdjustEnd end = AdjustEnd::kRunning;
    uint32_t passes = 0;          // passes whose reply wait ended (with or without a reading)
    uint32_t passesNoReading = 0; // the latest passes in a row that gave no reading, all alike:
    bool lastReplyEmpty = false;  // no bytes at all (no answer), or bytes without a reading
    bool allLevelsTried = false;  // frames went out at all four levels, then the level moved on
    int level = 3;                // the latest frame's level (on success: the level found)
    int intensity = 0;            // the latest frame's intensity
    int raw = -1;                 // the latest reading's raw value 0..255 (-1: none yet)
    float volts = 0.0f;           // the latest reading in volts (with raw)
};

// Records who asks, then sets g_bAdjustStop: a running worker stops at its next stop check.
void RequestAdjustmentStop(AdjustStopCause cause);
// Clears g_bAdjustStop for a new run and forgets who asked last.
void ClearAdjustmentStop();

// A copy of the latest run's record.
AdjustRunState LatestAdjustRun();

// --- The worker's notes ----------------------------------------------------------------------

// A new run of the sensor: the record starts again under the next run number (the stop
// request and its cause are left as they are).
void NoteAdjustRunStart(Sensor sensor);
// A frame went out with these levels (the level as sent, 0..3).
void NoteAdjustFrame(int level, int intensity);
// The reply wait of the pass ended: with a reading (its raw value and volts) or not, and how
// many bytes came.
void NoteAdjustReply(bool hadReading, uint32_t bytes, int raw = -1, float volts = 0.0f);
// The run ended by a stop request: the end follows the cause last recorded.
void NoteAdjustStopped();
// The run ended otherwise (success, port closed, write failed).
void NoteAdjustEnd(AdjustEnd end);
