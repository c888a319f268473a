// The guided calibration's steps on a scripted line (tests/FakeLine.h): for each kind of step
// (adjustment, single reading, paper check) the frames written and the parameter file after it
// are byte for byte those of the sensor page's own button, and a failure ends the step with
// its reason while the rest of the flow stays usable.
#include "UiTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

#include "FakeLine.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedCalibrationPages.h"
#include "pages/GuidedStepPage.h"
#include "sensor/AdjustWorker.h"

using uitest::Find;
using uitest::ReadFile;
using uitest::WriteFile;

namespace {

// The printer: 2.4902 V to every adjustment frame (in the band at 2.5), 2.5098 V to a
// reading's intensity, the paper check's values (a wait of 1 s, samples 0xC0 and 0xB0).
std::vector<FakeLine::Reply> Printer(const FakeLine::Bytes& w) {
    const std::string s(w.begin(), w.end());
    if (s.size() == 8 && s.compare(0, 2, "\x02J") == 0)
        return {{"r 127/", 0}};
    if (s.size() == 3 && s[0] != '\x02')
        return {{"128/", 0}};
    static const std::pair<const char*, const char*> ke[] = {
        {"0f", "0050"}, {"02", "0064"}, {"0e", "000A"}, {"14", "00C0"}, {"13", "00B0"}};
    for (const auto& [selector, value] : ke) {
        if (s == std::string("\x02Ke") + selector)
            return {{value, 0}};
    }
    return {};
}

const char kIni[] = "[RVoltage]\r\nRBase=2.5\r\nRLow=1.5\r\n[RConfig]\r\nRConfig1=2\r\n"
                    "RConfig2=100\r\n";

class GuidedLine : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        line.Install();
        line.OnWrite(Printer);
        dlg = std::make_unique<CTarvelloDlg>();
        p2 = qobject_cast<CSensorPage*>(dlg->Sheet()->widget(1));
        p3 = qobject_cast<CSensorPage*>(dlg->Sheet()->widget(2));
        PortSettings s;
        s.dwBaudRate = 38400;
        s.byByteSize = 8;
        ASSERT_EQ(OpenPort(s), 0);
        g_fSensorSupply = 5.0f;
    }
    void TearDown() override {
        wizard.reset();
        dlg.reset();
        line.Uninstall();
        uitest::UiTest::TearDown();
    }
    // What the line received and the file held after run, from the same file and activation.
    std::pair<std::vector<FakeLine::Bytes>, std::string> Run(const std::function<void()>& run) {
        WriteFile("parameterset.ini", kIni);
        p2->OnSetActive();
        p3->OnSetActive();
        const size_t before = line.WriteCount();
        run();
        EXPECT_TRUE(uitest::WaitFor(
            [] { return !IsAdjustmentRunning() && !tarvello::ui::BackgroundRunActive(); }));
        QCoreApplication::sendPostedEvents();
        const std::vector<FakeLine::Bytes> all = line.Writes();
        return {std::vector<FakeLine::Bytes>(all.begin() + static_cast<long>(before), all.end()),
                ReadFile("parameterset.ini")};
    }
    // The wizard's step of the reflective sensor, run by its Next without showing the wizard
    // (no live reading runs beside it).
    CGuidedStepPage* Step(GuidedStep kind) {
        if (!wizard)
            wizard = std::make_unique<CGuidedCalibration>(p2, p3);
        for (CGuidedStepPage* step : wizard->Steps()) {
            if (step->Def().sensor == Sensor::Reflective && step->Def().step == kind)
                return step;
        }
        return nullptr;
    }
    std::function<void()> ByWizard(GuidedStep kind) {
        return [this, kind] {
            CGuidedStepPage* step = Step(kind);
            EXPECT_FALSE(step->validatePage()); // Next starts the step
            EXPECT_TRUE(uitest::WaitFor(
                [step] { return step->StepState() != CGuidedStepPage::State::Running; }));
            EXPECT_EQ(step->StepState(), CGuidedStepPage::State::Done)
                << step->ResultText().toStdString();
        };
    }

    FakeLine line;
    std::unique_ptr<CTarvelloDlg> dlg;
    std::unique_ptr<CGuidedCalibration> wizard;
    CSensorPage* p2 = nullptr;
    CSensorPage* p3 = nullptr;
};

TEST_F(GuidedLine, AnAdjustmentStepIsThePagesAdjustButton) {
    const auto button = Run([this] { Find<QPushButton>(p2, 1025)->click(); });
    const auto step = Run(ByWizard(GuidedStep::Adjust));
    EXPECT_EQ(step.first, button.first);
    EXPECT_EQ(step.second, button.second);
    EXPECT_NE(button.second, kIni); // the levels were saved
    EXPECT_TRUE(Step(GuidedStep::Adjust)->ResultText().contains(QStringLiteral("2.4902 V")));
}

TEST_F(GuidedLine, AReadingStepIsThePagesReadingButton) {
    const auto button = Run([this] { Find<QPushButton>(p2, 1045)->click(); });
    const auto step = Run(ByWizard(GuidedStep::Mark));
    EXPECT_EQ(step.first, button.first);
    EXPECT_EQ(step.second, button.second);
    EXPECT_NE(button.second.find("RMid=2.5098"), std::string::npos) << button.second;
}

TEST_F(GuidedLine, ACheckStepIsThePagesCheckButton) {
    const auto button = Run([this] { Find<QPushButton>(p2, 1059)->click(); });
    const auto step = Run(ByWizard(GuidedStep::Check));
    EXPECT_EQ(step.first, button.first);
    EXPECT_EQ(step.second, kIni); // a paper check saves nothing
    EXPECT_EQ(button.second, kIni);
    EXPECT_FLOAT_EQ(Step(GuidedStep::Check)->FirstSample(), 3.7647f);
    EXPECT_FLOAT_EQ(Step(GuidedStep::Check)->SecondSample(), 3.4510f);
    // The verdict judges the samples the printer sent.
    const verdict::Input input = wizard->VerdictInput(Sensor::Reflective);
    ASSERT_TRUE(input.check);
    EXPECT_EQ(input.check->firstRaw, 0xC0);
    EXPECT_EQ(input.check->secondRaw, 0xB0);
}

TEST_F(GuidedLine, AStepTheProfileDoesNotTakeIsSkipped) {
    QTemporaryDir data; // the user's data folder
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QDir(data.path()).mkpath(QStringLiteral("Tarvello"));
    WriteFile(data.filePath(QStringLiteral("Tarvello/profiles.json")).toStdString(),
              R"({"schema": 1, "profiles": [{"name": "Fixture", "steps": )"
              R"({"reflective": ["adjust", "check"], "transmissive": ["paper"]}}]})");
    wizard = std::make_unique<CGuidedCalibration>(p2, p3);
    qunsetenv("XDG_DATA_HOME");
    auto* profiles = wizard->Setup()->findChild<QComboBox*>();
    profiles->setCurrentIndex(profiles->findText(QStringLiteral("Fixture")));
    ASSERT_EQ(wizard->Setup()->Profile(), QStringLiteral("Fixture"));
    std::vector<std::pair<Sensor, GuidedStep>> taken;
    for (const CGuidedStepPage* step : wizard->Steps()) {
        if (wizard->StepWanted(step))
            taken.emplace_back(step->Def().sensor, step->Def().step);
    }
    EXPECT_EQ(taken, (std::vector<std::pair<Sensor, GuidedStep>>{
                         {Sensor::Reflective, GuidedStep::Adjust},
                         {Sensor::Reflective, GuidedStep::Check},
                         {Sensor::Transmissive, GuidedStep::Paper}}));
}

TEST_F(GuidedLine, AFailedStepSaysWhyAndTheNextStepStillRuns) {
    WriteFile("parameterset.ini", kIni);
    line.OnWrite([](const FakeLine::Bytes& w) {
        return w.size() == 3 && w[0] != 0x02 ? std::vector<FakeLine::Reply>{}
                                             : Printer(w); // readings unanswered
    });
    CGuidedStepPage* mark = Step(GuidedStep::Mark);
    EXPECT_FALSE(mark->validatePage());
    ASSERT_TRUE(uitest::WaitFor(
        [mark] { return mark->StepState() != CGuidedStepPage::State::Running; }, 10000));
    EXPECT_EQ(mark->StepState(), CGuidedStepPage::State::Failed);
    EXPECT_TRUE(mark->ResultText().contains(QStringLiteral("没有给出读数")));
    EXPECT_TRUE(mark->validatePage()); // Next moves on past the failed step
    EXPECT_EQ(ReadFile("parameterset.ini"), kIni);
    const auto check = Run(ByWizard(GuidedStep::Check));
    EXPECT_EQ(check.first.size(), 7u);
    EXPECT_TRUE(g_bPortOpen); // the port stays open
}

} // namespace
