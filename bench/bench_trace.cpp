// The exchanges with the line trace off and on, side by side, on a pseudo-terminal with the
// virtual printer (with the trace on, a trace file is written as in `tarvello --trace FILE`):
//   - a read with no reply against its 10 x 50 ms polls,
//   - a voltage exchange with a prompt printer against its 100 ms flush and one 50 ms poll,
//   - a monitor pass with a prompt printer against its 700 ms of waits,
//   - a reflective adjustment pass against its 300 ms of fixed waits (the monitor suspended),
// and the memory the trace's ring holds.
// Usage: bench_trace [SECONDS] [PASSES]   (monitor seconds and adjustment passes per mode;
// default 10 and 10). Prints one line per figure: name | measured | nominal | ratio | goal.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "device/ExchangeVoltage.h"
#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "device/TraceFile.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::MsSince;
using tarvello::sim::VirtualPrinter;

std::vector<double> Gaps(const std::vector<Clock::time_point>& times) {
    std::vector<double> gaps;
    for (size_t k = 1; k < times.size(); ++k) {
        gaps.push_back(std::chrono::duration<double, std::milli>(times[k] - times[k - 1]).count());
    }
    return gaps;
}

// The time of every monitor pass that showed the presence sensor.
class PassRecorder : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string&) override {
        if (controlId == kIdPresenceSensor) {
            std::lock_guard<std::mutex> guard(mutex);
            times.push_back(Clock::now());
        }
    }
    std::mutex mutex;
    std::vector<Clock::time_point> times;
};

void Row(const char* name, const char* mode, double ms, double nominal) {
    std::printf("trace: %s, trace %s | %.1f ms | %.1f ms | %.3f x | <= 1.02 x\n", name, mode, ms,
                nominal, ms / nominal);
}

// Median gap between the readings of a reflective run that cannot succeed (5.0 V).
double AdjustPassMs(int passes) {
    std::mutex mutex;
    std::vector<Clock::time_point> times;
    g_fAdjustTarget = 5.0f;
    g_bAdjustStop = false;
    g_nSensitivity = 3;
    g_nIntensity = 0;
    StartAdjustment(Sensor::Reflective, [&] {
        std::lock_guard<std::mutex> guard(mutex);
        times.push_back(Clock::now());
    });
    bench::AwaitPassesThenStop(mutex, times, passes);
    std::lock_guard<std::mutex> guard(mutex);
    return Median(Gaps(times));
}

void MeasureMode(const char* mode, VirtualPrinter& printer, double seconds, int passes) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        uint8_t buffer[255];
        uint32_t count = 0;
        const auto start = Clock::now();
        ReadPort(buffer, sizeof buffer, count);
        times.push_back(MsSince(start));
    }
    Row("ReadPort, no reply", mode, Median(times), 500.0);

    printer.SetReadingOverride(tarvello::sim::Sensor::Reflective, 128);
    const std::vector<uint8_t> frame = BuildReadingFrame('F', 2, 100);
    times.clear();
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        (void)ExchangeVoltage(frame.data(), frame.size(), 5.0f);
        times.push_back(MsSince(start));
    }
    Row("ExchangeVoltage, prompt printer", mode, Median(times), 150.0);
    printer.SetReadingOverride(tarvello::sim::Sensor::Reflective, std::nullopt);

    PassRecorder recorder;
    StartStatusMonitor(&recorder);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    {
        std::lock_guard<std::mutex> guard(recorder.mutex);
        Row("monitor pass, prompt printer", mode, Median(Gaps(recorder.times)), 700.0);
    }
    Row("adjustment pass, reflective", mode, AdjustPassMs(passes), 300.0);
    WaitStatusMonitorEnd();
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int passes = argc > 2 ? std::atoi(argv[2]) : 10;
    if (!(seconds > 0.0) || passes < 2) {
        std::fprintf(stderr, "usage: %s [SECONDS] [PASSES >= 2]\n", argv[0]);
        return 2;
    }
    tarvello::sim::VirtualPrinter printer;
    if (!bench::OpenOnVirtualPrinter(printer)) {
        return 1;
    }
    MeasureMode("off", printer, seconds, passes);

    char path[] = "/tmp/tarvello-bench-trace-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
        close(fd);
    }
    std::string error;
    if (!StartTraceFile(path, &error)) {
        std::fprintf(stderr, "trace file: %s\n", error.c_str());
        return 1;
    }
    const uint64_t before = LatestTraceSequence();
    MeasureMode("on", printer, seconds, passes);
    const uint64_t entries = LatestTraceSequence() - before;
    StopTraceFile();
    unlink(path);
    std::printf("trace: ring memory (%zu entries of up to %zu bytes) | %.1f KiB | - | - | fixed "
                "(%llu entries recorded)\n",
                kTraceRingEntries, kTraceEntryBytes, TraceRingMemoryBytes() / 1024.0,
                static_cast<unsigned long long>(entries));

    tarvello::SetSleepHook([](unsigned) {});
    ClosePort();
    tarvello::SetSleepHook(nullptr);
    printer.Stop();
    return 0;
}
