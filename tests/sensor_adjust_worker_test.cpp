// The adjustment worker on a scripted line with virtual time: frames, waits, reply sizes,
// updates, exit codes, the monitor's suspension, one worker at a time, and the start and
// update handlers' file work.
// test-labels: threaded
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

#include "PageWorkLineFixture.h"
#include "ScratchParameterFile.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

namespace {

using ::testing::ElementsAreArray;

// A printer whose raw reading is fn(level code, intensity) for every 8-byte frame.
std::function<std::vector<FakeLine::Reply>(const FakeLine::Bytes&)>
Printer(std::function<std::string(const std::string& code, int intensity)> fn) {
    return [fn](const FakeLine::Bytes& frame) {
        if (frame.size() != 8) {
            return std::vector<FakeLine::Reply>{};
        }
        const std::string code(frame.begin() + 3, frame.begin() + 5);
        const int intensity = std::stoi(std::string(frame.begin() + 5, frame.end()));
        return std::vector<FakeLine::Reply>{{fn(code, intensity), 5}};
    };
}

class AdjustWorkerTest : public PageWorkLineFixture {
  public:
    void SetUp() override {
        PageWorkLineFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        SetAdjustmentStartState();
    }
    // The purge before the first pass (one 100 ms pass with nothing queued), then each pass's
    // discarding read and reply attempts.
    static std::vector<unsigned> PassWaits(int passes, int attempts) {
        std::vector<unsigned> w{100};
        for (int k = 0; k < passes; ++k) {
            w.push_back(100);
            w.insert(w.end(), static_cast<size_t>(attempts), 200);
        }
        return w;
    }
};

// Raw 255 - intensity: 0 -> 5.0 V, 32, 64, 96 too high, 128 -> 2.4902 V in both bands at 2.5.
std::string Falling(const std::string&, int intensity) {
    return "r " + std::to_string(255 - intensity) + "/";
}
// Transmissive: raw = intensity, shown inverted, so the same voltages.
std::string Rising(const std::string&, int intensity) {
    return std::to_string(intensity) + "/";
}

// A run that converges at intensity 128 after four readings too high.
void ExpectConvergingRun(AdjustWorkerTest& t, Sensor sensor, const char* letter, size_t readBytes) {
    int updates = 0;
    std::vector<int> seenIntensity;
    const auto post = [&] {
        ++updates;
        EXPECT_EQ(SuspendCount(), t.baseline + 1);
        seenIntensity.push_back(g_nIntensity.load());
    };
    const int code = sensor == Sensor::Reflective ? ReflectiveAdjustThread(post)
                                                  : TransmissiveAdjustThread(post);
    EXPECT_EQ(code, 0);
    std::vector<std::string> expected;
    for (const char* i : {"000", "032", "064", "096", "128"}) {
        expected.push_back(std::string("^J") + letter + "11" + i);
    }
    EXPECT_THAT(t.Frames(), ElementsAreArray(expected));
    EXPECT_EQ(updates, 5);
    // The levels stored before each update are the next frame's; the last ones found it.
    EXPECT_THAT(seenIntensity, ElementsAreArray({32, 64, 96, 128, 128}));
    EXPECT_FLOAT_EQ(g_fAdjustResult.load(), 2.4902f);
    EXPECT_EQ(g_nSensitivity.load(), 3);
    EXPECT_EQ(g_nIntensity.load(), 128);
    EXPECT_EQ(t.line.Sleeps(), AdjustWorkerTest::PassWaits(5, 1));
    const std::vector<size_t> reads = t.line.ReadSizes();
    ASSERT_FALSE(reads.empty());
    for (size_t k = 1; k < reads.size(); ++k) { // after the purge's read
        EXPECT_EQ(reads[k], readBytes);
    }
}

TEST_F(AdjustWorkerTest, ReflectiveRunSendsOneFramePerPassAndPostsAfterEveryReading) {
    line.OnWrite(Printer(Falling));
    ExpectConvergingRun(*this, Sensor::Reflective, "F", 255);
}

TEST_F(AdjustWorkerTest, TransmissiveRunReadsThirtyBytesAndInvertsTheReading) {
    line.OnWrite(Printer(Rising));
    ExpectConvergingRun(*this, Sensor::Transmissive, "T", 30);
}

TEST_F(AdjustWorkerTest, AStatusReplyInFlightIsNeverTakenForTheFirstReading) {
    // The monitor's STX "Y" went out just before the worker suspended it: its 32-byte reply is
    // waiting. A 30-byte discarding read alone would leave "5/" in front of the first reply.
    line.Arrive("exist 128/headpos 17/ribbon 255/");
    line.OnWrite(Printer(Rising));
    std::vector<float> seen;
    EXPECT_EQ(TransmissiveAdjustThread([&] { seen.push_back(g_fAdjustResult.load()); }), 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_FLOAT_EQ(seen.front(), 5.0f); // raw 0 at intensity 0, not the status's 5
    EXPECT_EQ(seen.size(), 5u);
}

TEST_F(AdjustWorkerTest, StoresLevelsBeforeEachUpdateAndSendsLevelFourAsZero) {
    line.OnWrite(Printer([](const std::string&, int) { return std::string("0/"); }));
    struct Seen {
        float result;
        int level;
        int intensity;
    };
    std::vector<Seen> seen;
    const int code = ReflectiveAdjustThread([&] {
        seen.push_back({g_fAdjustResult.load(), g_nSensitivity.load(), g_nIntensity.load()});
        if (seen.size() == 3) {
            g_bAdjustStop = true;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_THAT(Frames(), ElementsAreArray({"^JF11000", "^JF00127", "^JF00111"}));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].result, 0.0f);
    EXPECT_EQ(seen[0].level, 4); // sent as "00" by the next pass, which sets it to 0
    EXPECT_EQ(seen[0].intensity, 127);
    EXPECT_EQ(seen[1].level, 0);
    EXPECT_EQ(seen[1].intensity, 111);
    EXPECT_EQ(seen[2].intensity, 95);
    // The stop request is seen after the next pass's discarding read, before any frame.
    EXPECT_EQ(line.Sleeps(), [] {
        auto w = PassWaits(3, 1);
        w.push_back(100);
        return w;
    }());
}

TEST_F(AdjustWorkerTest, ASuccessPublishesTheLevelsItsFrameCarried) {
    // The transmissive page is activated while the worker waits for the reply to a frame that
    // meets the band: its saved levels (1, 77) and the stop request land in the shared state.
    line.OnWrite(Printer([](const std::string&, int) {
        g_nSensitivity = 1;
        g_nIntensity = 77;
        g_bAdjustStop = true;
        return std::string("r 127/"); // 2.4902 V: in the band at 2.5
    }));
    (void)TakeSuccessfulLevels(); // nothing left from earlier runs
    g_nSensitivity = 2;
    g_nIntensity = 40;
    std::vector<std::pair<int, int>> seen;
    EXPECT_EQ(ReflectiveAdjustThread([&] { seen.emplace_back(g_nSensitivity, g_nIntensity); }), 0);
    EXPECT_THAT(Frames(), ElementsAreArray({"^JF10040"}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(2, 40)); // published before the update
    const std::optional<AdjustLevels> found = TakeSuccessfulLevels();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->sensitivity, 2);
    EXPECT_EQ(found->intensity, 40);
    EXPECT_FALSE(TakeSuccessfulLevels().has_value()) << "taken once";
}

TEST_F(AdjustWorkerTest, PassesWithoutReplyWaitTenAttemptsAndStallIntoAFineStep) {
    int writes = 0;
    line.OnWrite([&](const FakeLine::Bytes&) {
        if (++writes == 6) {
            g_bAdjustStop = true;
        }
        return std::vector<FakeLine::Reply>{};
    });
    int updates = 0;
    EXPECT_EQ(ReflectiveAdjustThread([&] { ++updates; }), 0);
    EXPECT_EQ(updates, 0);
    // g_fAdjustResult 0.0 lies below the band: after five passes at 0 the intensity steps to
    // -1, which a fine step turns into 127 without a change of level.
    EXPECT_THAT(Frames(), ElementsAreArray({"^JF11000", "^JF11000", "^JF11000", "^JF11000",
                                            "^JF11000", "^JF11127"}));
    auto waits = PassWaits(6, 10);
    waits.push_back(100);
    EXPECT_EQ(line.Sleeps(), waits);
}

TEST_F(AdjustWorkerTest, ReplyIsExaminedAsTheFirstAttemptWithBytesFoundIt) {
    // The first reply comes in two pieces: "12" before the first attempt, "8/" only after
    // it (and after the next pass's discarding read). Nothing answers the second frame.
    int writes = 0;
    line.OnWrite([&](const FakeLine::Bytes&) {
        if (++writes > 1) {
            return std::vector<FakeLine::Reply>{};
        }
        return std::vector<FakeLine::Reply>{{"12", 150}, {"8/", 320}};
    });
    g_nIntensity = 0;
    int updates = 0;
    EXPECT_EQ(ReflectiveAdjustThread([&] {
                  ++updates;
                  g_bAdjustStop = true;
              }),
              0);
    // "12" has no '/': no reading in the first pass; the second pass takes the late "8/" as
    // its reply.
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(updates, 1);
    EXPECT_FLOAT_EQ(g_fAdjustResult.load(), 0.1569f); // 8 / 255 * 5
}

TEST_F(AdjustWorkerTest, PortFailuresEndTheWorkerWithExitCodeOne) {
    // Closed before the first pass: nothing is sent and nothing waited.
    g_hCom = kInvalidPortHandle;
    EXPECT_EQ(TransmissiveAdjustThread({}), 1);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(SuspendCount(), baseline);

    PortSettings s;
    ASSERT_EQ(OpenPort(s), 0);
    line.SetShortWrites(1);
    EXPECT_EQ(ReflectiveAdjustThread({}), 1);
    EXPECT_EQ(line.Writes().size(), 1u);
    EXPECT_EQ(SuspendCount(), baseline);

    // Closed while the worker waits for the reply.
    line.OnWrite([](const FakeLine::Bytes&) {
        g_hCom = kInvalidPortHandle;
        return std::vector<FakeLine::Reply>{};
    });
    g_hCom = kInvalidPortHandle;
    ASSERT_EQ(OpenPort(s), 0);
    int updates = 0;
    EXPECT_EQ(ReflectiveAdjustThread([&] { ++updates; }), 1);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
}

TEST_F(AdjustWorkerTest, AStartWaitsForTheEarlierWorkerSoOnlyOneUsesTheLine) {
    line.OnWrite(Printer([](const std::string&, int) { return std::string("255/"); }));
    const auto waitPasses = [](uint32_t n) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (AdjustmentPasses() < n && std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
        }
        return AdjustmentPasses() >= n;
    };
    std::atomic<int> updates{0};
    ASSERT_TRUE(StartAdjustment(Sensor::Reflective, [&] { ++updates; }));
    EXPECT_TRUE(IsAdjustmentRunning());
    ASSERT_TRUE(waitPasses(3));
    ASSERT_TRUE(StartAdjustment(Sensor::Transmissive, [&] { ++updates; }));
    ASSERT_TRUE(waitPasses(3));
    EXPECT_TRUE(IsAdjustmentRunning());
    EXPECT_FALSE(LastAdjustmentExitCode().has_value());
    StopAdjustmentAndWait();
    EXPECT_FALSE(IsAdjustmentRunning());
    EXPECT_EQ(LastAdjustmentExitCode(), 0);
    EXPECT_TRUE(g_bAdjustStop.load());

    // Every reflective frame precedes every transmissive one.
    const std::vector<std::string> frames = Frames();
    bool seenT = false;
    int reflective = 0;
    for (const std::string& f : frames) {
        if (f.rfind("^JT", 0) == 0) {
            seenT = true;
        } else {
            ASSERT_EQ(f.rfind("^JF", 0), 0u) << f;
            EXPECT_FALSE(seenT) << "a reflective frame after the transmissive worker started";
            ++reflective;
        }
    }
    EXPECT_TRUE(seenT);
    EXPECT_GE(reflective, 3);
    EXPECT_EQ(SuspendCount(), baseline);
}

TEST_F(AdjustWorkerTest, PrepareWaitsForTheRunningWorkerBeforeSettingTheStartState) {
    ScratchParameterFile file("tarvello_ops_prepare_");
    line.OnWrite(Printer([](const std::string&, int) { return std::string("255/"); }));
    ASSERT_TRUE(StartAdjustment(Sensor::Reflective, {}));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (AdjustmentPasses() < 4 && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    const std::optional<float> target =
        PrepareAdjustmentStart(Sensor::Transmissive, file.ini, "2.0");
    ASSERT_TRUE(target.has_value());
    EXPECT_FALSE(IsAdjustmentRunning());
    EXPECT_EQ(g_nSensitivity.load(), 3);
    EXPECT_EQ(g_nIntensity.load(), 0);
    EXPECT_FALSE(g_bAdjustStop.load());
    EXPECT_EQ(g_fAdjustTarget.load(), 2.0f);
}

class AdjustStartFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_bAdjustStop = true;
        g_nSensitivity = 1;
        g_nIntensity = 77;
        g_fAdjustTarget = 0.0f;
    }
    ScratchParameterFile file{"tarvello_ops_start_" +
                              std::to_string(::testing::UnitTest::GetInstance()->random_seed())};
};

TEST_F(AdjustStartFileTest, ARefusedStandardSavesAndStartsNothing) {
    for (const char* text : {"", "abc", "5.1", "-1", "2,5", "2.5V", ".0", "-0", "1e1", "nan"}) {
        EXPECT_FALSE(PrepareAdjustmentStart(Sensor::Reflective, file.ini, text).has_value())
            << text;
    }
    EXPECT_FALSE(std::filesystem::exists(file.path));
    EXPECT_TRUE(g_bAdjustStop.load());
    EXPECT_EQ(g_nSensitivity.load(), 1);
    EXPECT_EQ(g_nIntensity.load(), 77);
}

TEST_F(AdjustStartFileTest, TheStandardIsSavedAsTypedAndReadBackAsTheTarget) {
    const std::optional<float> r = PrepareAdjustmentStart(Sensor::Reflective, file.ini, "2.50");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, 2.5f);
    EXPECT_EQ(g_fAdjustTarget.load(), 2.5f);
    EXPECT_FALSE(g_bAdjustStop.load());
    EXPECT_EQ(g_nSensitivity.load(), 3);
    EXPECT_EQ(g_nIntensity.load(), 0);
    EXPECT_EQ(file.Text(), "[RVoltage]\r\nRBase=2.50\r\n");

    const std::optional<float> t = PrepareAdjustmentStart(Sensor::Transmissive, file.ini, "1e0");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, 1.0f);
    EXPECT_EQ(file.Text(), "[RVoltage]\r\nRBase=2.50\r\n[TVoltage]\r\nTBase=1e0\r\n");
}

TEST_F(AdjustStartFileTest, AStandardThatCannotBeSavedIsStillTheTarget) {
    file.ini.WriteString("RVoltage", "RBase", "1.5");
    ASSERT_EQ(chmod(file.path.c_str(), 0444), 0);
    const std::optional<float> r = PrepareAdjustmentStart(Sensor::Reflective, file.ini, "3.0");
    chmod(file.path.c_str(), 0644);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, 3.0f);
    EXPECT_EQ(g_fAdjustTarget.load(), 3.0f);
    EXPECT_TRUE(file.ini.SaveFailed());
    EXPECT_EQ(file.Text(), "[RVoltage]\r\nRBase=1.5\r\n");
    // The next start clears the failure: this save goes through.
    ASSERT_TRUE(PrepareAdjustmentStart(Sensor::Reflective, file.ini, "2.0").has_value());
    EXPECT_FALSE(file.ini.SaveFailed());
}

TEST_F(AdjustStartFileTest, SuccessSavesTheLevelsOfItsSensorInOrder) {
    SaveAdjustedLevels(Sensor::Reflective, file.ini, 2, 77);
    EXPECT_EQ(file.Text(), "[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n");
    SaveAdjustedLevels(Sensor::Transmissive, file.ini, 1, 140);
    EXPECT_EQ(
        file.Text(),
        "[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n[TConfig]\r\nTConfig1=1\r\nTConfig2=140\r\n");
    EXPECT_TRUE(InBand(Sensor::Transmissive, 2.0f, 2.1f));
    EXPECT_FALSE(InBand(Sensor::Reflective, 2.0f, 2.1f));
}

} // namespace
