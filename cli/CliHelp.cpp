// The text of --help, which help2man also makes the manual page of: the usage, the printer and
// its line, the files and the output, the commands, the exit codes; then the plant database's
// options and the JSON keys of each command.
#include <QCoreApplication>

#include "cli/CliPlant.h"
#include "cli/CliRequest.h"

namespace tarvello::cli {

namespace {

// The usage, the options and the commands, one message for the translation.
const char kUsage[] = QT_TRANSLATE_NOOP(
    "tarvello-cli",
    "Usage: tarvello-cli [OPTIONS] COMMAND [ARGS]\n"
    "Adjusts, reads and checks the media sensors of a label printer over RS-232, for\n"
    "production lines and scripts. One process works on one port.\n"
    "\n"
    "The printer:\n"
    "  --port DEVICE             the serial device (e.g. /dev/ttyUSB0)\n"
    "  --simulate                the built-in virtual printer instead\n"
    "  --dirty PERCENT, --stock standard|faint-mark|clear   with --simulate: dirt on its\n"
    "                            sensors (0..100), its media stock\n"
    "  --baud 4800|9600|19200|38400|57600   (default 38400)\n"
    "  --data-bits 8|7           (default 8)\n"
    "  --stop-bits 1|2           (default 1)\n"
    "  --parity none|odd|even    (default none)\n"
    "  --handshake hardware|software   (default hardware, the window's first item)\n"
    "  --supply 2.5|3.3|5.0      the sensor supply in volts (default: BaseVoltage/Voltage\n"
    "                            of the parameter file, \"2.5\" or \"3.3\", else 5.0)\n"
    "Files and output:\n"
    "  --ini PATH                the parameter file (default: parameterset.ini in the\n"
    "                            working directory)\n"
    "  --json                    one JSON object on standard output instead of text\n"
    "  --verbose                 progress of an adjustment on standard error (shown\n"
    "                            anyway when standard error is a terminal)\n"
    "  --trace FILE              the line trace: every byte to and from the printer,\n"
    "                            a line each, written as it happens\n"
    "  --help, --version\n"
    "\n"
    "Commands:\n"
    "  ports                     the serial ports the system reports\n"
    "  status                    open, one status poll, the three values\n"
    "  adjust reflective|transmissive --standard VOLTS [--max-passes N (default 200)]\n"
    "                            the automatic adjustment; saves the standard at its start\n"
    "                            and the two levels on success\n"
    "  read reflective mark|no-paper\n"
    "  read transmissive no-paper|paper\n"
    "                            a single reading at --level L (0..3) --intensity I\n"
    "                            (0..255), by default the levels saved for that sensor;\n"
    "                            saves the value and the two levels\n"
    "  check reflective|transmissive\n"
    "                            the paper check (saves nothing)\n"
    "  --profile NAME            (adjust, check, calibrate) the media profile: its\n"
    "                            criteria, and its standard and pass limit unless\n"
    "                            --standard, --max-passes are given (calibrate: its steps)\n"
    "                            (\"Standard\": the standard RBase/TBase holds)\n"
    "  profiles list | show NAME | export [NAME] FILE | import FILE [--replace] | delete NAME\n"
    "                            the media profiles of this user (profiles.json in the\n"
    "                            data folder the window shares)\n"
    "  calibrate [reflective|transmissive|both] --printer-id ID [--operator NAME]\n"
    "            [--reflective-standard VOLTS] [--transmissive-standard VOLTS]\n"
    "            [--steps adjust,mark,no-paper,paper,check] [--yes]\n"
    "                            the guided calibration: each sensor's steps in turn on\n"
    "                            one opening, each saving as adjust and read save; asks\n"
    "                            on the terminal before each change of media. The\n"
    "                            standards default to the profile's, else RBase/TBase.\n"
    "                            --yes (a fixture with the media in place): only the\n"
    "                            steps that need no change, by default adjust and check\n"
    "                            (--operator defaults to the login name)\n"
    "  records list [--printer-id ID] [--since DATE] [--verdict V] [--limit N]\n"
    "  records show ID | export --csv FILE | report ID --pdf FILE | overdue --days N\n"
    "  records prune --sent --older-than DAYS | move-aside\n"
    "                            the calibration records (records.sqlite in the data\n"
    "                            folder the window shares, or --records PATH); adjust,\n"
    "                            read and check store one unless --no-record\n"
    "\n"
    "Exit codes: 0 done; 1 no result (no reading, a paper check that ended early, no\n"
    "status values); 2 usage error; 3 the port could not be opened or the printer refused\n"
    "the handshake; 4 the adjustment did not reach the band within --max-passes; 5 the line\n"
    "failed during the work (write failed, port gone); 6 done, but the parameter file\n"
    "could not be saved; 7 done, but the verdict is a fail; 8 done, but its record was\n"
    "not stored; 9 (records sync) some records still wait for the plant database; 130\n"
    "stopped by SIGINT or SIGTERM (port closed, nothing half-written).\n"
    "Where several apply, the first of 130, 2, 3, 5, 4, 1, 7, 6, 8 is given.\n"
    "adjust and check --json also give \"verdict\" (pass, marginal, fail), \"complete\" and\n"
    "\"criteria\" (each with code, name, value, pass_limit, marginal_limit, outcome,\n"
    "message).\n");

// The keys of --json per command, from the list the output itself is made with.
QString JsonKeysText() {
    QString text = QCoreApplication::translate(
        "tarvello-cli", "\nJSON keys (--json), on every run, null where the work did not get "
                        "that far:\n  every command: command sensor ok exit_code port supply "
                        "error\n");
    for (const Command c : {Command::Ports, Command::Status, Command::Adjust, Command::Read}) {
        text += QStringLiteral("  %1: %2\n")
                    .arg(CommandName(c), CommandKeys(c, Sensor::Reflective).join(' '));
    }
    for (const Sensor s : {Sensor::Reflective, Sensor::Transmissive}) {
        text += QStringLiteral("  check %1: %2\n")
                    .arg(SensorName(s), CommandKeys(Command::Check, s).join(' '));
    }
    return text;
}

} // namespace

QString HelpText() {
    return QCoreApplication::translate("tarvello-cli", kUsage) + PlantHelpText() + JsonKeysText();
}

} // namespace tarvello::cli
