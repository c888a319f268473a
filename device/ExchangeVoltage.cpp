#include "device/ExchangeVoltage.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"

namespace {
constexpr size_t kReplySize = 255;
} // namespace

float ExchangeVoltage(const void* bytes, size_t n, float scale) {
    if (g_hCom.load() == kInvalidPortHandle) {
        return 0.0f;
    }
    FlushInput(kReplySize);
    if (WritePort(bytes, n) != 0) {
        return 0.0f;
    }
    // The reply as ReadPort waits for it: up to 10 polls 50 ms apart, the first with bytes.
    uint8_t reply[kReplySize] = {};
    uint32_t count = 0;
    if (ReadPort(reply, sizeof reply, count) != 0) {
        return 0.0f;
    }
    const std::optional<int> reading = ParseDecimalReading(reply, count);
    if (!reading) {
        return 0.0f;
    }
    return VoltsFromReading(*reading, scale);
}
