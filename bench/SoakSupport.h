// The soak's bookkeeping: the counts it must reach, the process's figures (resident memory,
// open file descriptors, threads), the posted update events, and each operation's longest wall
// time against its bound. The bound of an operation is its longest fixed waits (at the soak's
// speed-up) plus a fixed allowance for the machine (scheduling, the pseudo-terminal), so a wait
// that does not go through the one Sleep, or that runs away, is caught.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "device/PortState.h"
#include "sensor/SensorParams.h"

namespace soak {

using bench::Clock;
using bench::MsSince;
using bench::SettingsFor;

// Runs work on a thread of its own, as the window runs the open, the close, a reading and a
// check, and waits for it; the time it took.
template <typename Work> double OnWorker(Work work) {
    const auto begin = Clock::now();
    std::thread(work).join();
    return MsSince(begin);
}

struct Quota {
    int passes, cycles, adjustments, readings, checks;
    static Quota Scaled(double scale) {
        auto n = [scale](int count) { return std::max(1, static_cast<int>(count * scale)); };
        return {n(10000), n(1000), n(500), n(500), n(500)};
    }
};

struct Counts {
    int passes = 0, cycles = 0, refused = 0, vanished = 0, otherFailures = 0;
    int adjustments = 0, reached = 0, readings = 0, checks = 0;
};

struct Figures {
    long rssKib = 0;
    long fds = 0;
    long threads = 0;
};

inline long Entries(const char* folder) {
    std::error_code error;
    long n = 0;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++n;
    }
    return n;
}

inline long RssKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// The figures once the threads that have just been joined or detached are gone (at most 1 s).
// Resident memory is taken after the allocator has handed its free pages back, so that it is
// what the process holds.
inline Figures Measure() {
    malloc_trim(0);
    Figures f;
    for (int i = 0; i < 100; ++i) {
        f = {RssKib(), Entries("/proc/self/fd"), Entries("/proc/self/task")};
        if (i > 0 && f.threads <= 2) {
            break; // this thread and the printer's
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return f;
}

// The update events the worker posts, taken by the driving thread as the window's event loop
// delivers them.
class Posted {
  public:
    void Post(Sensor sensor) {
        std::lock_guard<std::mutex> guard(mutex_);
        queue_.push_back(sensor);
    }
    std::optional<Sensor> Take() {
        std::lock_guard<std::mutex> guard(mutex_);
        if (queue_.empty()) {
            return std::nullopt;
        }
        const Sensor sensor = queue_.front();
        queue_.pop_front();
        return sensor;
    }

  private:
    std::mutex mutex_;
    std::deque<Sensor> queue_;
};

enum class Op { Open, Close, Stop, Reading, Check, kCount };

// Longest fixed waits, in nominal milliseconds, and the purges of the input each may make
// (a purge reads 30 bytes every 100 ms until the line is empty: long while the printer floods).
struct OpBound {
    const char* name;
    double nominalMs;
    int purges;
};
inline const OpBound& BoundOf(Op op) {
    // Open: the 1000 ms handshake wait and ten 50 ms reads. Close: its 1000 ms and the
    // monitor's longest wait (500 ms). Stop: one adjustment pass, the 100 ms discarding read and
    // ten 200 ms reply attempts. Reading: the stop, ten 50 ms reads. Check: the stop, four
    // reads before the check wait (the longest the tool allows, 60 s), 100 + 200 + 50 ms, two
    // purges and two reads after it.
    static const OpBound bounds[] = {
        {"open sequence", 1000 + 500, 0},
        {"close", 1000 + 500, 0},
        {"adjustment's end after a stop or a close", 2100, 0},
        {"single reading", 2100 + 500, 0},
        {"paper check", 2100 + 4 * 500 + 60000 + 350 + 2 * 500, 2},
    };
    return bounds[static_cast<int>(op)];
}

class Tally {
  public:
    // A flood's backlog: a few 64 KiB replies in the line and the printer's queue.
    static constexpr double kFloodPurgeMs = 8 * 65536 / 30 * 100.0;
    static constexpr double kMachineMs = 500;

    explicit Tally(unsigned speedup) : speedup_(speedup) {}
    unsigned Speedup() const { return speedup_; }

    void Took(Op op, double ms, bool flood) {
        const OpBound& b = BoundOf(op);
        const double nominal = b.nominalMs + (flood ? b.purges * kFloodPurgeMs : 0.0);
        const double bound = nominal / speedup_ + kMachineMs;
        Worst& w = worst_[static_cast<int>(op)];
        ++w.count;
        w.total += ms;
        if (ms / bound > w.ms / std::max(w.bound, 1.0)) {
            w.ms = ms;
            w.bound = bound;
            w.scaled = nominal / speedup_;
        }
        beyond_ += ms > bound;
    }
    void SaveFailed() { ++saveFailures_; }
    // Where the time went, on stderr.
    void Spent() const {
        for (int i = 0; i < static_cast<int>(Op::kCount); ++i) {
            std::fprintf(stderr, "bench_soak: %s: %d in %.1f s\n", BoundOf(static_cast<Op>(i)).name,
                         worst_[i].count, worst_[i].total / 1000.0);
        }
    }
    bool Failed() const { return failed_ || beyond_ > 0 || saveFailures_ > 0; }

    void Report(const Quota& q, const Counts& c, const Figures& start, const Figures& end,
                int maxGate, int inconsistent) const {
        Line("monitor passes", c.passes, q.passes);
        Line("open and close cycles", c.cycles, q.cycles);
        // Both come at random: a run of fewer than 100 cycles may miss one.
        const bool each = c.refused > 0 && c.vanished > 0;
        Met(each || q.cycles < 100);
        std::printf("soak: opens refused by 'N', on a vanished device | %d and %d | - | - | some "
                    "of each (%s)\n",
                    c.refused, c.vanished,
                    each             ? "yes"
                    : q.cycles < 100 ? "few cycles"
                                     : "NO");
        std::printf("soak: opens failed otherwise (no answer: a fault of the moment) | %d | - | - "
                    "| -\n",
                    c.otherFailures);
        Line("adjustments, both sensors", c.adjustments, q.adjustments);
        std::printf("soak: adjustments saved on success | %d | - | - | -\n", c.reached);
        Line("single readings", c.readings, q.readings);
        Line("paper checks", c.checks, q.checks);
        const double growth = (end.rssKib - start.rssKib) / 1024.0;
        Met(growth <= 1.0);
        std::printf("soak: resident memory growth after warm-up | %.2f MiB | - | - | <= 1 MiB "
                    "(%s; %.1f to %.1f MiB)\n",
                    growth, growth <= 1.0 ? "yes" : "NO", start.rssKib / 1024.0,
                    end.rssKib / 1024.0);
        Back("open file descriptors", start.fds, end.fds);
        Back("threads", start.threads, end.threads);
        Met(maxGate == 0 && inconsistent == 0);
        std::printf("soak: monitor suspension count at rest (largest) | %d | - | - | none held, "
                    "the port state consistent after every close (%s)\n",
                    maxGate, maxGate == 0 && inconsistent == 0 ? "yes" : "NO");
        for (int i = 0; i < static_cast<int>(Op::kCount); ++i) {
            const Worst& w = worst_[i];
            const double ratio = w.ms / std::max(w.bound, 1.0);
            std::printf("soak: longest %s | %.1f ms | %.1f ms | %.2f x bound | <= bound: fixed "
                        "waits / speed-up + %.0f ms, %d timed (%s)\n",
                        BoundOf(static_cast<Op>(i)).name, w.ms, w.scaled, ratio, kMachineMs,
                        w.count, ratio <= 1.0 ? "yes" : "NO");
        }
        std::printf("soak: failed saves | %d | - | - | none (%s)\n", saveFailures_,
                    saveFailures_ == 0 ? "yes" : "NO");
    }

  private:
    struct Worst {
        int count = 0;
        double ms = 0, bound = 0, scaled = 0, total = 0;
    };
    void Met(bool ok) const { failed_ = failed_ || !ok; }
    void Line(const char* what, int done, int goal) const {
        Met(done >= goal);
        std::printf("soak: %s | %d | - | - | at least %d (%s)\n", what, done, goal,
                    done >= goal ? "yes" : "NO");
    }
    void Back(const char* what, long start, long end) const {
        Met(end <= start);
        std::printf("soak: %s, end against start | %+ld | - | - | back to the start (%s; %ld, "
                    "then %ld)\n",
                    what, end - start, end <= start ? "yes" : "NO", start, end);
    }

    unsigned speedup_;
    Worst worst_[static_cast<int>(Op::kCount)];
    int beyond_ = 0;
    int saveFailures_ = 0;
    mutable bool failed_ = false;
};

} // namespace soak
