// calibrate's command line: its sensors (reflective, transmissive or both), who calibrates which
// printer, the standards, the steps and --yes; and the refusal of its options elsewhere.
#include <QCommandLineParser>
#include <QCoreApplication>

#include "cli/CliRequest.h"
#include "sensor/GuidedSteps.h"
#include "sensor/TextValidation.h"

namespace tarvello::cli {

QStringList CalibrateValueOptions() {
    return {QStringLiteral("printer-id"), QStringLiteral("operator"),
            QStringLiteral("reflective-standard"), QStringLiteral("transmissive-standard"),
            QStringLiteral("steps")};
}

QStringList CalibrateFlagOptions() {
    return {QStringLiteral("yes")};
}

QString TakeCalibrateArguments(const QStringList& args, CliRequest& r) {
    if (args.size() > 2)
        return QCoreApplication::translate("tarvello-cli", "Unexpected argument \"%1\".")
            .arg(args[2]);
    const QString which = args.size() == 2 ? args[1] : QStringLiteral("both");
    if (which == QLatin1String("reflective"))
        r.sensors = {Sensor::Reflective};
    else if (which == QLatin1String("transmissive"))
        r.sensors = {Sensor::Transmissive};
    else if (which == QLatin1String("both"))
        r.sensors = {Sensor::Reflective, Sensor::Transmissive};
    else
        return QCoreApplication::translate(
                   "tarvello-cli", "Unknown sensor \"%1\" (reflective, transmissive or both).")
            .arg(which);
    return QString();
}

namespace {

// --printer-id and --operator: required (the operator defaults to the login name), never empty
// and free of control characters.
QString TakeWho(const QCommandLineParser& parser, CliRequest& r) {
    if (!parser.isSet(QStringLiteral("printer-id")))
        return QCoreApplication::translate("tarvello-cli",
                                           "calibrate needs --printer-id ID (the printer's serial "
                                           "number or asset tag).");
    r.printerId = parser.value(QStringLiteral("printer-id"));
    if (!PrinterIdAcceptable(r.printerId.toStdString()))
        return QCoreApplication::translate(
            "tarvello-cli", "--printer-id must not be empty or blank or hold control characters.");
    r.operatorName = parser.isSet(QStringLiteral("operator"))
                         ? parser.value(QStringLiteral("operator"))
                         : QString::fromLocal8Bit(LoginName().c_str());
    if (!PrinterIdAcceptable(r.operatorName.toStdString()))
        return QCoreApplication::translate(
            "tarvello-cli", "--operator must not be empty or blank or hold control characters "
                            "(it defaults to the login name).");
    return QString();
}

QString TakeSteps(const QCommandLineParser& parser, CliRequest& r) {
    r.yes = parser.isSet(QStringLiteral("yes"));
    if (!parser.isSet(QStringLiteral("steps"))) {
        r.steps = r.yes ? std::vector<GuidedStep>{GuidedStep::Adjust, GuidedStep::Check}
                        : std::vector<GuidedStep>{GuidedStep::Adjust, GuidedStep::Mark,
                                                  GuidedStep::NoPaper, GuidedStep::Paper,
                                                  GuidedStep::Check};
        return QString();
    }
    r.stepsGiven = true;
    std::string unknown;
    const auto steps =
        ParseGuidedSteps(parser.value(QStringLiteral("steps")).toStdString(), &unknown);
    if (!steps)
        return QCoreApplication::translate("tarvello-cli",
                                           "Unknown step \"%1\" in --steps (adjust, mark, "
                                           "no-paper, paper, check).")
            .arg(QString::fromStdString(unknown));
    r.steps = *steps;
    for (GuidedStep step : r.steps) {
        if (r.yes && step != GuidedStep::Adjust && step != GuidedStep::Check)
            return QCoreApplication::translate(
                       "tarvello-cli", "--yes runs only the steps that need no change of media "
                                       "(adjust, check); \"%1\" needs one.")
                .arg(QString::fromLatin1(GuidedStepName(step)));
    }
    return QString();
}

} // namespace

QString TakeCalibrateOptions(const QCommandLineParser& parser, CliRequest& r) {
    if (r.command != Command::Calibrate) {
        for (const QStringList& names : {CalibrateValueOptions(), CalibrateFlagOptions()}) {
            for (const QString& name : names) {
                // records filters its list by printer ID and operator.
                const bool filter =
                    r.command == Command::Records &&
                    (name == QLatin1String("printer-id") || name == QLatin1String("operator"));
                if (parser.isSet(name) && !filter)
                    return QCoreApplication::translate("tarvello-cli", "--%1 belongs to calibrate.")
                        .arg(name);
            }
        }
        return QString();
    }
    QString error = TakeWho(parser, r);
    if (error.isEmpty())
        error = TakeSteps(parser, r);
    for (const char* name : {"reflective-standard", "transmissive-standard"}) {
        if (!error.isEmpty() || !parser.isSet(QLatin1String(name)))
            continue;
        const std::string text = parser.value(QLatin1String(name)).toStdString();
        if (!ValidateVoltageText(text))
            error = QCoreApplication::translate("tarvello-cli",
                                                "--%1 \"%2\" is not a number from 0.0 to 5.0.")
                        .arg(QLatin1String(name), QString::fromStdString(text));
        else if (name[0] == 'r')
            r.reflectiveStandard = text;
        else
            r.transmissiveStandard = text;
    }
    return error;
}

} // namespace tarvello::cli
