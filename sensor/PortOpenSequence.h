// The port page's open sequence without widgets: open and configure the port, shake hands with
// the printer (STX "k" CR, one second, a reply that must begin with 'Y'), send the access code
// and start the status monitor. The port page runs it on a worker thread; the tests and the
// command-line tool call it as it is. The result names the step that failed and why, so that
// whoever shows the failure can tell the technician what to look at.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/PortOpenError.h"
#include "device/PortState.h"

class DisplaySink;

// The step of the sequence that failed, in the order the sequence takes them.
enum class PortOpenStep {
    kNone,           // every step succeeded: the status monitor runs
    kOpen,           // the port could not be opened or configured (openError says why)
    kHandshakeWrite, // STX "k" CR could not be written; the port stays open, no monitor
    kNoAnswer,       // nothing came back within the second and the polls after it; closed again
    kNotY,           // the reply did not begin with 'Y' (received holds it); closed again
    kAccessWrite,    // the access-code frame could not be written; the port stays open, no monitor
};

struct PortOpenResult {
    PortOpenStep failedStep = PortOpenStep::kNone;
    PortOpenError openError = PortOpenError::kNone; // why the open failed (kOpen only)
    std::string device;                             // the device nPort names; empty: none
    std::vector<uint8_t> received;                  // the handshake reply's bytes (at most 10)

    bool Succeeded() const { return failedStep == PortOpenStep::kNone; }
    // The printer did not accept the handshake: the sequence closed the port again.
    bool HandshakeFailed() const {
        return failedStep == PortOpenStep::kNoAnswer || failedStep == PortOpenStep::kNotY;
    }
};

// The open sequence after the settings are chosen, on the calling thread: OpenPort, STX "k" CR, a
// 1000 ms wait, one ReadPort of up to 10 bytes whose first byte must be 'Y' (else ClosePort),
// the 12-byte access frame, the status monitor with sink. g_nPortResult holds the result of
// the last step taken. portOpened, when given, is called right after the port has opened.
PortOpenResult RunPortOpenSequence(const PortSettings& settings, DisplaySink* sink,
                                   const std::function<void()>& portOpened = nullptr);

// Bytes as a technician reads them on a serial terminal: hexadecimal, then the printable ones
// as text ('.' for the others): 4E 6F ("No"). Empty bytes give an empty text.
std::string DescribeBytes(const std::vector<uint8_t>& bytes);
