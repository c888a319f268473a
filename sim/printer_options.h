// tarvello-printer's command line: the printer as its options set it up, and what the program
// does besides serving.
#pragma once

#include <QStringList>

#include <string>

#include "sim/PrinterCommands.h"
#include "sim/VirtualPrinter.h"

namespace tarvello::sim {

// The printer and what the options set besides it.
struct PrinterProgram {
    VirtualPrinter printer;
    CommandFeed feed{printer};
    bool exitOnEof = false;
    bool verbose = false;
    std::string link;
};

// Reads the command line into program, each option in the order given (a later one overrides an
// earlier one). Returns the exit code when the program ends here: after --help or --version
// (0) or on a refused line (2); -1 when it goes on to serve.
int ReadCommandLine(const QStringList& args, PrinterProgram& program);

} // namespace tarvello::sim
