// The sensor pages' end-to-end tests: the main window on the virtual printer with the port
// opened through the port page, the monitor polling, and helpers to drive the sensor pages.
#pragma once

#include "ui_test_support.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>

#include <cstdio>
#include <memory>
#include <string>

#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "pages/AdjustWorker.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
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

class SensorE2E : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        g_fAdjustResult = 0.0f;
        ASSERT_TRUE(printer.Start());
        dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort(printer.DevicePath()));
        dlg->show();
        p2 = qobject_cast<CPage2*>(dlg->Sheet()->widget(1));
        p3 = qobject_cast<CPage3*>(dlg->Sheet()->widget(2));
        ASSERT_TRUE(p2 && p3);
        suspendBaseline = CMonitorThread().SuspendCount();
        Find<QPushButton>(dlg->Sheet()->widget(0), 1016)->click();
        ASSERT_TRUE(WaitIdle());
        ASSERT_TRUE(g_bPortOpen);
        ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 5000));
    }
    void TearDown() override {
        // Every suspend of the monitor was resumed exactly once.
        EXPECT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 5000));
        EXPECT_EQ(CMonitorThread().SuspendCount(), suspendBaseline);
        dlg.reset();
        EXPECT_FALSE(g_bPortOpen);
        printer.Stop();
        UiTest::TearDown();
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

    VirtualPrinter printer;
    std::unique_ptr<CTarvelloDlg> dlg;
    CPage2* p2 = nullptr;
    CPage3* p3 = nullptr;
    int suspendBaseline = 0;
};

} // namespace uitest
