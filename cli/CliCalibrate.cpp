// calibrate: the guided calibration on a terminal. Each sensor's steps in their order on one
// opening of the port, each step run and saved exactly as its own command (adjust, read, check)
// runs and saves it; between steps that need the media changed it asks on the terminal.
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>

#include <algorithm>
#include <cstdio>

#include "cli/CliCalibrateRecord.h"
#include "cli/CliCommands.h"
#include "cli/CliProfiles.h"
#include "cli/CliSession.h"
#include "cli/CliVerdict.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/TextValidation.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace tarvello::cli {

namespace {

// The exit codes in the order in which one counts when several apply.
int ExitRank(int code) {
    static const int kOrder[] = {kExitStopped,    kExitUsage,    kExitNoPrinter,   kExitLineFailed,
                                 kExitNotReached, kExitNoResult, kExitVerdictFail, kExitNotSaved};
    const auto* it = std::find(std::begin(kOrder), std::end(kOrder), code);
    return static_cast<int>(it - std::begin(kOrder)); // 0 first; kExitDone after them all
}

int FirstInOrder(int a, int b) {
    return ExitRank(a) <= ExitRank(b) ? a : b;
}

// The local time with its offset from UTC, "2026-12-10T04:05:06+01:00" (never "Z").
QString Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString MediaSentence(Sensor sensor, GuidedMedia media) {
    const QString name = SensorName(sensor);
    switch (media) {
    case GuidedMedia::Mark:
        return QCoreApplication::translate("tarvello-cli", "Put a black mark under the %1 sensor")
            .arg(name);
    case GuidedMedia::NoPaper:
        return QCoreApplication::translate("tarvello-cli",
                                           "Take all media out from under the %1 sensor")
            .arg(name);
    case GuidedMedia::Label:
        return QCoreApplication::translate("tarvello-cli", "Put a label under the %1 sensor")
            .arg(name);
    case GuidedMedia::LabelStock:
        return QCoreApplication::translate("tarvello-cli",
                                           "Load the label stock with a gap under the %1 sensor")
            .arg(name);
    case GuidedMedia::Paper:
        break;
    }
    return QCoreApplication::translate("tarvello-cli", "Put the paper back under the %1 sensor")
        .arg(name);
}

// Asks for the media change on the terminal and waits for Enter; false when standard input
// ended or a stop signal came first.
bool AskForMedia(Sensor sensor, GuidedMedia media) {
    const QString line = MediaSentence(sensor, media) +
                         QCoreApplication::translate("tarvello-cli", ", then press Enter: ");
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
#ifndef _WIN32
    // The stop signals restart the read, so the wait looks at them between short polls.
    pollfd pfd{STDIN_FILENO, POLLIN, 0};
    while (!StopRequested()) {
        const int ready = poll(&pfd, 1, 100);
        if (ready <= 0)
            continue;
        char c = 0;
        for (;;) {
            const ssize_t n = read(STDIN_FILENO, &c, 1);
            if (n <= 0)
                return false;
            if (c == '\n') {
                if (!isatty(STDIN_FILENO))
                    std::fputc('\n', stderr); // the answer came from a script: end the line
                return true;
            }
        }
    }
    return false;
#else
    char buffer[256];
    return std::fgets(buffer, sizeof buffer, stdin) != nullptr && !StopRequested();
#endif
}

// One step as its own command runs it, with its report's keys; what it measured goes into the
// sensor's verdict input.
QJsonObject RunStep(const CliRequest& calibrate, const GuidedStepDef& def,
                    const std::string& standardText, CIniFile& ini, verdict::Input& judged,
                    int* exitCode) {
    CliRequest request = calibrate;
    request.sensor = def.sensor;
    request.criteria = judged.criteria;
    request.level.reset();
    request.intensityText.reset();
    CliReport report;
    switch (def.step) {
    case GuidedStep::Adjust:
        request.command = Command::Adjust;
        request.standardText = standardText;
        request.standard = ValidateVoltageText(standardText).value_or(0.0f);
        AdjustOnOpenPort(request, ini, report);
        judged.adjust = AdjustResultOf(LatestAdjustRun(), report.exitCode, g_fAdjustResult.load());
        break;
    case GuidedStep::Check:
        request.command = Command::Check;
        CheckOnOpenPort(request, report, &judged.check);
        break;
    default:
        request.command = Command::Read;
        request.what = def.step == GuidedStep::Mark    ? ReadWhat::Mark
                       : def.step == GuidedStep::Paper ? ReadWhat::Paper
                                                       : ReadWhat::NoPaper;
        ReadOnOpenPort(request, ini, report);
        if (report.exitCode == kExitDone || report.exitCode == kExitNotSaved) {
            const double volts = report.fields.value("volts").toDouble();
            (def.step == GuidedStep::Mark      ? judged.mark
             : def.step == GuidedStep::NoPaper ? judged.noPaper
                                               : judged.paper) = volts;
        }
        break;
    }
    QJsonObject step = report.fields;
    step.insert("step", QString::fromLatin1(GuidedStepName(def.step)));
    step.insert("exit_code", report.exitCode);
    step.insert("error",
                report.error.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(report.error));
    *exitCode = report.exitCode;
    return step;
}

bool Wanted(const CliRequest& request, GuidedStep step) {
    return std::find(request.steps.begin(), request.steps.end(), step) != request.steps.end();
}

// A step of the sensor that the run takes: asked for, and one of the profile's steps of the
// sensor unless --steps named the steps.
bool Wanted(const CliRequest& request, const records::Profile& profile, const GuidedStepDef& def) {
    const QStringList& own =
        def.sensor == Sensor::Reflective ? profile.reflectiveSteps : profile.transmissiveSteps;
    return Wanted(request, def.step) &&
           (request.stepsGiven || own.contains(QLatin1String(GuidedStepName(def.step))));
}

// The standard of each sensor: the option, else the one saved in the parameter file; a sensor
// without one (0.0) is a usage error naming the option.
bool TakeStandards(const CliRequest& request, const records::Profile& profile, CIniFile& ini,
                   std::string texts[2], CliReport& report) {
    for (Sensor sensor : request.sensors) {
        const bool reflective = sensor == Sensor::Reflective;
        const std::optional<std::string>& given =
            reflective ? request.reflectiveStandard : request.transmissiveStandard;
        const SensorKeys& keys = *ParamsOf(sensor).keys;
        std::string& text = texts[reflective ? 0 : 1];
        const std::optional<double> own =
            reflective ? profile.reflectiveStandard : profile.transmissiveStandard;
        text = given ? *given
               : own ? QString::number(*own).toStdString()
                     : ini.GetString(keys.szVoltageSection, keys.szBaseKey, "");
        const std::optional<float> value = ValidateVoltageText(text);
        if (!Wanted(request, GuidedStep::Adjust) || (value && *value > 0.0f))
            continue;
        report.Fail(kExitUsage,
                    QCoreApplication::translate("tarvello-cli",
                                                "The %1 sensor has no standard (the profile "
                                                "\"%2\" none, %3 \"%4\"); give --%1-standard "
                                                "VOLTS.")
                        .arg(SensorName(sensor), profile.name, QString::fromLatin1(keys.szBaseKey),
                             QString::fromStdString(text)));
        return false;
    }
    return true;
}

// What the flow gathers from step to step: the exit code that counts (the first in ExitRank's
// order), whether the steps left are skipped, and each sensor's object and verdict.
struct FlowState {
    int worst = kExitDone;
    bool ended = false;
    QJsonObject sensors;
    std::vector<verdict::Result> results;
};

// The keys the flow's report has from its start: who, which printer, the profile, the time.
void StartFields(const CliRequest& request, const std::optional<records::Profile>& profile,
                 CliReport& report) {
    report.fields.insert("printer_id", request.printerId);
    report.fields.insert("operator", request.operatorName);
    report.fields.insert("profile", profile ? profile->name : request.profileName);
    report.fields.insert("started", Now());
    report.fields.insert("sensors", QJsonObject());
    report.fields.insert("verdict", QJsonValue(QJsonValue::Null));
}

// Asks for the media of the step where it differs from the previous step's (never with --yes);
// false, with the steps left skipped, when standard input ended or a stop signal came first.
bool MediaInPlace(const CliRequest& request, const GuidedStepDef& def,
                  const GuidedStepDef* previous, FlowState& state, CliReport& report) {
    if (request.yes || !NeedsMediaChange(def, previous) || AskForMedia(def.sensor, def.media))
        return true;
    state.worst = FirstInOrder(state.worst, StopRequested() ? kExitStopped : kExitNoResult);
    report.error =
        StopRequested()
            ? QString()
            : QCoreApplication::translate("tarvello-cli", "Standard input ended before the media "
                                                          "was changed; the steps left were not "
                                                          "taken (--yes on a fixture).");
    state.ended = true;
    return false;
}

// One sensor's steps in their order, as far as the flow goes, then the sensor's verdict on
// everything its steps measured, as adjust --json has it.
void RunSensor(const CliRequest& run, const records::Profile& profile, Sensor sensor,
               const std::string& standard, CIniFile& ini, FlowState& state, CliReport& report) {
    QJsonArray steps;
    verdict::Input judged;
    judged.sensor = sensor;
    judged.criteria = profile.criteria;
    judged.supply = g_fSensorSupply.load();
    const GuidedStepDef* previous = nullptr;
    const std::vector<GuidedStepDef> defs = GuidedStepsOf(sensor);
    for (const GuidedStepDef& def : defs) {
        if (state.ended || !Wanted(run, profile, def) ||
            !MediaInPlace(run, def, previous, state, report))
            continue;
        int code = kExitDone;
        steps.append(RunStep(run, def, standard, ini, judged, &code));
        // The sentence of the step whose code counts.
        if (code != kExitDone && ExitRank(code) < ExitRank(state.worst))
            report.error = steps.last().toObject().value("error").toString();
        state.worst = FirstInOrder(state.worst, code);
        previous = &def;
        state.ended = code == kExitStopped || code == kExitLineFailed || StopRequested();
    }
    CliReport judgement;
    ReportVerdict(judged, judgement);
    QJsonObject object = judgement.fields;
    object.insert("steps", steps);
    state.sensors.insert(SensorName(sensor), object);
    state.results.push_back(verdict::Judge(judged));
}

// The verdict over all sensors; a fail counts with its exit code in the order.
void Conclude(FlowState& state, CliReport& report) {
    const verdict::Result whole = verdict::Combine(state.results);
    report.fields.insert("verdict", whole.verdict == verdict::Outcome::kNotJudged
                                        ? QJsonValue(QJsonValue::Null)
                                        : QJsonValue(verdict::OutcomeName(whole.verdict)));
    report.fields.insert("complete", whole.complete);
    if (whole.verdict == verdict::Outcome::kFail) {
        if (ExitRank(kExitVerdictFail) < ExitRank(state.worst))
            report.error = QCoreApplication::translate(
                "tarvello-cli", "The verdict is fail: see the criteria of each sensor.");
        state.worst = FirstInOrder(state.worst, kExitVerdictFail);
    }
}

void RunFlow(const CliRequest& request, CIniFile& ini,
             const std::optional<records::Profile>& profile, const QString& profileError,
             CliReport& report) {
    StartFields(request, profile, report);
    std::string standards[2];
    PrinterSession session;
    if (!profile)
        report.Fail(kExitUsage, profileError);
    if (!profile || !TakeStandards(request, *profile, ini, standards, report) ||
        !session.Open(request, nullptr, report)) {
        report.fields.insert("finished", Now());
        return;
    }
    // The profile's pass limit for the adjustments (calibrate has no --max-passes of its own).
    CliRequest run = request;
    if (profile->maxPasses)
        run.maxPasses = *profile->maxPasses;
    FlowState state;
    for (Sensor sensor : request.sensors)
        RunSensor(run, *profile, sensor, standards[sensor == Sensor::Reflective ? 0 : 1], ini,
                  state, report);
    Conclude(state, report);
    session.Close();
    if (StopRequested())
        ReportStopped(report);
    else
        report.exitCode = state.worst;
    report.fields.insert("sensors", state.sensors);
    report.fields.insert("finished", Now());
}

} // namespace

void RunCalibrate(const CliRequest& request, CIniFile& ini, CliReport& report) {
    const IniLines before = ParameterFileLines(request.iniPath);
    QString profileError;
    const std::optional<records::Profile> profile = FindProfile(request.profileName, &profileError);
    RunFlow(request, ini, profile, profileError, report);
    StoreCalibrateRecord(request, profile ? &*profile : nullptr, before, report);
}

} // namespace tarvello::cli
