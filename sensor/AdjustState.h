// The automatic adjustment's values that the pages and the worker thread share, under their
// documented names: the target and the latest reading in volts, the levels of the next frame
// and the stop request. Every one is a std::atomic of its documented type, so each access is
// whole and visible to the other threads. The worker's own record of a run is AdjustRun.h.
#pragma once

#include <atomic>
#include <cstdint>

// The voltage standard the running adjustment targets.
extern std::atomic<float> g_fAdjustTarget;
// The latest adjustment reading in volts.
extern std::atomic<float> g_fAdjustResult;
// The sensitivity level (0..3) and light intensity (0..255) of the next adjustment frame.
extern std::atomic<int32_t> g_nSensitivity;
extern std::atomic<int32_t> g_nIntensity;
// Set to stop a running adjustment at its next pass.
extern std::atomic<bool> g_bAdjustStop;
