// The guided calibration's steps: their order and media, which need the media changed, the
// command line's step names, when the reload step may move on by itself, and the printer IDs
// that are refused.
#include <gtest/gtest.h>

#include "sensor/GuidedSteps.h"
#include "sim/PrinterCommands.h"

namespace {

TEST(GuidedSteps, OrderMediaAndTheChangesTheyAskFor) {
    const auto reflective = GuidedStepsOf(Sensor::Reflective);
    const auto transmissive = GuidedStepsOf(Sensor::Transmissive);
    ASSERT_EQ(reflective.size(), 5u);
    ASSERT_EQ(transmissive.size(), 4u);
    const GuidedStep rOrder[] = {GuidedStep::Adjust, GuidedStep::Mark, GuidedStep::NoPaper,
                                 GuidedStep::Reload, GuidedStep::Check};
    const GuidedStep tOrder[] = {GuidedStep::Adjust, GuidedStep::NoPaper, GuidedStep::Paper,
                                 GuidedStep::Check};
    for (size_t i = 0; i < reflective.size(); ++i)
        EXPECT_EQ(reflective[i].step, rOrder[i]) << i;
    for (size_t i = 0; i < transmissive.size(); ++i)
        EXPECT_EQ(transmissive[i].step, tOrder[i]) << i;
    // Adjust and check run on the stock as loaded: a fixture runs them without a change.
    EXPECT_FALSE(NeedsMediaChange(reflective[0], nullptr));
    EXPECT_FALSE(NeedsMediaChange(transmissive[0], nullptr));
    EXPECT_FALSE(NeedsMediaChange(reflective[4], &reflective[0]));
    EXPECT_FALSE(NeedsMediaChange(transmissive[3], &transmissive[0]));
    // Every reading asks for its media; the check after the no-paper reading asks for paper.
    EXPECT_TRUE(NeedsMediaChange(reflective[1], &reflective[0]));
    EXPECT_TRUE(NeedsMediaChange(reflective[2], &reflective[1]));
    EXPECT_TRUE(NeedsMediaChange(reflective[4], &reflective[2]));
    EXPECT_TRUE(NeedsMediaChange(transmissive[2], &transmissive[1]));
    EXPECT_TRUE(NeedsMediaChange(transmissive[3], &transmissive[2]));
    // The reading steps are the pages' own readings, and measure over what they ask for.
    EXPECT_EQ(ReadingIndexOf(Sensor::Reflective, GuidedStep::Mark), kMarkReading);
    EXPECT_EQ(ReadingIndexOf(Sensor::Reflective, GuidedStep::NoPaper), kReflectiveNoPaperReading);
    EXPECT_EQ(ReadingIndexOf(Sensor::Transmissive, GuidedStep::NoPaper),
              kTransmissiveNoPaperReading);
    EXPECT_EQ(ReadingIndexOf(Sensor::Transmissive, GuidedStep::Paper), kPaperReading);
    EXPECT_EQ(ReadingIndexOf(Sensor::Reflective, GuidedStep::Paper), std::nullopt);
    EXPECT_EQ(ReadingIndexOf(Sensor::Reflective, GuidedStep::Check), std::nullopt);
    EXPECT_EQ(MediaOfReading(Sensor::Reflective, kMarkReading), GuidedMedia::Mark);
    EXPECT_EQ(MediaOfReading(Sensor::Transmissive, kPaperReading), GuidedMedia::Label);
    EXPECT_EQ(MediaOfReading(Sensor::Transmissive, kTransmissiveNoPaperReading),
              GuidedMedia::NoPaper);
}

// On --simulate each step's media reaches the virtual printer through its command language.
TEST(GuidedSteps, EveryStepsMediaIsPutUnderItsSensorOfTheVirtualPrinter) {
    using tarvello::sim::Media;
    tarvello::sim::VirtualPrinter printer;
    SetMediaPlacer(tarvello::sim::LineApplier(printer));
    const Media reflective[] = {Media::Paper, Media::Mark, Media::NoPaper, Media::Paper,
                                Media::Paper};
    const Media transmissive[] = {Media::Liner, Media::NoPaper, Media::Paper, Media::Liner};
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        const auto simSensor = sensor == Sensor::Reflective ? tarvello::sim::Sensor::Reflective
                                                            : tarvello::sim::Sensor::Transmissive;
        const auto steps = GuidedStepsOf(sensor);
        for (size_t i = 0; i < steps.size(); ++i) {
            // Start from something else, so that a line that is refused shows.
            printer.SetMedia(simSensor, i % 2 ? Media::Mark : Media::Liner);
            PlaceMedia(sensor, steps[i].media);
            EXPECT_EQ(printer.GetMedia(simSensor),
                      sensor == Sensor::Reflective ? reflective[i] : transmissive[i])
                << MediaCommand(sensor, steps[i].media);
        }
    }
    SetMediaPlacer(nullptr);
}

TEST(GuidedSteps, StepNamesOfTheCommandLine) {
    std::string unknown;
    const auto all = ParseGuidedSteps("adjust,mark,no-paper,paper,check", &unknown);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 5u);
    EXPECT_EQ(ParseGuidedSteps("check", &unknown), std::vector<GuidedStep>{GuidedStep::Check});
    for (const char* bad : {"adjust,reload", "adjust,,check", "", "Adjust", "adjust,"}) {
        unknown = "?";
        EXPECT_EQ(ParseGuidedSteps(bad, &unknown), std::nullopt) << bad;
        EXPECT_NE(unknown, "?") << bad;
    }
    EXPECT_EQ(unknown, ""); // "adjust,": the empty name after the comma
}

TEST(GuidedSteps, ReloadMovesOnAfterThreeReadingsInTheBand) {
    // The worked examples: reflective, standard 2.5, band 2.4..2.5.
    EXPECT_TRUE(ReloadSettled(Sensor::Reflective, 2.5f, {2.45f, 2.47f, 2.46f}));
    EXPECT_FALSE(ReloadSettled(Sensor::Reflective, 2.5f, {0.1f, 2.45f, 2.47f}));
    EXPECT_FALSE(ReloadSettled(Sensor::Reflective, 2.5f, {2.45f, 2.47f}));
    EXPECT_FALSE(ReloadSettled(Sensor::Reflective, 2.5f, {2.45f, 2.6f, 2.46f}));
    // Only the latest three count; the transmissive band reaches above the standard.
    EXPECT_TRUE(ReloadSettled(Sensor::Reflective, 2.5f, {0.1f, 2.45f, 2.47f, 2.46f}));
    EXPECT_TRUE(ReloadSettled(Sensor::Transmissive, 2.0f, {2.05f, 1.95f, 2.09f}));
    EXPECT_FALSE(ReloadSettled(Sensor::Transmissive, 2.0f, {2.05f, 1.95f, 2.2f}));
    // The progress shown meanwhile.
    EXPECT_EQ(ReloadReadingsInBand(Sensor::Reflective, 2.5f, {0.1f, 2.45f, 2.47f}), 2);
    EXPECT_EQ(ReloadReadingsInBand(Sensor::Reflective, 2.5f, {2.45f, 2.6f}), 0);
    EXPECT_EQ(ReloadReadingsInBand(Sensor::Reflective, 2.5f, {}), 0);
}

TEST(GuidedSteps, PrinterIdsWithControlCharactersOrNothingAreRefused) {
    for (const char* good : {"P-0001", "x'); DROP TABLE records;--", "打印机 7", " A "})
        EXPECT_TRUE(PrinterIdAcceptable(good)) << good;
    for (const char* bad : {"", "   ", "P-0001\r", "P\t1", "\x1b[2J", "P\x7f", "P\xc2\x85"})
        EXPECT_FALSE(PrinterIdAcceptable(bad)) << bad;
    EXPECT_FALSE(PrinterIdAcceptable(std::string("P\0001", 3)));
}

} // namespace
