#include "sensor/Verdict.h"

#include <algorithm>
#include <cmath>

namespace verdict {

namespace {

// Worse outcomes rank higher; not judged ranks lowest.
int Rank(Outcome o) {
    switch (o) {
    case Outcome::kNotJudged:
        return 0;
    case Outcome::kPass:
        return 1;
    case Outcome::kMarginal:
        return 2;
    case Outcome::kFail:
        return 3;
    }
    return 0;
}

Outcome Worse(Outcome a, Outcome b) {
    return Rank(a) >= Rank(b) ? a : b;
}

Criterion Band(const AdjustResult& adjust) {
    Criterion c{"band", Outcome::kNotJudged, {}, {}, {}};
    switch (adjust.outcome) {
    case AdjustOutcome::kNone:
        break;
    case AdjustOutcome::kReached:
        c.outcome = Outcome::kPass;
        break;
    default:
        c.outcome = Outcome::kFail;
        break;
    }
    if (adjust.outcome != AdjustOutcome::kNone && adjust.volts > 0.0)
        c.value = adjust.volts;
    return c;
}

Criterion Headroom(const AdjustResult& adjust, const Criteria& limits) {
    Criterion c{"headroom", Outcome::kNotJudged, {}, double(limits.headroomSteps), {}};
    if (adjust.outcome != AdjustOutcome::kReached)
        return c;
    const int steps = HeadroomSteps(adjust.level, adjust.intensity);
    c.value = steps;
    c.outcome = steps >= limits.headroomSteps ? Outcome::kPass : Outcome::kMarginal;
    return c;
}

Criterion Contrast(const char* code, std::optional<double> a, std::optional<double> b,
                   const Input& in) {
    const double pass = in.criteria.contrastPass * in.supply;
    const double marginal = in.criteria.contrastMarginal * in.supply;
    Criterion c{code, Outcome::kNotJudged, {}, pass, marginal};
    // A reading of 0.0 V is no reading.
    if (!a || !b || *a <= 0.0 || *b <= 0.0)
        return c;
    const double gap = std::round(std::fabs(*a - *b) * 10000.0) / 10000.0;
    c.value = gap;
    c.outcome = gap >= pass       ? Outcome::kPass
                : gap >= marginal ? Outcome::kMarginal
                                  : Outcome::kFail;
    return c;
}

bool AtScaleEnd(int raw) {
    return raw <= 1 || raw >= 254;
}

int RawOf(double volts, double supply) {
    return static_cast<int>(std::lround(volts / supply * 255.0));
}

// The raw values of every final reading and check sample present, worst first: a value at or
// beyond an end of the scale fails the criterion.
Criterion Scale(const Input& in) {
    Criterion c{"scale", Outcome::kNotJudged, {}, {}, {}};
    std::vector<int> raws;
    if (in.adjust.outcome != AdjustOutcome::kNone && in.adjust.raw >= 0)
        raws.push_back(in.adjust.raw);
    for (const auto& reading : {in.mark, in.noPaper, in.paper})
        if (reading && *reading > 0.0 && in.supply > 0.0)
            raws.push_back(RawOf(*reading, in.supply));
    if (in.check) {
        raws.push_back(in.check->firstRaw);
        raws.push_back(in.check->secondRaw);
    }
    for (int raw : raws) {
        const bool bad = raw < 0 || raw > 255 || AtScaleEnd(raw);
        if (bad) {
            c.outcome = Outcome::kFail;
            c.value = raw;
            return c;
        }
        c.outcome = Outcome::kPass;
    }
    return c;
}

// The paper voltage the contrasts are measured from.
std::optional<double> PaperVolts(const Input& in) {
    if (in.sensor == Sensor::Transmissive && in.paper && *in.paper > 0.0)
        return in.paper;
    if (in.adjust.outcome == AdjustOutcome::kReached && in.adjust.volts > 0.0)
        return in.adjust.volts;
    return std::nullopt;
}

// Two readings closer than the contrast's lower limit cannot be told apart: the media was
// probably still under the sensor for the no-paper reading.
Criterion MediaRemoved(const Input& in) {
    Criterion c = Contrast("media_removed", in.mark, in.noPaper, in);
    c.passLimit = c.marginalLimit;
    c.marginalLimit.reset();
    if (c.outcome != Outcome::kNotJudged)
        c.outcome = c.outcome == Outcome::kFail ? Outcome::kMarginal : Outcome::kPass;
    return c;
}

std::optional<double> Threshold(const Input& in, std::optional<double> paper) {
    if (in.check && in.check->first > 0.0 && in.check->second > 0.0)
        return std::round((in.check->first + in.check->second) / 2.0 * 10000.0) / 10000.0;
    if (paper && in.mark && *in.mark > 0.0)
        return std::round((*paper + *in.mark) / 2.0 * 10000.0) / 10000.0;
    return std::nullopt;
}

} // namespace

AdjustOutcome AdjustOutcomeOf(AdjustEnd end) {
    switch (end) {
    case AdjustEnd::kRunning:
        return AdjustOutcome::kNone;
    case AdjustEnd::kSuccess:
        return AdjustOutcome::kReached;
    case AdjustEnd::kPortClosed:
    case AdjustEnd::kWriteFailed:
        return AdjustOutcome::kLineFailed;
    case AdjustEnd::kStoppedByPage:
    case AdjustEnd::kStoppedByUser:
    case AdjustEnd::kStopped:
        break;
    }
    return AdjustOutcome::kStopped;
}

CheckSamples CheckSamplesFromVolts(Sensor sensor, double first, double second, double supply) {
    const auto raw = [&](double volts) {
        const long n = supply > 0.0 ? std::lround(volts / supply * 255.0) : 0;
        return static_cast<int>(sensor == Sensor::Transmissive ? 255 - n : n);
    };
    return CheckSamples{raw(first), raw(second), first, second};
}

int HeadroomSteps(int level, int intensity) {
    const int l = std::clamp(level, 0, 3);
    const int i = std::clamp(intensity, 0, 255);
    return l * 256 + (255 - i);
}

Result Judge(const Input& in) {
    Result r;
    const std::optional<double> paper = PaperVolts(in);
    std::optional<double> checkFirst, checkSecond;
    if (in.check) {
        checkFirst = in.check->first;
        checkSecond = in.check->second;
    }
    r.criteria.push_back(Band(in.adjust));
    r.criteria.push_back(Headroom(in.adjust, in.criteria));
    r.criteria.push_back(Contrast("contrast_check", checkFirst, checkSecond, in));
    if (in.sensor == Sensor::Reflective)
        r.criteria.push_back(Contrast("contrast_mark", paper, in.mark, in));
    r.criteria.push_back(Contrast("contrast_no_paper", paper, in.noPaper, in));
    if (in.sensor == Sensor::Reflective)
        r.criteria.push_back(MediaRemoved(in));
    r.criteria.push_back(Scale(in));
    r.complete = true;
    for (const Criterion& c : r.criteria) {
        r.verdict = Worse(r.verdict, c.outcome);
        if (c.outcome == Outcome::kNotJudged)
            r.complete = false;
    }
    // A band that was not reached leaves the headroom unjudged; the fail already decides.
    r.threshold = Threshold(in, paper);
    return r;
}

Result Combine(const std::vector<Result>& sensors) {
    Result r;
    r.complete = !sensors.empty();
    for (const Result& s : sensors) {
        r.verdict = Worse(r.verdict, s.verdict);
        r.complete = r.complete && s.complete;
    }
    return r;
}

Outcome OutcomeFromName(std::string_view name) {
    for (Outcome o : {Outcome::kPass, Outcome::kMarginal, Outcome::kFail})
        if (name == OutcomeName(o))
            return o;
    return Outcome::kNotJudged;
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::kPass:
        return "pass";
    case Outcome::kMarginal:
        return "marginal";
    case Outcome::kFail:
        return "fail";
    case Outcome::kNotJudged:
        break;
    }
    return "not_judged";
}

} // namespace verdict
