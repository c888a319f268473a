// One run's printer: the virtual printer of --simulate or the device of --port, opened with the
// port page's open sequence and closed as the port page closes it; and the stop signals.
//
// SIGINT and SIGTERM set a flag; every wait of the work ends within 20 ms of it, the main thread
// asks a running adjustment to stop, saves nothing more and closes the port with the close's own
// fixed wait. A second signal ends the process at once.
#pragma once

#include <memory>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"

class DisplaySink;

namespace tarvello::sim {
class VirtualPrinter;
}

namespace tarvello::cli {

// Installs the handlers of SIGINT and SIGTERM (system calls they interrupt are restarted).
void InstallStopSignals();
// True once SIGINT or SIGTERM has arrived.
bool StopRequested();

class PrinterSession {
  public:
    PrinterSession();
    ~PrinterSession(); // closes the port if it is still open
    PrinterSession(const PrinterSession&) = delete;
    PrinterSession& operator=(const PrinterSession&) = delete;

    // Starts the virtual printer (--simulate) or registers the device, then runs the port
    // page's open sequence with the monitor showing its texts to sink (nullptr: nowhere).
    // Fills the report's port; false with the report's exit code and sentence set when the
    // port could not be opened or the printer refused the handshake (the port is closed then).
    bool Open(const CliRequest& request, DisplaySink* sink, CliReport& report);
    // Closes the port as the port page does (the monitor ends, one second, the handle closed)
    // and stops the virtual printer. Safe to call more than once.
    void Close();

  private:
    std::unique_ptr<tarvello::sim::VirtualPrinter> m_printer;
};

} // namespace tarvello::cli
