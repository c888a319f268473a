// The paper check on a scripted line with virtual time: the check wait, the frames and waits,
// the samples and derived values as the page shows them, and every way the check ends early
// with the monitor resumed. One test stops a running adjustment first.
// test-labels: threaded
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

#include "PageWorkLineFixture.h"
#include "Shown.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"

namespace {

using ::testing::ElementsAre;

struct RecordingSink : PaperCheckSink {
    void FirstSample(float v) override { calls.push_back("first " + Shown(v)); }
    void SecondSample(float v) override { calls.push_back("second " + Shown(v)); }
    void Result(float d, float x) override {
        calls.push_back("result " + Shown(d) + " " + Shown(x));
    }
    std::vector<std::string> calls;
};

TEST(CheckWait, IntegerDivisionFirstThenDoublesAndTruncation) {
    EXPECT_EQ(CheckWaitMs(0x0050, 0x0320, 0x0008), 5500);
    EXPECT_EQ(CheckWaitMs(0x0048, 0x0064, 0x0007), 1920); // q = 142, not 142.86
    EXPECT_EQ(CheckWaitMs(0x0050, 0x0064, 0x000A), 1000);
    EXPECT_EQ(CheckWaitMs(0x0050, 0x0000, 0x0001), 500);
    EXPECT_EQ(CheckWaitMs(0x0047, 0x0001, 0x0003), 534); // q = 3: 3 / 87.5 * 1000 + 500 = 534.28
    EXPECT_EQ(CheckWaitMs(0x0047, 0x0001, 0x0001), 614); // 10 / 87.5 * 1000 + 500 = 614.28
    // The longest wait accepted is 60 s.
    EXPECT_EQ(CheckWaitMs(0x0050, 1190, 1), 60000);
    EXPECT_EQ(CheckWaitMs(0x0050, 11901, 10), std::nullopt); // 60005 ms
}

TEST(CheckWait, ValuesThatGiveNoUsableWaitEndTheCheck) {
    EXPECT_EQ(CheckWaitMs(0x0050, 0x0320, 0), std::nullopt);         // K0e = 0
    EXPECT_EQ(CheckWaitMs(64, 0x0320, 8), std::nullopt);             // R = 0
    EXPECT_EQ(CheckWaitMs(0x003F, 0x0320, 8), std::nullopt);         // R < 0
    EXPECT_EQ(CheckWaitMs(65, 0xFFFF, 1), std::nullopt);             // hours
    EXPECT_EQ(CheckWaitMs(0x0050, -10, 1), std::nullopt);            // 0 ms
    EXPECT_EQ(CheckWaitMs(-209712, -209712, -209712), std::nullopt); // a silent printer's zeros
}

class PaperCheckTest : public PageWorkLineFixture {
  protected:
    // The printer answers STX "Ke" selector with values[selector].
    void Printer(std::map<std::string, std::string> values) {
        line.OnWrite([this, values](const FakeLine::Bytes& b) {
            EXPECT_EQ(SuspendCount(), baseline + 1) << "the monitor is suspended";
            if (b.size() == 5 && b[1] == 'K' && b[2] == 'e') {
                const auto it = values.find(std::string(b.begin() + 3, b.end()));
                if (it != values.end()) {
                    return std::vector<FakeLine::Reply>{{it->second, 5}};
                }
            }
            return std::vector<FakeLine::Reply>{};
        });
    }
    RecordingSink sink;
};

TEST_F(PaperCheckTest, ReflectiveCheckDerivesDifferenceAndPaperVoltage) {
    Printer({{"0f", "0050"}, {"02", "0320"}, {"0e", "0008"}, {"14", "00C0"}, {"13", "00B0"}});
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::Completed);
    EXPECT_THAT(sink.calls, ElementsAre("first 3.7647", "second 3.451", "result 0.78425 2.98045"));
    EXPECT_THAT(Frames(),
                ElementsAre("^r", "^Ke0f", "^Ke02", "^Ke0e", "^JC<DC3>", "^Ke14", "^Ke13"));
    // The first read finds nothing (10 x 50 ms), 100 ms after STX "r", one 50 ms attempt per
    // value, a purge pass, the check wait, the first sample, 200 ms, a purge pass, 50 ms, the
    // second sample.
    std::vector<unsigned> waits(10, 50);
    for (unsigned w : {100u, 50u, 50u, 50u, 100u, 5500u, 50u, 200u, 100u, 50u, 50u}) {
        waits.push_back(w);
    }
    EXPECT_EQ(line.Sleeps(), waits);
}

TEST_F(PaperCheckTest, TransmissiveCheckInvertsTheSamplesAndShowsAtOnce) {
    Printer({{"0f", "0048"}, {"02", "0064"}, {"0e", "0007"}, {"14", "0040"}, {"13", "0020"}});
    EXPECT_EQ(RunPaperCheck(Sensor::Transmissive, 5.0f, sink), PaperCheckEnd::Completed);
    EXPECT_THAT(sink.calls, ElementsAre("first 3.7451", "second 4.3725", "result 1.5685 5.3136"));
    EXPECT_EQ(Frames().front(), "^e");
    std::vector<unsigned> waits(10, 50);
    for (unsigned w : {100u, 50u, 50u, 50u, 100u, 1920u, 50u, 100u, 50u, 50u}) {
        waits.push_back(w);
    }
    EXPECT_EQ(line.Sleeps(), waits);
}

TEST_F(PaperCheckTest, ASilentPrinterEndsTheCheckWithNothingComputed) {
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::BadValue);
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_THAT(Frames(), ElementsAre("^r", "^Ke0f"));
}

TEST_F(PaperCheckTest, ShortOrNonHexValuesEndTheCheck) {
    for (const char* bad : {"1", "005", "00G0", "0 50", "-050"}) {
        Printer({{"0f", "0050"}, {"02", bad}, {"0e", "0008"}});
        EXPECT_EQ(RunPaperCheck(Sensor::Transmissive, 5.0f, sink), PaperCheckEnd::BadValue) << bad;
    }
    EXPECT_TRUE(sink.calls.empty());
    // Lower-case hexadecimal digits are digits.
    Printer({{"0f", "0050"}, {"02", "0320"}, {"0e", "0008"}, {"14", "00c0"}, {"13", "00b0"}});
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::Completed);
    EXPECT_EQ(sink.calls.front(), "first 3.7647");
}

TEST_F(PaperCheckTest, AValueGivingNoWaitEndsTheCheckBeforeJC) {
    Printer({{"0f", "0050"}, {"02", "0320"}, {"0e", "0000"}});
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::BadWait);
    EXPECT_THAT(Frames(), ElementsAre("^r", "^Ke0f", "^Ke02", "^Ke0e"));
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(PaperCheckTest, ABadSecondSampleKeepsTheFirst) {
    Printer({{"0f", "0050"}, {"02", "0064"}, {"0e", "000A"}, {"14", "00C0"}, {"13", "xx"}});
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::BadValue);
    EXPECT_THAT(sink.calls, ElementsAre("first 3.7647"));
}

TEST_F(PaperCheckTest, APortClosedDuringTheCheckEndsIt) {
    line.OnWrite([](const FakeLine::Bytes& b) {
        if (b.size() == 5 && b[3] == '0' && b[4] == '2') {
            g_hCom = kInvalidPortHandle; // closed while the value is awaited
        }
        return std::vector<FakeLine::Reply>{{"0050", 5}};
    });
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::PortFailed);
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
    // And with the port closed from the start, nothing at all happens.
    g_bPortOpen = false;
    const size_t writes = line.Writes().size();
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::PortNotOpen);
    EXPECT_EQ(line.Writes().size(), writes);
}

TEST_F(PaperCheckTest, ACheckStopsARunningAdjustmentFirst) {
    std::map<std::string, std::string> values{
        {"0f", "0050"}, {"02", "0064"}, {"0e", "000A"}, {"14", "0040"}, {"13", "0020"}};
    line.OnWrite([values](const FakeLine::Bytes& b) {
        if (b.size() == 8) {
            return std::vector<FakeLine::Reply>{{"0/", 5}}; // never in the band
        }
        if (b.size() == 5 && b[1] == 'K') {
            return std::vector<FakeLine::Reply>{
                {values.at(std::string(b.begin() + 3, b.end())), 5}};
        }
        return std::vector<FakeLine::Reply>{};
    });
    g_fSensorSupply = 5.0f;
    g_fAdjustTarget = 2.0f;
    g_bAdjustStop = false;
    ASSERT_TRUE(StartAdjustment(Sensor::Transmissive, {}));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (AdjustmentPasses() < 2 && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    EXPECT_EQ(RunPaperCheck(Sensor::Transmissive, 5.0f, sink), PaperCheckEnd::Completed);
    EXPECT_FALSE(IsAdjustmentRunning());
    const auto frames = Frames();
    const auto start = std::find(frames.begin(), frames.end(), "^e");
    ASSERT_NE(start, frames.end());
    for (auto it = start; it != frames.end(); ++it) {
        EXPECT_NE(it->rfind("^JT", 0), 0u) << "an adjustment frame during the check: " << *it;
    }
}

} // namespace
