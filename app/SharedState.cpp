#include "app/SharedState.h"

#ifdef _WIN32
const PortHandle kInvalidPortHandle = reinterpret_cast<PortHandle>(static_cast<intptr_t>(-1));
#else
const PortHandle kInvalidPortHandle = -1;
#endif

std::atomic<PortHandle> g_hCom{kInvalidPortHandle};
std::atomic<bool> g_bPortOpen{false};
std::atomic<CMonitorThread*> g_pMonitorThread{nullptr};
std::atomic<float> g_fSensorSupply{0.0f};
std::atomic<PortSettings> g_PortSettings{PortSettings{}};
std::atomic<int32_t> g_nPortResult{0};
std::atomic<float> g_fAdjustTarget{0.0f};
std::atomic<float> g_fAdjustResult{0.0f};
std::atomic<int32_t> g_nSensitivity{0};
std::atomic<int32_t> g_nIntensity{0};
std::atomic<bool> g_bAdjustStop{false};
