// What the benchmarks share: the median and the clock, the virtual printer on an opened port,
// and the wait for the passes of a running adjustment.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "device/PortState.h"
#include "device/SerialPort.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The settings the virtual printer is opened with: 38400 baud, 8 data bits.
inline PortSettings SettingsFor(int nPort) {
    PortSettings s;
    s.nPort = nPort;
    s.dwBaudRate = 38400;
    s.byByteSize = 8;
    return s;
}

// Starts the printer and opens the port on it at 38400 baud, 8 data bits, with a 5 V supply.
// Says why on stderr when it cannot.
inline bool OpenOnVirtualPrinter(tarvello::sim::VirtualPrinter& printer) {
    if (!printer.Start()) {
        std::fprintf(stderr, "the virtual printer could not open a pseudo-terminal\n");
        return false;
    }
    g_fSensorSupply = 5.0f;
    if (OpenPort(SettingsFor(AddExtraPort(printer.DevicePath()))) != 0) {
        std::fprintf(stderr, "cannot open %s\n", printer.DevicePath().c_str());
        return false;
    }
    return true;
}

// Waits until times (filled under mutex by the run's update) holds more than passes readings,
// the run ends by itself, or passes + 10 s have gone by; then stops the run and waits for it.
inline void AwaitPassesThenStop(std::mutex& mutex, const std::vector<Clock::time_point>& times,
                                int passes) {
    const auto end = Clock::now() + std::chrono::seconds(passes + 10);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (static_cast<int>(times.size()) > passes) {
                break;
            }
        }
        if (Clock::now() > end || !IsAdjustmentRunning()) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    StopAdjustmentAndWait();
}

} // namespace bench
