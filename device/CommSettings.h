// The line settings and timeouts an open gives the port, in the Win32 comm API's own records
// (DCB and COMMTIMEOUTS). Each is filled from the open's PortSettings by one pure function,
// which the Win32 backend hands to SetCommState and SetCommTimeouts. Elsewhere the records are
// look-alikes with the same fields, so the filling is the same code and testable anywhere.
#pragma once

#include <cstdint>

#include "device/PortState.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

using CommState = DCB;
using CommTimeouts = COMMTIMEOUTS;
#else
// The fields of DCB, in its order and widths.
struct CommState {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t fBinary : 1;
    uint32_t fParity : 1;
    uint32_t fOutxCtsFlow : 1;
    uint32_t fOutxDsrFlow : 1;
    uint32_t fDtrControl : 2;
    uint32_t fDsrSensitivity : 1;
    uint32_t fTXContinueOnXoff : 1;
    uint32_t fOutX : 1;
    uint32_t fInX : 1;
    uint32_t fErrorChar : 1;
    uint32_t fNull : 1;
    uint32_t fRtsControl : 2;
    uint32_t fAbortOnError : 1;
    uint32_t fDummy2 : 17;
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
};

// The fields of COMMTIMEOUTS, all in milliseconds.
struct CommTimeouts {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
};
#endif

namespace tarvello::comm {

// The platform's values of the fields (NOPARITY, DTR_CONTROL_DISABLE, ... on Windows).
constexpr uint8_t kNoParity = 0;
constexpr uint32_t kDtrControlDisable = 0;
constexpr uint32_t kRtsControlDisable = 0;
constexpr uint32_t kRtsControlEnable = 1;
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
// A write of n bytes gives up after kWriteMsPerByte * n + kWriteMsConstant.
constexpr uint32_t kWriteMsPerByte = 2000;
constexpr uint32_t kWriteMsConstant = 500;

} // namespace tarvello::comm

// Sets the fields an open changes in the port's current line settings and leaves every other
// field as the port had it: the record's length, speed, byte size, stop bits and parity as
// settings give them, binary mode, abort on error, no null stripping, and the handshake:
//   nHandshake 0: output waits for CTS, RTS held on, DTR off, DSR ignored (XON/XOFF as it was);
//   otherwise:    XON/XOFF in both directions with 0x11/0x13 and no transmit while held off,
//                 CTS and DSR ignored, RTS and DTR off.
void FillCommState(const PortSettings& settings, CommState& state);
// Replaces all five timeouts: a read returns at once with the bytes already received, a write
// of n bytes gives up after 2000 * n + 500 ms.
void FillCommTimeouts(CommTimeouts& timeouts);
