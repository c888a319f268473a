// test-labels: threaded e2e
// The line trace of a whole road on the virtual printer: the open, the monitor's polls, a
// reflective adjustment, a single reading and a paper check. The trace holds exactly the bytes
// that went each way, in order, each frame with its direction and the party that sent it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "PrinterFixture.h"
#include "RecordingCheckSink.h"
#include "ScratchParameterFile.h"
#include "device/LineTrace.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(TraceRoadE2E, HoldsEveryFrameOfTheRoadWithItsDirectionAndParty) {
    tarvello::SetSleepHook(&e2e::FastSleep);
    e2e::ResetLineState();
    tarvello::sim::VirtualPrinter printer;
    ASSERT_TRUE(printer.Start());
    ScratchParameterFile file{"tarvello_trace_road_"};
    SetLineTraceEnabled(true);
    const uint64_t start = LatestTraceSequence();

    e2e::NullSink sink;
    ASSERT_TRUE(e2e::OpenLikeThePortPage(AddExtraPort(printer.DevicePath()), &sink).Succeeded());
    ASSERT_TRUE(printer.WaitForFrames(tarvello::sim::FrameKind::Status, 1, 5000));
    ASSERT_TRUE(PrepareAdjustmentStart(Sensor::Reflective, file.ini, "2.5").has_value());
    ASSERT_TRUE(StartAdjustment(Sensor::Reflective, [] {}));
    ASSERT_TRUE(Eventually([] { return !IsAdjustmentRunning(); }, 60s));
    ASSERT_EQ(LastAdjustmentExitCode(), 0);
    const uint32_t passes = AdjustmentPasses();
    ASSERT_TRUE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f).has_value());
    RecordingCheckSink checkSink;
    ASSERT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, checkSink), PaperCheckEnd::Completed);
    // The check's samples and derived voltage are kept for the diagnostics, as the page got them.
    const std::vector<SensorSample> samples = SensorSamples(Sensor::Reflective);
    ASSERT_GE(samples.size(), 3u);
    ASSERT_EQ(checkSink.values.size(), 4u);
    const SensorSample* last3 = &samples[samples.size() - 3];
    EXPECT_EQ(last3[0].origin, SampleOrigin::kCheckFirst);
    EXPECT_EQ(last3[0].value, SensorValue::Mark);
    EXPECT_EQ(last3[0].volts, checkSink.values[0]);
    EXPECT_EQ(last3[1].origin, SampleOrigin::kCheckSecond);
    EXPECT_EQ(last3[2].origin, SampleOrigin::kCheckDerived);
    EXPECT_EQ(last3[2].value, SensorValue::Paper);
    EXPECT_EQ(last3[2].volts, checkSink.values[3]);
    // The monitor is held and a status reply still in flight is read (untagged) before the end.
    SuspendMonitor();
    EXPECT_TRUE(Eventually(
        [&] {
            PurgeInput();
            std::vector<TraceEntry> all;
            ReadTraceSince(start, all, nullptr);
            std::string got;
            for (const TraceEntry& e : all) {
                got += e.direction == TraceDirection::kToPrinter ? "" : Text(e.bytes);
            }
            return got.size() >= printer.RawSent().size();
        },
        5s));

    std::vector<TraceEntry> entries;
    uint64_t dropped = 0;
    ReadTraceSince(start, entries, &dropped);
    EXPECT_EQ(dropped, 0u);
    std::string written;
    std::string read;
    std::vector<std::string> frames; // "party frame" of every write but the monitor's
    std::vector<std::string> openReplies;
    for (const TraceEntry& e : entries) {
        const std::string party = TracePartyName(e.party);
        if (e.direction == TraceDirection::kToPrinter) {
            written += Text(e.bytes);
            if (e.party == TraceParty::kMonitor) {
                EXPECT_EQ(Text(e.bytes), "\x02Y");
            } else {
                frames.push_back(party + " " + Text(e.bytes));
            }
        } else {
            read += Text(e.bytes);
            if (e.party == TraceParty::kPortOpen && e.direction == TraceDirection::kFromPrinter) {
                openReplies.push_back(Text(e.bytes));
            }
        }
    }
    // Every byte each way, in the order the line carried it.
    EXPECT_EQ(written, printer.RawReceived());
    EXPECT_EQ(read, printer.RawSent());
    ASSERT_FALSE(openReplies.empty());
    EXPECT_EQ(openReplies.front().substr(0, 1), "Y");

    // The frames: the handshake and access code, one adjustment frame per pass, the reading in
    // its three pieces, the paper check's seven frames.
    ASSERT_EQ(frames.size(), 2 + passes + 3 + 7);
    EXPECT_EQ(frames[0], "open \x02k\r");
    EXPECT_EQ(frames[1], "open " + Text(BuildAccessFrame()));
    const std::regex adjustFrame("adjust \x02JF[01]{2}[0-9]{3}");
    for (uint32_t k = 0; k < passes; ++k) {
        EXPECT_TRUE(std::regex_match(frames[2 + k], adjustFrame)) << frames[2 + k];
    }
    EXPECT_THAT(std::vector<std::string>(frames.begin() + 2 + passes, frames.end()),
                ::testing::ElementsAre("reading \x02JF", "reading 11", "reading 007", "check \x02r",
                                       "check \x02Ke0f", "check \x02Ke02", "check \x02Ke0e",
                                       "check \x02JC\x13", "check \x02Ke14", "check \x02Ke13"));
    SetLineTraceEnabled(false);
    ResumeMonitor();
    ClosePort();
    WaitStatusMonitorEnd();
    printer.Stop();
    tarvello::SetSleepHook(nullptr);
}

} // namespace
