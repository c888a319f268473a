// CTarvelloApp: the application. Reads the command line, starts the virtual printer when asked,
// runs the main window and ends when it has closed.
#pragma once

#include <QStringList>

#include <string>

namespace tarvello::sim {
class VirtualPrinter;
}

// The command line: --simulate, --port DEVICE, --screenshots DIR, --help.
struct StartOptions {
    bool bSimulate = false;
    std::string strPort; // --port DEVICE
    bool bHelp = false;
    std::string strScreenshots; // --screenshots DIR
    std::string strError;       // not empty: the command line was refused
};
StartOptions ParseCommandLine(const QStringList& args);
// The nPort of a device given with --port: one of the first eight ports when it names one
// ("COM3" on Windows, /dev/ttyS2 elsewhere), else a further device registered for the list.
int PortIndexForDevice(const std::string& device);
// The text of --help.
const char* UsageText();

class CTarvelloApp {
  public:
    // Creates the application object, runs InitInstance and returns the process's exit code.
    int Run(int argc, char** argv);

  private:
    // Runs the main window modally (initialPort selected at the port page's first activation);
    // printer is the virtual printer of --simulate, or nullptr.
    bool InitInstance(int initialPort, const StartOptions& options,
                      tarvello::sim::VirtualPrinter* printer);

    int m_nExitCode = 0; // the process's exit code once the window has closed
};
