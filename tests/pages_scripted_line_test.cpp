// The window on a scripted line in virtual time (tests/FakeLine.h): the port page's states
// after a failed write and after a 'Yes' to the handshake, which activations stop a running
// adjustment, a success whose levels an activation tries to overwrite, the window taking no
// input while a reading runs, and saves of a parameter file that cannot be written.
#include "UiTestSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QTest>

#include <chrono>
#include <memory>
#include <sys/stat.h>
#include <thread>

#include "FakeLine.h"
#include "app/TarvelloDlg.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

using uitest::Find;
using uitest::ReadFile;
using uitest::WriteFile;

namespace {

// Waits for a worker without running the event loop (nothing posted is handled meanwhile).
bool SpinUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pred();
}

// The printer's reply to every frame of a kind: the 3-byte STX "k" CR, 8-byte adjustment
// frames, the 3 intensity characters of a single reading.
std::function<std::vector<FakeLine::Reply>(const FakeLine::Bytes&)>
Answer(std::string handshake, std::string adjust, std::string reading) {
    return [=](const FakeLine::Bytes& w) {
        const std::string s(w.begin(), w.end());
        if (s == "\x02k\r")
            return std::vector<FakeLine::Reply>{{handshake, 0}};
        if (s.size() == 8 && s[1] == 'J')
            return std::vector<FakeLine::Reply>{{adjust, 0}};
        if (s.size() == 3 && s[0] != '\x02')
            return std::vector<FakeLine::Reply>{{reading, 0}};
        return std::vector<FakeLine::Reply>{};
    };
}

FakeLine* s_line = nullptr; // for a sleep hook, which takes no state

class ScriptedLine : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        line.Install();
        dlg = std::make_unique<CTarvelloDlg>();
        dlg->show();
        p1 = dlg->Sheet()->widget(0);
        p2 = qobject_cast<CPage2*>(dlg->Sheet()->widget(1));
        p3 = qobject_cast<CPage3*>(dlg->Sheet()->widget(2));
    }
    void TearDown() override {
        dlg.reset(); // ends any run and closes the port
        EXPECT_EQ(CMonitorThread().SuspendCount(), 0);
        EXPECT_EQ(line.CallsOnClosedHandle(), 0);
        line.Uninstall();
        uitest::UiTest::TearDown();
    }
    // The port open on the line, without a monitor.
    void OpenDirectly() {
        PortSettings s;
        s.dwBaudRate = 38400;
        s.byByteSize = 8;
        ASSERT_EQ(OpenPort(s), 0);
    }
    QPushButton* Button(QWidget* page, int id) { return Find<QPushButton>(page, id); }
    void Type(QWidget* page, int id, const char* text) {
        Find<QLineEdit>(page, id)->setText(QString::fromUtf8(text));
    }

    FakeLine line;
    std::unique_ptr<CTarvelloDlg> dlg;
    QWidget* p1 = nullptr;
    CPage2* p2 = nullptr;
    CPage3* p3 = nullptr;
};

TEST_F(ScriptedLine, OpenWithoutMonitorIsHarmlessToTheSensorPagesAndCloseRecovers) {
    for (int failedStep : {4, 7}) {
        SCOPED_TRACE(failedStep);
        messages.clear();
        line.OnWrite(Answer("Y", "", "128/"));
        if (failedStep == 4) {
            line.SetShortWrites(1); // STX "k" CR
        } else {
            // STX "&" ...: made short during the handshake's one-second wait.
            s_line = &line;
            tarvello::SetSleepHook([](unsigned ms) {
                if (ms == 1000)
                    s_line->SetShortWrites(1);
            });
        }
        Button(p1, 1016)->click();
        ASSERT_TRUE(uitest::WaitIdle());
        line.Install(); // the line's own clock again
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("串口打开错误!"));
        EXPECT_TRUE(beeps.empty());
        EXPECT_TRUE(g_bPortOpen);
        EXPECT_FALSE(CMonitorThread().IsRunning());
        EXPECT_FALSE(Button(p1, 1016)->isEnabled());
        EXPECT_TRUE(Button(p1, 1017)->isEnabled());

        // A reading suspends and resumes a monitor that does not run.
        dlg->Sheet()->setCurrentIndex(1);
        p2->OnGetMarkVoltage();
        ASSERT_TRUE(uitest::WaitIdle());
        EXPECT_EQ(Find<QLineEdit>(p2, 1057)->text(), QStringLiteral("2.5098"));
        EXPECT_EQ(CMonitorThread().SuspendCount(), 0);

        dlg->Sheet()->setCurrentIndex(0);
        Button(p1, 1017)->click();
        ASSERT_TRUE(uitest::WaitIdle());
        EXPECT_TRUE(Button(p1, 1016)->isEnabled());
        EXPECT_FALSE(Button(p1, 1017)->isEnabled());
        EXPECT_FALSE(g_bPortOpen);
        EXPECT_EQ(line.OpenHandles(), 0);
    }
}

TEST_F(ScriptedLine, AHandshakeAnsweredYesIsAccepted) {
    line.OnWrite(Answer("Yes", "", ""));
    Button(p1, 1016)->click();
    ASSERT_TRUE(uitest::WaitIdle());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(g_bPortOpen);
    EXPECT_EQ(line.CountWrites(BuildAccessFrame()), 1u);
    EXPECT_TRUE(CMonitorThread().IsRunning());
    Button(p1, 1017)->click();
    ASSERT_TRUE(uitest::WaitIdle());
    EXPECT_FALSE(CMonitorThread().IsRunning());
}

TEST_F(ScriptedLine, SensorPageActivationsStopARunAndThePortPageDoesNot) {
    OpenDirectly();
    line.OnWrite(Answer("", "x", "")); // no reading: the runs go on without updates
    const struct {
        int tab, standard, start, other;
    } runs[] = {{1, 1031, 1025, 2}, {2, 1046, 1027, 1}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.tab);
        dlg->Sheet()->setCurrentIndex(run.tab);
        Type(dlg->Sheet()->widget(run.tab), run.standard, "2.0");
        Button(dlg->Sheet()->widget(run.tab), run.start)->click();
        ASSERT_TRUE(SpinUntil([] { return AdjustmentPasses() >= 2; }));
        dlg->Sheet()->setCurrentIndex(0);
        const uint32_t passes = AdjustmentPasses();
        EXPECT_FALSE(g_bAdjustStop);
        EXPECT_TRUE(SpinUntil([&] { return AdjustmentPasses() >= passes + 2; }));
        EXPECT_TRUE(IsAdjustmentRunning());
        dlg->Sheet()->setCurrentIndex(run.other);
        EXPECT_TRUE(SpinUntil([] { return !IsAdjustmentRunning(); }));
        EXPECT_EQ(LastAdjustmentExitCode(), 0);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ScriptedLine, ASuccessSavesItsFramesLevelsThoughAnActivationCameFirst) {
    WriteFile("parameterset.ini", "[TConfig]\r\nTConfig1=1\r\nTConfig2=77\r\n");
    OpenDirectly();
    line.OnWrite(Answer("", "r 127/", "")); // 2.4902 V: the first frame meets the band
    dlg->Sheet()->setCurrentIndex(1);
    Type(p2, 1031, "2.5");
    Button(p2, 1025)->click();
    ASSERT_TRUE(SpinUntil([] { return !IsAdjustmentRunning(); }));
    // The success is posted; the transmissive page is shown before it is handled.
    dlg->Sheet()->setCurrentIndex(2);
    ASSERT_EQ(g_nIntensity.load(), 77);
    QCoreApplication::sendPostedEvents(p2);
    EXPECT_EQ(p2->m_cbSensitivity->currentText(), QStringLiteral("11"));
    EXPECT_EQ(Find<QLineEdit>(p2, 1033)->text(), QStringLiteral("0"));
    EXPECT_EQ(ReadFile("parameterset.ini"), "[TConfig]\r\nTConfig1=1\r\nTConfig2=77\r\n"
                                            "[RVoltage]\r\nRBase=2.5\r\n"
                                            "[RConfig]\r\nRConfig1=3\r\nRConfig2=0\r\n");
}

TEST_F(ScriptedLine, WhileAReadingRunsTheWindowTakesNoInput) {
    OpenDirectly();
    line.OnWrite(Answer("", "", "128/"));
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->Sheet()->setCurrentIndex(1);
    auto* supply = Find<QComboBox>(dlg.get(), 1030);
    auto* about = dlg->findChild<QAction*>(QStringLiteral("aboutAction"));
    p2->OnGetMarkVoltage();
    // Neither the supply list nor the About box takes input until the reading is applied.
    EXPECT_FALSE(supply->isEnabled());
    EXPECT_FALSE(about->isEnabled());
    QTest::keyClick(supply, Qt::Key_Up);
    QTest::mouseClick(supply, Qt::LeftButton);
    EXPECT_EQ(supply->currentIndex(), 2);
    EXPECT_FALSE(supply->view()->isVisible());
    EXPECT_EQ(g_fSensorSupply.load(), 5.0f);
    ASSERT_TRUE(uitest::WaitIdle());
    EXPECT_EQ(Find<QLineEdit>(p2, 1057)->text(), QStringLiteral("2.5098"));
    EXPECT_TRUE(supply->isEnabled());
    EXPECT_TRUE(about->isEnabled());
}

TEST_F(ScriptedLine, ASaveThatFailsIsReportedOncePerActionAndTheTypedStandardIsTheTarget) {
    WriteFile("parameterset.ini", "[RVoltage]\r\nRBase=1.5\r\n");
    ASSERT_EQ(chmod("parameterset.ini", 0444), 0);
    OpenDirectly();
    line.OnWrite(Answer("", "r 152/", "r 152/")); // 2.9804 V: in the band at 3.0
    dlg->Sheet()->setCurrentIndex(1);
    Type(p2, 1031, "3.0");
    Button(p2, 1025)->click();
    EXPECT_EQ(g_fAdjustTarget.load(), 3.0f);
    ASSERT_TRUE(uitest::WaitFor([&] { return !p2->IsAdjusting(); }));
    EXPECT_EQ(Find<QLineEdit>(p2, 1031)->text(), QStringLiteral("3"));
    p2->OnGetMarkVoltage(); // four saves
    ASSERT_TRUE(uitest::WaitIdle());
    // The start, the success and the reading: one box each.
    ASSERT_EQ(messages.size(), 3u);
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("parameterset.ini"));
    for (const auto& m : messages) {
        EXPECT_EQ(m.caption, QStringLiteral("Note:"));
        EXPECT_EQ(m.icon, QMessageBox::Warning);
        EXPECT_EQ(
            m.text,
            QStringLiteral("参数文件保存失败!\n文件: %1\n原因: 文件只读或没有写入权限").arg(path));
    }
    EXPECT_EQ(ReadFile("parameterset.ini"), "[RVoltage]\r\nRBase=1.5\r\n");
    chmod("parameterset.ini", 0644);
}

} // namespace
