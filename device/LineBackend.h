// The platform's serial line behind the serial primitives. The primitives (SerialPort.cpp) hold
// the line lock around every call and pass the handle they read from g_hCom under that lock,
// so a backend never sees a handle that is being closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/SharedState.h"

class LineBackend {
  public:
    virtual ~LineBackend() = default;

    // Opens the device and configures speed, framing, handshake and timeouts so that a read
    // returns at once with what has arrived. kInvalidPortHandle on any failure (nothing stays
    // open then).
    virtual PortHandle Open(const std::string& device, const PortSettings& settings) = 0;
    virtual void Close(PortHandle handle) = 0;
    // Writes the bytes (giving up after the write timeout); the number of bytes written.
    virtual size_t Write(PortHandle handle, const uint8_t* data, size_t length) = 0;
    // Reads what has arrived, at most maxBytes, without waiting. The count, possibly 0, or
    // -1 when the platform rejects the read.
    virtual long Read(PortHandle handle, uint8_t* buffer, size_t maxBytes) = 0;
    // Clears the line's error state; stores the number of bytes waiting in the input queue
    // when queued is not null. False when the platform rejects the call.
    virtual bool ClearErrors(PortHandle handle, size_t* queued) = 0;
    // Discards the driver's output and input buffers.
    virtual void Purge(PortHandle handle) = 0;
};

// The backend of this platform (termios or the Win32 comm API).
LineBackend& PlatformLineBackend();

// The backend the primitives use: the platform's unless a test installed another. Install
// only while the port is closed and no thread uses the line.
LineBackend& CurrentLineBackend();
void SetLineBackend(LineBackend* backend); // nullptr restores the platform's
