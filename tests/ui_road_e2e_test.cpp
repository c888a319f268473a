// test-labels: threaded e2e
// The whole road a technician takes, on the virtual printer in real time, through the window's
// buttons only: open the port, adjust the reflective sensor to 2.5 V, take its mark and
// no-paper readings, run its paper check, do the same on the transmissive page at 2.0 V, close
// the port. The final "parameterset.ini" is checked byte for byte against the content that the
// virtual printer's sensor model and the search give.
#include "ui_sensor_e2e_support.h"

#include <cstdio>

#include "pages/AdjustSearch.h"
#include "sim/SensorModel.h"

using namespace uitest;
namespace sim = tarvello::sim;
using sim::Media;
using sim::SensorModel;

namespace {

// The levels an adjustment ends with on the printer's model: the search's own steps, each
// pass answered with the model's reading at the levels the frame carries.
AdjustLevels AdjustedLevels(Sensor sensor, float target, Media media) {
    const SensorParams& params = ParamsOf(sensor);
    const sim::Sensor simSensor =
        sensor == Sensor::Reflective ? sim::Sensor::Reflective : sim::Sensor::Transmissive;
    AdjustSearchState state;
    AdjustLevels levels;
    float last = 0.0f;
    for (int pass = 0; pass < 2000; ++pass) {
        int level = levels.sensitivity;
        (void)AdjustFrameForPass(params, level, levels.intensity); // "00" for a level of 4
        levels.sensitivity = level;
        const int raw = SensorModel::Reading(simSensor, level, levels.intensity, media);
        const float volts = AdjustVolts(params, raw, 5.0f);
        if (AdjustSearchStep(params, state, levels, target, volts, last) ==
            AdjustStepOutcome::Success)
            return levels;
    }
    ADD_FAILURE() << "the search does not converge on the model";
    return levels;
}

std::string Str(const QString& s) {
    return s.toStdString();
}

class Road : public UiTest {};

TEST_F(Road, OpenAdjustReadCheckCloseLeavesTheExpectedParameterFile) {
    VirtualPrinter printer;
    ASSERT_TRUE(printer.Start());
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort(printer.DevicePath()));
    dlg->show();
    auto* p2 = qobject_cast<CPage2*>(dlg->Sheet()->widget(1));
    auto* p3 = qobject_cast<CPage3*>(dlg->Sheet()->widget(2));
    QWidget* p1 = dlg->Sheet()->widget(0);
    auto text = [](QWidget* page, int id) { return Find<QLineEdit>(page, id)->text(); };
    auto click = [&](QWidget* page, int id) {
        QPushButton* button = Find<QPushButton>(page, id);
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << id;
        button->click();
    };
    const int baseline = CMonitorThread().SuspendCount();
    EXPECT_EQ(g_fSensorSupply.load(), 5.0f); // no file: the 5.0 V supply

    // Open the port; the monitor fills the status group.
    click(p1, 1016);
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(g_bPortOpen);
    ASSERT_TRUE(WaitFor([&] { return text(dlg.get(), 1042) == QLatin1String("2.5098"); }));

    // Reflective page: adjust to 2.5 over paper.
    dlg->Sheet()->setCurrentIndex(1);
    Find<QLineEdit>(p2, 1031)->setText(QStringLiteral("2.5"));
    click(p2, 1025);
    ASSERT_TRUE(WaitFor([&] { return !p2->IsAdjusting() && !IsAdjustmentRunning(); }, 60000));
    const AdjustLevels r = AdjustedLevels(Sensor::Reflective, 2.5f, Media::Paper);
    EXPECT_EQ(p2->m_cbSensitivity->currentIndex(), r.sensitivity);
    EXPECT_EQ(text(p2, 1033), QString::number(r.intensity));
    const float rPaper = VoltsOf(
        SensorModel::Reading(sim::Sensor::Reflective, r.sensitivity, r.intensity, Media::Paper));
    EXPECT_EQ(text(p2, 1041), Shown(rPaper));

    // The mark and no-paper readings at the adjusted levels.
    printer.SetMedia(sim::Sensor::Reflective, Media::Mark);
    click(p2, 1045);
    ASSERT_TRUE(WaitIdle());
    const float rMark = VoltsOf(
        SensorModel::Reading(sim::Sensor::Reflective, r.sensitivity, r.intensity, Media::Mark));
    EXPECT_EQ(text(p2, 1057), Shown(rMark));
    printer.SetMedia(sim::Sensor::Reflective, Media::NoPaper);
    click(p2, 1026);
    ASSERT_TRUE(WaitIdle());
    const float rNoPaper = VoltsOf(
        SensorModel::Reading(sim::Sensor::Reflective, r.sensitivity, r.intensity, Media::NoPaper));
    EXPECT_EQ(text(p2, 1032), Shown(rNoPaper));

    // Its paper check: a mark and paper sample at the same levels; nothing saved.
    const std::string beforeCheck = ReadFile("parameterset.ini");
    click(p2, 1059);
    ASSERT_TRUE(WaitIdle(15000));
    const float first = rMark;
    const float second = rPaper;
    const float rDiff = static_cast<float>((first - second) / 2.0 * 5.0);
    EXPECT_EQ(text(p2, 1057), Shown(first));
    EXPECT_EQ(text(p2, 1056), Shown(rDiff));
    EXPECT_EQ(text(p2, 1041), Shown(first - rDiff));
    EXPECT_EQ(ReadFile("parameterset.ini"), beforeCheck);

    // Transmissive page: adjust to 2.0 through the liner.
    dlg->Sheet()->setCurrentIndex(2);
    ASSERT_EQ(dlg->Sheet()->currentIndex(), 2);
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("2.0"));
    click(p3, 1027);
    ASSERT_TRUE(WaitFor([&] { return !p3->IsAdjusting() && !IsAdjustmentRunning(); }, 60000));
    const AdjustLevels t = AdjustedLevels(Sensor::Transmissive, 2.0f, Media::Liner);
    EXPECT_EQ(p3->m_cbSensitivity->currentIndex(), t.sensitivity);
    EXPECT_EQ(text(p3, 1023), QString::number(t.intensity));
    auto tReading = [&](Media media) {
        return SensorModel::Reading(sim::Sensor::Transmissive, t.sensitivity, t.intensity, media);
    };
    EXPECT_EQ(text(p3, 1055), Shown(VoltsOf(255 - tReading(Media::Liner))));

    printer.SetMedia(sim::Sensor::Transmissive, Media::NoPaper);
    click(p3, 1047);
    ASSERT_TRUE(WaitIdle());
    const float tNoPaper = 5.0f - VoltsOf(tReading(Media::NoPaper));
    EXPECT_EQ(text(p3, 1020), Shown(tNoPaper));
    printer.SetMedia(sim::Sensor::Transmissive, Media::Paper);
    click(p3, 1028);
    ASSERT_TRUE(WaitIdle());
    const float tPaper = 5.0f - VoltsOf(tReading(Media::Paper));
    EXPECT_EQ(text(p3, 1019), Shown(tPaper));

    // Its paper check: liner and label samples, inverted; nothing saved.
    const std::string beforeCheck3 = ReadFile("parameterset.ini");
    click(p3, 1059);
    ASSERT_TRUE(WaitIdle(15000));
    const float liner = VoltsOf(255 - tReading(Media::Liner));
    const float label = VoltsOf(255 - tReading(Media::Paper));
    const float tDiff = static_cast<float>((label - liner) / 2.0 * 5.0);
    EXPECT_EQ(text(p3, 1055), Shown(liner));
    EXPECT_EQ(text(p3, 1054), Shown(tDiff));
    EXPECT_EQ(text(p3, 1020), Shown(liner + tDiff));
    EXPECT_EQ(ReadFile("parameterset.ini"), beforeCheck3);

    // Close the port from the port page.
    dlg->Sheet()->setCurrentIndex(0);
    ASSERT_EQ(dlg->Sheet()->currentIndex(), 0);
    click(p1, 1017);
    ASSERT_TRUE(WaitIdle());
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(CMonitorThread().SuspendCount(), baseline);
    EXPECT_TRUE(messages.empty());

    // Every key in the order of its first write; each reading rewrote the levels; the
    // transmissive readings saved the standard's text and the other edit's text.
    const std::string expected = "[RVoltage]\r\n"
                                 "RBase=2.5\r\n"
                                 "RMid=" +
                                 Str(Shown(rMark)) +
                                 "\r\n"
                                 "RLow=" +
                                 Str(Shown(rPaper)) +
                                 "\r\n"
                                 "RHeigh=" +
                                 Str(Shown(rNoPaper)) +
                                 "\r\n"
                                 "[RConfig]\r\n"
                                 "RConfig1=" +
                                 std::to_string(r.sensitivity) +
                                 "\r\n"
                                 "RConfig2=" +
                                 std::to_string(r.intensity) +
                                 "\r\n"
                                 "[TVoltage]\r\n"
                                 "TBase=2.0\r\n"
                                 "TLow=0\r\n"
                                 "TMid=2\r\n"
                                 "THeigh=" +
                                 Str(Shown(tNoPaper)) +
                                 "\r\n"
                                 "[TConfig]\r\n"
                                 "TConfig1=" +
                                 std::to_string(t.sensitivity) +
                                 "\r\n"
                                 "TConfig2=" +
                                 std::to_string(t.intensity) + "\r\n";
    EXPECT_EQ(ReadFile("parameterset.ini"), expected);

    dlg.reset();
    printer.Stop();
}

} // namespace
