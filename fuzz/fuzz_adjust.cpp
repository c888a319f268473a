// Feeds arbitrary bytes as printer replies through the adjustment's reply half (reading,
// voltage, search step) for both sensors, through the paper check's value parse and wait, and
// as texts through the pages' edit validation.
//
// Input: byte 0 chooses the sensor, the target (0.0..5.1 V), the supply and the start levels;
// the rest is a series of replies separated by '\n', each examined as one pass's reply, cut to
// the sensor's read (255 bytes reflective, 30 transmissive), in a block of exactly its size, so
// AddressSanitizer reports any look outside it; the paper check's values come from its 100-byte
// buffer. An input longer than fuzzing makes (the 64 KiB case in tests/corpus/regression/adjust/,
// run by scripts/fuzz.sh on its own) goes through whole, every reply uncut. Invariants:
// between passes the levels are those a frame can carry (level 0..4, intensity 0..255), every
// frame is 8 bytes, and a success leaves a reading in the band.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/Protocol.h"
#include "sensor/AdjustSearch.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"
#include "sensor/TextValidation.h"

namespace {

// The longest input scripts/fuzz.sh has libFuzzer make (-max_len): several passes' replies.
constexpr size_t kLongestFuzzed = 1024;

size_t ReadSize(size_t whole, size_t size, size_t read) {
    return whole > kLongestFuzzed ? size : std::min(size, read);
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void RunAdjustment(const uint8_t* data, size_t size) {
    const uint8_t control = size > 0 ? data[0] : 0;
    const SensorParams& params = (control & 1) ? kTransmissiveParams : kReflectiveParams;
    const float supplies[] = {2.5f, 3.3f, 5.0f, 5.0f};
    const float supply = supplies[(control >> 1) & 3];
    const float target = static_cast<float>((control >> 3) % 52) / 10.0f;

    AdjustSearchState state;
    AdjustLevels levels;
    float lastResult = 0.0f;
    size_t pos = size > 0 ? 1 : 0;
    while (pos <= size) {
        size_t end = pos;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        int level = levels.sensitivity;
        const std::vector<uint8_t> frame = AdjustFrameForPass(params, level, levels.intensity);
        Check(frame.size() == 8 && level >= 0 && level <= 3);
        levels.sensitivity = level;

        std::vector<uint8_t> reply(data + pos,
                                   data + pos + ReadSize(size, end - pos, params.adjustReadBytes));
        const AdjustReplyResult r = AdjustOnReply(params, state, levels, target, supply,
                                                  reply.data(), reply.size(), lastResult);
        if (r.outcome == AdjustStepOutcome::Success) {
            Check(r.hadReading && InBand(params, target, lastResult));
            break;
        }
        Check(levels.intensity >= 0 && levels.intensity <= 255);
        Check(levels.sensitivity >= 0 && levels.sensitivity <= 4);
        Check(lastResult >= 0.0f && lastResult <= supply);
        pos = end + 1;
    }
}

void RunPaperCheckValues(const uint8_t* data, size_t size) {
    // Three four-character values from consecutive pieces of the input, as the check reads them.
    int values[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        const size_t offset = static_cast<size_t>(k) * 4;
        const size_t n = ReadSize(size, size > offset ? size - offset : 0, 100);
        std::vector<uint8_t> reply(data + (n > 0 ? offset : 0), data + (n > 0 ? offset : 0) + n);
        const std::optional<int> v = ParseFourHex(reply.data(), reply.size());
        if (!v) {
            return;
        }
        Check(*v >= 0 && *v <= 0xFFFF);
        values[k] = *v;
    }
    if (const std::optional<int> wait = CheckWaitMs(values[0], values[1], values[2])) {
        Check(*wait >= 1 && *wait <= 60000);
    }
}

void RunTexts(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<int> v = ValidateIntensityText(text)) {
        Check(*v >= 0 && *v <= 255);
        Check(IntensityCharsToSend(text).size() == 3);
    }
    if (const std::optional<float> v = ValidateVoltageText(text)) {
        Check(*v >= 0.0f && *v <= 5.0f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunAdjustment(data, size);
    RunPaperCheckValues(data, size);
    RunTexts(data, size);
    return 0;
}
