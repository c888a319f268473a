#include "device/Sleep.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tarvello {

namespace {
std::atomic<SleepHook> s_hook{nullptr};
std::atomic<WaitStopTest> s_stopTest{nullptr};
constexpr unsigned kStopSliceMs = 20;
} // namespace

void Sleep(unsigned ms) {
    if (s_stopTest.load() == nullptr || s_hook.load() != nullptr) {
        SleepWhole(ms);
        return;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!WaitsStopped()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - now, std::chrono::milliseconds(kStopSliceMs)));
    }
}

void SleepWhole(unsigned ms) {
    if (SleepHook hook = s_hook.load()) {
        hook(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetWaitStopTest(WaitStopTest test) {
    s_stopTest.store(test);
}

bool WaitsStopped() {
    const WaitStopTest test = s_stopTest.load();
    return test != nullptr && test();
}

void SetSleepHook(SleepHook hook) {
    s_hook.store(hook);
}

} // namespace tarvello
