// The verdict of a calibration: will the printer find the gaps and marks of this media reliably?
// One pure function judges one sensor's results against the criteria of a media profile; a
// second takes the worst of the sensors. It judges only: it saves nothing and changes nothing.
// Codes and numbers only; the sentences for a person are made when shown, in the viewer's
// language (records/VerdictText.h).
//
// The criteria and their stable codes:
//   "band"              the adjustment reached its band: pass; out of reach, stopped or a
//                       failed line: fail; no adjustment: not judged.
//   "headroom"          how far the final setting is from where the search runs out of light.
//                       When the reading stays on the wrong side the search raises the
//                       intensity, and past 255 moves the level down (3, 2, 1, 0): the end is
//                       full intensity (255) at level 0. The value is the intensity steps left
//                       before that end, level * 256 + (255 - intensity); fewer than the
//                       profile's headroom limit (32 by default: one coarse step) is marginal.
//   "contrast_check"    the gap between the paper check's two samples, |first - second| in volts
//                       (not the derived difference, which is 2.5 times that gap).
//   "contrast_mark"     reflective: the paper (the adjustment's reading on paper) against the
//                       mark reading.
//   "contrast_no_paper" the paper against the no-paper reading (reflective: the adjustment's
//                       reading; transmissive: the paper reading, else the adjustment's).
//                       Each contrast: pass from pass_limit, marginal from marginal_limit,
//                       below that a fail. Limits are shares of the supply: built-in 6 % and
//                       3 % (0.30 V and 0.15 V at 5.0 V).
//   "media_removed"     reflective: the mark and the no-paper readings lie within the
//                       contrast's marginal limit of each other (they cannot be told apart):
//                       marginal ("was the media removed for the no-paper reading?"), else
//                       pass.
//   "scale"             a final reading or a check sample at the ends of the scale (raw 0..1
//                       or 254..255) or outside it (a check value above 255): fail, blind or
//                       saturated; a reading of 0.0 V is no reading and is not judged.
// The verdict is the worst outcome of the criteria judged; it is complete when every criterion
// that applies to the sensor was judged.
//
// Worked examples (supply 5.0 V, built-in limits), each tested:
//   check samples "00C0" and "00B0": 3.7647 V and 3.4510 V, a gap of 0.3137 V: pass
//   check samples "00C0" and "00B8": 3.7647 V and 3.6078 V, a gap of 0.1569 V: marginal
//   check samples "00C0" and "00BC": 3.7647 V and 3.6863 V, a gap of 0.0784 V: fail
//   band reached at level 3, intensity 96: band pass, headroom 927 steps: pass; no check yet:
//     the contrast is not judged, the verdict is pass and partial
//   band reached at level 0, intensity 240: headroom 15 steps: marginal
//   adjustment out of reach: band fail, the verdict is fail
//   a check sample of raw 255 (or 300): scale fail; a reading of 0.0 V: scale not judged
//   mark 2.40 V and no-paper 2.50 V (within 0.15 V): media_removed marginal
// The suggested threshold lies midway between paper and mark: the check's two samples when a
// check ran, else the paper and the mark reading.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sensor/AdjustRun.h"
#include "sensor/SensorParams.h"

namespace verdict {

enum class Outcome { kPass, kMarginal, kFail, kNotJudged };

// How the adjustment ended, as far as the verdict cares.
enum class AdjustOutcome { kNone, kReached, kOutOfReach, kStopped, kLineFailed };

// The criteria's limits. Voltage limits are shares of the supply.
struct Criteria {
    double contrastPass = 0.06;
    double contrastMarginal = 0.03;
    int headroomSteps = 32;
};

struct AdjustResult {
    AdjustOutcome outcome = AdjustOutcome::kNone;
    int level = 3;
    int intensity = 0;
    int passes = 0;
    int raw = -1;       // the final reading's raw value (-1: none)
    double volts = 0.0; // the final reading's voltage (0.0: none)
};

struct CheckSamples {
    int firstRaw = 0; // as the printer sent them (may exceed 255 on a bad reply)
    int secondRaw = 0;
    double first = 0.0; // volts as the paper check converts them
    double second = 0.0;
};

struct Input {
    Sensor sensor = Sensor::Reflective;
    double supply = 5.0;
    AdjustResult adjust;
    std::optional<double> mark;    // reflective mark reading, volts
    std::optional<double> noPaper; // no-paper reading, volts
    std::optional<double> paper;   // transmissive paper reading, volts
    std::optional<CheckSamples> check;
    Criteria criteria;
};

struct Criterion {
    std::string code;
    Outcome outcome = Outcome::kNotJudged;
    std::optional<double> value;     // volts, steps or raw, as the code says
    std::optional<double> passLimit; // in the value's unit (volts for supply shares)
    std::optional<double> marginalLimit;
};

struct Result {
    Outcome verdict = Outcome::kNotJudged; // the worst judged outcome; not judged when none was
    bool complete = false;
    std::vector<Criterion> criteria;
    std::optional<double> threshold; // the suggested threshold, volts
};

// How an adjustment's end counts: a success reached the band, a closed port or a failed write
// is a failed line, any stop is a stop, a run still going (or none) is no adjustment yet. A run
// stopped because it could not reach its band is told apart by its caller (kOutOfReach).
AdjustOutcome AdjustOutcomeOf(AdjustEnd end);

// The paper check's samples with their raw values recovered from the volts the check gives
// (value / 255 * supply; transmissive (255 - value) / 255 * supply).
CheckSamples CheckSamplesFromVolts(Sensor sensor, double first, double second, double supply);

// Judges one sensor.
Result Judge(const Input& input);

// The whole calibration: the worst verdict of the sensors judged; complete when each is.
Result Combine(const std::vector<Result>& sensors);

// The intensity steps left before the search runs out of light (see "headroom").
int HeadroomSteps(int level, int intensity);

// The stable names of outcomes: "pass", "marginal", "fail", "not_judged".
const char* OutcomeName(Outcome outcome);
// The outcome a name stands for (OutcomeName's reverse); anything else is not judged.
Outcome OutcomeFromName(std::string_view name);

} // namespace verdict
