// The line backend for Windows: the Win32 comm API on a synchronous (non-overlapped) handle.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "device/CommSettings.h"
#include "device/LineBackend.h"

namespace {

constexpr DWORD kMaxChunk = 0xFFFFFFFFu;

HANDLE ToHandle(PortHandle handle) {
    return static_cast<HANDLE>(handle);
}

// Reads the port's line settings and timeouts, changes what an open sets (CommSettings.h) and
// writes them back.
bool Configure(HANDLE h, const PortSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(h, &dcb)) {
        return false;
    }
    FillCommState(settings, dcb);
    if (!SetCommState(h, &dcb)) {
        return false;
    }
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(h, &timeouts)) {
        return false;
    }
    FillCommTimeouts(timeouts);
    return SetCommTimeouts(h, &timeouts) != FALSE;
}

// Why CreateFileA refused the device. A COM port that another program holds answers
// ERROR_ACCESS_DENIED (it is opened without sharing), one that does not exist
// ERROR_FILE_NOT_FOUND.
PortOpenError OpenErrorFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
        return PortOpenError::kNoDevice;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return PortOpenError::kBusy;
    default:
        return PortOpenError::kOther;
    }
}

// The errors the comm API gives once the device behind an open handle has gone (a USB adapter
// pulled out, its driver removed). A write the handshake holds ends with a timeout instead, and
// one that a purge or a cancel ended with ERROR_OPERATION_ABORTED: neither is a lost line.
bool DeviceGoneError(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_HANDLE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEV_NOT_EXIST:
        return true;
    default:
        return false;
    }
}

class Win32Line : public LineBackend {
  public:
    PortHandle Open(const std::string& device, const PortSettings& settings) override {
        HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            openError_ = OpenErrorFor(GetLastError());
            return kInvalidPortHandle;
        }
        if (!Configure(h, settings)) {
            openError_ = PortOpenError::kSettingsRefused;
            CloseHandle(h);
            return kInvalidPortHandle;
        }
        openError_ = PortOpenError::kNone;
        return h;
    }

    PortOpenError OpenError() const override { return openError_; }

    void Close(PortHandle handle) override {
        // Output still pending is discarded first, so a close never waits on a held line.
        DiscardOutput(handle);
        CloseHandle(ToHandle(handle));
    }

    // From the closing thread, while a write the handshake holds keeps the line lock: the
    // write ends at once (ERROR_OPERATION_ABORTED, with the bytes it got out).
    void CancelPending(PortHandle handle) override { CancelIoEx(ToHandle(handle), nullptr); }

    void DiscardOutput(PortHandle handle) override {
        PurgeComm(ToHandle(handle), PURGE_TXABORT | PURGE_TXCLEAR);
    }

    size_t Write(PortHandle handle, const uint8_t* data, size_t length) override {
        // The chunks of the primitives are at most 1024 bytes; only the count is looked at.
        DWORD written = 0;
        const DWORD n = length > kMaxChunk ? kMaxChunk : static_cast<DWORD>(length);
        writeLost_ = !WriteFile(ToHandle(handle), data, n, &written, nullptr) &&
                     DeviceGoneError(GetLastError());
        return written;
    }

    bool WriteLostLine(PortHandle handle) override {
        (void)handle;
        return writeLost_;
    }

    long Read(PortHandle handle, uint8_t* buffer, size_t maxBytes) override {
        DWORD got = 0;
        const DWORD n = maxBytes > kMaxChunk ? kMaxChunk : static_cast<DWORD>(maxBytes);
        if (!ReadFile(ToHandle(handle), buffer, n, &got, nullptr)) {
            return -1;
        }
        return static_cast<long>(got);
    }

    bool ClearErrors(PortHandle handle, size_t* queued) override {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(ToHandle(handle), &errors, &stat)) {
            if (queued != nullptr) {
                *queued = 0;
            }
            return false;
        }
        if (queued != nullptr) {
            *queued = stat.cbInQue;
        }
        return true;
    }

    void Purge(PortHandle handle) override {
        PurgeComm(ToHandle(handle), PURGE_TXCLEAR | PURGE_RXCLEAR);
    }

  private:
    // Open runs under the line lock, and OpenError is asked right after it under the same lock;
    // so do Write and WriteLostLine.
    PortOpenError openError_ = PortOpenError::kNone;
    bool writeLost_ = false;
};

} // namespace

LineBackend& PlatformLineBackend() {
    static Win32Line line;
    return line;
}

#endif // _WIN32
