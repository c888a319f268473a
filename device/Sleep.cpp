#include "device/Sleep.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tarvello {

namespace {
std::atomic<SleepHook> s_hook{nullptr};
}

void Sleep(unsigned ms) {
    if (SleepHook hook = s_hook.load()) {
        hook(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetSleepHook(SleepHook hook) {
    s_hook.store(hook);
}

} // namespace tarvello
