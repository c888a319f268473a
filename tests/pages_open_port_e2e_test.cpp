// test-labels: threaded e2e
// The port page against the virtual printer on a pseudo-terminal, in real time: the open
// sequence on the wire, the status group filled by the monitor, a printer that refuses, stays
// silent, answers garbage or hangs up, a port that does not exist or that another program
// holds (each with the reason the box gives), the close, and closing the window with the port
// open. The handlers run their exchanges on worker threads; the tests wait on the event loop.
#include "UiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sim/VirtualPrinter.h"

using tarvello::sim::FrameKind;
using tarvello::sim::VirtualPrinter;
using uitest::Find;

namespace {

class OpenPort : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        ASSERT_TRUE(printer.Start());
        nPort = AddExtraPort(printer.DevicePath());
        dlg = std::make_unique<CTarvelloDlg>(nullptr, nPort);
        dlg->show();
        page = qobject_cast<CPage1*>(dlg->Sheet()->widget(0));
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        dlg.reset(); // ends the monitor and closes the port if still open
        EXPECT_FALSE(g_bPortOpen);
        printer.Stop();
        uitest::UiTest::TearDown();
    }
    QPushButton* Button(int id) { return Find<QPushButton>(page, id); }
    QString Status(int id) { return Find<QLineEdit>(dlg.get(), id)->text(); }
    // Presses "打开端口" and waits until the handler has applied its result.
    void OpenAndWait() {
        Button(1016)->click();
        // The handshake runs on a worker thread: the handler has returned with the sheet
        // taking no input, and the window goes on processing events.
        EXPECT_TRUE(tarvello::ui::BackgroundRunActive());
        EXPECT_FALSE(dlg->Sheet()->isEnabled());
        // The page's line says what the open waits for, until it has ended.
        auto* line = page->findChild<QLabel*>("adjustProgress");
        EXPECT_TRUE(line->text().startsWith("正在打开 ")) << line->text().toStdString();
        ASSERT_TRUE(uitest::WaitIdle());
        EXPECT_TRUE(dlg->Sheet()->isEnabled());
        EXPECT_FALSE(line->isVisible());
    }

    VirtualPrinter printer;
    int nPort = -1;
    std::unique_ptr<CTarvelloDlg> dlg;
    CPage1* page = nullptr;
};

TEST_F(OpenPort, HandshakeAccessCodeThenStatusPollsFillTheStatusGroup) {
    EXPECT_EQ(Find<QComboBox>(page, 1003)->currentText().toStdString(), printer.DevicePath());
    dlg->activateWindow();
    Button(1016)->setFocus();
    OpenAndWait();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(g_bPortOpen);
    EXPECT_FALSE(Button(1016)->isEnabled());
    EXPECT_TRUE(Button(1017)->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), Button(1017)); // the keys go on to the next button

    // Frames on the wire, in order: STX "k" CR, the 12-byte access frame, then STX "Y" polls.
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 2, 5000));
    const std::string raw = printer.RawReceived();
    const std::string expected =
        std::string("\x02k\r", 3) + std::string("\x02&58203716\x13\x00", 12);
    ASSERT_GE(raw.size(), expected.size() + 4);
    EXPECT_EQ(raw.substr(0, expected.size()), expected);
    EXPECT_EQ(raw.substr(expected.size(), 4), std::string("\x02Y\x02Y", 4));
    const auto log = printer.FrameLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0].kind, FrameKind::Handshake);
    EXPECT_EQ(log[1].kind, FrameKind::AccessCode);
    for (size_t i = 2; i < log.size(); ++i)
        EXPECT_EQ(log[i].kind, FrameKind::Status) << i;
    EXPECT_EQ(g_PortSettings.load().nPort, nPort);
    EXPECT_EQ(g_PortSettings.load().dwBaudRate, 38400u);

    // The monitor's texts reach the status edits through posted events (printer: exist 128,
    // headpos 7, ribbon 255 at 5.0 V).
    ASSERT_TRUE(uitest::WaitFor([&] { return Status(1048) != QLatin1String("0"); }));
    ASSERT_TRUE(uitest::WaitFor([&] { return Status(1042) != QLatin1String("0"); }));
    ASSERT_TRUE(uitest::WaitFor([&] { return Status(1021) != QLatin1String("0"); }));
    EXPECT_EQ(Status(1042), QStringLiteral("2.5098"));
    EXPECT_EQ(Status(1021), QStringLiteral("0.1373"));
    EXPECT_EQ(Status(1048), QStringLiteral("5.0000"));

    // Close: "关闭端口" disabled at once, "打开端口" enabled when the port is closed.
    Button(1017)->click();
    EXPECT_FALSE(Button(1017)->isEnabled());
    ASSERT_TRUE(uitest::WaitIdle());
    EXPECT_TRUE(Button(1016)->isEnabled());
    EXPECT_FALSE(Button(1017)->isEnabled());
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    const int polls = printer.FrameCount(FrameKind::Status);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(printer.FrameCount(FrameKind::Status), polls); // the monitor has ended

    // The port opens again after a close.
    OpenAndWait();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(g_bPortOpen);
}

TEST_F(OpenPort, RefusedOrSilentHandshakeClosesThePortThenBoxThenBeep) {
    struct Case {
        const char* name;
        bool silent, refuse, garbage;
        const char* reason; // in the box's informative text
    };
    const Case cases[] = {
        {"printer answers N", false, true, false, "打印机的应答不是 “Y”，收到：4E (\"N\")。"},
        {"silent printer", true, false, false, "打印机在 1 秒内没有应答握手命令。"},
        {"printer answers garbage", false, false, true, "打印机的应答不是 “Y”，收到："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        beeps.clear();
        beepAfterMessages.clear();
        printer.ClearLog();
        printer.SetRejectHandshake(c.refuse);
        printer.SetSilent(c.silent);
        printer.SetGarbage(c.garbage);
        OpenAndWait();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Note:"));
        EXPECT_EQ(messages[0].text, QStringLiteral("串口打开错误!"));
        EXPECT_EQ(messages[0].icon, QMessageBox::Information);
        EXPECT_TRUE(messages[0].informativeText.startsWith(QString::fromUtf8(c.reason)))
            << messages[0].informativeText.toStdString();
        EXPECT_TRUE(messages[0].informativeText.endsWith(QStringLiteral("请按“关闭端口”后再试。")));
        ASSERT_EQ(beeps.size(), 1u);
        EXPECT_EQ(beeps[0], std::make_pair(1000u, 1000u));
        EXPECT_EQ(beepAfterMessages[0], 1u); // the beep sounds after the box
        EXPECT_FALSE(g_bPortOpen);
        EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
        // "关闭端口" stays enabled and must be pressed before the next attempt.
        EXPECT_FALSE(Button(1016)->isEnabled());
        EXPECT_TRUE(Button(1017)->isEnabled());
        EXPECT_EQ(printer.FrameCount(FrameKind::AccessCode), 0);
        EXPECT_EQ(printer.FrameCount(FrameKind::Status), 0);
        Button(1017)->click();
        ASSERT_TRUE(uitest::WaitIdle());
        EXPECT_TRUE(Button(1016)->isEnabled());
    }
    // A printer that answers again is accepted on the next attempt.
    printer.SetSilent(false);
    printer.SetRejectHandshake(false);
    printer.SetGarbage(false);
    messages.clear();
    OpenAndWait();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(g_bPortOpen);
}

// Another program holds the device (a process of its own that locks it, as a second instance
// of the tool does): the box says so, nothing is sent, no beep. Once it has let go, a printer
// that hangs up right after the handshake frame gives the silent printer's reason and the beep.
TEST_F(OpenPort, PortHeldByAnotherProgramOrHungUpPrinterSayWhy) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const std::string device = printer.DevicePath();
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // Only calls that are safe in the child of a process with threads.
        const int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
        const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        char any;
        (void)!read(release[0], &any, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    OpenAndWait();
    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    waitpid(holder, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("串口打开错误!"));
    EXPECT_EQ(messages[0].informativeText,
              QString::fromStdString(device) +
                  QStringLiteral(" 已被另一个程序占用。请关闭正在使用它的程序后再试。"));
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(Button(1016)->isEnabled());
    EXPECT_EQ(printer.TotalFrames(), 0);

    messages.clear();
    printer.SetHangUpAfterFrames(1);
    OpenAndWait();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].informativeText.startsWith(
        QStringLiteral("打印机在 1 秒内没有应答握手命令。")));
    EXPECT_EQ(beeps.size(), 1u);
    EXPECT_FALSE(g_bPortOpen);
}

TEST_F(OpenPort, PortThatDoesNotExistShowsOnlyTheBox) {
    // A device that is not there, selected at the first activation of a new window.
    const int missing = AddExtraPort("/dev/tarvello-no-such-port");
    dlg.reset();
    CPage1::ResetFirstActivation();
    dlg = std::make_unique<CTarvelloDlg>(nullptr, missing);
    dlg->show();
    page = qobject_cast<CPage1*>(dlg->Sheet()->widget(0));
    ASSERT_EQ(Find<QComboBox>(page, 1003)->currentText(),
              QStringLiteral("/dev/tarvello-no-such-port"));
    // The lists' selections go into the settings: 57600, 7 data bits, two stop bits, even
    // parity, CTS/RTS (the list's index 1).
    Find<QComboBox>(page, 1004)->setCurrentIndex(4);
    Find<QComboBox>(page, 1005)->setCurrentIndex(1);
    Find<QComboBox>(page, 1006)->setCurrentIndex(1);
    Find<QComboBox>(page, 1007)->setCurrentIndex(2);
    Find<QComboBox>(page, 1008)->setCurrentIndex(1);
    OpenAndWait();
    const PortSettings s = g_PortSettings.load();
    EXPECT_EQ(s.nPort, missing);
    EXPECT_EQ(s.dwBaudRate, 57600u);
    EXPECT_EQ(s.byByteSize, 7);
    EXPECT_EQ(s.byStopBits, 2);
    EXPECT_EQ(s.byParity, 2);
    EXPECT_EQ(s.nHandshake, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("串口打开错误!"));
    EXPECT_EQ(messages[0].informativeText,
              QStringLiteral("设备 /dev/tarvello-no-such-port 不存在。请检查串口号，"
                             "以及 USB 转串口线是否已插好。"));
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(Button(1016)->isEnabled());
    EXPECT_FALSE(Button(1017)->isEnabled());
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(printer.TotalFrames(), 0);
}

TEST_F(OpenPort, ClosingTheWindowEndsTheMonitorAndClosesThePort) {
    OpenAndWait();
    ASSERT_TRUE(g_bPortOpen);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 5000));
    g_bAdjustStop = false;
    dlg->close();
    // The close waits on a worker thread; the window is still there meanwhile.
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_TRUE(uitest::WaitFor([&] { return !dlg->isVisible(); }, 10000));
    EXPECT_TRUE(g_bAdjustStop);
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
    const int polls = printer.FrameCount(FrameKind::Status);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(printer.FrameCount(FrameKind::Status), polls);
}

// A printer that hangs up while the port is open: the window says the connection was lost and
// closes the port as "关闭端口" would, once.
TEST_F(OpenPort, ALineThatGoesAwayIsSaidAndClosesThePort) {
    OpenAndWait();
    ASSERT_TRUE(g_bPortOpen);
    messages.clear();
    printer.HangUp();
    ASSERT_TRUE(uitest::WaitFor([&] { return Button(1016)->isEnabled(); }, 5000));
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_FALSE(Button(1017)->isEnabled());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("连接已断开")))
        << messages[0].text.toStdString();
}

TEST_F(OpenPort, CloseRequestDuringTheHandshakeWaitsForIt) {
    Button(1016)->click();
    ASSERT_TRUE(tarvello::ui::BackgroundRunActive());
    dlg->close();
    EXPECT_TRUE(dlg->isVisible());
    // Asked first: stop it and close.
    QMessageBox* question = nullptr;
    ASSERT_TRUE(uitest::WaitFor([&] {
        question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return question != nullptr;
    }));
    question->button(QMessageBox::Yes)->click();
    ASSERT_TRUE(uitest::WaitFor([&] { return !dlg->isVisible(); }, 10000));
    // The open ran to its end (access frame sent), then the close ended it all.
    EXPECT_EQ(printer.FrameCount(FrameKind::AccessCode), 1);
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(g_hCom.load(), kInvalidPortHandle);
}

TEST_F(OpenPort, StatusTextsPostedFromAnotherThreadReachTheEdits) {
    std::thread monitorLike([this] {
        dlg->ShowStatus(1042, "1.2345");
        dlg->ShowStatus(1021, "0.0000");
        dlg->ShowStatus(1048, "4.9999");
    });
    monitorLike.join();
    EXPECT_EQ(Status(1042), QStringLiteral("0")); // posted, not written from the thread
    ASSERT_TRUE(uitest::WaitFor([&] { return Status(1048) == QLatin1String("4.9999"); }));
    EXPECT_EQ(Status(1042), QStringLiteral("1.2345"));
    EXPECT_EQ(Status(1021), QStringLiteral("0.0000"));
}

} // namespace
