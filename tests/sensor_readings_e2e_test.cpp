// test-labels: threaded e2e
// Single readings and paper checks end to end on a pseudo-terminal with the virtual printer
// and the status monitor running, in real time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrinterFixture.h"
#include "RecordingCheckSink.h"
#include "Shown.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

namespace {

using tarvello::sim::FrameKind;

class ReadingsE2E : public e2e::MonitoredPrinterFixture {
  protected:
    // The frames after the last status poll, as the printer read them.
    std::vector<std::string> FramesSinceLog() const { return printer.Frames(); }
    int StatusFrames() const { return printer.FrameCount(FrameKind::Status); }
};

TEST_F(ReadingsE2E, SingleReadingsOfBothSensors) {
    printer.SetReadingOverride(tarvello::sim::Sensor::Reflective, 128);
    printer.SetReadingOverride(tarvello::sim::Sensor::Transmissive, 128);
    printer.ClearLog();
    const std::optional<float> mark = TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f);
    ASSERT_TRUE(mark.has_value());
    EXPECT_EQ(Shown(*mark), "2.5098");
    EXPECT_EQ(printer.Level(tarvello::sim::Sensor::Reflective), 3);
    EXPECT_EQ(printer.Intensity(tarvello::sim::Sensor::Reflective), 7);

    const std::optional<float> noPaper = TakeSingleReading(Sensor::Transmissive, 1, "42", 5.0f);
    ASSERT_TRUE(noPaper.has_value());
    EXPECT_EQ(Shown(*noPaper), "2.4902");
    EXPECT_EQ(printer.Level(tarvello::sim::Sensor::Transmissive), 1);
    EXPECT_EQ(printer.Intensity(tarvello::sim::Sensor::Transmissive), 42);

    // The pieces go out as 3 + 2 + 3 bytes; the printer read them as one frame each.
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 1);
    EXPECT_EQ(printer.FrameCount(FrameKind::TransmissiveReading), 1);
    EXPECT_NE(printer.RawReceived().find(std::string("\x02JF11007")), std::string::npos);
    EXPECT_NE(printer.RawReceived().find(std::string("\x02JT01042")), std::string::npos);

    // A silent printer gives no reading.
    printer.SetSilent(true);
    EXPECT_FALSE(TakeSingleReading(Sensor::Reflective, 3, "7", 5.0f).has_value());
}

TEST_F(ReadingsE2E, PaperCheckOnTheDefaultMedia) {
    printer.ClearLog();
    RecordingCheckSink sink;
    EXPECT_EQ(RunPaperCheck(Sensor::Reflective, 5.0f, sink), PaperCheckEnd::Completed);
    ASSERT_EQ(sink.values.size(), 4u);
    const float mark = sink.values[0];
    const float paper = sink.values[1];
    EXPECT_NE(mark, paper) << "the printer's mark and paper samples differ";
    EXPECT_FLOAT_EQ(sink.values[2], static_cast<float>((mark - paper) / 2.0 * 5.0));
    EXPECT_FLOAT_EQ(sink.values[3], mark - sink.values[2]);
    std::vector<FrameKind> kinds;
    for (const auto& f : printer.FrameLog()) {
        if (f.kind != FrameKind::Status) {
            kinds.push_back(f.kind);
        }
    }
    EXPECT_THAT(kinds, ::testing::ElementsAre(FrameKind::ReflectiveCheck, FrameKind::KeValue,
                                              FrameKind::KeValue, FrameKind::KeValue,
                                              FrameKind::CheckMeasure, FrameKind::KeValue,
                                              FrameKind::KeValue));
}

TEST_F(ReadingsE2E, ASilentPrinterEndsThePaperCheckWithNothingComputed) {
    printer.SetSilent(true);
    printer.ClearLog();
    RecordingCheckSink sink;
    EXPECT_EQ(RunPaperCheck(Sensor::Transmissive, 5.0f, sink), PaperCheckEnd::BadValue);
    EXPECT_TRUE(sink.values.empty());
    EXPECT_EQ(printer.FrameCount(FrameKind::CheckMeasure), 0);
}

} // namespace
