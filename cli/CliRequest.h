// What one run of tarvello-cli is asked to do: the command and its arguments, the printer and
// its line settings, the parameter file and the output form, taken from the command line and
// checked before the port is touched.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "device/PortState.h"
#include "sensor/GuidedSteps.h"
#include "sensor/SensorParams.h"
#include "sensor/Verdict.h"
#include "sim/PrinterCommands.h"

class QCommandLineParser;

namespace tarvello::cli {

enum class Command { Ports, Status, Adjust, Read, Check, Profiles, Records, Calibrate };

// What a single reading measures; each sensor takes two of them.
enum class ReadWhat { Mark, NoPaper, Paper };

// The exit codes of the tool.
enum ExitCode {
    kExitDone = 0,
    kExitNoResult = 1,     // no reading, a paper check that ended early, no status values
    kExitUsage = 2,        // the command line was refused; nothing was touched
    kExitNoPrinter = 3,    // the port could not be opened or the printer refused the handshake
    kExitNotReached = 4,   // the adjustment did not reach the band within --max-passes
    kExitLineFailed = 5,   // a write failed or the port went away during the work
    kExitNotSaved = 6,     // the work was done but the parameter file could not be saved
    kExitVerdictFail = 7,  // the work was done and saved, and the verdict is a fail
    kExitNotRecorded = 8,  // the work was done, but its record was not stored
    kExitPlantWaiting = 9, // records sync: some records still wait for the plant database
    kExitStopped = 130,    // stopped by SIGINT or SIGTERM
};

struct CliRequest {
    Command command = Command::Ports;
    Sensor sensor = Sensor::Reflective;
    ReadWhat what = ReadWhat::Mark;
    // adjust: the standard as typed and its value; the pass limit.
    std::string standardText;
    float standard = 0.0f;
    int maxPasses = 200;
    // read: the level and intensity text given (nullopt: the saved ones).
    std::optional<int> level;
    std::optional<std::string> intensityText;
    // calibrate (cli/CliCalibrate.cpp): its sensors, who and what, the standards given (the
    // text as typed; nullopt: the profile's), its steps and whether to ask for media changes.
    std::vector<Sensor> sensors;
    QString printerId;
    QString operatorName;
    std::optional<std::string> reflectiveStandard;
    std::optional<std::string> transmissiveStandard;
    std::vector<GuidedStep> steps;
    bool stepsGiven = false; // --steps (else the profile's steps)
    bool yes = false;

    // --profile: the media profile of adjust and check (empty: "Standard"); its criteria, and
    // its standard and pass limit where --standard and --max-passes are not given.
    QString profileName;
    bool standardGiven = false;
    bool maxPassesGiven = false;
    verdict::Criteria criteria;
    // profiles: the subcommand and its arguments (list, show NAME, export [NAME] FILE, import
    // FILE, delete NAME); --replace for import.
    QStringList profileArgs;
    bool replace = false;

    // The calibration record of adjust, read and check, and the records command.
    struct Records {
        QString path;           // --records (empty: the shared data folder's records.sqlite)
        bool none = false;      // --no-record
        QString printerId;      // --printer-id
        QString operatorName;   // --operator (empty: the login name)
        QStringList args;       // records: the subcommand and its arguments
        QString since, verdict; // list, export filters
        int limit = 50;         // list
        QString csv, pdf;       // export --csv FILE, report --pdf FILE
        int days = -1;          // overdue --days, prune --older-than
        bool sent = false;      // prune --sent
        QString plantDb;        // --plant-db CONNINFO (cli/CliPlant.cpp)
    } records;

    bool simulate = false;
    // --dirty, --stock: what the virtual printer's sensors see (with --simulate only).
    std::vector<tarvello::sim::PrinterCommand> simCommands;
    std::string device; // --port
    PortSettings settings;
    std::optional<float> supply; // nullopt: from the parameter file
    QString iniPath = QStringLiteral("parameterset.ini");
    bool json = false;
    bool verbose = false;
    QString tracePath; // --trace: the line trace's file, none when empty

    // True when the command talks to the printer (everything but ports).
    bool NeedsPrinter() const {
        return command != Command::Ports && command != Command::Profiles &&
               command != Command::Records;
    }
    // True for the commands that work on one sensor.
    bool NeedsSensor() const {
        return command == Command::Adjust || command == Command::Read || command == Command::Check;
    }
};

// The outcome of reading the command line.
struct ParseOutcome {
    enum Kind { kRun, kHelp, kVersion, kError } kind = kRun;
    CliRequest request;
    QString text;              // the help, the version, or the usage error (a sentence)
    bool json = false;         // --json was given (for the form of the error)
    bool knownCommand = false; // the command (and its sensor, if any) was understood
};

ParseOutcome ParseCommandLine(const QStringList& arguments);
// The text of --help, which is also the manual page.
QString HelpText();
// The calibrate command's sensors (args after the command) and its options; an empty text, or
// the sentence of the usage error (also for calibrate's options given to another command).
QString TakeCalibrateArguments(const QStringList& args, CliRequest& r);
QString TakeCalibrateOptions(const QCommandLineParser& parser, CliRequest& r);
// The options only calibrate takes, for the parser.
QStringList CalibrateValueOptions();
QStringList CalibrateFlagOptions();

// The names used on the command line and in the JSON output.
QString SensorName(Sensor sensor);
QString CommandName(Command command);
QString ReadWhatName(ReadWhat what);
// The command's own JSON keys for the sensor, printed on every run of it (null where the work
// did not get that far), besides the keys every command has.
QStringList CommandKeys(Command command, Sensor sensor);

} // namespace tarvello::cli
