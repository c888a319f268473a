#include "cli/CliRequest.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "cli/CliOptions.h"
#include "cli/CliPlant.h"
#include "cli/CliRecords.h"
#include "sensor/AdjustSearch.h"
#include "sensor/SensorParams.h"
#include "sensor/TextValidation.h"

namespace tarvello::cli {

namespace {

// Picks value among names; the index of the match, or -1.
int IndexOf(const QString& value, const QStringList& names) {
    return static_cast<int>(names.indexOf(value));
}

// The line settings; an empty text when they are all known, else the sentence for the error.
QString TakeLineSettings(CliOptions& p, CliRequest& r) {
    PortSettings& s = r.settings;
    s.dwBaudRate = 38400;
    s.byByteSize = 8;
    if (p.parser.isSet(p.baud)) {
        const QStringList bauds{"4800", "9600", "19200", "38400", "57600"};
        if (IndexOf(p.parser.value(p.baud), bauds) < 0)
            return QCoreApplication::translate(
                "tarvello-cli", "--baud must be one of 4800, 9600, 19200, 38400, 57600.");
        s.dwBaudRate = p.parser.value(p.baud).toUInt();
    }
    if (p.parser.isSet(p.dataBits)) {
        const int i = IndexOf(p.parser.value(p.dataBits), {"8", "7"});
        if (i < 0)
            return QCoreApplication::translate("tarvello-cli", "--data-bits must be 8 or 7.");
        s.byByteSize = i == 0 ? 8 : 7;
    }
    if (p.parser.isSet(p.stopBits)) {
        const int i = IndexOf(p.parser.value(p.stopBits), {"1", "2"});
        if (i < 0)
            return QCoreApplication::translate("tarvello-cli", "--stop-bits must be 1 or 2.");
        s.byStopBits = i == 0 ? 0 : 2;
    }
    if (p.parser.isSet(p.parity)) {
        const int i = IndexOf(p.parser.value(p.parity), {"none", "odd", "even"});
        if (i < 0)
            return QCoreApplication::translate("tarvello-cli",
                                               "--parity must be none, odd or even.");
        s.byParity = static_cast<uint8_t>(i);
    }
    if (p.parser.isSet(p.handshake)) {
        const int i = IndexOf(p.parser.value(p.handshake), {"hardware", "software"});
        if (i < 0)
            return QCoreApplication::translate("tarvello-cli",
                                               "--handshake must be hardware or software.");
        s.nHandshake = i;
    }
    if (p.parser.isSet(p.supply)) {
        const int i = IndexOf(p.parser.value(p.supply), {"2.5", "3.3", "5.0"});
        if (i < 0)
            return QCoreApplication::translate("tarvello-cli", "--supply must be 2.5, 3.3 or 5.0.");
        r.supply = i == 0 ? 2.5f : i == 1 ? 3.3f : 5.0f;
    }
    return QString();
}

// The arguments of profiles: the sentence for the error, or an empty text.
QString ProfileArgsError(const QStringList& args) {
    const QString sub = args.value(0);
    const int count = static_cast<int>(args.size()) - 1;
    const bool fits = (sub == QLatin1String("list") && count == 0) ||
                      ((sub == QLatin1String("show") || sub == QLatin1String("import") ||
                        sub == QLatin1String("delete") || sub == QLatin1String("publish")) &&
                       count == 1) ||
                      (sub == QLatin1String("export") && (count == 1 || count == 2));
    if (fits)
        return QString();
    return QCoreApplication::translate("tarvello-cli",
                                       "profiles takes list, show NAME, export [NAME] FILE, "
                                       "import FILE [--replace], delete NAME or publish NAME.");
}

// The sensor of adjust, read and check, and what read reads (the count of args already checked);
// the sentence for the error, or an empty text.
QString TakeSensor(const QStringList& args, CliRequest& r) {
    const int sensor = IndexOf(args[1], {"reflective", "transmissive"});
    if (sensor < 0)
        return QCoreApplication::translate("tarvello-cli",
                                           "Unknown sensor \"%1\" (reflective or transmissive).")
            .arg(args[1]);
    r.sensor = sensor == 0 ? Sensor::Reflective : Sensor::Transmissive;
    if (r.command != Command::Read)
        return QString();
    const QStringList whats = r.sensor == Sensor::Reflective ? QStringList{"mark", "no-paper"}
                                                             : QStringList{"no-paper", "paper"};
    const int what = IndexOf(args[2], whats);
    if (what < 0) {
        return QCoreApplication::translate("tarvello-cli",
                                           "The %1 sensor reads %2 or %3, not \"%4\".")
            .arg(args[1], whats[0], whats[1], args[2]);
    }
    r.what = args[2] == "mark"    ? ReadWhat::Mark
             : args[2] == "paper" ? ReadWhat::Paper
                                  : ReadWhat::NoPaper;
    return QString();
}

// The command and its sensor and reading; the sentence for the error, or an empty text.
QString TakeCommand(const QStringList& args, CliRequest& r) {
    if (args.isEmpty())
        return QCoreApplication::translate(
            "tarvello-cli", "No command given (ports, status, adjust, read, check or calibrate).");
    const QString& name = args[0];
    if (name == QLatin1String("calibrate")) {
        r.command = Command::Calibrate;
        return TakeCalibrateArguments(args, r);
    }
    if (name == QLatin1String("profiles")) {
        r.command = Command::Profiles;
        r.profileArgs = args.mid(1);
        return ProfileArgsError(r.profileArgs);
    }
    if (name == QLatin1String("records")) {
        r.command = Command::Records;
        r.records.args = args.mid(1);
        return QString();
    }
    const int command = IndexOf(name, {"ports", "status", "adjust", "read", "check"});
    if (command < 0)
        return QCoreApplication::translate(
                   "tarvello-cli",
                   "Unknown command \"%1\" (ports, status, adjust, read, check or calibrate).")
            .arg(name);
    r.command = static_cast<Command>(command);
    const int wanted = r.command == Command::Read ? 3 : r.NeedsSensor() ? 2 : 1;
    if (args.size() < wanted) {
        return r.command == Command::Read
                   ? QCoreApplication::translate(
                         "tarvello-cli",
                         "read needs a sensor and what to read: read reflective mark|no-paper, "
                         "read transmissive no-paper|paper.")
                   : QCoreApplication::translate("tarvello-cli",
                                                 "%1 needs a sensor: reflective or transmissive.")
                         .arg(name);
    }
    if (args.size() > wanted)
        return QCoreApplication::translate("tarvello-cli", "Unexpected argument \"%1\".")
            .arg(args[wanted]);
    if (wanted == 1)
        return QString();
    return TakeSensor(args, r);
}

// adjust's --standard (or --profile) and --max-passes; the sentence for the error, or an empty
// text.
QString TakeAdjustOptions(CliOptions& p, CliRequest& r) {
    if (!p.parser.isSet(p.standard) && r.profileName.isEmpty())
        return QCoreApplication::translate(
            "tarvello-cli", "adjust needs --standard VOLTS (0.0 to 5.0) or --profile NAME.");
    if (p.parser.isSet(p.standard)) {
        r.standardText = p.parser.value(p.standard).toStdString();
        const std::optional<float> standard = ValidateVoltageText(r.standardText);
        if (!standard) {
            return QCoreApplication::translate(
                       "tarvello-cli", "The standard \"%1\" is not a number from 0.0 to 5.0.")
                .arg(p.parser.value(p.standard));
        }
        r.standard = *standard;
        if (BandBelowReach(ParamsOf(r.sensor), r.standard)) {
            return QCoreApplication::translate(
                       "tarvello-cli",
                       "The standard %1 V puts the band below 0.1 V, which the sensor does not "
                       "reach: give a standard of at least 0.1 V.")
                .arg(p.parser.value(p.standard));
        }
    }
    if (p.parser.isSet(p.maxPasses)) {
        bool ok = false;
        r.maxPasses = p.parser.value(p.maxPasses).toInt(&ok);
        if (!ok || r.maxPasses < 1)
            return QCoreApplication::translate(
                "tarvello-cli", "--max-passes must be a whole number of at least 1.");
    }
    return QString();
}

// read's --level and --intensity; the sentence for the error, or an empty text.
QString TakeReadOptions(CliOptions& p, CliRequest& r) {
    if (p.parser.isSet(p.level)) {
        bool ok = false;
        const int level = p.parser.value(p.level).toInt(&ok);
        if (!ok || level < 0 || level > 3)
            return QCoreApplication::translate("tarvello-cli",
                                               "The level \"%1\" is not one of 0, 1, 2, 3.")
                .arg(p.parser.value(p.level));
        r.level = level;
    }
    if (p.parser.isSet(p.intensity)) {
        const std::string text = p.parser.value(p.intensity).toStdString();
        if (!ValidateIntensityText(text)) {
            return QCoreApplication::translate(
                       "tarvello-cli", "The intensity \"%1\" is not a whole number from 0 to 255.")
                .arg(p.parser.value(p.intensity));
        }
        r.intensityText = text;
    }
    return QString();
}

// The options of one command only.
QString TakeCommandOptions(CliOptions& p, CliRequest& r) {
    const bool adjust = r.command == Command::Adjust;
    const bool read = r.command == Command::Read;
    if (p.parser.isSet(p.profile) && !adjust && r.command != Command::Check &&
        r.command != Command::Calibrate)
        return QCoreApplication::translate("tarvello-cli",
                                           "--profile belongs to adjust, check and calibrate.");
    r.profileName = p.parser.value(p.profile);
    r.replace = p.parser.isSet(p.replace);
    if (r.replace && r.profileArgs.value(0) != QLatin1String("import"))
        return QCoreApplication::translate("tarvello-cli", "--replace belongs to profiles import.");
    r.standardGiven = p.parser.isSet(p.standard);
    r.maxPassesGiven = p.parser.isSet(p.maxPasses);
    if (!adjust && (p.parser.isSet(p.standard) || p.parser.isSet(p.maxPasses)))
        return QCoreApplication::translate("tarvello-cli",
                                           "--standard and --max-passes belong to adjust.");
    if (!read && (p.parser.isSet(p.level) || p.parser.isSet(p.intensity)))
        return QCoreApplication::translate("tarvello-cli",
                                           "--level and --intensity belong to read.");
    if (adjust)
        return TakeAdjustOptions(p, r);
    if (read)
        return TakeReadOptions(p, r);
    return QString();
}

QString TakePrinter(CliOptions& p, CliRequest& r) {
    r.simulate = p.parser.isSet(p.simulate);
    r.device = p.parser.value(p.port).toStdString();
    if (r.simulate && p.parser.isSet(p.port))
        return QCoreApplication::translate("tarvello-cli",
                                           "--port and --simulate exclude each other.");
    for (const QCommandLineOption* o : {&p.dirty, &p.stock}) {
        if (!p.parser.isSet(*o))
            continue;
        const QString name = o->names().constFirst();
        if (!r.simulate)
            return QCoreApplication::translate("tarvello-cli", "--%1 needs --simulate.").arg(name);
        tarvello::sim::PrinterCommand command;
        std::string why;
        if (!tarvello::sim::ParsePrinterCommand(
                (name + QLatin1Char(' ') + p.parser.value(*o)).toStdString(), command, &why) ||
            command.kind == tarvello::sim::PrinterCommand::kNone)
            return QStringLiteral("--%1: %2").arg(name, QString::fromStdString(why));
        r.simCommands.push_back(command);
    }
    if (p.parser.isSet(p.port) && r.device.empty())
        return QCoreApplication::translate("tarvello-cli",
                                           "--port needs a device, e.g. --port /dev/ttyUSB0.");
    if (r.NeedsPrinter() && !r.simulate && r.device.empty())
        return QCoreApplication::translate("tarvello-cli",
                                           "%1 needs the printer: --port DEVICE or --simulate.")
            .arg(CommandName(r.command));
    return QString();
}

} // namespace

ParseOutcome ParseCommandLine(const QStringList& arguments) {
    ParseOutcome out;
    CliOptions p;
    const bool parsed = p.parser.parse(arguments);
    out.json = p.parser.isSet(p.json);
    if (!parsed) {
        out.kind = ParseOutcome::kError;
        out.text = p.parser.errorText();
        return out;
    }
    if (p.parser.isSet(p.help)) {
        out.kind = ParseOutcome::kHelp;
        out.text = HelpText();
        return out;
    }
    if (p.parser.isSet(p.version)) {
        out.kind = ParseOutcome::kVersion;
        out.text = QStringLiteral("tarvello-cli %1\n").arg(QCoreApplication::applicationVersion());
        return out;
    }
    CliRequest& r = out.request;
    r.json = out.json;
    r.verbose = p.parser.isSet(p.verbose);
    if (p.parser.isSet(p.ini))
        r.iniPath = p.parser.value(p.ini);
    if (p.parser.isSet(p.trace))
        r.tracePath = p.parser.value(p.trace);
    QString error = TakeCommand(p.parser.positionalArguments(), r);
    out.knownCommand = error.isEmpty();
    if (error.isEmpty())
        error = TakeCommandOptions(p, r);
    if (error.isEmpty())
        error = TakeRecordOptions(p.parser, r);
    if (error.isEmpty())
        error = TakePlantOptions(p.parser, r);
    if (error.isEmpty())
        error = TakeCalibrateOptions(p.parser, r);
    if (error.isEmpty())
        error = TakePrinter(p, r);
    if (error.isEmpty())
        error = TakeLineSettings(p, r);
    if (r.iniPath.isEmpty() && error.isEmpty())
        error = QCoreApplication::translate("tarvello-cli", "--ini needs a path.");
    if (p.parser.isSet(p.trace) && r.tracePath.isEmpty() && error.isEmpty())
        error = QCoreApplication::translate("tarvello-cli", "--trace needs a file.");
    if (!error.isEmpty()) {
        out.kind = ParseOutcome::kError;
        out.text = error;
    }
    return out;
}

QString SensorName(Sensor sensor) {
    return sensor == Sensor::Reflective ? QStringLiteral("reflective")
                                        : QStringLiteral("transmissive");
}

QString CommandName(Command command) {
    static const char* const names[] = {"ports", "status",   "adjust",  "read",
                                        "check", "profiles", "records", "calibrate"};
    return QString::fromLatin1(names[static_cast<int>(command)]);
}

QStringList CommandKeys(Command command, Sensor sensor) {
    const QStringList record{"record_id", "record_stored"};
    const QStringList verdict{"profile", "verdict", "complete", "criteria"};
    switch (command) {
    case Command::Ports:
        return {"ports"};
    case Command::Status:
        return {"presence", "micro_switch", "ribbon"};
    case Command::Adjust:
        return QStringList{"standard", "level",  "level_code", "intensity",
                           "volts",    "passes", "history"} +
               verdict + record;
    case Command::Read:
        return QStringList{"what", "level_code", "intensity", "volts"} + record;
    case Command::Profiles:
    case Command::Records:
        return {"action"};
    case Command::Calibrate:
        return {};
    case Command::Check:
        break;
    }
    if (sensor == Sensor::Reflective)
        return QStringList{"mark_volts", "diff_volts", "paper_volts", "wait_ms"} + verdict + record;
    return QStringList{"liner_volts", "diff_volts", "no_paper_volts", "wait_ms"} + verdict + record;
}

QString ReadWhatName(ReadWhat what) {
    switch (what) {
    case ReadWhat::Mark:
        return QStringLiteral("mark");
    case ReadWhat::NoPaper:
        return QStringLiteral("no-paper");
    case ReadWhat::Paper:
        break;
    }
    return QStringLiteral("paper");
}

} // namespace tarvello::cli
