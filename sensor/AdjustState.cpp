#include "sensor/AdjustState.h"

std::atomic<float> g_fAdjustTarget{0.0f};
std::atomic<float> g_fAdjustResult{0.0f};
std::atomic<int32_t> g_nSensitivity{0};
std::atomic<int32_t> g_nIntensity{0};
std::atomic<bool> g_bAdjustStop{false};
