#include "device/PortState.h"

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

bool PortInUse() {
    return g_bPortOpen.load() && g_hCom.load() != kInvalidPortHandle;
}
