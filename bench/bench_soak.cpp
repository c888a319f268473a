// The soak: the whole core as the window uses it, in one process, for thousands of operations on
// the virtual printer (a pseudo-terminal), with the printer's faults switched on and off at
// random. The fixed waits run faster than real time through the one Sleep (real time, so the
// threads really race). Operations run as the window runs them: the open sequence and the
// close on a worker thread each, the status monitor whenever the port is open, one adjustment
// worker at a time (started through the same start function the page uses, its updates posted
// to this, the driving thread, which saves a success as the page does), stopped by a page
// activation or by a reading or paper check, which stop it first; the saves through the same
// functions the pages use, on one parameter file.
//
// Usage: bench_soak [--seed N] [--scale X] [--speedup K]
//   --seed N     the random choices (default 18): the same seed makes the same choices
//   --scale X    every count times X (default 1: 10,000 monitor passes, 1,000 open and close
//                cycles, 500 adjustments, 500 single readings, 500 paper checks)
//   --speedup K  every fixed wait K times faster than real time (default 50)
// Prints one line per figure: name | measured | nominal | ratio | goal. Exits 1 when a goal is
// missed.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

#include "SoakPages.h"
#include "SoakSupport.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/PortOpenSequence.h"
#include "sensor/SensorReadings.h"
#include "sim/VirtualPrinter.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

namespace {

using namespace soak;
using tarvello::sim::FrameKind;
using tarvello::sim::VirtualPrinter;

std::atomic<unsigned> g_speedup{50};

void FastSleep(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(1000ull * ms / g_speedup.load()));
}

class NullSink : public DisplaySink {
  public:
    void ShowStatus(int, const std::string&) override {}
};

// The driver: the window's thread, with the printer, the parameter file and the tallies.
class Soak {
  public:
    Soak(unsigned seed, double scale, const std::string& folder)
        : random_(seed), tally_(g_speedup.load()), quota_(Quota::Scaled(scale)),
          pages_(random_, tally_, flood_, folder + "/parameterset.ini") {
        NewPrinter();
    }

    void Run() {
        const int warmUp = std::clamp(quota_.cycles / 20, 1, 50); // reached before the end
        while (!Done()) {
            Cycle();
            if (++cycles_ == warmUp) {
                start_ = MeasureAtRest();
            }
            if (cycles_ % 50 == 0) {
                std::fprintf(stderr,
                             "bench_soak: %d cycles, %d passes, %d adjustments, %d readings, "
                             "%d checks, %ld KiB resident\n",
                             cycles_, passes_, pages_.adjustments, pages_.readings, pages_.checks,
                             Measure().rssKib);
            }
        }
        end_ = MeasureAtRest();
        tally_.Spent();
        std::fprintf(stderr, "bench_soak: adjusting %.1f s, polling %.1f s\n",
                     pages_.adjustingMs / 1000, pollingMs_ / 1000);
    }

    void Report() const {
        Counts done;
        done.passes = passes_;
        done.cycles = cycles_;
        done.refused = refused_;
        done.vanished = vanished_;
        done.otherFailures = otherFailures_;
        done.adjustments = pages_.adjustments;
        done.reached = pages_.reached;
        done.readings = pages_.readings;
        done.checks = pages_.checks;
        tally_.Report(quota_, done, start_, end_, maxGate_, inconsistent_);
        pages_.ReportFile();
    }
    bool Failed() const { return tally_.Failed() || !pages_.FileHoldsLastSave(); }

  private:
    // The figures with a fresh printer, so that what the printer holds (its logs) is the same
    // at the start and at the end and the tool's own growth shows.
    Figures MeasureAtRest() {
        NewPrinter();
        return Measure();
    }
    bool Done() const {
        return passes_ >= quota_.passes && cycles_ >= quota_.cycles &&
               pages_.adjustments >= quota_.adjustments && pages_.readings >= quota_.readings &&
               pages_.checks >= quota_.checks;
    }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    void NewPrinter() {
        if (printer_) {
            passes_ += printer_->FrameCount(FrameKind::Status);
        }
        printer_ = std::make_unique<VirtualPrinter>();
        if (!printer_->Start()) {
            std::fprintf(stderr, "bench_soak: the virtual printer did not start\n");
            std::exit(2);
        }
        port_ = AddExtraPort(printer_->DevicePath());
        flood_ = false;
    }
    // Monitor passes are the printer's status frames; the log is emptied so that the printer's
    // memory stays flat and the tool's growth shows.
    void CountPasses() {
        passes_ += printer_->FrameCount(FrameKind::Status);
        printer_->ClearLog();
    }

    void Cycle() {
        const bool refuse = Chance(0.1);
        printer_->SetRejectHandshake(refuse);
        const PortOpenResult result = Open();
        printer_->SetRejectHandshake(false);
        if (!result.Succeeded()) {
            Failed(result, refuse);
            return;
        }
        const int ops = Pick(5);
        for (int i = 0; i < ops && printer_->Running(); ++i) {
            SwitchFaults();
            Operation();
            CountPasses();
        }
        // Let the monitor poll for a while, then close (as the port page does).
        const int more = Pick(2 * quota_.passes / std::max(1, quota_.cycles) + 1);
        const int seen = printer_->FrameCount(FrameKind::Status);
        const auto polling = Clock::now();
        for (int i = 0; i < 400 && printer_->Running() && g_bPortOpen.load() &&
                        printer_->FrameCount(FrameKind::Status) < seen + more;
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        pollingMs_ += MsSince(polling);
        Close();
        CountPasses();
        ClearFaults(); // a hung-up or vanished printer stays so: the next open finds no device
        if (flood_ && printer_->Running()) {
            NewPrinter(); // a flood's backlog outlasts it: the printer is switched off and on
        }
    }
    void Failed(const PortOpenResult& result, bool refused) {
        if (result.failedStep == PortOpenStep::kNotY && refused) {
            ++refused_;
        } else if (result.openError == PortOpenError::kNoDevice && !printer_->Running()) {
            ++vanished_;
            NewPrinter(); // the technician plugs the printer in again
        } else {
            ++otherFailures_; // no answer or not 'Y': a late reply of a fault switched off
        }
    }

    PortOpenResult Open() {
        PortOpenResult result;
        const double ms =
            OnWorker([&] { result = RunPortOpenSequence(SettingsFor(port_), &sink_); });
        tally_.Took(Op::Open, ms, flood_);
        return result;
    }
    void Close() {
        const double ms = OnWorker([] {
            ClosePort();
            WaitStatusMonitorEnd();
        });
        tally_.Took(Op::Close, ms, flood_);
        // A worker whose port was closed ends by itself within one pass.
        const auto begin = Clock::now();
        while (IsAdjustmentRunning()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        tally_.Took(Op::Stop, MsSince(begin), flood_);
        pages_.Updates();
        const CMonitorThread* monitor = g_pMonitorThread.load();
        inconsistent_ += g_bPortOpen.load() || g_hCom.load() != kInvalidPortHandle ||
                         (monitor != nullptr && monitor->IsRunning());
        maxGate_ = std::max(maxGate_, CMonitorThread().SuspendCount());
    }

    // One fault at a time: the current one off, maybe another on.
    void SwitchFaults() {
        if (!Chance(0.3)) {
            return;
        }
        ClearFaults();
        switch (Pick(9)) {
        case 0:
            printer_->SetSilent(true);
            break;
        case 1:
            printer_->SetGarbage(true);
            break;
        case 2:
            printer_->SetSplit(1, 1);
            break;
        case 3:
            printer_->SetReplyDelayMs(static_cast<int>(700 / g_speedup.load()));
            break;
        case 4:
            printer_->SetOversize(65536);
            flood_ = true; // its backlog outlasts it until the next printer
            break;
        case 5:
            printer_->SetHangUpAfterFrames(1 + Pick(20));
            break;
        case 6:
            printer_->HangUp();
            break;
        case 7:
            printer_->Stop();
            break; // the device vanishes
        default:
            break; // a clean line
        }
    }
    void ClearFaults() {
        printer_->SetSilent(false);
        printer_->SetGarbage(false);
        printer_->SetSplit(0, 0);
        printer_->SetReplyDelayMs(2);
        printer_->SetOversize(0);
        printer_->SetHangUpAfterFrames(0);
    }

    // The kind of operation by what is left to do: each with the weight of its remaining count.
    int PickOperation() {
        const int left[] = {std::max(0, quota_.adjustments - pages_.adjustments),
                            std::max(0, quota_.readings - pages_.readings),
                            std::max(0, quota_.checks - pages_.checks)};
        const int total = left[0] + left[1] + left[2];
        if (total == 0) {
            return Pick(3);
        }
        int n = Pick(total);
        int kind = 0;
        while (n >= left[kind]) {
            n -= left[kind++];
        }
        return kind;
    }
    void Operation() {
        const Sensor sensor = Pick(2) ? Sensor::Reflective : Sensor::Transmissive;
        switch (PickOperation()) {
        case 0:
            pages_.Adjust(sensor);
            break;
        case 1:
            pages_.Reading(sensor);
            break;
        default:
            pages_.Check(sensor);
            break;
        }
        if (!IsAdjustmentRunning()) {
            maxGate_ = std::max(maxGate_, CMonitorThread().SuspendCount());
        }
    }

    std::mt19937 random_;
    Tally tally_;
    Quota quota_;
    NullSink sink_;
    std::unique_ptr<VirtualPrinter> printer_;
    int port_ = 0;
    bool flood_ = false;
    SoakPages pages_;
    Figures start_, end_;
    int passes_ = 0, cycles_ = 0, refused_ = 0, vanished_ = 0, otherFailures_ = 0;
    int maxGate_ = 0, inconsistent_ = 0;
    double pollingMs_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    unsigned seed = 18;
    double scale = 1.0;
    if (argc > 1 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf("Usage: bench_soak [--seed N] [--scale X] [--speedup K]\n"
                    "  --seed N     the random choices (default 18)\n"
                    "  --scale X    every count times X (default 1: 10,000 monitor passes, 1,000 "
                    "open and close cycles, 500 adjustments, 500 readings, 500 paper checks)\n"
                    "  --speedup K  every fixed wait K times faster than real time (default 50)\n");
        return 0;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seed")) {
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (!std::strcmp(argv[i], "--scale")) {
            scale = std::strtod(argv[i + 1], nullptr);
        } else if (!std::strcmp(argv[i], "--speedup")) {
            g_speedup = std::max(1u, static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10)));
        }
    }
    char folder[] = "/tmp/tarvello-soak-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 2;
    }
    g_hCom = kInvalidPortHandle;
    g_bPortOpen = false;
    g_fSensorSupply = 5.0f;
    tarvello::SetSleepHook(&FastSleep);
    const auto begin = Clock::now();
    bool failed;
    {
        Soak soak(seed, scale, folder);
        soak.Run();
        soak.Report();
        failed = soak.Failed();
    }
    tarvello::SetSleepHook(nullptr);
    std::printf("soak: duration (seed %u, scale %g, waits / %u) | %.1f s | - | - | -\n", seed,
                scale, g_speedup.load(), MsSince(begin) / 1000.0);
    std::filesystem::remove_all(folder);
    return failed ? 1 : 0;
}
