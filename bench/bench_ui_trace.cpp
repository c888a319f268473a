// The CPU the open diagnostics window takes on the UI thread while the status monitor polls the
// virtual printer on a pseudo-terminal: the trace view shown, pulling the line trace every
// 150 ms, the curves' timers running.
// Usage: bench_ui_trace [SECONDS]   (default 10). Prints: name | measured | nominal | share | goal.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "diag/DiagnosticsWindow.h"
#include "diag/TraceModel.h"
#include "diag/TraceView.h"
#include "sim/VirtualPrinter.h"

namespace {

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Notes the time of every monitor pass (the presence sensor's text ends a pass).
class PassSink : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string&) override {
        if (controlId == kIdPresenceSensor && recording.load()) {
            std::lock_guard<std::mutex> guard(mutex);
            times.push_back(std::chrono::steady_clock::now());
        }
    }
    std::atomic<bool> recording{false};
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> times;
};

// The median gap between the passes noted.
double MedianPassMs(PassSink& sink) {
    std::lock_guard<std::mutex> guard(sink.mutex);
    std::vector<double> gaps;
    for (size_t k = 1; k < sink.times.size(); ++k) {
        gaps.push_back(
            std::chrono::duration<double, std::milli>(sink.times[k] - sink.times[k - 1]).count());
    }
    if (gaps.empty()) {
        return 0.0;
    }
    std::sort(gaps.begin(), gaps.end());
    return gaps[gaps.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: %s [SECONDS]\n", argv[0]);
        return 2;
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    tarvello::sim::VirtualPrinter printer;
    if (!bench::OpenOnVirtualPrinter(printer)) {
        return 1;
    }
    DiagnosticsWindow window;
    window.ShowTab(DiagnosticsWindow::kTraceTab);
    PassSink sink;
    StartStatusMonitor(&sink);
    // Settle: the window painted once, the first passes traced.
    QTimer::singleShot(1000, &app, &QApplication::quit);
    app.exec();
    const double cpuStart = ThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    app.exec();
    const double span = static_cast<double>(wall.elapsed()) / 1000.0;
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const int rows = window.Trace()->Model()->rowCount();

    // The window closed after it was open: the trace is off again and the monitor's passes
    // take their nominal 700 ms of waits.
    window.close();
    const bool traceOff = !LineTraceEnabled();
    sink.recording = true;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    app.exec();
    const double passMs = MedianPassMs(sink);

    WaitStatusMonitorEnd();
    tarvello::SetSleepHook([](unsigned) {});
    ClosePort();
    tarvello::SetSleepHook(nullptr);
    printer.Stop();
    std::printf(
        "trace view: UI thread CPU, window open while the monitor polls (%.0f s, %d rows) | "
        "%.3f ms/s | 0 | %.3f %% | <= 0.5 %%\n",
        span, rows, cpu / span * 1000.0, cpu / span * 100.0);
    std::printf("trace view: monitor pass, window closed after it was open (trace %s) | %.1f ms | "
                "700.0 ms | %.3f x | <= 1.02 x\n",
                traceOff ? "off" : "still on", passMs, passMs / 700.0);
    return rows > 0 && traceOff ? 0 : 1;
}
