// The platform's serial line behind the serial primitives. The primitives (SerialPort.cpp) hold
// the line lock around every call and pass the handle they read from g_hCom under that lock,
// so a backend never sees a handle that is being closed. Close is the one call made without the
// lock: its handle has already been taken out of g_hCom under the lock, so nothing else can
// reach it, and a driver that waits at its close holds up only the closing thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "device/PortOpenError.h"
#include "device/PortState.h"

class LineBackend {
  public:
    virtual ~LineBackend() = default;

    // Opens the device for this program alone and configures speed, framing, handshake and
    // timeouts so that a read returns at once with what has arrived. kInvalidPortHandle on any
    // failure (nothing stays open then; OpenError says why).
    virtual PortHandle Open(const std::string& device, const PortSettings& settings) = 0;
    // Why the last Open failed. Asked only after a failed Open; a backend that cannot tell
    // answers kOther.
    virtual PortOpenError OpenError() const { return PortOpenError::kOther; }
    // Closes the handle without waiting on output the line still holds (the primitives discard
    // it first).
    virtual void Close(PortHandle handle) = 0;
    // Writes the bytes; the number of bytes the driver took. A platform whose write waits for
    // the line (the Win32 comm API, within its write timeout) returns once they went out or the
    // timeout passed. A platform whose driver only buffers (termios) returns at once, having
    // taken fewer bytes when its buffer is full, which OutputQueued then reports; fewer bytes
    // with nothing queued is a write the line refused.
    virtual size_t Write(PortHandle handle, const uint8_t* data, size_t length) = 0;
    // True when the latest Write on this handle took fewer bytes because the platform reported
    // the device gone (a pulled adapter, a line that hung up), not because the line holds or
    // refuses them. Asked under the line lock right after that Write.
    virtual bool WriteLostLine(PortHandle handle) {
        (void)handle;
        return false;
    }
    // The bytes the driver has taken but not yet sent, at least 1 while it takes no more; 0
    // once the output has drained. -1 when there is nothing to wait for: the platform's write
    // already waited for the line, or the line can send nothing more (hung up).
    virtual long OutputQueued(PortHandle handle) {
        (void)handle;
        return -1;
    }
    // Asks the platform to end at once a call that waits on the line in another thread (a
    // write the handshake holds, on a platform whose write waits for the line). The one call
    // made from a closing thread while another may hold the line lock; nothing on a platform
    // whose calls never wait (termios).
    virtual void CancelPending(PortHandle handle) { (void)handle; }
    // Discards the output the driver has not yet sent.
    virtual void DiscardOutput(PortHandle handle) { (void)handle; }
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
