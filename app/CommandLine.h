// The tool's command line. One function declares the options, one struct holds what they say:
// an option is added by its declaration in DeclareOptions, its field in StartOptions and its
// reading in ReadOptions (app/CommandLine.cpp).
#pragma once

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "app/Language.h"
#include "sim/PrinterCommands.h"

class QCommandLineParser;

struct StartOptions {
    bool bSimulate = false;
    // --dirty, --stock: what the virtual printer's sensors see (with --simulate only).
    std::vector<tarvello::sim::PrinterCommand> simCommands;
    std::string strPort;        // --port DEVICE
    std::string strScreenshots; // --screenshots DIR
    std::string strTrace;       // --trace FILE: the line trace written to FILE as it happens
    std::string strRecords;     // --records PATH: the calibration records' file for this run
    std::string strPlantDb;     // --plant-db CONNINFO: the plant database of this run
    bool bDiagnostics = false;  // --diagnostics: the diagnostics window opens with the main one
    // --lang zh|en: the interface's language for this run; none: the one chosen in the menu.
    std::optional<tarvello::app::Language> language;
    bool bHelp = false;    // --help or -h: the usage text, nothing else
    bool bVersion = false; // --version: the version, nothing else
    std::string strError;  // not empty: the command line was refused
};

// Declares every option of the tool on parser.
void DeclareOptions(QCommandLineParser& parser);
// Parses args (the program's name first). --help and --version win over a refusal, so that
// they answer whatever else the line holds.
StartOptions ParseCommandLine(const QStringList& args);
// The text of --help.
std::string UsageText();
// The text of --version: "tarvello 1.5".
std::string VersionText();
