#include "sensor/PortOpenSequence.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/LineTrace.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"

namespace {

constexpr unsigned kHandshakeWaitMs = 1000;
constexpr size_t kReplyCapacity = 10;

} // namespace

PortOpenResult RunPortOpenSequence(const PortSettings& settings, DisplaySink* sink,
                                   const std::function<void()>& portOpened) {
    ScopedTraceParty party(TraceParty::kPortOpen);
    PortOpenResult result;
    result.device = PortDeviceName(settings.nPort);

    // Open and configure the port.
    g_nPortResult = OpenPort(settings);
    if (g_nPortResult != 0) {
        result.failedStep = PortOpenStep::kOpen;
        result.openError = LastOpenError();
        return result;
    }
    if (portOpened) {
        portOpened(); // the port page swaps its buttons
    }

    // The connection frame.
    const std::vector<uint8_t> connect = BuildConnectFrame();
    g_nPortResult = WritePort(connect.data(), connect.size());
    if (g_nPortResult != 0) {
        result.failedStep = PortOpenStep::kHandshakeWrite;
        return result;
    }

    // One second for the printer's answer.
    tarvello::Sleep(kHandshakeWaitMs);

    // The answer must begin with 'Y'; otherwise the port is closed again.
    uint8_t reply[kReplyCapacity];
    std::memset(reply, 0, sizeof reply);
    uint32_t count = 0;
    g_nPortResult = ReadPort(reply, sizeof reply, count);
    if (g_nPortResult != 0 || reply[0] != 'Y') {
        const size_t got = g_nPortResult == 0 ? std::min<size_t>(count, sizeof reply) : 0;
        result.received.assign(reply, reply + got);
        result.failedStep = got == 0 ? PortOpenStep::kNoAnswer : PortOpenStep::kNotY;
        ClosePort();
        return result;
    }

    // The access code: its 11 frame bytes and the 0x00 after them.
    const std::vector<uint8_t> access = BuildAccessFrame();
    g_nPortResult = WritePort(access.data(), access.size());
    if (g_nPortResult != 0) {
        result.failedStep = PortOpenStep::kAccessWrite;
        return result;
    }

    // The status monitor.
    StartStatusMonitor(sink);
    return result;
}

std::string DescribeBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return std::string();
    }
    std::string hex;
    std::string text;
    for (uint8_t b : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", b);
        if (!hex.empty()) {
            hex += ' ';
        }
        hex += pair;
        text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
    }
    return hex + " (\"" + text + "\")";
}
