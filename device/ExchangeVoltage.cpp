#include "device/ExchangeVoltage.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"

namespace {
constexpr size_t kReplySize = 255;
constexpr int kReplyAttempts = 10;
constexpr unsigned kReplyPollMs = 50;
} // namespace

float ExchangeVoltage(const void* bytes, size_t n, float scale) {
    if (g_hCom.load() == kInvalidPortHandle) {
        return 0.0f;
    }
    FlushInput(kReplySize);
    if (WritePort(bytes, n) != 0) {
        return 0.0f;
    }
    uint8_t reply[kReplySize];
    uint32_t count = 0;
    for (int attempt = 0; attempt < kReplyAttempts; ++attempt) {
        std::memset(reply, 0, sizeof reply);
        if (ReadAttempt(reply, sizeof reply, count, kReplyPollMs) != 0) {
            return 0.0f;
        }
        if (count >= 1) {
            break;
        }
    }
    const std::optional<int> reading = ParseDecimalReading(reply, count);
    if (!reading) {
        return 0.0f;
    }
    return VoltsFromReading(*reading, scale);
}
