// The automatic adjustment's search: one pure step shared by both sensors.
//
// A run starts at level 3, intensity 0. Each pass sends one adjustment frame built from the
// current levels (AdjustFrameForPass), reads the reply and hands it to one search step, which
// converts the reading into volts, tests it against the band around the voltage standard and
// moves the light intensity (and, when the intensity leaves 0..255, the sensitivity level):
//   - coarse steps of 32 (16 near the ends of the range) until the readings have been on both
//     sides of the band, then halving steps toward the anchor;
//   - a stall check: after five passes in a row at the same intensity, one fine step of 1;
//   - a range check: above 255 the level goes down (3, 2, 1, 0, 3, ...) and the intensity
//     restarts at 255; below 0 the level goes up (3, 4 sent as "00", 1, 2, 3, ...) and the
//     intensity restarts at 127 (reflective) or 96 (transmissive).
// Nothing here does I/O, sleeps or touches the shared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sensor/SensorParams.h"

// The search's own state, private to one run; all zero at its start.
struct AdjustSearchState {
    bool raised = false;  // the intensity has been raised once because a reading was too high
    bool lowered = false; // the intensity has been lowered once because a reading was too low
    int anchor = 0;       // the intensity the last coarse step was taken from (or led to)
    int lastLevel = 0;    // the intensity seen at the previous stall check
    int repeatCount = 0;  // stall checks in a row that saw the same intensity
};

// The two settings being searched (the shared g_nSensitivity and g_nIntensity).
struct AdjustLevels {
    int sensitivity = 3;
    int intensity = 0;
};

enum class AdjustStepOutcome {
    Continue, // send the next frame with the (moved) levels
    Success,  // the reading lies in the band: the run ends, the levels are the ones found
};

// The 8-byte adjustment frame of a pass: STX "J" letter, sensitivity code, intensity digits.
// A level outside 0..3 is sent as "00" and set to 0 (the pass after an underflow). The
// intensity must be 0..255, which the search guarantees between passes.
std::vector<uint8_t> AdjustFrameForPass(const SensorParams& params, int& sensitivity,
                                        int intensity);

// The adjustment's voltage of a raw reading 0..255 (normal or inverted by the sensor), rounded
// to four decimals.
float AdjustVolts(const SensorParams& params, int reading, float supply);

// True when the reading lies in the sensor's success band around the standard. Both are taken
// as their exact single-precision values; the bounds standard - 0.1 (and standard + 0.1 for the
// transmissive sensor) are computed in double precision.
bool InBand(const SensorParams& params, float standard, float result);

// True when the whole success band around the standard lies below 0.1 V (its upper bound is
// below 0.1): the sensor gives no such reading in practice, and a search for it runs until it
// gives up. The reflective band ends at the standard, so any standard below 0.1 V.
bool BandBelowReach(const SensorParams& params, float standard);

// One search step after a pass. volts is this pass's reading (nullopt when the pass got none);
// lastResult is the last reading of any run (g_fAdjustResult): it is replaced by volts when
// there is one, and the stall check's fine step is judged on it. A step without a reading
// only runs the stall and range checks. On Success the levels are unchanged.
AdjustStepOutcome AdjustSearchStep(const SensorParams& params, AdjustSearchState& state,
                                   AdjustLevels& levels, float target, std::optional<float> volts,
                                   float& lastResult);

// What a pass made of its reply.
struct AdjustReplyResult {
    AdjustStepOutcome outcome = AdjustStepOutcome::Continue;
    bool hadReading = false; // the reply held a reading: the page is told after the step
    int raw = -1;            // the reading, 0..255 (with hadReading)
    float volts = 0.0f;      // its voltage (with hadReading)
};

// The reply half of a pass: the decimal reading of the reply's n bytes, its voltage with the
// given supply, and one search step.
AdjustReplyResult AdjustOnReply(const SensorParams& params, AdjustSearchState& state,
                                AdjustLevels& levels, float target, float supply,
                                const uint8_t* reply, size_t n, float& lastResult);
