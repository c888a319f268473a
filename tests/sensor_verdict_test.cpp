// The verdict on the worked examples of its header: the paper check's contrast at pass, marginal
// and fail; the band, the headroom and the scale; a missing input left unjudged; the flag of a
// no-paper reading taken with the media still in place.
#include <gtest/gtest.h>

#include "sensor/Verdict.h"

using namespace verdict;

namespace {

double Volts(int raw) {
    return raw / 255.0 * 5.0;
}

Input Reached(Sensor sensor, int level, int intensity) {
    Input in;
    in.sensor = sensor;
    in.adjust = {AdjustOutcome::kReached, level, intensity, 7, 128, 2.45};
    return in;
}

const Criterion& Find(const Result& r, const std::string& code) {
    for (const Criterion& c : r.criteria)
        if (c.code == code)
            return c;
    ADD_FAILURE() << "no criterion " << code;
    return r.criteria.front();
}

Input WithCheck(int firstRaw, int secondRaw) {
    Input in = Reached(Sensor::Reflective, 3, 96);
    in.check = CheckSamples{firstRaw, secondRaw, Volts(firstRaw), Volts(secondRaw)};
    return in;
}

} // namespace

TEST(Verdict, PaperCheckContrastOnTheWorkedSamples) {
    const Result pass = Judge(WithCheck(0xC0, 0xB0));
    EXPECT_NEAR(*Find(pass, "contrast_check").value, 0.3137, 1e-4);
    EXPECT_NEAR(*Find(pass, "contrast_check").passLimit, 0.30, 1e-9);
    EXPECT_NEAR(*Find(pass, "contrast_check").marginalLimit, 0.15, 1e-9);
    EXPECT_EQ(Find(pass, "contrast_check").outcome, Outcome::kPass);
    EXPECT_EQ(pass.verdict, Outcome::kPass);
    EXPECT_NEAR(*pass.threshold, (Volts(0xC0) + Volts(0xB0)) / 2, 1e-4);

    const Result marginal = Judge(WithCheck(0xC0, 0xB8));
    EXPECT_NEAR(*Find(marginal, "contrast_check").value, 0.1569, 1e-4);
    EXPECT_EQ(marginal.verdict, Outcome::kMarginal);

    const Result fail = Judge(WithCheck(0xC0, 0xBC));
    EXPECT_NEAR(*Find(fail, "contrast_check").value, 0.0784, 1e-4);
    EXPECT_EQ(fail.verdict, Outcome::kFail);
}

TEST(Verdict, LimitsAreSharesOfTheSupply) {
    Input in = WithCheck(0xC0, 0xB0);
    in.supply = 2.5; // the same raw gap is half the volts, against half the limits
    in.check->first = 0xC0 / 255.0 * 2.5;
    in.check->second = 0xB0 / 255.0 * 2.5;
    const Criterion c = Find(Judge(in), "contrast_check");
    EXPECT_NEAR(*c.passLimit, 0.15, 1e-9);
    EXPECT_EQ(c.outcome, Outcome::kPass);
}

TEST(Verdict, AdjustmentAloneIsPartialAndBandAndHeadroomDecide) {
    const Result alone = Judge(Reached(Sensor::Reflective, 3, 96));
    EXPECT_EQ(alone.verdict, Outcome::kPass);
    EXPECT_FALSE(alone.complete);
    EXPECT_EQ(Find(alone, "contrast_check").outcome, Outcome::kNotJudged);
    EXPECT_EQ(*Find(alone, "headroom").value, 927);

    const Result atEnd = Judge(Reached(Sensor::Transmissive, 0, 240));
    EXPECT_EQ(*Find(atEnd, "headroom").value, 15);
    EXPECT_EQ(atEnd.verdict, Outcome::kMarginal);

    Input out = Reached(Sensor::Reflective, 0, 255);
    out.adjust.outcome = AdjustOutcome::kOutOfReach;
    const Result outOfReach = Judge(out);
    EXPECT_EQ(Find(outOfReach, "band").outcome, Outcome::kFail);
    EXPECT_EQ(Find(outOfReach, "headroom").outcome, Outcome::kNotJudged);
    EXPECT_EQ(outOfReach.verdict, Outcome::kFail);

    out.adjust.outcome = AdjustOutcome::kStopped;
    EXPECT_EQ(Judge(out).verdict, Outcome::kFail);

    const Result nothing = Judge(Input{});
    EXPECT_EQ(nothing.verdict, Outcome::kNotJudged);
    EXPECT_FALSE(nothing.complete);
}

TEST(Verdict, ScaleEndsFailAndAZeroReadingIsNotJudged) {
    EXPECT_EQ(Find(Judge(WithCheck(0xC0, 255)), "scale").outcome, Outcome::kFail);
    EXPECT_EQ(Find(Judge(WithCheck(300, 0xB0)), "scale").outcome, Outcome::kFail);
    EXPECT_EQ(Find(Judge(WithCheck(1, 0xB0)), "scale").outcome, Outcome::kFail);
    EXPECT_EQ(Find(Judge(WithCheck(0xC0, 0xB0)), "scale").outcome, Outcome::kPass);

    Input zero;
    zero.sensor = Sensor::Transmissive;
    zero.noPaper = 0.0;
    const Result r = Judge(zero);
    EXPECT_EQ(Find(r, "scale").outcome, Outcome::kNotJudged);
    EXPECT_EQ(Find(r, "contrast_no_paper").outcome, Outcome::kNotJudged);
}

TEST(Verdict, ReadingsJudgeContrastsAndFlagMediaLeftInPlace) {
    Input in = WithCheck(0xC0, 0xB0); // paper 2.45 V from the adjustment
    in.mark = 0.80;
    in.noPaper = 4.60;
    Result r = Judge(in);
    EXPECT_EQ(Find(r, "contrast_mark").outcome, Outcome::kPass);
    EXPECT_EQ(Find(r, "contrast_no_paper").outcome, Outcome::kPass);
    EXPECT_EQ(Find(r, "media_removed").outcome, Outcome::kPass);
    EXPECT_TRUE(r.complete);

    in.mark = 2.40; // the no-paper reading read the media again
    in.noPaper = 2.50;
    r = Judge(in);
    EXPECT_EQ(Find(r, "contrast_mark").outcome, Outcome::kFail);
    EXPECT_EQ(Find(r, "media_removed").outcome, Outcome::kMarginal);
    EXPECT_EQ(r.verdict, Outcome::kFail);

    Input trans = Reached(Sensor::Transmissive, 3, 96);
    trans.paper = 1.90;
    trans.noPaper = 2.10; // 0.20 V: between 0.15 and 0.30
    EXPECT_EQ(Find(Judge(trans), "contrast_no_paper").outcome, Outcome::kMarginal);
}

TEST(Verdict, CombineTakesTheWorstSensor) {
    Result a, b;
    a.verdict = Outcome::kPass;
    a.complete = true;
    b.verdict = Outcome::kMarginal;
    b.complete = false;
    const Result both = Combine({a, b});
    EXPECT_EQ(both.verdict, Outcome::kMarginal);
    EXPECT_FALSE(both.complete);
    EXPECT_STREQ(OutcomeName(Outcome::kNotJudged), "not_judged");
}
