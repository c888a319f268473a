// test-labels: threaded e2e
// The single readings and the paper checks of both sensor pages on the virtual printer, in
// real time: the frames on the wire, what each page shows and saves (in order, byte for byte),
// a failed reading that changes nothing, the paper checks' values from the printer's samples
// with nothing saved, and a check during an adjustment, which stops it first.
#include "SensorPageE2E.h"

#include <QTimer>

#include "app/Screenshots.h"
#include "pages/PageAdjustProgress.h"
#include "sim/SensorModel.h"

using namespace uitest;
namespace sim = tarvello::sim;

namespace {

class ReadingsE2E : public SensorE2E {};

TEST_F(ReadingsE2E, ReflectiveReadingsSendThreeTwoThreeAndSaveInOrder) {
    Activate(1);
    p2->m_cbSensitivity->setCurrentIndex(3);
    printer.SetReadingOverride(sim::Sensor::Reflective, 128);
    printer.ClearLog();
    // The typed intensity is sent; the member (0, from the file's absence) is what the refresh
    // shows and what is saved.
    Type(p2, 1033, QStringLiteral("7"));
    p2->OnGetMarkVoltage(); // the button is hidden until an adjustment or a reading
    ExpectRunThenWait();
    EXPECT_EQ(FramesOf(FrameKind::ReflectiveReading), std::vector<std::string>{"\x02JF11007"});
    EXPECT_EQ(Text(p2, 1057), QStringLiteral("2.5098"));
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("0"));
    EXPECT_TRUE(Button(p2, 1045)->isVisible());
    EXPECT_TRUE(Button(p2, 1026)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"),
              "[RVoltage]\r\nRMid=2.5098\r\nRLow=0\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=0\r\n");

    printer.SetReadingOverride(sim::Sensor::Reflective, 20);
    p2->m_cbSensitivity->setCurrentIndex(1);
    Type(p2, 1033, QStringLiteral("042"));
    Button(p2, 1026)->click();
    ExpectRunThenWait();
    EXPECT_EQ(FramesOf(FrameKind::ReflectiveReading).back(), "\x02JF01042");
    EXPECT_EQ(Text(p2, 1032), Shown(VoltsOf(20)));
    EXPECT_EQ(Text(p2, 1032), QStringLiteral("0.3922"));
    EXPECT_EQ(Text(p2, 1057), QStringLiteral("2.5098"));
    EXPECT_EQ(ReadFile("parameterset.ini"),
              "[RVoltage]\r\nRMid=2.5098\r\nRLow=0\r\nRHeigh=0.3922\r\n"
              "[RConfig]\r\nRConfig1=1\r\nRConfig2=0\r\n");
    EXPECT_EQ(printer.FrameCount(FrameKind::Unknown), 0);
}

TEST_F(ReadingsE2E, TransmissiveReadingsStoreSupplyMinusTheReadingAndSaveOtherEdits) {
    uitest::WriteFile("parameterset.ini",
                      "[TVoltage]\r\nTBase=2.0\r\n[TConfig]\r\nTConfig2=96\r\n");
    Activate(2);
    printer.SetReadingOverride(sim::Sensor::Transmissive, 128);
    Button(p3, 1047)->setVisible(true);
    Button(p3, 1047)->click();
    ExpectRunThenWait();
    EXPECT_EQ(FramesOf(FrameKind::TransmissiveReading), std::vector<std::string>{"\x02JT00096"});
    EXPECT_EQ(Text(p3, 1020), QStringLiteral("2.4902"));
    EXPECT_TRUE(Button(p3, 1028)->isVisible());
    // "TLow" from the paper voltage edit, "TMid" from the standard's edit, the levels, and last
    // the reading under "THeigh".
    EXPECT_EQ(ReadFile("parameterset.ini"), "[TVoltage]\r\nTBase=2.0\r\nTLow=0\r\nTMid=2\r\n"
                                            "THeigh=2.4902\r\n"
                                            "[TConfig]\r\nTConfig2=96\r\nTConfig1=0\r\n");

    printer.SetReadingOverride(sim::Sensor::Transmissive, 200);
    Button(p3, 1028)->click();
    ExpectRunThenWait();
    EXPECT_EQ(Text(p3, 1019), QStringLiteral("1.0784")); // 5.0 - 3.9216
    EXPECT_EQ(Text(p3, 1020), QStringLiteral("2.4902"));
    // The reading itself is kept under "TLow".
    EXPECT_EQ(ReadFile("parameterset.ini"), "[TVoltage]\r\nTBase=2.0\r\nTLow=1.0784\r\n"
                                            "TMid=2\r\nTHeigh=2.4902\r\n[TConfig]\r\n"
                                            "TConfig2=96\r\nTConfig1=0\r\n");
}

TEST_F(ReadingsE2E, NoSensitivitySelectedSendsNoCodeAndSavesMinusOne) {
    Activate(2);
    p3->m_cbSensitivity->setCurrentIndex(-1);
    Type(p3, 1023, QStringLiteral("42"));
    printer.SetReadingOverride(sim::Sensor::Transmissive, 51);
    printer.ClearLog();
    p3->OnGetPaperVoltage();
    ExpectRunThenWait();
    EXPECT_EQ(FramesOf(FrameKind::TransmissiveReading), std::vector<std::string>{"\x02JT042"});
    EXPECT_EQ(Text(p3, 1019), QStringLiteral("4")); // 5.0 - 51 / 255 * 5.0
    EXPECT_EQ(ReadFile("parameterset.ini"),
              "[TVoltage]\r\nTMid=0\r\nTHeigh=0\r\nTLow=4\r\n[TConfig]\r\nTConfig1=-1\r\n"
              "TConfig2=0\r\n");
}

TEST_F(ReadingsE2E, AFailedReadingChangesNothing) {
    const std::string file = "[RVoltage]\r\nRMid=1.5\r\n";
    uitest::WriteFile("parameterset.ini", file);
    Activate(1);
    p2->m_fMarkVolt = 1.5f;
    p2->UpdateData(false);
    printer.SetSilentFor(FrameKind::ReflectiveReading, true);
    p2->OnGetMarkVoltage();
    ExpectRunThenWait();
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 1);
    EXPECT_EQ(p2->m_fMarkVolt, 1.5f);
    EXPECT_EQ(Text(p2, 1057), QStringLiteral("1.5"));
    EXPECT_FALSE(Button(p2, 1045)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"), file);
    // A reply without a reading is no reading either.
    printer.SetSilentFor(FrameKind::ReflectiveReading, false);
    printer.SetGarbage(true);
    Activate(2);
    p3->OnGetNoPaperVoltage();
    ExpectRunThenWait();
    printer.SetGarbage(false);
    EXPECT_EQ(p3->m_fNoPaperVolt, 0.0f);
    EXPECT_EQ(Text(p3, 1020), QStringLiteral("0"));
    EXPECT_FALSE(Button(p3, 1047)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"), file);
}

TEST_F(ReadingsE2E, PaperChecksShowThePrintersSamplesAndSaveNothing) {
    printer.SetKeValue("14", 0x00C0);
    printer.SetKeValue("13", 0x00B0);
    Activate(1);
    printer.ClearLog();
    bool feedShown = false;
    QTimer watch; // the line as the technician sees it while the check runs
    QObject::connect(&watch, &QTimer::timeout, [&] {
        feedShown |= Progress(p2)->text().endsWith(QStringLiteral(" / 1.0 s…"));
    });
    watch.start(20);
    Button(p2, 1059)->click();
    // The wait is said on the page's line, with its time.
    EXPECT_EQ(Progress(p2)->text(), QStringLiteral("纸张检测: 打印机走纸中, 0.0 s…"));
    ExpectRunThenWait();
    // Once the printer's values gave the feed's length (1000 ms here), the line counted it.
    EXPECT_TRUE(feedShown);
    EXPECT_FALSE(Progress(p2)->isVisible());
    EXPECT_EQ(Text(p2, 1057), QStringLiteral("3.7647"));
    EXPECT_EQ(Text(p2, 1056), QStringLiteral("0.78425"));
    EXPECT_EQ(Text(p2, 1041), QStringLiteral("2.98045"));
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveCheck), 1);
    EXPECT_EQ(printer.FrameCount(FrameKind::KeValue), 5);
    EXPECT_EQ(printer.FrameCount(FrameKind::CheckMeasure), 1);

    printer.SetKeValue("14", 0x0040);
    printer.SetKeValue("13", 0x0020);
    Activate(2);
    Button(p3, 1059)->click();
    ExpectRunThenWait();
    EXPECT_EQ(Text(p3, 1055), QStringLiteral("3.7451"));
    EXPECT_EQ(Text(p3, 1054), QStringLiteral("1.5685"));
    EXPECT_EQ(Text(p3, 1020), QStringLiteral("5.3136"));
    EXPECT_EQ(printer.FrameCount(FrameKind::TransmissiveCheck), 1);
    EXPECT_EQ(ReadFile("parameterset.ini"), "");
}

TEST_F(ReadingsE2E, PaperCheckDuringAnAdjustmentStopsItFirstAndLeavesThePageIdle) {
    Activate(1);
    Type(p2, 1031, QStringLiteral("5.0"));
    Button(p2, 1025)->click();
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, 2, 5000));
    ASSERT_TRUE(p2->IsAdjusting());
    Button(p2, 1059)->click(); // stays usable while the worker runs
    EXPECT_EQ(Progress(p2)->text(),
              QStringLiteral("纸张检测: 打印机走纸中 (自动调节已停止), 0.0 s…"));
    ExpectRunThenWait();
    EXPECT_FALSE(IsAdjustmentRunning());
    EXPECT_EQ(LastAdjustmentExitCode(), 0);
    EXPECT_FALSE(p2->IsAdjusting());
    EXPECT_TRUE(Button(p2, 1025)->isEnabled());
    EXPECT_TRUE(Find<QWidget>(p2, 1041)->isEnabled());
    // The line keeps saying that the check stopped the adjustment, and at which pass.
    EXPECT_TRUE(Progress(p2)->isVisible());
    EXPECT_EQ(Progress(p2)->text(), StoppedForCheckText(LatestAdjustRun().passes));
    EXPECT_TRUE(Progress(p2)->text().startsWith("自动调节已因纸张检测停止"));
    // No adjustment frame after the check began, and the check ran whole.
    const auto log = printer.FrameLog();
    bool checking = false;
    for (const auto& f : log) {
        checking = checking || f.kind == FrameKind::ReflectiveCheck;
        EXPECT_FALSE(checking && f.kind == FrameKind::ReflectiveReading);
    }
    EXPECT_TRUE(checking);
    EXPECT_EQ(printer.FrameCount(FrameKind::CheckMeasure), 1);
    EXPECT_EQ(ReadFile("parameterset.ini"), "[RVoltage]\r\nRBase=5.0\r\n");
}

TEST_F(ReadingsE2E, ScreenshotMediaGiveEachReadingItsOwnValue) {
    // The pictures of --screenshots take each reading over the media it names, and put the
    // adjustment's media back afterwards.
    using sim::Media;
    using sim::SensorModel;
    uitest::WriteFile("parameterset.ini", "[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n"
                                          "[TConfig]\r\nTConfig1=3\r\nTConfig2=96\r\n");
    Activate(1);
    PutMediaForReading(printer, 1, 1045);
    Button(p2, 1045)->setVisible(true);
    Button(p2, 1045)->click();
    ExpectRunThenWait();
    PutMediaForReading(printer, 1, 1026);
    Button(p2, 1026)->click();
    ExpectRunThenWait();
    PutMediaForReading(printer, 1, 0);
    EXPECT_EQ(printer.GetMedia(sim::Sensor::Reflective), Media::Paper);
    const auto reflective = [](Media m) {
        return Shown(VoltsOf(SensorModel::Reading(sim::Sensor::Reflective, 3, 144, m)));
    };
    EXPECT_EQ(Text(p2, 1057), reflective(Media::Mark));
    EXPECT_EQ(Text(p2, 1032), reflective(Media::NoPaper));
    EXPECT_NE(Text(p2, 1057), reflective(Media::Paper));
    EXPECT_NE(Text(p2, 1032), Text(p2, 1057));

    Activate(2);
    PutMediaForReading(printer, 2, 1047);
    Button(p3, 1047)->setVisible(true);
    Button(p3, 1047)->click();
    ExpectRunThenWait();
    PutMediaForReading(printer, 2, 1028);
    Button(p3, 1028)->click();
    ExpectRunThenWait();
    PutMediaForReading(printer, 2, 0);
    EXPECT_EQ(printer.GetMedia(sim::Sensor::Transmissive), Media::Liner);
    const auto transmissive = [](Media m) {
        const float volts = VoltsOf(SensorModel::Reading(sim::Sensor::Transmissive, 3, 96, m));
        return Shown(5.0f - volts);
    };
    EXPECT_EQ(Text(p3, 1020), transmissive(Media::NoPaper));
    EXPECT_EQ(Text(p3, 1019), transmissive(Media::Paper));
    EXPECT_NE(Text(p3, 1020), Text(p3, 1019));
    EXPECT_NE(Text(p3, 1019), transmissive(Media::Liner));
}

} // namespace
