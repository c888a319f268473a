// CTarvelloApp: the application. Reads the command line, starts the virtual printer when asked,
// runs the main window and ends when it has closed.
#pragma once

#include <string>

#include "app/CommandLine.h"

namespace tarvello::sim {
class VirtualPrinter;
}

// The nPort of a device given with --port: one of the first eight ports when it names one
// ("COM3" on Windows, /dev/ttyS2 elsewhere), else a further device registered for the list.
int PortIndexForDevice(const std::string& device);

class CTarvelloApp {
  public:
    // Creates the application object, runs InitInstance and returns the process's exit code.
    int Run(int argc, char** argv);

  private:
    // Answers --help and --version, or refuses the command line: on the terminal and, on
    // Windows, in a message box too. Returns the exit code (0, or 2 for a refusal).
    static int Answer(const StartOptions& options);
    // Runs the main window modally (initialPort selected at the port page's first activation);
    // printer is the virtual printer of --simulate, or nullptr.
    bool InitInstance(int initialPort, const StartOptions& options,
                      tarvello::sim::VirtualPrinter* printer);

    int m_nExitCode = 0; // the process's exit code once the window has closed
};
