#include "device/CommSettings.h"

using namespace tarvello::comm;

#ifdef _WIN32
static_assert(kNoParity == NOPARITY, "the platform's value");
static_assert(kDtrControlDisable == DTR_CONTROL_DISABLE, "the platform's value");
static_assert(kRtsControlDisable == RTS_CONTROL_DISABLE, "the platform's value");
static_assert(kRtsControlEnable == RTS_CONTROL_ENABLE, "the platform's value");
static_assert(kMaxDword == MAXDWORD, "the platform's value");
#endif

void FillCommState(const PortSettings& settings, CommState& state) {
    state.DCBlength = sizeof(CommState);
    state.BaudRate = settings.dwBaudRate;
    state.ByteSize = settings.byByteSize;
    state.StopBits = settings.byStopBits;
    state.fBinary = 1;
    state.fAbortOnError = 1;
    state.fNull = 0;
    if (settings.byParity != 0) {
        state.fParity = 1;
        state.Parity = settings.byParity;
    } else {
        state.fParity = 0;
        state.Parity = kNoParity;
    }
    state.fOutxDsrFlow = 0;
    state.fDtrControl = kDtrControlDisable;
    state.fDsrSensitivity = 0;
    if (settings.nHandshake == 0) {
        state.fOutxCtsFlow = 1;
        state.fRtsControl = kRtsControlEnable;
        // fOutX, fInX, the XON/XOFF characters and fTXContinueOnXoff stay as the port had them.
    } else {
        state.fOutxCtsFlow = 0;
        state.fRtsControl = kRtsControlDisable;
        state.fOutX = 1;
        state.fInX = 1;
        state.XonChar = kXon;
        state.XoffChar = kXoff;
        state.fTXContinueOnXoff = 0;
    }
}

void FillCommTimeouts(CommTimeouts& timeouts) {
    timeouts.ReadIntervalTimeout = kMaxDword;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteMsConstant;
}
