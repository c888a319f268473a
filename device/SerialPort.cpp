// The serial primitives on top of the line backend.
//
// The line lock guards the handle, not the conversation: every call into the backend runs under
// it with the handle re-read from g_hCom under the same lock, and a close takes the handle out
// of g_hCom under it (and closes it afterwards, so a driver that waits at its close holds up
// nobody else). The waits between those calls are taken without the lock, the fixed waits as
// well as a write's polls for its output to drain, so a thread that waits for a reply or for a
// held line never holds up another one (or a close) for the length of its wait. Keeping the
// conversations apart is the monitor gate's job.
#include "device/SerialPort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "device/LineBackend.h"
#include "device/LineTrace.h"
#include "device/Sleep.h"

namespace {

constexpr size_t kChunkSize = 1024;
constexpr size_t kMaxRead = 255;
constexpr size_t kPurgeReadSize = 30;
constexpr int kReadAttempts = 10;
constexpr unsigned kReadPollMs = 50;
constexpr unsigned kFlushWaitMs = 100;
constexpr unsigned kCloseWaitMs = 1000;
// A close asks again this often for a held write to be cancelled until it has the line lock.
constexpr unsigned kCancelRetryMs = 2;
// With the trace on, the open reads at most this much of the input queue before its purge.
constexpr size_t kOpenPeekLimit = 4096;
// The write timeout of a chunk: 2000 ms per byte plus 500 ms.
constexpr unsigned long long kWriteMsPerByte = 2000;
constexpr unsigned long long kWriteMsConstant = 500;
// The polls for a chunk's output to drain: 1 ms at first, doubling up to 20 ms.
constexpr unsigned kDrainFirstPollMs = 1;
constexpr unsigned kDrainPollMaxMs = 20;

std::mutex& LineLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<LineBackend*> s_backend{nullptr};
std::atomic<PortOpenError> s_lastOpenError{PortOpenError::kNone};
// The platform refused a read, or reported the device gone at a write, on the open handle: the
// device went away (unplugged adapter, hung-up line). Cleared by the next successful open.
std::atomic<bool> s_lineGone{false};

std::mutex& ExtraPortsLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& ExtraPortList() {
    static std::vector<std::string> list;
    return list;
}

bool IsValid(PortHandle handle) {
    return handle != kInvalidPortHandle;
}

// Clears the line's error state under the lock. False when the port is closed, or when the
// platform refuses the call on the open handle (the device went away: the line is gone).
bool ClearErrorsLocked(size_t* queued) {
    std::lock_guard<std::mutex> guard(LineLock());
    const PortHandle handle = g_hCom.load();
    if (!IsValid(handle)) {
        return false;
    }
    if (!CurrentLineBackend().ClearErrors(handle, queued)) {
        s_lineGone.store(true);
        return false;
    }
    return true;
}

// Takes the handle out of g_hCom and discards its pending output under the lock, then closes
// it without the lock. Returns within a few milliseconds of being called, also while another
// thread's write is held by the handshake.
void CloseCurrentHandle() {
    LineBackend& backend = CurrentLineBackend();
    PortHandle handle = kInvalidPortHandle;
    {
        // A write the handshake holds keeps the lock for up to its timeout where the platform's
        // write waits for the line (Win32): it is cancelled until the lock is ours, so a close
        // never waits for it.
        std::unique_lock<std::mutex> guard(LineLock(), std::try_to_lock);
        while (!guard.owns_lock()) {
            const PortHandle held = g_hCom.load();
            if (IsValid(held)) {
                backend.CancelPending(held);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kCancelRetryMs));
            guard.try_lock();
        }
        handle = g_hCom.exchange(kInvalidPortHandle);
        if (!IsValid(handle)) {
            return;
        }
        backend.DiscardOutput(handle);
    }
    backend.Close(handle);
}

// Records the chunk's bytes [from, to) in the trace and moves from on.
void TraceWritten(TraceDirection direction, const uint8_t* data, size_t& from, size_t to) {
    TraceLine(direction, data + from, to - from);
    from = to;
}

// Writes one chunk and waits until the driver has sent it, within the chunk's write timeout
// counted from the start of the write. False when the port is closed meanwhile, when the driver
// took fewer bytes, or when the output had not drained by the timeout (it is discarded then).
// The trace records the bytes as sent once they have left the driver, and the ones thrown away
// from its output queue as discarded from there.
bool WriteChunk(const uint8_t* data, size_t length) {
    const unsigned long long timeoutMs = kWriteMsPerByte * length + kWriteMsConstant;
    unsigned long long waitedMs = 0;
    unsigned pollMs = kDrainFirstPollMs;
    size_t sent = 0;
    size_t traced = 0;
    for (bool first = true;; first = false) {
        {
            std::lock_guard<std::mutex> guard(LineLock());
            const PortHandle handle = g_hCom.load();
            if (!IsValid(handle)) {
                TraceWritten(TraceDirection::kToPrinter, data, traced, sent); // handed over
                return false;
            }
            LineBackend& backend = CurrentLineBackend();
            if (first || sent < length) {
                sent += backend.Write(handle, data + sent, length - sent);
                if (sent < length && backend.WriteLostLine(handle)) {
                    s_lineGone.store(true);
                    TraceWritten(TraceDirection::kToPrinter, data, traced, sent);
                    return false;
                }
            }
            // Nothing queued: sent, or (fewer bytes taken) refused by the line.
            const long queued = backend.OutputQueued(handle);
            if (queued <= 0) {
                TraceWritten(TraceDirection::kToPrinter, data, traced, sent);
                return sent == length;
            }
            if (waitedMs >= timeoutMs) {
                // Held by the handshake for too long: what the driver still holds never leaves.
                const size_t held = std::min(static_cast<size_t>(queued), sent - traced);
                TraceWritten(TraceDirection::kToPrinter, data, traced, sent - held);
                backend.DiscardOutput(handle);
                TraceWritten(TraceDirection::kDiscardedOutput, data, traced, sent);
                return false;
            }
        }
        pollMs = static_cast<unsigned>(std::min<unsigned long long>(pollMs, timeoutMs - waitedMs));
        tarvello::Sleep(pollMs);
        waitedMs += pollMs;
        pollMs = std::min(2 * pollMs, kDrainPollMaxMs);
    }
}

// With the trace on, the open reads what the driver's input queue holds before its purge, so the
// trace shows the bytes the purge would have discarded unseen (a byte arriving between this and
// the purge is still lost unseen). Called under the line lock.
void TraceQueuedInput(LineBackend& backend, PortHandle handle) {
    uint8_t scratch[kMaxRead];
    size_t taken = 0;
    while (taken < kOpenPeekLimit) {
        size_t queued = 0;
        if (!backend.ClearErrors(handle, &queued) || queued == 0) {
            return;
        }
        const long got = backend.Read(handle, scratch, std::min(kMaxRead, queued));
        if (got <= 0) {
            return;
        }
        TraceLine(TraceDirection::kDiscarded, scratch, static_cast<size_t>(got));
        taken += static_cast<size_t>(got);
    }
}

// One read without waiting, recorded in the trace as coming from the printer or as discarded.
int ReadOnceAs(TraceDirection direction, void* buffer, size_t capacity, uint32_t& count) {
    std::lock_guard<std::mutex> guard(LineLock());
    const PortHandle handle = g_hCom.load();
    if (!IsValid(handle)) {
        return 1;
    }
    const long got = CurrentLineBackend().Read(handle, static_cast<uint8_t*>(buffer),
                                               std::min(kMaxRead, capacity));
    if (got < 0) {
        s_lineGone.store(true); // a silent printer reads 0 bytes; a refused read is a lost line
        return 1;
    }
    count = static_cast<uint32_t>(got);
    TraceLine(direction, buffer, count);
    return 0;
}

int ReadAttemptAs(TraceDirection direction, void* buffer, size_t capacity, uint32_t& count,
                  unsigned waitMs) {
    if (!ClearErrorsLocked(nullptr)) {
        return 1;
    }
    tarvello::Sleep(waitMs);
    return ReadOnceAs(direction, buffer, capacity, count);
}

} // namespace

bool LineGone() {
    return s_lineGone.load();
}

PortOpenError LastOpenError() {
    return s_lastOpenError.load();
}

LineBackend& CurrentLineBackend() {
    LineBackend* backend = s_backend.load();
    return backend != nullptr ? *backend : PlatformLineBackend();
}

void SetLineBackend(LineBackend* backend) {
    s_backend.store(backend);
}

std::string PortDeviceName(int nPort) {
    if (nPort >= 0 && nPort < 8) {
#ifdef _WIN32
        return "\\\\.\\COM" + std::to_string(nPort + 1);
#else
        return "/dev/ttyS" + std::to_string(nPort);
#endif
    }
    if (nPort >= 8) {
        std::lock_guard<std::mutex> guard(ExtraPortsLock());
        const auto& list = ExtraPortList();
        const size_t index = static_cast<size_t>(nPort) - 8;
        if (index < list.size()) {
            return list[index];
        }
    }
    return std::string();
}

int AddExtraPort(const std::string& device) {
    std::lock_guard<std::mutex> guard(ExtraPortsLock());
    auto& list = ExtraPortList();
    const auto found = std::find(list.begin(), list.end(), device);
    if (found != list.end()) {
        return 8 + static_cast<int>(found - list.begin());
    }
    list.push_back(device);
    return 8 + static_cast<int>(list.size() - 1);
}

std::vector<std::string> ExtraPorts() {
    std::lock_guard<std::mutex> guard(ExtraPortsLock());
    return ExtraPortList();
}

int OpenPort(PortSettings settings) {
    const std::string device = PortDeviceName(settings.nPort);
    CloseCurrentHandle();
    std::lock_guard<std::mutex> guard(LineLock());
    LineBackend& backend = CurrentLineBackend();
    if (device.empty()) {
        s_lastOpenError.store(PortOpenError::kNoDevice);
        return 1;
    }
    const PortHandle handle = backend.Open(device, settings);
    if (!IsValid(handle)) {
        const PortOpenError why = backend.OpenError();
        s_lastOpenError.store(why == PortOpenError::kNone ? PortOpenError::kOther : why);
        return 1;
    }
    TraceMarkPortOpened();
    if (LineTraceEnabled()) {
        TraceQueuedInput(backend, handle);
    }
    backend.Purge(handle);
    g_hCom.store(handle);
    g_bPortOpen.store(true);
    s_lineGone.store(false);
    s_lastOpenError.store(PortOpenError::kNone);
    return 0;
}

void ClosePort() {
    g_bPortOpen.store(false);
    tarvello::SleepWhole(kCloseWaitMs); // lets the monitor notice the flag; the lock is not held
    CloseCurrentHandle();
}

int WritePort(const void* data, size_t length) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    size_t offset = 0;
    for (;;) {
        const size_t chunk = std::min(kChunkSize, length - offset);
        if (!WriteChunk(bytes + offset, chunk)) {
            return 1;
        }
        offset += chunk;
        if (chunk < kChunkSize) {
            return 0; // the remainder, or the empty chunk after a multiple of 1024
        }
    }
}

int ClearLineErrors() {
    return ClearErrorsLocked(nullptr) ? 0 : 1;
}

int ReadOnce(void* buffer, size_t capacity, uint32_t& count) {
    return ReadOnceAs(TraceDirection::kFromPrinter, buffer, capacity, count);
}

int ReadAttempt(void* buffer, size_t capacity, uint32_t& count, unsigned waitMs) {
    return ReadAttemptAs(TraceDirection::kFromPrinter, buffer, capacity, count, waitMs);
}

int ReadPort(void* buffer, size_t capacity, uint32_t& count) {
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (ReadAttempt(buffer, capacity, count, kReadPollMs) != 0) {
            return 1;
        }
        if (count >= 1) {
            break;
        }
    }
    return 0;
}

void PurgeInput(bool (*stopRequested)()) {
    uint8_t scratch[kPurgeReadSize];
    for (;;) {
        if (stopRequested != nullptr && stopRequested()) {
            return;
        }
        uint32_t count = 0;
        if (ReadAttemptAs(TraceDirection::kDiscarded, scratch, sizeof scratch, count,
                          kFlushWaitMs) != 0) {
            return;
        }
        size_t queued = 0;
        if (!ClearErrorsLocked(&queued) || queued == 0) {
            return;
        }
    }
}

void FlushInput(size_t maxBytes) {
    uint8_t scratch[kMaxRead];
    uint32_t count = 0;
    // One read takes at most 255 bytes whatever the caller asks for.
    ReadAttemptAs(TraceDirection::kDiscarded, scratch, std::min(maxBytes, sizeof scratch), count,
                  kFlushWaitMs);
}
