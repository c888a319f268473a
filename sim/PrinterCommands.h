// Commands that change what the virtual printer's sensors see while it runs, one per line, from
// tarvello-printer's standard input or a --script file, so a scripted test (or a person) can
// play the technician who changes the media:
//   reflective MEDIA       media under the reflective sensor: paper, mark, liner, none
//   transmissive MEDIA     media under the transmissive sensor
//   dirty PERCENT          dirt on the sensors, 0..100
//   stock NAME             standard, faint-mark, clear
//   wait MS                (scripts) the next command comes MS milliseconds later
// Empty lines and lines starting with '#' are ignored.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace tarvello::sim {

struct PrinterCommand {
    enum Kind { kNone, kMedia, kDirty, kStock, kWait } kind = kNone;
    Sensor sensor = Sensor::Reflective;
    Media media = Media::Paper;
    Stock stock = Stock::Standard;
    int number = 0; // percent or milliseconds
};

// Reads one line. False with the reason for a line that is no command.
bool ParsePrinterCommand(const std::string& line, PrinterCommand& command, std::string* error);

// Applies a command to the printer (a wait does nothing here).
void ApplyPrinterCommand(VirtualPrinter& printer, const PrinterCommand& command);

// Applies each line given (a refused line changes nothing), for a program that plays the
// technician itself: the window's and the command line's --simulate.
std::function<void(const std::string& line)> LineApplier(VirtualPrinter& printer);

// Feeds a running printer: lines as they come (standard input), and a script whose commands
// are applied when their time has come.
class CommandFeed {
  public:
    explicit CommandFeed(VirtualPrinter& printer) : printer_(printer) {}
    // Adds bytes as they were read and applies every whole line; the reasons of refused lines
    // are returned ("line N: ...").
    std::vector<std::string> Feed(const std::string& bytes);
    // Reads a whole script; false with the reason (its line number) when a line is refused or
    // the file cannot be read. Nothing of a refused script is applied.
    bool LoadScript(const std::string& path, std::string* error);
    // Applies the script's commands due at elapsedMs since the script started.
    void RunDue(long elapsedMs);
    bool ScriptDone() const { return next_ >= script_.size(); }

  private:
    VirtualPrinter& printer_;
    std::string pending_;
    int lineNumber_ = 0;
    struct Timed {
        long atMs;
        PrinterCommand command;
    };
    std::vector<Timed> script_;
    std::size_t next_ = 0;
};

} // namespace tarvello::sim
