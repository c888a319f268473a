// Shared pieces of the widget tests: one QApplication on the offscreen platform, a private
// working directory per test (the parameter file is "parameterset.ini" in the current
// directory), recorded message boxes and beeps, and waiting on the event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "device/PortState.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/Page1.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustState.h"

// The system's font configuration library keeps caches for the life of the process, which the
// leak checker reports at exit; nothing of ours is suppressed.
#if defined(__GNUC__) || defined(__clang__)
extern "C" __attribute__((used)) inline const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace uitest {

inline QApplication* App() {
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        // The records and profiles the tests make go to a folder of their own, never the
        // tester's data folder.
        static char data[] = "/tmp/tarvello-ui-data-XXXXXX";
        if (mkdtemp(data))
            setenv("XDG_DATA_HOME", data, 1);
        static int argc = 1;
        static char name[] = "ui_test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

// Runs the event loop until pred holds or timeoutMs have passed; returns pred().
inline bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000) {
    if (pred())
        return true;
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred() || elapsed.elapsed() > timeoutMs)
            loop.quit();
    });
    poll.start();
    loop.exec();
    return pred();
}

// Until every handler's worker thread has finished and its result was applied.
inline bool WaitIdle(int timeoutMs = 10000) {
    return WaitFor([] { return !tarvello::ui::BackgroundRunActive(); }, timeoutMs);
}

inline void WriteFile(const std::string& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary);
    out << content;
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <typename T> T* Find(const QWidget* parent, int id) {
    return tarvello::res::Control<T>(parent, id);
}

// A test in its own working directory, with the shared state as at process start, message
// boxes and beeps recorded instead of shown.
class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        char pattern[] = "/tmp/tarvello-ui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        g_fSensorSupply = 0.0f;
        g_nSensitivity = 0;
        g_nIntensity = 0;
        g_bAdjustStop = false;
        g_PortSettings = PortSettings{};
        CPage1::ResetFirstActivation();
        tarvello::ui::SetMessageHook(
            [this](const tarvello::ui::MessageRecord& r) { messages.push_back(r); });
        tarvello::ui::SetBeepHook([this](unsigned f, unsigned ms) {
            beeps.push_back({f, ms});
            beepAfterMessages.push_back(messages.size());
        });
    }
    void TearDown() override {
        tarvello::ui::SetMessageHook(nullptr);
        tarvello::ui::SetBeepHook(nullptr);
        std::filesystem::current_path(old_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::vector<tarvello::ui::MessageRecord> messages;
    std::vector<std::pair<unsigned, unsigned>> beeps;
    std::vector<size_t> beepAfterMessages; // messages shown before each beep

  private:
    std::filesystem::path dir_, old_;
};

} // namespace uitest
