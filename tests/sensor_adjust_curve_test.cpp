// The adjustment curve's record on scripted runs: one point per reading with its pass, levels,
// raw value and volts, the run's band, its end, and the run kept after it ended.
// test-labels: threaded
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PageWorkLineFixture.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustWorker.h"

namespace {

// A printer that answers each 8-byte frame with reply(frame number, intensity).
std::function<std::vector<FakeLine::Reply>(const FakeLine::Bytes&)>
Printer(std::function<std::string(int, int)> reply) {
    auto frames = std::make_shared<int>(0);
    return [reply, frames](const FakeLine::Bytes& frame) {
        if (frame.size() != 8) {
            return std::vector<FakeLine::Reply>{};
        }
        const int intensity = std::stoi(std::string(frame.begin() + 5, frame.end()));
        return std::vector<FakeLine::Reply>{{reply(++*frames, intensity), 5}};
    };
}

struct Expected {
    uint32_t pass;
    int level;
    int intensity;
    int raw;
    float volts;
    bool inBand;
};

void ExpectPoints(const CurveRun& run, const std::vector<Expected>& expected) {
    ASSERT_EQ(run.points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        const CurvePoint& p = run.points[k];
        EXPECT_EQ(p.pass, expected[k].pass);
        EXPECT_EQ(p.level, expected[k].level);
        EXPECT_EQ(p.intensity, expected[k].intensity);
        EXPECT_EQ(p.raw, expected[k].raw);
        EXPECT_FLOAT_EQ(p.volts, expected[k].volts);
        EXPECT_EQ(p.inBand, expected[k].inBand);
    }
}

class AdjustCurveTest : public PageWorkLineFixture {
  protected:
    void SetUp() override {
        PageWorkLineFixture::SetUp();
        SetAdjustmentStartState();
    }
};

TEST_F(AdjustCurveTest, TransmissiveRunHasAPointPerReadingInItsBandAroundTheTarget) {
    // The first reply holds no reading: pass 1 has no point. Raw = intensity, shown inverted.
    line.OnWrite(Printer([](int frame, int intensity) {
        return frame == 1 ? std::string("xx") : std::to_string(intensity) + "/";
    }));
    const uint64_t before = CurveRevision();
    std::vector<size_t> pointsAtUpdate;
    EXPECT_EQ(TransmissiveAdjustThread([&] {
                  pointsAtUpdate.push_back(LatestCurveRun(Sensor::Transmissive).points.size());
              }),
              0);
    EXPECT_GT(CurveRevision(), before);
    // The page's update finds its reading already in the curve.
    EXPECT_THAT(pointsAtUpdate, ::testing::ElementsAre(1, 2, 3, 4, 5));
    const CurveRun run = LatestCurveRun(Sensor::Transmissive);
    EXPECT_TRUE(run.started);
    EXPECT_FLOAT_EQ(run.band.target, 2.5f);
    EXPECT_NEAR(run.band.low, 2.4, 1e-6);
    EXPECT_NEAR(run.band.high, 2.6, 1e-6);
    EXPECT_EQ(run.end, AdjustEnd::kSuccess);
    ExpectPoints(run, {{2, 3, 0, 0, 5.0f, false},
                       {3, 3, 32, 32, 4.3725f, false},
                       {4, 3, 64, 64, 3.7451f, false},
                       {5, 3, 96, 96, 3.1176f, false},
                       {6, 3, 128, 128, 2.4902f, true}});
    const std::string csv = CurveCsv(run);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "pass,level,level_code,intensity,raw,volts,in_band,target,band_low,band_high");
    EXPECT_NE(csv.find("\n6,3,11,128,128,2.4902,1,2.5000,2.4000,2.6000\n"), std::string::npos);
}

TEST_F(AdjustCurveTest, ReflectiveRunKeepsItsLevelsBandAndEndAfterAStop) {
    line.OnWrite(Printer([](int, int) { return std::string("0/"); }));
    int updates = 0;
    EXPECT_EQ(ReflectiveAdjustThread([&] {
                  if (++updates == 3) {
                      g_bAdjustStop = true;
                  }
              }),
              0);
    const CurveRun run = LatestCurveRun(Sensor::Reflective);
    EXPECT_NEAR(run.band.low, 2.4, 1e-6);
    EXPECT_NEAR(run.band.high, 2.5, 1e-6); // below the target for the reflective sensor
    EXPECT_EQ(run.end, AdjustEnd::kStopped);
    // Level 3 too low overflows to "00" (level 0) at 127, then halving steps down.
    ExpectPoints(
        run, {{1, 3, 0, 0, 0.0f, false}, {2, 0, 127, 0, 0.0f, false}, {3, 0, 111, 0, 0.0f, false}});
    // The transmissive run of the other test (or none) is untouched by this one.
    EXPECT_NE(LatestCurveRun(Sensor::Transmissive).band.high, run.band.high);
}

} // namespace
