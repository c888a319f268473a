// The port's values that windows, pages and threads share, under their documented names.
// Every one is a std::atomic of its documented type, so each access is whole and visible to
// the other threads. Nothing here is a lock; exclusive use of the line comes from the line
// lock of the serial primitives and the monitor's gate. The adjustment's shared values live
// with the adjustment (sensor/AdjustState.h).
#pragma once

#include <atomic>
#include <cstdint>

// Line settings of the next open, filled by the port page.
struct PortSettings {
    int32_t nPort = 0; // 0..7: the platform's first eight serial ports; 8 and up: further devices
    uint32_t dwBaudRate = 0; // 4800, 9600, 19200, 38400 or 57600
    uint8_t byByteSize = 0;  // 8 or 7
    uint8_t byParity = 0;    // 0 none, 1 odd, 2 even
    uint8_t byStopBits = 0;  // 0 one stop bit, 2 two stop bits
    int32_t nHandshake = 0;  // 0: output waits for CTS, RTS on, DTR off; other: XON/XOFF both ways
};

#ifdef _WIN32
using PortHandle = void*; // a Win32 HANDLE
#else
using PortHandle = intptr_t; // a file descriptor (or a scripted line's number in tests)
#endif
// The value of g_hCom whenever the port is closed (INVALID_HANDLE_VALUE on Windows).
extern const PortHandle kInvalidPortHandle;

class CMonitorThread;

extern std::atomic<PortHandle> g_hCom;
extern std::atomic<bool> g_bPortOpen;
// The port is there for exchanges: no close has begun (a close clears g_bPortOpen a second
// before it invalidates the handle) and g_hCom is valid. The status monitor and the adjustment
// worker look before every port operation, so neither runs on into a later opening of the port
// (whose handle may even have the same number).
bool PortInUse();
extern std::atomic<CMonitorThread*> g_pMonitorThread;
// The sensor supply voltage (2.5, 3.3 or 5.0 V) by which raw sensor values become volts.
extern std::atomic<float> g_fSensorSupply;
extern std::atomic<PortSettings> g_PortSettings;
// The result of the open sequence's last step (0 success, 1 failure).
extern std::atomic<int32_t> g_nPortResult;
