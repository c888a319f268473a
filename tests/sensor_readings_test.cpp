// Single readings on a scripted line with virtual time: the frames on the wire, the stored
// values, failures that change nothing, the monitor's suspension, the edits' validation and the
// saves in their order. One test stops a running adjustment first.
// test-labels: threaded
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "PageWorkLineFixture.h"
#include "ScratchParameterFile.h"
#include "Shown.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/SensorReadings.h"

namespace {

using ::testing::ElementsAre;

class ReadingTest : public PageWorkLineFixture {
  protected:
    // The printer answers the three intensity characters with reply.
    void Answer(const std::string& reply) {
        line.OnWrite([this, reply](const FakeLine::Bytes& b) {
            EXPECT_EQ(SuspendCount(), baseline + 1) << "the monitor is suspended";
            if (b.size() == 3 && b[0] != 0x02) {
                return std::vector<FakeLine::Reply>{{reply, 5}};
            }
            return std::vector<FakeLine::Reply>{};
        });
    }
};

TEST_F(ReadingTest, ReflectiveReadingSendsThreePiecesAndStoresTheVoltage) {
    Answer("128/");
    const std::optional<float> v = TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(Shown(*v), "2.5098");
    EXPECT_THAT(Frames(), ElementsAre("^JF", "11", "007"));
    // The exchange: 100 ms before its write, one 50 ms attempt that finds the reply.
    EXPECT_EQ(line.Sleeps(), (std::vector<unsigned>{100, 50}));
}

TEST_F(ReadingTest, TransmissiveReadingStoresSupplyMinusTheExchange) {
    Answer("128/");
    const std::optional<float> v = TakeSingleReading(Sensor::Transmissive, 2, "42", 5.0f);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, 5.0f - 2.5098f);
    EXPECT_EQ(Shown(*v), "2.4902");
    EXPECT_THAT(Frames(), ElementsAre("^JT", "10", "042"));
}

TEST_F(ReadingTest, NoSensitivitySelectedSendsNoCode) {
    Answer("200/");
    for (int index : {-1, 4}) {
        ASSERT_TRUE(TakeSingleReading(Sensor::Reflective, index, "255", 5.0f).has_value());
    }
    EXPECT_THAT(Frames(), ElementsAre("^JF", "255", "^JF", "255"));
}

TEST_F(ReadingTest, IntensityTextsAreValidatedThenPaddedToThreeCharacters) {
    EXPECT_EQ(IntensityCharsToSend("7"), "007");
    EXPECT_EQ(IntensityCharsToSend("42"), "042");
    EXPECT_EQ(IntensityCharsToSend("255"), "255");
    EXPECT_EQ(IntensityCharsToSend("0042"), "004"); // four characters: their first three
    EXPECT_EQ(IntensityCharsToSend(" 7\t"), "007");
    EXPECT_EQ(IntensityCharsToSend("+7"), "007");

    for (const char* ok : {"0", "7", "255", " 42 ", "0042", "+9", "00"}) {
        EXPECT_TRUE(ValidateIntensityText(ok).has_value()) << ok;
    }
    EXPECT_EQ(ValidateIntensityText(" 42 "), 42);
    for (const char* bad : {"", " ", "256", "-1", "-0", "+0", "1000", "abc", "4 2", "42x", "7.0",
                            "0x10", "99999999999999999999"}) {
        EXPECT_FALSE(ValidateIntensityText(bad).has_value()) << bad;
    }
    // A refused text sends nothing and leaves the monitor alone.
    Answer("128/");
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "256", 5.0f).has_value());
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "", 5.0f).has_value());
    EXPECT_TRUE(line.Writes().empty());
}

TEST(TextValidation, VoltageStandardsAsTheDataExchangeTakesThem) {
    for (auto [text, value] : {std::pair<const char*, float>{"2.5", 2.5f},
                               {"0", 0.0f},
                               {"0.0", 0.0f},
                               {"5", 5.0f},
                               {" 2.4\t", 2.4f},
                               {"+1.5", 1.5f},
                               {".5", 0.5f},
                               {"25e-1", 2.5f},
                               {"5.0000000001", 5.0f}}) {
        const std::optional<float> v = ValidateVoltageText(text);
        ASSERT_TRUE(v.has_value()) << text;
        EXPECT_EQ(*v, value) << text;
    }
    for (const char* bad : {"", "  ", "5.01", "-0.1", "abc", "2,5", "2.5 V", ".", "e1", "1e", ".0",
                            "-0", "inf", "nan", "0x1", "1e999", "2..5"}) {
        EXPECT_FALSE(ValidateVoltageText(bad).has_value()) << bad;
    }
}

TEST_F(ReadingTest, FailedReadingsGiveNothing) {
    // No reply at all: ten attempts, then nothing.
    ReadingEnd end = ReadingEnd::kReading;
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f, &end).has_value());
    EXPECT_EQ(end, ReadingEnd::kNoReading);
    // A reply without a reading, and a reading of 0 (indistinguishable from a failure).
    for (const char* reply : {"abc", "/12", "0/"}) {
        Answer(reply);
        EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f).has_value()) << reply;
        EXPECT_FALSE(TakeSingleReading(Sensor::Transmissive, 3, "7", 5.0f).has_value()) << reply;
    }
    // A failed first write ends the reading before the code and the intensity.
    const size_t before = line.Writes().size();
    line.SetShortWrites(1);
    Answer("128/");
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f, &end).has_value());
    EXPECT_EQ(line.Writes().size(), before + 1);
    EXPECT_EQ(end, ReadingEnd::kWriteFailed);
    // A refused text sends nothing; a reading says so.
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "256", 5.0f, &end).has_value());
    EXPECT_EQ(end, ReadingEnd::kRefusedText);
    EXPECT_TRUE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f, &end).has_value());
    EXPECT_EQ(end, ReadingEnd::kReading);
}

TEST_F(ReadingTest, NothingHappensWithThePortClosed) {
    g_bPortOpen = false;
    ReadingEnd end = ReadingEnd::kReading;
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f, &end).has_value());
    EXPECT_EQ(end, ReadingEnd::kPortNotOpen);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_TRUE(line.Sleeps().empty());
}

TEST_F(ReadingTest, AReadingStopsARunningAdjustmentFirst) {
    line.OnWrite([](const FakeLine::Bytes& b) {
        if (b.size() == 8) {
            return std::vector<FakeLine::Reply>{{"255/", 5}}; // never in the band
        }
        if (b.size() == 3 && b[0] != 0x02) {
            return std::vector<FakeLine::Reply>{{"128/", 5}};
        }
        return std::vector<FakeLine::Reply>{};
    });
    g_fSensorSupply = 5.0f;
    g_fAdjustTarget = 2.5f;
    g_bAdjustStop = false;
    ASSERT_TRUE(StartAdjustment(Sensor::Reflective, {}));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (AdjustmentPasses() < 2 && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    const std::optional<float> v = TakeSingleReading(Sensor::Reflective, 1, "7", 5.0f);
    EXPECT_FALSE(IsAdjustmentRunning());
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(Shown(*v), "2.5098");
    const auto frames = Frames();
    ASSERT_GE(frames.size(), 3u);
    // The reading's pieces come last, after the adjustment's last frame.
    EXPECT_THAT(std::vector<std::string>(frames.end() - 3, frames.end()),
                ElementsAre("^JF", "01", "007"));
    for (size_t k = 0; k + 3 < frames.size(); ++k) {
        EXPECT_EQ(frames[k].size(), 8u) << frames[k];
    }
}

class ReadingSaveTest : public ::testing::Test {
  protected:
    ScratchParameterFile file{"tarvello_ops_save_"};
};

// The texts a page displays, by value; a value the save should not ask for shows as "?".
std::function<std::string(SensorValue)> Texts(std::map<SensorValue, std::string> texts) {
    return [texts](SensorValue value) {
        const auto it = texts.find(value);
        return it == texts.end() ? std::string("?") : it->second;
    };
}

TEST_F(ReadingSaveTest, ReflectiveSavesWriteTheirKeysInOrder) {
    SaveReading(file.ini, kReflectiveParams, kReflectiveParams.readings[kMarkReading],
                Texts({{SensorValue::Mark, "2.5098"}, {SensorValue::Paper, "0"}}), 3, 7);
    EXPECT_EQ(file.Text(), "[RVoltage]\r\nRMid=2.5098\r\nRLow=0\r\n"
                           "[RConfig]\r\nRConfig1=3\r\nRConfig2=7\r\n");
    std::filesystem::remove(file.path);
    CIniFile fresh;
    fresh.SetFileName(file.path);
    SaveReading(fresh, kReflectiveParams, kReflectiveParams.readings[kReflectiveNoPaperReading],
                Texts({{SensorValue::NoPaper, "0.1373"}, {SensorValue::Paper, "2.98045"}}), -1, 42);
    EXPECT_EQ(file.Text(), "[RVoltage]\r\nRHeigh=0.1373\r\nRLow=2.98045\r\n"
                           "[RConfig]\r\nRConfig1=-1\r\nRConfig2=42\r\n");
}

TEST_F(ReadingSaveTest, TransmissiveSavesWriteTheirKeysInOrder) {
    // The file as it was each time the save asked for the no-paper text: the last time is the
    // measured value's own write, which comes after the levels.
    std::string beforeMeasured;
    const auto texts = Texts({{SensorValue::Paper, "0"},
                              {SensorValue::Standard, "2"},
                              {SensorValue::NoPaper, "2.4902"}});
    SaveReading(
        file.ini, kTransmissiveParams, kTransmissiveParams.readings[kTransmissiveNoPaperReading],
        [&](SensorValue v) {
            if (v == SensorValue::NoPaper)
                beforeMeasured = file.Text();
            return texts(v);
        },
        1, 140);
    EXPECT_EQ(beforeMeasured, "[TVoltage]\r\nTLow=0\r\nTMid=2\r\n"
                              "[TConfig]\r\nTConfig1=1\r\nTConfig2=140\r\n");
    EXPECT_EQ(file.Text(), "[TVoltage]\r\nTLow=0\r\nTMid=2\r\nTHeigh=2.4902\r\n"
                           "[TConfig]\r\nTConfig1=1\r\nTConfig2=140\r\n");
    std::filesystem::remove(file.path);
    CIniFile fresh;
    fresh.SetFileName(file.path);
    SaveReading(fresh, kTransmissiveParams, kTransmissiveParams.readings[kPaperReading],
                Texts({{SensorValue::Standard, "2"},
                       {SensorValue::NoPaper, "2.4902"},
                       {SensorValue::Paper, "1.0784"}}),
                0, 96);
    EXPECT_EQ(file.Text(), "[TVoltage]\r\nTMid=2\r\nTHeigh=2.4902\r\nTLow=1.0784\r\n"
                           "[TConfig]\r\nTConfig1=0\r\nTConfig2=96\r\n");
}

TEST_F(ReadingSaveTest, TheSavedReadingIsKeptAmongTheSensorsSamples) {
    SaveReading(file.ini, kTransmissiveParams, kTransmissiveParams.readings[kPaperReading],
                Texts({{SensorValue::Standard, "2"},
                       {SensorValue::NoPaper, "2.4902"},
                       {SensorValue::Paper, "3.1373"}}),
                0, 96);
    const std::vector<SensorSample> samples = SensorSamples(Sensor::Transmissive);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.back().origin, SampleOrigin::kReading);
    EXPECT_EQ(samples.back().value, SensorValue::Paper);
    EXPECT_FLOAT_EQ(samples.back().volts, 3.1373f);
}

} // namespace
