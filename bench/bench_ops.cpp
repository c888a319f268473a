// The adjustment on a pseudo-terminal with the virtual printer, its status monitor running:
//   - the length of an adjustment pass with a prompt printer against its 300 ms of fixed waits
//     (100 ms before the frame, one 200 ms reply attempt), for both sensors,
//   - the passes each adjustment needs on the virtual printer's default media: reflective at
//     2.5 V and transmissive at 2.0 V, with a 5.0 V supply.
// Usage: bench_ops [PASSES]   (passes timed per sensor; default 15)
// Prints one line per figure: name | measured | nominal | ratio | goal.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

namespace {

using bench::Clock;
using bench::Median;
using tarvello::sim::VirtualPrinter;

class NullSink : public DisplaySink {
  public:
    void ShowStatus(int, const std::string&) override {}
};

void SetStart(float target) {
    g_fAdjustTarget = target;
    g_bAdjustStop = false;
    g_nSensitivity = 3;
    g_nIntensity = 0;
}

bool WaitEnd(std::chrono::seconds timeout) {
    const auto end = Clock::now() + timeout;
    while (IsAdjustmentRunning()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Median time between consecutive readings of a run that cannot succeed (a 5.0 V standard is
// beyond both sensors' rails), which is the length of one pass.
bool PassLength(Sensor sensor, int passes, double& medianMs) {
    std::mutex mutex;
    std::vector<Clock::time_point> times;
    SetStart(5.0f);
    const bool started = StartAdjustment(sensor, [&] {
        std::lock_guard<std::mutex> guard(mutex);
        times.push_back(Clock::now());
    });
    if (!started) {
        return false;
    }
    bench::AwaitPassesThenStop(mutex, times, passes);
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<double> gaps;
    for (size_t k = 1; k < times.size(); ++k) {
        gaps.push_back(std::chrono::duration<double, std::milli>(times[k] - times[k - 1]).count());
    }
    if (static_cast<int>(gaps.size()) < passes) {
        return false;
    }
    medianMs = Median(gaps);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::atoi(argv[1]) : 15;
    if (passes < 2) {
        std::fprintf(stderr, "usage: %s [PASSES >= 2]\n", argv[0]);
        return 2;
    }
    VirtualPrinter printer;
    if (!bench::OpenOnVirtualPrinter(printer)) {
        return 1;
    }
    NullSink sink;
    StartStatusMonitor(&sink);
    int status = 0;

    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        const char* name = sensor == Sensor::Reflective ? "ops: adjustment pass, reflective"
                                                        : "ops: adjustment pass, transmissive";
        double ms = 0.0;
        if (!PassLength(sensor, passes, ms)) {
            std::fprintf(stderr, "%s: too few readings\n", name);
            status = 1;
            continue;
        }
        std::printf("%s | %.1f ms | 300.0 ms | %.3f x | <= 1.02 x\n", name, ms, ms / 300.0);
    }

    struct Run {
        Sensor sensor;
        float target;
        const char* name;
    };
    for (const Run& run :
         {Run{Sensor::Reflective, 2.5f, "ops: passes to adjust, reflective 2.5 V"},
          Run{Sensor::Transmissive, 2.0f, "ops: passes to adjust, transmissive 2.0 V"}}) {
        SetStart(run.target);
        const auto start = Clock::now();
        if (!StartAdjustment(run.sensor, {}) || !WaitEnd(std::chrono::seconds(120))) {
            std::fprintf(stderr, "%s: no result\n", run.name);
            StopAdjustmentAndWait();
            status = 1;
            continue;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const bool converged =
            LastAdjustmentExitCode() == 0 && InBand(run.sensor, run.target, g_fAdjustResult.load());
        std::printf(
            "%s | %u passes | - | %.2f s | converges (%s, level %d, intensity %d, %.4f V)\n",
            run.name, AdjustmentPasses(), seconds, converged ? "yes" : "NO", g_nSensitivity.load(),
            g_nIntensity.load(), static_cast<double>(g_fAdjustResult.load()));
        if (!converged) {
            status = 1;
        }
    }

    ClosePort();
    WaitStatusMonitorEnd();
    printer.Stop();
    return status;
}
