// Waits for the end-to-end tests on a pseudo-terminal: a bounded wait for a condition, the
// time a piece of work took, and the fast time of the fault tests (a sleep hook that runs every
// fixed wait five times faster than real time, with the bounds that go with it).
#pragma once

#include <chrono>
#include <thread>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// True once condition() holds, false if it still does not after limit.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

template <typename Body> std::chrono::milliseconds Timed(Body body) {
    const auto start = Clock::now();
    body();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

constexpr unsigned kTimeScale = 5;

// The sleep hook of fast time.
inline void FastSleep(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000u / kTimeScale));
}

// Real time of a nominal wait of ms milliseconds in fast time.
inline std::chrono::milliseconds Scaled(long ms) {
    return std::chrono::milliseconds(ms / kTimeScale);
}

// A generous bound on a wait whose nominal length is ms: slow machines and sanitizers get
// three times the scaled time and two seconds more.
inline std::chrono::milliseconds Bound(long ms) {
    return 3 * Scaled(ms) + 2000ms;
}

} // namespace e2e
