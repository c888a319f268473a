// test-labels: threaded e2e
// The adjustment buttons of both sensor pages on the virtual printer, in real time: a run
// converges with the page showing every reading and its progress, the levels land in the
// sensor's section, the monitor polls again after; a page activation stops a run within one
// pass; a start while the previous worker finishes does not hold the window; a port that
// fails leaves the page adjusting and says that the run has stopped; the stop control, the
// note of a standard out of reach, replies without a reading, silence and a hang-up, each
// with what the progress line says.
#include "SensorPageE2E.h"

#include <chrono>
#include <thread>

#include "sensor/AdjustState.h"

using namespace uitest;

namespace {

tarvello::sim::Sensor SimSensor(bool reflective) {
    return reflective ? tarvello::sim::Sensor::Reflective : tarvello::sim::Sensor::Transmissive;
}

class AdjustE2E : public SensorE2E {
  protected:
    // Status frames between the first and the last reading frame of a kind.
    int StatusFramesDuringRun(FrameKind reading) const {
        const auto log = printer.FrameLog();
        int first = -1, last = -1;
        for (int k = 0; k < static_cast<int>(log.size()); ++k) {
            if (log[k].kind == reading) {
                first = first < 0 ? k : first;
                last = k;
            }
        }
        int status = 0;
        for (int k = first; first >= 0 && k <= last; ++k)
            status += log[k].kind == FrameKind::Status ? 1 : 0;
        return status;
    }
};

TEST_F(AdjustE2E, BothSensorsConvergeShowEveryReadingAndSaveTheirLevels) {
    struct Case {
        int tab;
        const char* typed; // saved as typed
        int standardEdit, startButton, readingEdit, intensityEdit;
        int disabled[3];
        int readingButtons[2];
        FrameKind frames;
        const char* expectedFile; // with %d for the level and the intensity
    };
    const Case cases[] = {
        {1,
         "2.50",
         1031,
         1025,
         1041,
         1033,
         {1041, 1032, 1057},
         {1045, 1026},
         FrameKind::ReflectiveReading,
         "[RVoltage]\r\nRBase=2.50\r\n[RConfig]\r\nRConfig1=%d\r\nRConfig2=%d\r\n"},
        {2,
         " 2.0",
         1046,
         1027,
         1055,
         1023,
         {1020, 1019, 0},
         {1047, 1028},
         FrameKind::TransmissiveReading,
         "[RVoltage]\r\nRBase=2.50\r\n[RConfig]\r\nRConfig1=%d\r\nRConfig2=%d\r\n"
         "[TVoltage]\r\nTBase= 2.0\r\n[TConfig]\r\nTConfig1=%d\r\nTConfig2=%d\r\n"},
    };
    int savedLevels[4] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const bool reflective = c.tab == 1;
        Activate(c.tab);
        auto* page = qobject_cast<CSensorPage*>(dlg->Sheet()->widget(c.tab));
        EventCounter updates(page, reflective ? QEvent::User + 101 : QEvent::User + 100);
        printer.ClearLog();
        Type(page, c.standardEdit, QString::fromLatin1(c.typed));
        Button(page, c.startButton)->click();

        // The adjusting state at once: the start is no exchange of the UI thread.
        EXPECT_FALSE(tarvello::ui::BackgroundRunActive());
        EXPECT_TRUE(IsAdjustmentRunning());
        EXPECT_TRUE(page->IsAdjusting());
        EXPECT_FALSE(Button(page, c.startButton)->isEnabled());
        for (int id : c.disabled) {
            if (id) {
                EXPECT_FALSE(Find<QWidget>(page, id)->isEnabled()) << id;
            }
        }
        // The transmissive liner voltage edit, which shows the readings, stays enabled.
        EXPECT_EQ(Find<QWidget>(page, c.readingEdit)->isEnabled(), !reflective);
        for (int id : c.readingButtons)
            EXPECT_FALSE(Button(page, id)->isVisible()) << id;
        EXPECT_TRUE(Progress(page)->isVisible());
        EXPECT_TRUE(Progress(page)->text().contains(QStringLiteral("灵敏度 11")))
            << Progress(page)->text().toStdString();
        // The standard was saved as typed before the first frame.
        EXPECT_NE(ReadFile("parameterset.ini").find(c.typed), std::string::npos);

        // The progress follows the passes while the run goes on.
        ASSERT_TRUE(WaitFor([&] { return updates.count >= 2; }, 10000));
        EXPECT_TRUE(Progress(page)->text().contains(QStringLiteral("第 ")));
        EXPECT_FALSE(Progress(page)->text().contains(QStringLiteral("第 0 次")));

        ASSERT_TRUE(WaitFor([&] { return !IsAdjustmentRunning() && !page->IsAdjusting(); }, 60000));
        EXPECT_EQ(LastAdjustmentExitCode(), 0);
        // One update per pass (the printer answers every frame), each shown.
        EXPECT_EQ(static_cast<uint32_t>(updates.count), AdjustmentPasses());
        EXPECT_EQ(static_cast<int>(FramesOf(c.frames).size()), updates.count);
        EXPECT_EQ(FramesOf(c.frames).front().substr(3), "11000");
        const float result = g_fAdjustResult.load();
        EXPECT_TRUE(InBand(reflective ? Sensor::Reflective : Sensor::Transmissive,
                           page->m_fVoltStandard, result));
        EXPECT_EQ(Text(page, c.readingEdit), Shown(result));
        const int level = printer.Level(SimSensor(reflective));
        const int intensity = printer.Intensity(SimSensor(reflective));
        EXPECT_EQ(page->m_cbSensitivity->currentIndex(), level);
        EXPECT_EQ(Text(page, c.intensityEdit), QString::number(intensity));
        // The adjusted state.
        EXPECT_TRUE(Button(page, c.startButton)->isEnabled());
        for (int id : c.disabled) {
            if (id) {
                EXPECT_TRUE(Find<QWidget>(page, id)->isEnabled()) << id;
            }
        }
        for (int id : c.readingButtons)
            EXPECT_TRUE(Button(page, id)->isVisible()) << id;
        // The line says what the run found, and the stop control has gone.
        EXPECT_TRUE(Progress(page)->isVisible());
        EXPECT_EQ(Progress(page)->text(),
                  QStringLiteral("自动调节完成: 灵敏度 %1  发光强度 %2  %3 V")
                      .arg(page->m_cbSensitivity->currentText())
                      .arg(intensity)
                      .arg(QString::asprintf("%.4f", static_cast<double>(result))));
        EXPECT_FALSE(StopControl(page)->isVisible());
        savedLevels[reflective ? 0 : 2] = level;
        savedLevels[reflective ? 1 : 3] = intensity;
        char expected[256];
        std::snprintf(expected, sizeof expected, c.expectedFile, savedLevels[0], savedLevels[1],
                      savedLevels[2], savedLevels[3]);
        EXPECT_EQ(ReadFile("parameterset.ini"), expected);
        EXPECT_EQ(StatusFramesDuringRun(c.frames), 0) << "the monitor polled during the run";
        EXPECT_EQ(CMonitorThread().SuspendCount(), suspendBaseline);
    }
    const int polls = printer.FrameCount(FrameKind::Status);
    EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, polls + 1, 6000))
        << "the monitor polls again after the runs";
}

TEST_F(AdjustE2E, PageActivationStopsARunWithinOnePass) {
    Activate(1);
    Type(p2, 1031, QStringLiteral("5.0")); // no intensity reaches it: the run goes on
    Button(p2, 1025)->click();
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, 2, 5000));
    Activate(2); // never waits for the worker
    const int framesAtSwitch = printer.FrameCount(FrameKind::ReflectiveReading);
    EXPECT_TRUE(g_bAdjustStop);
    ASSERT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 3000));
    EXPECT_EQ(LastAdjustmentExitCode(), 0);
    EXPECT_LE(printer.FrameCount(FrameKind::ReflectiveReading), framesAtSwitch + 1);
    // Back on the page: idle, the start enabled, the reading buttons still hidden, the line
    // saying why the run ended, the levels not saved.
    Activate(1);
    EXPECT_FALSE(p2->IsAdjusting());
    EXPECT_TRUE(Button(p2, 1025)->isEnabled());
    EXPECT_FALSE(Button(p2, 1045)->isVisible());
    EXPECT_TRUE(Progress(p2)->isVisible());
    EXPECT_EQ(Progress(p2)->text(),
              QStringLiteral("自动调节已停止: 切换了页面 (第 %1 次)").arg(AdjustmentPasses()));
    EXPECT_FALSE(StopControl(p2)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"), "[RVoltage]\r\nRBase=5.0\r\n");
}

TEST_F(AdjustE2E, StartWhileTheStoppedWorkerFinishesDoesNotHoldTheWindow) {
    Activate(2);
    Type(p3, 1046, QStringLiteral("0.1")); // out of reach of the model
    Button(p3, 1027)->click();
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::TransmissiveReading, 1, 5000));
    // A slow printer keeps the worker in its reply attempts after the stop request.
    printer.SetReplyDelayMs(1000);
    const int before = printer.FrameCount(FrameKind::TransmissiveReading);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::TransmissiveReading, before + 1, 5000));
    Activate(1);
    Activate(2);
    ASSERT_TRUE(IsAdjustmentRunning());
    Type(p3, 1046, QStringLiteral("2.0"));
    Button(p3, 1027)->click();
    // The handler returned while the earlier worker finishes; the sheet takes no input.
    EXPECT_TRUE(tarvello::ui::BackgroundRunActive());
    EXPECT_FALSE(dlg->Sheet()->isEnabled());
    EXPECT_FALSE(p3->IsAdjusting());
    printer.SetReplyDelayMs(2);
    ASSERT_TRUE(WaitIdle(10000));
    // Then the new run started from level 3, intensity 0 and converges.
    EXPECT_TRUE(dlg->Sheet()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !IsAdjustmentRunning() && !p3->IsAdjusting(); }, 60000));
    EXPECT_EQ(LastAdjustmentExitCode(), 0);
    const auto frames = FramesOf(FrameKind::TransmissiveReading);
    const auto restart = std::find(frames.begin() + 1, frames.end(), std::string("\x02JT11000"));
    EXPECT_NE(restart, frames.end());
    EXPECT_TRUE(Button(p3, 1047)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini").substr(0, 23), "[TVoltage]\r\nTBase=2.0\r\n");
}

TEST_F(AdjustE2E, APortFailureLeavesThePageAdjustingAndSaysTheRunStopped) {
    Activate(1);
    Type(p2, 1031, QStringLiteral("5.0"));
    Button(p2, 1025)->click();
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, 2, 5000));
    ClosePort(); // as the port page does, from another thread than the worker's
    ASSERT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 3000));
    EXPECT_EQ(LastAdjustmentExitCode(), 1);
    ASSERT_TRUE(WaitFor([&] { return Progress(p2)->text().contains(QStringLiteral("已停止")); }));
    EXPECT_EQ(Progress(p2)->text(),
              QStringLiteral("自动调节已停止: 串口已关闭 (第 %1 次)").arg(AdjustmentPasses()));
    EXPECT_TRUE(Progress(p2)->isVisible());
    EXPECT_TRUE(p2->IsAdjusting());
    EXPECT_FALSE(Button(p2, 1025)->isEnabled());
    // The next activation makes the page idle; the line still says why the run ended.
    Activate(2);
    Activate(1);
    EXPECT_TRUE(Progress(p2)->text().startsWith(QStringLiteral("自动调节已停止: 串口已关闭")));
    EXPECT_TRUE(Button(p2, 1025)->isEnabled());
}

// What the page shows of its state: the controls an adjustment and an activation change, and
// the values an activation loads.
QString PageState(CSensorPage* page) {
    QStringList state;
    for (int id : {1025, 1041, 1032, 1057, 1033, 1031})
        state << QStringLiteral("%1:%2").arg(id).arg(Find<QWidget>(page, id)->isEnabled());
    for (int id : {1045, 1026})
        state << QStringLiteral("%1:%2").arg(id).arg(Find<QWidget>(page, id)->isVisible());
    for (int id : {1031, 1033})
        state << Find<QLineEdit>(page, id)->text();
    state << page->m_cbSensitivity->currentText() << QString::number(page->m_fVoltStandard);
    return state.join(QLatin1Char(' '));
}

// A standard this media cannot reach: once the search has been through all four levels the
// line says the standard may be out of reach, and the search goes on. The stop control ends
// the run within one pass, the line says who stopped it, and the page is as an activation
// leaves it (the saved standard and levels shown, the controls enabled).
TEST_F(AdjustE2E, StopControlEndsARunWithinOnePassAndLeavesThePageAsAnActivationDoes) {
    WriteFile("parameterset.ini", "[RConfig]\r\nRConfig1=2\r\nRConfig2=140\r\n");
    Activate(1);
    Type(p2, 1031, QStringLiteral("5.0")); // the reflective model gives at most 4.7059 V
    Button(p2, 1025)->click();
    ASSERT_TRUE(StopControl(p2)->isVisible());
    EXPECT_EQ(StopControl(p2)->accessibleName(), QStringLiteral("停止自动调节"));
    EXPECT_FALSE(Progress(p2)->geometry().intersects(StopControl(p2)->geometry()));
    ASSERT_TRUE(WaitFor(
        [&] { return Progress(p2)->text().contains(QStringLiteral("此介质可能达不到该电压标准")); },
        30000))
        << Progress(p2)->text().toStdString();
    const int levelsSent = static_cast<int>(FramesOf(FrameKind::ReflectiveReading).size());
    EXPECT_GE(levelsSent, 26) << "3 once, then 0, 1 and 2 from 127 down to 15";
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::ReflectiveReading, levelsSent + 1, 5000))
        << "the search goes on";

    const int framesAtStop = printer.FrameCount(FrameKind::ReflectiveReading);
    StopControl(p2)->click();
    // The page as an activation leaves it, at once: the saved standard and levels, the controls
    // enabled. (The pass under way may still post its reading, as after an activation.)
    const QString afterStop = PageState(p2);
    EXPECT_EQ(afterStop, QStringLiteral("1025:1 1041:1 1032:1 1057:1 1033:1 1031:1 1045:0 1026:0 "
                                        "5 140 10 5"));
    EXPECT_TRUE(g_bAdjustStop);
    EXPECT_FALSE(StopControl(p2)->isVisible());
    EXPECT_FALSE(p2->IsAdjusting());
    ASSERT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 3000));
    EXPECT_LE(printer.FrameCount(FrameKind::ReflectiveReading), framesAtStop + 1);
    ASSERT_TRUE(WaitFor([&] { return Progress(p2)->text().contains(QStringLiteral("按了")); }));
    EXPECT_EQ(Progress(p2)->text(),
              QStringLiteral("自动调节已停止: 按了“停止” (第 %1 次)").arg(AdjustmentPasses()));
    Activate(2);
    Activate(1);
    EXPECT_EQ(PageState(p2), afterStop);
}

// Replies without a reading and a silent printer do not end a run: the line says so while the
// search goes on. A printer that then hangs up ends the run when the next frame cannot be
// written. (A printer of its own: it cannot answer again after the hang-up.)
TEST_F(AdjustE2E, NoReadingAndSilenceShowWhileTheRunGoesOnAndAHangUpEndsIt) {
    Activate(0);
    Button(dlg->Sheet()->widget(0), 1017)->click();
    ASSERT_TRUE(WaitIdle());
    VirtualPrinter second;
    ASSERT_TRUE(second.Start());
    PortSettings settings;
    settings.nPort = AddExtraPort(second.DevicePath());
    settings.dwBaudRate = 38400;
    settings.byByteSize = 8;
    ASSERT_EQ(OpenPort(settings), 0);
    second.SetGarbage(true);
    Activate(1);
    Type(p2, 1031, QStringLiteral("2.5"));
    Button(p2, 1025)->click();
    ASSERT_TRUE(WaitFor([&] {
        return Progress(p2)->text().contains(QStringLiteral("应答无读数 (连续 "));
    })) << Progress(p2)->text().toStdString();
    second.SetGarbage(false);
    second.SetSilent(true);
    ASSERT_TRUE(WaitFor([&] {
        return Progress(p2)->text().contains(QStringLiteral("打印机无应答 (连续 1 次)"));
    })) << Progress(p2)->text().toStdString();
    EXPECT_TRUE(IsAdjustmentRunning());
    EXPECT_TRUE(StopControl(p2)->isVisible());
    second.HangUp();
    ASSERT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 5000));
    EXPECT_EQ(LastAdjustmentExitCode(), 1);
    ASSERT_TRUE(WaitFor([&] { return !StopControl(p2)->isVisible(); }));
    // Whichever sees the hang-up first: the frame's write, or the read of a line that is gone.
    const QString pass = QStringLiteral(" (第 %1 次)").arg(AdjustmentPasses());
    EXPECT_TRUE(Progress(p2)->text() == QStringLiteral("自动调节已停止: 命令无法写入串口") + pass ||
                Progress(p2)->text() == QStringLiteral("自动调节已停止: 串口已关闭") + pass)
        << Progress(p2)->text().toStdString();
    EXPECT_TRUE(p2->IsAdjusting()) << "a failed run leaves the page adjusting until activated";
    ClosePort();
}

} // namespace
