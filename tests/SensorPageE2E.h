// The sensor pages' end-to-end tests: the main window on the virtual printer with the port
// opened through the port page, the monitor polling, and helpers to drive the sensor pages.
#pragma once

#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

namespace uitest {

using tarvello::sim::FrameKind;
using tarvello::sim::VirtualPrinter;

// Counts the events of one type that reach an object.
class EventCounter : public QObject {
  public:
    EventCounter(QObject* target, int type) : m_type(type) { target->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (static_cast<int>(e->type()) == m_type)
            ++count;
        return false;
    }

  private:
    int m_type;
};

// How the pages show a float ("%.6g").
inline QString Shown(float v) {
    return QString::asprintf("%.6g", static_cast<double>(v));
}

// A raw reading as the tool turns it into volts: value / 255 * supply, rounded by "%6.4f".
inline float VoltsOf(int raw, double supply = 5.0) {
    char text[32];
    std::snprintf(text, sizeof text, "%6.4f", raw / 255.0 * supply);
    return static_cast<float>(std::atof(text));
}

// One window and one virtual printer for all tests of a program (the port's handshake and
// close take a second each); every test gets its own working directory, a printer without
// faults, the sensor pages as a new window shows them, and the port open.
class SensorE2E : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        App();
        s_startDir = std::filesystem::current_path();
        s_printer = new VirtualPrinter;
        ASSERT_TRUE(s_printer->Start());
        g_fAdjustResult = 0.0f;
        g_bAdjustStop = false;
        CPage1::ResetFirstActivation();
        s_dlg = new CTarvelloDlg(nullptr, AddExtraPort(s_printer->DevicePath()));
        s_dlg->show();
    }
    static void TearDownTestSuite() {
        delete s_dlg; // ends any adjustment and the monitor, closes the port
        s_dlg = nullptr;
        EXPECT_FALSE(g_bPortOpen);
        s_printer->Stop();
        delete s_printer;
        s_printer = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_dlg && p2 && p3);
        char pattern[] = "/tmp/tarvello-ui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        std::filesystem::current_path(m_dir);
        // An empty parameter file: the pages' file objects reload it before every write (a
        // missing file would leave them with the previous test's lines).
        WriteFile("parameterset.ini", "");
        tarvello::ui::SetMessageHook(
            [this](const tarvello::ui::MessageRecord& r) { messages.push_back(r); });
        tarvello::ui::SetBeepHook([](unsigned, unsigned) {});
        // A printer without faults.
        printer.SetSilent(false);
        for (FrameKind kind :
             {FrameKind::ReflectiveReading, FrameKind::TransmissiveReading, FrameKind::KeValue})
            printer.SetSilentFor(kind, false);
        printer.SetGarbage(false);
        printer.SetReplyDelayMs(2);
        for (auto sensor : {tarvello::sim::Sensor::Reflective, tarvello::sim::Sensor::Transmissive})
            printer.SetReadingOverride(sensor, std::nullopt);
        for (const char* selector : {"0f", "02", "0e", "14", "13"})
            printer.SetKeValue(selector, std::nullopt);
        // The sensor pages as a new window shows them: zeros, reading buttons hidden.
        dlg->Sheet()->setCurrentIndex(0);
        for (CSensorPage* page : {static_cast<CSensorPage*>(p2), static_cast<CSensorPage*>(p3)}) {
            page->m_fPaperVolt = page->m_fNoPaperVolt = page->m_fVoltDiff = 0.0f;
            for (int id : {1045, 1026, 1047, 1028}) {
                if (QWidget* w = Find<QWidget>(page, id))
                    w->hide();
            }
        }
        p2->m_fMarkVolt = 0.0f;
        p3->m_fLinerVolt = 0.0f;
        // The port open (a test may have closed it).
        if (!g_bPortOpen) {
            QWidget* portPage = dlg->Sheet()->widget(0);
            if (Find<QPushButton>(portPage, 1017)->isEnabled()) {
                Find<QPushButton>(portPage, 1017)->click();
                ASSERT_TRUE(WaitIdle());
            }
            Find<QPushButton>(portPage, 1016)->click();
            ASSERT_TRUE(WaitIdle());
            ASSERT_TRUE(g_bPortOpen);
            ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 5000));
        }
        suspendBaseline = CMonitorThread().SuspendCount();
        printer.ClearLog();
    }
    void TearDown() override {
        // Every suspend of the monitor was resumed exactly once.
        g_bAdjustStop = true;
        EXPECT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 5000));
        EXPECT_TRUE(WaitIdle());
        EXPECT_EQ(CMonitorThread().SuspendCount(), suspendBaseline);
        tarvello::ui::SetMessageHook(nullptr);
        tarvello::ui::SetBeepHook(nullptr);
        std::filesystem::current_path(s_startDir);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    void Activate(int tab) {
        dlg->Sheet()->setCurrentIndex(tab);
        ASSERT_EQ(dlg->Sheet()->currentIndex(), tab);
    }
    QString Text(QWidget* page, int id) { return Find<QLineEdit>(page, id)->text(); }
    void Type(QWidget* page, int id, const QString& text) {
        Find<QLineEdit>(page, id)->setText(text);
    }
    QPushButton* Button(QWidget* page, int id) { return Find<QPushButton>(page, id); }
    QLabel* Progress(QWidget* page) { return page->findChild<QLabel*>("adjustProgress"); }
    QPushButton* StopControl(QWidget* page) { return page->findChild<QPushButton*>("adjustStop"); }
    // A handler's exchange runs on a worker thread: the handler has returned with the sheet
    // taking no input; wait until its result has been applied.
    void ExpectRunThenWait() {
        EXPECT_TRUE(tarvello::ui::BackgroundRunActive());
        EXPECT_FALSE(dlg->Sheet()->isEnabled());
        ASSERT_TRUE(WaitIdle(15000));
        EXPECT_TRUE(dlg->Sheet()->isEnabled());
    }
    // Frames of one kind, as received.
    std::vector<std::string> FramesOf(FrameKind kind) const {
        std::vector<std::string> out;
        for (const auto& f : printer.FrameLog()) {
            if (f.kind == kind)
                out.push_back(f.bytes);
        }
        return out;
    }

    static inline VirtualPrinter* s_printer = nullptr;
    static inline CTarvelloDlg* s_dlg = nullptr;
    static inline std::filesystem::path s_startDir;

    VirtualPrinter& printer = *s_printer;
    CTarvelloDlg* dlg = s_dlg;
    CPage2* p2 = s_dlg ? qobject_cast<CPage2*>(s_dlg->Sheet()->widget(1)) : nullptr;
    CPage3* p3 = s_dlg ? qobject_cast<CPage3*>(s_dlg->Sheet()->widget(2)) : nullptr;
    std::vector<tarvello::ui::MessageRecord> messages;
    int suspendBaseline = 0;

  private:
    std::filesystem::path m_dir;
};

} // namespace uitest
