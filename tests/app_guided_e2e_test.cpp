// test-labels: threaded e2e
// The guided calibration on the virtual printer in real time, with the keyboard alone: opened
// from the main window's menu command, the printer ID typed, Enter through every step of both
// sensors (the virtual printer putting under each sensor what each page asks for, the reload
// step moving on by itself), Esc stopping a running adjustment without closing anything, and
// the result page listing what was saved.
#include "SensorPageE2E.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QWizard>

#include "app/GuidedEntry.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedCalibrationPages.h"
#include "pages/GuidedStepPage.h"

using namespace uitest;

namespace {

class Guided : public UiTest {};

TEST_F(Guided, BothSensorsFromTheFirstPageToTheResultWithTheKeyboardAlone) {
    VirtualPrinter printer;
    ASSERT_TRUE(printer.Start());
    PlaceMediaOnVirtualPrinter(&printer);
    WriteFile("parameterset.ini", "[RVoltage]\r\nRBase=2.5\r\n[TVoltage]\r\nTBase=2.0\r\n");
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort(printer.DevicePath()));
    InstallGuidedCalibration(*dlg, nullptr);
    dlg->show();
    Find<QPushButton>(dlg->Sheet()->widget(0), 1016)->click();
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(g_bPortOpen);

    dlg->findChild<QAction*>(QStringLiteral("guidedCalibrationAction"))->trigger();
    auto* wizard = QApplication::activeModalWidget()
                       ? qobject_cast<CGuidedCalibration*>(QApplication::activeModalWidget())
                       : nullptr;
    ASSERT_NE(wizard, nullptr);
    wizard->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wizard));
    const auto press = [wizard](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : wizard, static_cast<Qt::Key>(key), mods);
    };
    // A scanner types into the printer ID's field without anyone choosing it first.
    QTest::qWait(50);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("P-0001"));
    EXPECT_EQ(wizard->Setup()->PrinterId(), QStringLiteral("P-0001"));
    press(Qt::Key_Return);
    ASSERT_EQ(wizard->currentId(), CGuidedCalibration::kFirstStepPage);

    // Esc stops the running adjustment; the wizard, the port and the monitor stay.
    press(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([] { return AdjustmentPasses() >= 2; }, 20000));
    EXPECT_FALSE(wizard->button(QWizard::BackButton)->isEnabled());
    press(Qt::Key_Escape);
    auto* adjust = qobject_cast<CGuidedStepPage*>(wizard->currentPage());
    ASSERT_TRUE(
        WaitFor([adjust] { return adjust->StepState() == CGuidedStepPage::State::Failed; }, 20000));
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_TRUE(g_bPortOpen);
    EXPECT_TRUE(CMonitorThread().IsRunning());
    press(Qt::Key_R, Qt::AltModifier); // "Repeat step"
    EXPECT_TRUE(
        WaitFor([adjust] { return adjust->StepState() == CGuidedStepPage::State::Running; }));

    // Enter on every page whose step is not running; the reload page moves on by itself.
    for (int i = 0; i < 400 && wizard->currentId() != CGuidedCalibration::kFinishPage; ++i) {
        auto* step = qobject_cast<CGuidedStepPage*>(wizard->currentPage());
        ASSERT_NE(step, nullptr);
        const bool idle = step->StepState() != CGuidedStepPage::State::Running &&
                          wizard->button(QWizard::NextButton)->isEnabled();
        if (idle && step->Def().step != GuidedStep::Reload)
            press(Qt::Key_Return);
        WaitFor([] { return false; }, 100);
    }
    ASSERT_EQ(wizard->currentId(), CGuidedCalibration::kFinishPage);
    for (const CGuidedStepPage* step : wizard->Steps())
        EXPECT_EQ(step->StepState(), CGuidedStepPage::State::Done)
            << CGuidedStepPage::StepTitle(step->Def()).toStdString() << ": "
            << step->ResultText().toStdString();
    // Each reading over its own media, saved as the pages' buttons save them.
    const std::string ini = ReadFile("parameterset.ini");
    for (const char* saved : {"RMid=4.3725", "RHeigh=4.6471", "RConfig2=144", "TConfig2=176"})
        EXPECT_NE(ini.find(saved), std::string::npos) << saved << "\n" << ini;
    bool listed = false;
    for (QLabel* label : wizard->currentPage()->findChildren<QLabel*>())
        listed = listed || label->text().contains(QStringLiteral("RMid=4.3725"));
    EXPECT_TRUE(listed);
    // The verdict on every step of the media the virtual printer put under the sensors.
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        const verdict::Result result = verdict::Judge(wizard->VerdictInput(sensor));
        EXPECT_EQ(result.verdict, verdict::Outcome::kPass);
        EXPECT_TRUE(result.complete);
    }
    // The flow's report, from its record.
    auto* finish = qobject_cast<CGuidedFinishPage*>(wizard->currentPage());
    ASSERT_NE(finish, nullptr);
    QString error;
    ASSERT_TRUE(finish->SaveReport("report.pdf", &error)) << error.toStdString();
    EXPECT_TRUE(ReadFile("report.pdf").rfind("%PDF", 0) == 0);
    press(Qt::Key_Return); // Finish
    EXPECT_TRUE(WaitFor([wizard] { return !wizard->isVisible(); }));
    EXPECT_TRUE(g_bPortOpen);
    dlg.reset();
    PlaceMediaOnVirtualPrinter(nullptr);
}

} // namespace
