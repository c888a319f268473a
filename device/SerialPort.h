// The serial primitives: the tool's only contact with the line to the printer.
// Results follow the tool's convention: 0 for success, 1 for failure.
// Every platform call of a primitive runs under the line lock with the handle re-read from
// g_hCom under it; the waits between those calls run without the lock. A close takes the handle
// out of g_hCom under the same lock before it closes it, so no read or write ever runs on a
// handle that is closed or reused, and no wait of one thread holds up another's call or a close.
// With the line trace on (LineTrace.h), every chunk written, every read that returned bytes and
// every byte a flush or purge (the open's included) discarded is recorded under the line lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/PortOpenError.h"
#include "device/PortState.h"

// Opens and configures the port named by settings.nPort, for this program alone (a device that
// another program holds fails to open). Sets g_hCom and, on success, g_bPortOpen. A failed open
// leaves g_hCom invalid and g_bPortOpen untouched.
int OpenPort(PortSettings settings);
// Why the latest OpenPort failed; kNone after one that succeeded (and before any).
PortOpenError LastOpenError();
// Clears g_bPortOpen, waits 1000 ms, invalidates g_hCom and closes the handle (if any) after
// discarding the output it still holds. A write the handshake holds in another thread is
// cancelled (where the platform's write waits for the line), so the close takes its fixed
// wait and a few milliseconds, never the write's timeout.
void ClosePort();
// Writes length bytes in chunks of 1024 (plus an empty final chunk when length is a multiple
// of 1024, 0 included). A chunk of n bytes is done once the line has sent it; when it has not
// within 2000 * n + 500 ms its output is discarded and the write is short. 1 when the port is
// closed (also between chunks and while one waits) or fewer bytes went out; a write the
// platform refused because the device went away also marks the line gone (LineGone).
int WritePort(const void* data, size_t length);
// True once the platform refused a read, or reported the device gone at a write, on the open
// port (a pulled adapter, a line that hung up); false again after the next successful OpenPort. A
// printer that is silent but still there never sets it.
bool LineGone();
// Up to 10 polls 50 ms apart; stops at the first poll that yields bytes. Never stores more
// than min(255, capacity) bytes. 1 when the port is closed or the line went away; count is set by a
// successful read (callers zero it first).
int ReadPort(void* buffer, size_t capacity, uint32_t& count);
// One reply attempt, the step that ReadPort repeats: 1 when the port is closed or the line went
// away (LineGone); otherwise clear
// the line errors, wait waitMs, read once up to min(255, capacity) bytes (a successful read sets
// count) and return 0. The adjustment workers make their 200 ms attempts with it.
int ReadAttempt(void* buffer, size_t capacity, uint32_t& count, unsigned waitMs);
// Clears the line's error state. 1 when the port is closed or the platform refuses the call
// (the device went away: LineGone).
int ClearLineErrors();
// One read without waiting of at most min(255, capacity) bytes. 1 when the port is closed or
// the platform refuses the read (the line went away: LineGone); count is set otherwise.
int ReadOnce(void* buffer, size_t capacity, uint32_t& count);
// Reads and discards input until a pass finds the driver's input queue empty. When given,
// stopRequested is asked before every pass and ends the purge when it returns true (a printer
// that keeps sending would otherwise hold the caller for as long as it sends).
void PurgeInput(bool (*stopRequested)() = nullptr);
// Clears the line errors, waits 100 ms, reads once up to maxBytes (at most 255) and discards
// them. Returns quietly when the port is closed.
void FlushInput(size_t maxBytes);

// Port names. Indices 0..7 are the platform's first eight serial ports ("COM1".."COM8" on
// Windows, /dev/ttyS0../dev/ttyS7 elsewhere); 8 and up are the further devices registered
// here (USB adapters, pseudo-terminals, --port DEVICE), in order of registration.
std::string PortDeviceName(int nPort);
// Registers a further device (once; a known path returns its index) and returns its index.
int AddExtraPort(const std::string& device);
std::vector<std::string> ExtraPorts();
