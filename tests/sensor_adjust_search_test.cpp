// The adjustment search step, driven pass by pass with scripted readings; the frames it asks
// for are compared byte by byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sensor/AdjustSearch.h"

namespace {

using ::testing::ElementsAreArray;

// One frame as sent: the sensitivity code and the intensity digits.
struct Sent {
    std::string code;
    std::string intensity;
    bool operator==(const Sent& o) const { return code == o.code && intensity == o.intensity; }
};

std::ostream& operator<<(std::ostream& os, const Sent& s) {
    return os << '"' << s.code << "\" " << s.intensity;
}

// The reading of pass k (0-based) at the intensity just sent; nullopt is a pass without one.
using ReadingFn = std::function<std::optional<float>(int pass, int intensity)>;

struct DriveResult {
    std::vector<Sent> sent;
    bool success = false;
    AdjustLevels levels;
};

DriveResult Drive(const SensorParams& params, float target, const ReadingFn& reading, int passes,
                  float lastResult = 0.0f) {
    DriveResult run;
    AdjustSearchState state;
    for (int k = 0; k < passes; ++k) {
        const std::vector<uint8_t> frame =
            AdjustFrameForPass(params, run.levels.sensitivity, run.levels.intensity);
        EXPECT_EQ(frame.size(), 8u);
        EXPECT_EQ(frame[0], 0x02);
        EXPECT_EQ(frame[1], 'J');
        EXPECT_EQ(frame[2], params.frameLetter);
        run.sent.push_back({std::string(frame.begin() + 3, frame.begin() + 5),
                            std::string(frame.begin() + 5, frame.end())});
        const AdjustStepOutcome outcome = AdjustSearchStep(
            params, state, run.levels, target, reading(k, run.levels.intensity), lastResult);
        if (outcome == AdjustStepOutcome::Success) {
            run.success = true;
            break;
        }
    }
    return run;
}

std::vector<Sent> Series(const std::string& code, std::initializer_list<int> intensities) {
    std::vector<Sent> out;
    for (int i : intensities) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", i);
        out.push_back({code, digits});
    }
    return out;
}

std::vector<Sent> Concat(std::initializer_list<std::vector<Sent>> parts) {
    std::vector<Sent> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

std::vector<Sent> Repeat(const std::string& code, int intensity, int times) {
    std::vector<Sent> out;
    for (int k = 0; k < times; ++k) {
        out.push_back(Series(code, {intensity})[0]);
    }
    return out;
}

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

const ReadingFn kAlwaysHigh = [](int, int) { return std::optional<float>(4.5f); };
const ReadingFn kAlwaysLow = [](int, int) { return std::optional<float>(0.5f); };
// Too high for the first three passes, too low from the fourth on.
const ReadingFn kHighThenLow = [](int pass, int) {
    return std::optional<float>(pass < 3 ? 4.5f : 0.5f);
};

TEST(AdjustSearch, AlwaysTooHighClimbsThenWrapsTheLevelDownward) {
    const auto expected = Concat({
        Series("11", {0, 32, 64, 96, 128, 160, 176, 192, 208, 224, 240}),
        Series("10", {255}),
        Series("01", {255}),
        Series("00", {255}),
        Series("11", {255}),
    });
    for (const SensorParams* p : {&kReflectiveParams, &kTransmissiveParams}) {
        SCOPED_TRACE(p->frameLetter);
        const DriveResult run = Drive(*p, 2.5f, kAlwaysHigh, static_cast<int>(expected.size()));
        EXPECT_FALSE(run.success);
        EXPECT_THAT(run.sent, ElementsAreArray(expected));
    }
}

TEST(AdjustSearch, AlwaysTooLowReflectiveRestartsAt127AndWrapsTheLevelUpward) {
    const auto cycle = Series("", {127, 111, 95, 79, 63, 47, 31, 15});
    auto at = [&](const std::string& code) {
        std::vector<Sent> out = cycle;
        for (Sent& s : out) {
            s.code = code;
        }
        return out;
    };
    // Level 3, then 4 (sent as "00" and reset to 0), 1, 2, 3, 4 again.
    const auto expected =
        Concat({Series("11", {0}), at("00"), at("01"), at("10"), at("11"), Series("00", {127})});
    const DriveResult run =
        Drive(kReflectiveParams, 2.5f, kAlwaysLow, static_cast<int>(expected.size()));
    EXPECT_THAT(run.sent, ElementsAreArray(expected));
}

TEST(AdjustSearch, AlwaysTooLowTransmissiveRestartsAt96) {
    const auto expected = Concat(
        {Series("11", {0}), Series("00", {96, 80, 64, 48, 32, 16, 0}), Series("01", {96, 80})});
    const DriveResult run =
        Drive(kTransmissiveParams, 2.0f, kAlwaysLow, static_cast<int>(expected.size()));
    EXPECT_THAT(run.sent, ElementsAreArray(expected));
}

TEST(AdjustSearch, ReflectiveHalvesTowardTheAnchorBeforeTheStepAndStallsIntoFineSteps) {
    // The anchor is 64, the intensity the step to 96 was taken from.
    const auto expected = Concat({Series("11", {0, 32, 64, 96, 80, 72, 68, 66}),
                                  Repeat("11", 65, 5), Repeat("11", 64, 6), Series("11", {63})});
    const DriveResult run =
        Drive(kReflectiveParams, 2.5f, kHighThenLow, static_cast<int>(expected.size()));
    EXPECT_THAT(run.sent, ElementsAreArray(expected));
}

TEST(AdjustSearch, TransmissiveAnchorsAfterTheStepSoTheFirstHalvingStandsStill) {
    const auto expected =
        Concat({Series("11", {0, 32, 64}), Repeat("11", 96, 5), Repeat("11", 95, 6),
                Series("11", {94, 93, 92, 90, 87, 83, 77, 68, 54, 33, 2}), Series("00", {96})});
    const DriveResult run =
        Drive(kTransmissiveParams, 2.0f, kHighThenLow, static_cast<int>(expected.size()));
    EXPECT_THAT(run.sent, ElementsAreArray(expected));
}

TEST(AdjustSearch, HalvingAfterBothDirectionsMovesAwayFromTheAnchor) {
    // High at 0, 32, 64; low at 96 (-> 80); high at 80 -> 80 + |64 - 80| / 2 = 88.
    const ReadingFn script = [](int pass, int) {
        return std::optional<float>(pass == 3 ? 0.5f : 4.5f);
    };
    const DriveResult run = Drive(kReflectiveParams, 2.5f, script, 6);
    EXPECT_THAT(run.sent, ElementsAreArray(Series("11", {0, 32, 64, 96, 80, 88})));
}

TEST(AdjustSearch, CoarseDownwardStepIs32OnlyFromTheSensorsThreshold) {
    // The first reading decides the coarse step: 32 from 255 for both sensors.
    for (const SensorParams* p : {&kReflectiveParams, &kTransmissiveParams}) {
        AdjustSearchState state;
        AdjustLevels levels{3, 255};
        float last = 0.0f;
        EXPECT_EQ(AdjustSearchStep(*p, state, levels, 2.5f, 0.5f, last),
                  AdjustStepOutcome::Continue);
        EXPECT_EQ(levels.intensity, 255 - 32);
        EXPECT_EQ(state.anchor, 255);
    }
    // From 223 on the transmissive step is 32, the reflective one still 16.
    float last = 0.0f;
    for (int start : {223, 224, 240}) {
        AdjustSearchState state;
        AdjustLevels levels{3, start};
        float last = 0.0f;
        AdjustSearchStep(kTransmissiveParams, state, levels, 2.0f, 0.5f, last);
        EXPECT_EQ(levels.intensity, start - 32) << start;
        AdjustSearchState rstate;
        AdjustLevels rlevels{3, start};
        AdjustSearchStep(kReflectiveParams, rstate, rlevels, 2.5f, 0.5f, last);
        EXPECT_EQ(rlevels.intensity, start - 16) << start;
    }
    AdjustSearchState state;
    AdjustLevels levels{3, 222};
    AdjustSearchStep(kTransmissiveParams, state, levels, 2.0f, 0.5f, last);
    EXPECT_EQ(levels.intensity, 206);
}

TEST(AdjustSearch, BandBelowReachWhenItsUpperBoundIsUnderATenth) {
    EXPECT_TRUE(BandBelowReach(kReflectiveParams, 0.0f));
    EXPECT_TRUE(BandBelowReach(kReflectiveParams, 0.09f));
    EXPECT_FALSE(BandBelowReach(kReflectiveParams, 0.1f));
    EXPECT_FALSE(BandBelowReach(kTransmissiveParams, 0.0f)); // its band reaches 0.1
    EXPECT_FALSE(BandBelowReach(kTransmissiveParams, 2.0f));
}

TEST(AdjustSearch, BandEdgesInSinglePrecisionAgainstDoubleBounds) {
    struct Case {
        const SensorParams* params;
        float target;
        double reading;
        bool pass;
    };
    const Case cases[] = {
        {&kReflectiveParams, 2.5f, 2.4000, true},    {&kReflectiveParams, 2.5f, 2.4001, true},
        {&kReflectiveParams, 2.5f, 2.5000, true},    {&kReflectiveParams, 2.5f, 2.3999, false},
        {&kReflectiveParams, 2.5f, 2.5001, false},   {&kReflectiveParams, 2.5f, 2.5098, false},
        {&kTransmissiveParams, 2.0f, 1.9001, true},  {&kTransmissiveParams, 2.0f, 2.0000, true},
        {&kTransmissiveParams, 2.0f, 2.0999, true},  {&kTransmissiveParams, 2.0f, 2.1000, true},
        {&kTransmissiveParams, 2.0f, 1.9000, false}, {&kTransmissiveParams, 2.0f, 2.1001, false},
        {&kTransmissiveParams, 3.0f, 2.9000, true},  {&kTransmissiveParams, 3.0f, 3.1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.params->frameLetter << " " << c.target << " " << c.reading);
        const float r = static_cast<float>(c.reading);
        EXPECT_EQ(InBand(*c.params, c.target, r), c.pass);
        AdjustSearchState state;
        AdjustLevels levels;
        float last = 0.0f;
        const AdjustStepOutcome outcome =
            AdjustSearchStep(*c.params, state, levels, c.target, r, last);
        EXPECT_EQ(outcome == AdjustStepOutcome::Success, c.pass);
        EXPECT_EQ(last, r);
        if (c.pass) {
            EXPECT_EQ(levels.sensitivity, 3); // a success leaves the levels that found it
            EXPECT_EQ(levels.intensity, 0);
        }
    }
    // Just outside the band: the direction of the move tells high from low.
    AdjustSearchState state;
    AdjustLevels levels;
    float last = 0.0f;
    AdjustSearchStep(kReflectiveParams, state, levels, 2.5f, 2.5001f, last);
    EXPECT_EQ(levels.intensity, 32);
    state = {};
    levels = {};
    AdjustSearchStep(kTransmissiveParams, state, levels, 2.0f, 1.9f, last);
    EXPECT_EQ(levels.sensitivity, 4);
    EXPECT_EQ(levels.intensity, 96);
    state = {};
    levels = {};
    // Transmissive: above the standard but within +0.1 is a success, above that too high.
    AdjustSearchStep(kTransmissiveParams, state, levels, 2.0f, 2.1001f, last);
    EXPECT_EQ(levels.intensity, 32);
    EXPECT_EQ(state.anchor, 32);
}

TEST(AdjustSearch, PassesWithoutReadingStallIntoFineStepsJudgedOnTheLastReading) {
    const ReadingFn none = [](int, int) { return std::optional<float>(); };
    // The last reading (of an earlier run) is below the band: every fifth unchanged pass steps
    // down by one; below 0 a fine step gives 127 without a change of level.
    const DriveResult low = Drive(kReflectiveParams, 2.5f, none, 12, 1.0f);
    EXPECT_THAT(low.sent, ElementsAreArray(Concat(
                              {Repeat("11", 0, 5), Repeat("11", 127, 6), Series("11", {126})})));
    // Above the standard: a step up (transmissive judged against the standard itself, so a
    // reading inside its band but above the standard still steps up).
    const DriveResult high = Drive(kTransmissiveParams, 2.0f, none, 6, 2.05f);
    EXPECT_THAT(high.sent, ElementsAreArray(Concat({Repeat("11", 0, 5), Series("11", {1})})));
    // In the band's lower part: no fine step at all.
    const DriveResult still = Drive(kReflectiveParams, 2.5f, none, 12, 2.45f);
    EXPECT_THAT(still.sent, ElementsAreArray(Repeat("11", 0, 12)));
}

TEST(AdjustSearch, FineStepAboveTopStaysAt255WithoutLevelChange) {
    AdjustSearchState state;
    state.lastLevel = 255;
    state.repeatCount = 4;
    AdjustLevels levels{2, 255};
    float last = 4.0f;
    EXPECT_EQ(AdjustSearchStep(kReflectiveParams, state, levels, 2.5f, std::nullopt, last),
              AdjustStepOutcome::Continue);
    EXPECT_EQ(levels.sensitivity, 2);
    EXPECT_EQ(levels.intensity, 255);
    EXPECT_EQ(state.repeatCount, 0);
    EXPECT_EQ(state.lastLevel, 0);
}

TEST(AdjustSearch, FrameForPassNormalisesTheLevel) {
    int level = 2;
    EXPECT_THAT(AdjustFrameForPass(kReflectiveParams, level, 7),
                ElementsAreArray(Bytes("\x02JF10007")));
    EXPECT_EQ(level, 2);
    level = 3;
    EXPECT_THAT(AdjustFrameForPass(kTransmissiveParams, level, 255),
                ElementsAreArray(Bytes("\x02JT11255")));
    for (int bad : {4, -1, 17}) {
        level = bad;
        EXPECT_THAT(AdjustFrameForPass(kTransmissiveParams, level, 42),
                    ElementsAreArray(Bytes("\x02JT00042")));
        EXPECT_EQ(level, 0);
    }
    // A value loaded from the file during a pass never lengthens the frame.
    level = 1;
    EXPECT_EQ(AdjustFrameForPass(kReflectiveParams, level, 100000).size(), 8u);
    EXPECT_EQ(AdjustFrameForPass(kReflectiveParams, level, -5).size(), 8u);
}

TEST(AdjustSearch, OnReplyParsesConvertsAndKeepsTheLastReadingWithoutOne) {
    AdjustSearchState state;
    AdjustLevels levels;
    float last = 1.25f;
    const uint8_t garbage[] = {'x', 'y', 'z'};
    AdjustReplyResult r =
        AdjustOnReply(kReflectiveParams, state, levels, 2.5f, 5.0f, garbage, 3, last);
    EXPECT_FALSE(r.hadReading);
    EXPECT_EQ(last, 1.25f);

    const std::string reply = "128/";
    r = AdjustOnReply(kReflectiveParams, state, levels, 2.5f, 5.0f,
                      reinterpret_cast<const uint8_t*>(reply.data()), reply.size(), last);
    EXPECT_TRUE(r.hadReading);
    EXPECT_EQ(r.outcome, AdjustStepOutcome::Continue);
    EXPECT_FLOAT_EQ(last, 2.5098f);

    for (auto [text, volts] : {std::pair<const char*, float>{"051/", 4.0f},
                               {"200/", 1.0784f},
                               {"0/", 5.0f},
                               {"255/", 0.0f}}) {
        AdjustSearchState s;
        AdjustLevels l;
        float v = 0.0f;
        const std::string t = text;
        AdjustOnReply(kTransmissiveParams, s, l, 2.0f, 5.0f,
                      reinterpret_cast<const uint8_t*>(t.data()), t.size(), v);
        EXPECT_FLOAT_EQ(v, volts) << text;
    }
    // A reply read in the band ends the run.
    AdjustSearchState s;
    AdjustLevels l;
    const std::string inBand = "ok 123/";
    r = AdjustOnReply(kReflectiveParams, s, l, 2.5f, 5.0f,
                      reinterpret_cast<const uint8_t*>(inBand.data()), inBand.size(), last);
    EXPECT_EQ(r.outcome, AdjustStepOutcome::Success); // 123 -> 2.4118
}

} // namespace
