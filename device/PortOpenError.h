// Why an open of the serial port failed, so that the port page can tell the technician what to
// look at. OpenPort keeps its 0/1 result; LastOpenError() (SerialPort.h) gives the reason.
#pragma once

enum class PortOpenError {
    kNone,            // the open succeeded
    kNoDevice,        // no device of that name (or no port chosen)
    kBusy,            // the device is held by another program
    kNoAccess,        // this user may not open the device
    kSettingsRefused, // the device cannot be configured with these settings
    kOther,           // the platform refused the open for another reason
};
