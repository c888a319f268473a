#include "sensor/AdjustSearch.h"

#include <algorithm>
#include <cstdlib>

#include "device/Protocol.h"

namespace {

// The bounds of the band, in double precision from the single-precision standard.
double BandLow(float target) {
    return static_cast<double>(target) - 0.1;
}

double BandHigh(const SensorParams& params, float target) {
    return params.band == Band::AroundTarget ? static_cast<double>(target) + 0.1
                                             : static_cast<double>(target);
}

// The coarse or halving move of a reading outside the band.
void MoveIntensity(const SensorParams& params, AdjustSearchState& state, int& intensity,
                   bool tooHigh) {
    if (tooHigh) {
        if (state.lowered) {
            intensity += std::abs(state.anchor - intensity) / 2;
        } else {
            const int step = intensity <= 143 ? 32 : 16;
            if (params.upStepAnchor == UpStepAnchor::AfterStep) {
                intensity += step;
                state.anchor = intensity;
            } else {
                state.anchor = intensity;
                intensity += step;
            }
        }
        state.raised = true;
    } else {
        if (state.raised) {
            intensity -= std::abs(state.anchor - intensity) / 2;
        } else {
            state.anchor = intensity;
            intensity -= intensity >= params.coarseDownFrom ? 32 : 16;
        }
        state.lowered = true;
    }
}

// After five passes in a row at one intensity, one step of 1 judged on the last reading.
void StallCheck(AdjustSearchState& state, int& intensity, float target, float lastResult) {
    if (intensity != state.lastLevel) {
        state.lastLevel = intensity;
        state.repeatCount = 0;
        return;
    }
    ++state.repeatCount;
    if (state.repeatCount < 5) {
        return;
    }
    state.lastLevel = 0;
    state.repeatCount = 0;
    const double r = static_cast<double>(lastResult);
    if (r < BandLow(target)) {
        intensity -= 1;
    } else if (r > static_cast<double>(target)) {
        // Judged against the standard itself for both sensors.
        intensity += 1;
    }
    if (intensity < 0) {
        intensity = 127;
    } else if (intensity > 255) {
        intensity = 255;
    }
}

// An intensity outside 0..255 moves the level and restarts the intensity.
void RangeCheck(const SensorParams& params, AdjustLevels& levels) {
    if (levels.intensity > 255) {
        levels.sensitivity -= 1;
        levels.intensity = 255;
        if (levels.sensitivity < 0) {
            levels.sensitivity = 3;
        }
    } else if (levels.intensity < 0) {
        levels.sensitivity += 1;
        levels.intensity = params.underflowRestart;
        if (levels.sensitivity > 4) {
            levels.sensitivity = 3;
        }
    }
}

} // namespace

std::vector<uint8_t> AdjustFrameForPass(const SensorParams& params, int& sensitivity,
                                        int intensity) {
    if (sensitivity < 0 || sensitivity > 3) {
        sensitivity = 0;
    }
    // Between passes the search keeps the intensity in 0..255; a value loaded from the file
    // by a page activation in the middle of a pass never makes the frame longer than 8 bytes.
    return BuildReadingFrame(params.frameLetter, sensitivity, std::clamp(intensity, 0, 255));
}

float AdjustVolts(const SensorParams& params, int reading, float supply) {
    return params.adjustVolts == RawVolts::Inverted ? InvertedVoltsFromReading(reading, supply)
                                                    : VoltsFromReading(reading, supply);
}

bool InBand(const SensorParams& params, float standard, float result) {
    const double r = static_cast<double>(result);
    return BandLow(standard) <= r && r <= BandHigh(params, standard);
}

bool BandBelowReach(const SensorParams& params, float standard) {
    return BandHigh(params, standard) < 0.1;
}

AdjustStepOutcome AdjustSearchStep(const SensorParams& params, AdjustSearchState& state,
                                   AdjustLevels& levels, float target, std::optional<float> volts,
                                   float& lastResult) {
    // Levels come from the shared state, which a page activation may have loaded from the file
    // during the pass. Far-out values behave as their nearest value that cannot overflow: the
    // range check maps both to the same result.
    levels.intensity = std::clamp(levels.intensity, -256, 511);
    levels.sensitivity = std::clamp(levels.sensitivity, -1, 5);
    if (volts) {
        lastResult = *volts;
        if (InBand(params, target, lastResult)) {
            return AdjustStepOutcome::Success;
        }
        const bool tooHigh = static_cast<double>(lastResult) > BandHigh(params, target);
        MoveIntensity(params, state, levels.intensity, tooHigh);
    }
    StallCheck(state, levels.intensity, target, lastResult);
    RangeCheck(params, levels);
    return AdjustStepOutcome::Continue;
}

AdjustReplyResult AdjustOnReply(const SensorParams& params, AdjustSearchState& state,
                                AdjustLevels& levels, float target, float supply,
                                const uint8_t* reply, size_t n, float& lastResult) {
    AdjustReplyResult result;
    std::optional<float> volts;
    if (const std::optional<int> reading = ParseDecimalReading(reply, n)) {
        volts = AdjustVolts(params, *reading, supply);
        result.hadReading = true;
        result.raw = *reading;
        result.volts = *volts;
    }
    result.outcome = AdjustSearchStep(params, state, levels, target, volts, lastResult);
    return result;
}
