// The device link against its fixed waits, on a pseudo-terminal with the virtual printer:
//   - a read with no reply against its 10 x 50 ms polls,
//   - a voltage exchange with a prompt printer against its 100 ms flush and one 50 ms poll,
//   - a monitor pass with a prompt printer against its 700 ms of waits,
//   - the monitor thread's CPU time while it polls, as a share of one core.
// Usage: bench_device [SECONDS]   (how long the monitor polls for the CPU figure; default 30)
// Prints one line per figure: name | measured | nominal | ratio-or-% | goal.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "device/ExchangeVoltage.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sim/VirtualPrinter.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::MsSince;

using tarvello::sim::VirtualPrinter;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Records, on the monitor thread, the wall time and the thread's CPU time of every pass that
// showed the presence sensor.
class PassRecorder : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string&) override {
        if (controlId != kIdPresenceSensor) {
            return;
        }
        const double cpu = ThreadCpuSeconds();
        std::lock_guard<std::mutex> guard(mutex_);
        wall_.push_back(Clock::now());
        cpu_.push_back(cpu);
    }
    std::vector<Clock::time_point> Wall() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return wall_;
    }
    std::vector<double> Cpu() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return cpu_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> wall_;
    std::vector<double> cpu_;
};

void PrintRatio(const char* name, double measured, double nominal, const char* goal) {
    std::printf("%s | %.1f ms | %.1f ms | %.3f x | %s\n", name, measured, nominal,
                measured / nominal, goal);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: %s [SECONDS]\n", argv[0]);
        return 2;
    }
    tarvello::sim::VirtualPrinter printer;
    if (!bench::OpenOnVirtualPrinter(printer)) {
        return 1;
    }
    const int runs = 5;

    // A read with no reply: ten polls of 50 ms.
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        uint8_t buffer[255];
        uint32_t count = 0;
        const auto start = Clock::now();
        ReadPort(buffer, sizeof buffer, count);
        times.push_back(MsSince(start));
    }
    PrintRatio("device: ReadPort, no reply", Median(times), 500.0, "<= 1.02 x");

    // A voltage exchange with a prompt printer: flush 100 ms, first poll 50 ms.
    printer.SetReadingOverride(tarvello::sim::Sensor::Reflective, 128);
    const std::vector<uint8_t> frame = BuildReadingFrame('F', 2, 100);
    times.clear();
    int bad = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const float volts = ExchangeVoltage(frame.data(), frame.size(), 5.0f);
        times.push_back(MsSince(start));
        bad += volts == 2.5098f ? 0 : 1;
    }
    PrintRatio("device: ExchangeVoltage, prompt printer", Median(times), 150.0, "<= 1.02 x");
    if (bad != 0) {
        std::fprintf(stderr, "%d exchanges gave a wrong reading\n", bad);
    }

    // The monitor polling a prompt printer: pass length and CPU.
    PassRecorder recorder;
    StartStatusMonitor(&recorder);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    g_bPortOpen = false;
    WaitStatusMonitorEnd();
    tarvello::SetSleepHook([](unsigned) {}); // nothing runs on the line any more
    ClosePort();
    tarvello::SetSleepHook(nullptr);
    printer.Stop();

    const auto wall = recorder.Wall();
    const auto cpu = recorder.Cpu();
    if (wall.size() < 3) {
        std::fprintf(stderr, "the monitor made too few passes (%zu)\n", wall.size());
        return 1;
    }
    times.clear();
    for (size_t k = 1; k < wall.size(); ++k) {
        times.push_back(std::chrono::duration<double, std::milli>(wall[k] - wall[k - 1]).count());
    }
    PrintRatio("device: monitor pass, prompt printer", Median(times), 700.0, "<= 1.02 x");
    const double span = std::chrono::duration<double>(wall.back() - wall.front()).count();
    const double share = (cpu.back() - cpu.front()) / span * 100.0;
    std::printf(
        "device: monitor CPU while polling (%.0f s) | %.3f ms/s | 0 | %.3f %% | <= 0.5 %%\n", span,
        (cpu.back() - cpu.front()) / span * 1000.0, share);
    return 0;
}
