// The window's start and its idle cost:
//   - start to first paint: from the program's start to the first paint event of the main
//     window (application object, templates, fonts, pages, port list, file read);
//   - idle CPU of the open window while the status monitor polls the virtual printer (the
//     printer runs in a child process, so only the tool's own threads are measured).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// Usage: bench_ui_start [SECONDS]   (the idle measurement's length, default 10)
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "app/TarvelloDlg.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "sim/VirtualPrinter.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Records the moment of the first paint event of a widget.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !painted) {
            painted = true;
            at = Clock::now();
        }
        return QObject::eventFilter(o, e);
    }
    bool painted = false;
    Clock::time_point at;
};

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() > end)
            return false;
        RunEventLoopFor(20);
    }
    return true;
}

// The child process: starts a virtual printer when the parent asks, reports its device path
// and serves until the parent closes the pipe.
[[noreturn]] void PrinterChild(int fromParent, int toParent) {
    char go = 0;
    if (read(fromParent, &go, 1) != 1)
        _exit(0);
    tarvello::sim::VirtualPrinter printer;
    std::string path = printer.Start() ? printer.DevicePath() : std::string();
    path += '\n';
    if (write(toParent, path.data(), path.size()) < 0)
        _exit(1);
    while (read(fromParent, &go, 1) > 0) {
    }
    printer.Stop();
    _exit(0);
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    int seconds = 10;
    if (argc > 1) {
        seconds = std::atoi(argv[1]);
        if (seconds <= 0) {
            std::fprintf(stderr, "usage: %s [SECONDS]\n", argv[0]);
            return 2;
        }
    }
    // The printer's process, forked before any thread exists.
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(down[1]);
        close(up[0]);
        PrinterChild(down[0], up[1]);
    }
    close(down[0]);
    close(up[1]);

    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    // Start to first paint.
    double startMs = 0;
    {
        FirstPaint probe;
        CTarvelloDlg dlg(nullptr, 0);
        dlg.installEventFilter(&probe);
        dlg.show();
        if (!WaitUntil([&] { return probe.painted; }, 10000)) {
            std::fprintf(stderr, "the window was never painted\n");
            return 1;
        }
        startMs = std::chrono::duration<double, std::milli>(probe.at - start).count();
        dlg.removeEventFilter(&probe);
    }
    std::printf("ui: start to first paint | %.1f ms | <= 300 ms\n", startMs);
    std::fflush(stdout);

    // The open window with the monitor polling.
    if (write(down[1], "g", 1) != 1)
        return 1;
    std::string path;
    char ch = 0;
    while (read(up[0], &ch, 1) == 1 && ch != '\n')
        path += ch;
    if (path.empty()) {
        std::fprintf(stderr, "the virtual printer could not open a pseudo-terminal\n");
        return 1;
    }
    CPage1::ResetFirstActivation();
    const int nPort = AddExtraPort(path);
    auto* dlg = new CTarvelloDlg(nullptr, nPort);
    dlg->show();
    qobject_cast<CPage1*>(dlg->Sheet()->widget(0))->OnOpenPort();
    auto* ribbon = qobject_cast<QLineEdit*>(dlg->Item(1048));
    if (!WaitUntil(
            [&] {
                return !tarvello::ui::BackgroundRunActive() && g_bPortOpen &&
                       ribbon->text() != QLatin1String("0");
            },
            10000)) {
        std::fprintf(stderr, "the port did not open on %s\n", path.c_str());
        return 1;
    }
    RunEventLoopFor(1000); // settle
    const double cpu0 = ProcessCpuSeconds();
    const Clock::time_point wall0 = Clock::now();
    RunEventLoopFor(seconds * 1000);
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    std::printf("ui: idle CPU, port open, monitor polling (%.0f s) | %.3f %% | <= 0.5 %%\n", wall,
                cpu / wall * 100.0);
    std::fflush(stdout);

    dlg->close();
    WaitUntil([&] { return !dlg->isVisible(); }, 10000);
    delete dlg;
    close(down[1]);
    waitpid(child, nullptr, 0);
    return 0;
}
