// read and check, what every command shares, and the run of a request.
#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QFile>

#include <string>

#include "cli/CliPlant.h"
#include "cli/CliProfiles.h"
#include "cli/CliRecords.h"
#include "cli/CliSession.h"
#include "cli/CliVerdict.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "sensor/GuidedSteps.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

namespace tarvello::cli {

namespace {

QJsonValue Null() {
    return QJsonValue(QJsonValue::Null);
}

// --- check -------------------------------------------------------------------------------------

class CheckValues : public PaperCheckSink {
  public:
    void CheckWait(int ms) override { wait = ms; }
    void FirstSample(float volts) override { first = volts; }
    void SecondSample(float volts) override { second = volts; }
    void Result(float diff, float der) override {
        difference = diff;
        derived = der;
    }
    std::optional<int> wait;
    std::optional<float> first, second, difference, derived;
};

void ReportCheck(const CliRequest& request, const CheckValues& values, PaperCheckEnd end,
                 CliReport& report);

// The check's verdict: the contrast of its two samples and their scale.
void JudgeCheck(const CliRequest& request, const CheckValues& values, CliReport& report) {
    const Sensor sensor = request.sensor;
    verdict::Input input;
    input.sensor = sensor;
    input.criteria = request.criteria;
    input.supply = g_fSensorSupply.load();
    input.check = verdict::CheckSamplesFromVolts(sensor, values.first.value_or(0.0f),
                                                 values.second.value_or(0.0f), input.supply);
    ReportVerdict(input, report);
}

// --- read --------------------------------------------------------------------------------------

// The key a reading's value is saved under: the key that names the measured value.
const char* KeyOfReading(Sensor sensor, ReadWhat what) {
    if (sensor == Sensor::Reflective)
        return what == ReadWhat::Mark ? kKeyRMid : kKeyRHeigh;
    return what == ReadWhat::Paper ? kKeyTLow : kKeyTHeigh;
}

QString WhatText(ReadWhat what) {
    switch (what) {
    case ReadWhat::Mark:
        return QCoreApplication::translate("tarvello-cli", "mark voltage");
    case ReadWhat::NoPaper:
        return QCoreApplication::translate("tarvello-cli", "no-paper voltage");
    case ReadWhat::Paper:
        break;
    }
    return QCoreApplication::translate("tarvello-cli", "paper voltage");
}

} // namespace

void ReportStopped(CliReport& report) {
    report.Fail(kExitStopped,
                QCoreApplication::translate(
                    "tarvello-cli", "Stopped by a signal; the port is closed and nothing more was "
                                    "saved."));
}

void ReportNotSaved(const CIniFile& ini, CliReport& report) {
    report.Fail(kExitNotSaved, QCoreApplication::translate(
                                   "tarvello-cli", "The parameter file %1 could not be saved: %2.")
                                   .arg(QFile::decodeName(ini.GetFileName().c_str()),
                                        QString::fromStdString(ini.SaveErrorText())));
}

namespace {

// The level and intensity text of a reading: the ones given, else the ones saved for the sensor
// (a level outside 0..3 selects nothing: -1). False, with the report's usage error, when the
// intensity is not from 0 to 255.
bool ReadArguments(const CliRequest& request, CIniFile& ini, CliReport& report, int* level,
                   std::string* intensityText) {
    const SensorKeys& keys = *ParamsOf(request.sensor).keys;
    report.fields.insert("what", ReadWhatName(request.what));
    report.fields.insert("volts", Null());
    *level = request.level ? *request.level : ReadSensitivity(ini, keys);
    if (*level < 0 || *level > 3)
        *level = -1;
    *intensityText =
        request.intensityText ? *request.intensityText : std::to_string(ReadIntensity(ini, keys));
    const std::optional<int> intensity = ValidateIntensityText(*intensityText);
    report.fields.insert("level_code", LevelCodeValue(*level));
    report.fields.insert("intensity", intensity ? QJsonValue(*intensity) : Null());
    if (intensity)
        return true;
    report.Fail(kExitUsage,
                QCoreApplication::translate("tarvello-cli",
                                            "The intensity %1 saved in %2 is not from 0 to 255; "
                                            "give --intensity.")
                    .arg(QString::fromStdString(*intensityText),
                         QFile::decodeName(ini.GetFileName().c_str())));
    return false;
}

} // namespace

void RunRead(const CliRequest& request, CIniFile& ini, CliReport& report) {
    int level = -1;
    std::string intensityText;
    if (!ReadArguments(request, ini, report, &level, &intensityText))
        return;
    PrinterSession session;
    if (!session.Open(request, nullptr, report))
        return;
    ReadOnOpenPort(request, ini, report);
    session.Close();
}

void ReadOnOpenPort(const CliRequest& request, CIniFile& ini, CliReport& report) {
    const SensorKeys& keys = *ParamsOf(request.sensor).keys;
    int level = -1;
    std::string intensityText;
    if (!ReadArguments(request, ini, report, &level, &intensityText))
        return;
    const std::optional<int> intensity = ValidateIntensityText(intensityText);
    const int reading = request.what == ReadWhat::Mark         ? kMarkReading
                        : request.what == ReadWhat::Paper      ? kPaperReading
                        : request.sensor == Sensor::Reflective ? kReflectiveNoPaperReading
                                                               : kTransmissiveNoPaperReading;
    PlaceMedia(request.sensor, MediaOfReading(request.sensor, reading));
    ReadingEnd end = ReadingEnd::kReading;
    const std::optional<float> value =
        TakeSingleReading(request.sensor, level, intensityText, g_fSensorSupply.load(), &end);
    if (StopRequested()) {
        ReportStopped(report); // nothing saved
    } else if (!value && LineGone()) {
        report.Fail(kExitLineFailed,
                    QCoreApplication::translate(
                        "tarvello-cli", "The printer's line went away during the reading."));
    } else if (!value && end == ReadingEnd::kWriteFailed) {
        report.Fail(
            kExitLineFailed,
            QCoreApplication::translate(
                "tarvello-cli", "The reading frame could not be written; the line failed."));
    } else if (!value) {
        report.Fail(kExitNoResult,
                    QCoreApplication::translate("tarvello-cli", "The printer gave no reading."));
    } else {
        // The value as the window displays it, under the key that names it, then both levels.
        const std::string shown = ShownValue(static_cast<double>(*value));
        ini.ClearSaveError();
        ini.WriteString(keys.szVoltageSection, KeyOfReading(request.sensor, request.what), shown);
        WriteLevels(ini, keys, level, *intensity);
        report.fields.insert("volts", VoltsValue(value));
        report.lines << QCoreApplication::translate("tarvello-cli", "%1 sensor %2: %3 V")
                            .arg(SensorName(request.sensor), WhatText(request.what),
                                 QString::fromStdString(shown));
        if (ini.SaveFailed())
            ReportNotSaved(ini, report);
    }
}

void RunCheck(const CliRequest& request, CliReport& report) {
    PrinterSession session;
    if (session.Open(request, nullptr, report)) {
        CheckOnOpenPort(request, report);
        session.Close();
        return;
    }
    ReportCheck(request, CheckValues(), PaperCheckEnd::PortNotOpen, report);
}

void CheckOnOpenPort(const CliRequest& request, CliReport& report,
                     std::optional<verdict::CheckSamples>* samples) {
    CheckValues values;
    PlaceMedia(request.sensor, LoadedStock(request.sensor));
    const PaperCheckEnd end = RunPaperCheck(request.sensor, g_fSensorSupply.load(), values);
    ReportCheck(request, values, end, report);
    if (samples && end == PaperCheckEnd::Completed)
        *samples =
            verdict::CheckSamplesFromVolts(request.sensor, values.first.value_or(0.0f),
                                           values.second.value_or(0.0f), g_fSensorSupply.load());
}

namespace {

void ReportCheck(const CliRequest& request, const CheckValues& values, PaperCheckEnd end,
                 CliReport& report) {
    const bool reflective = request.sensor == Sensor::Reflective;
    const char* firstKey = reflective ? "mark_volts" : "liner_volts";
    const char* derivedKey = reflective ? "paper_volts" : "no_paper_volts";
    report.fields.insert(firstKey, VoltsValue(values.first));
    report.fields.insert("diff_volts", VoltsValue(values.difference));
    report.fields.insert(derivedKey, VoltsValue(values.derived));
    report.fields.insert("wait_ms", values.wait ? QJsonValue(*values.wait) : Null());
    NullVerdict(report);
    if (report.exitCode != kExitDone)
        return; // the open failed
    if (StopRequested()) {
        ReportStopped(report);
        return;
    }
    switch (end) {
    case PaperCheckEnd::Completed:
        report.lines << QCoreApplication::translate("tarvello-cli",
                                                    "%1 V %2, %3 V voltage difference, %4 V %5")
                            .arg(static_cast<double>(*values.first), 0, 'f', 4)
                            .arg(reflective ? QCoreApplication::translate("tarvello-cli", "mark")
                                            : QCoreApplication::translate("tarvello-cli", "liner"))
                            .arg(static_cast<double>(*values.difference), 0, 'f', 4)
                            .arg(static_cast<double>(*values.derived), 0, 'f', 4)
                            .arg(reflective
                                     ? QCoreApplication::translate("tarvello-cli", "paper")
                                     : QCoreApplication::translate("tarvello-cli", "no paper"));
        JudgeCheck(request, values, report);
        return;
    case PaperCheckEnd::BadValue:
        report.Fail(kExitNoResult,
                    QCoreApplication::translate(
                        "tarvello-cli", "A reply of the paper check was not four hexadecimal "
                                        "digits; the check ended early."));
        return;
    case PaperCheckEnd::BadWait:
        report.Fail(kExitNoResult,
                    QCoreApplication::translate(
                        "tarvello-cli", "The printer's values give no usable check wait; the "
                                        "check ended before it measured."));
        return;
    case PaperCheckEnd::Stopped: // only after a signal, reported above
    case PaperCheckEnd::PortFailed:
    case PaperCheckEnd::PortNotOpen:
        break;
    }
    if (LineGone()) {
        report.Fail(kExitLineFailed,
                    QCoreApplication::translate(
                        "tarvello-cli", "The printer's line went away during the paper check."));
        return;
    }
    report.Fail(kExitLineFailed,
                QCoreApplication::translate(
                    "tarvello-cli", "A frame of the paper check could not be written; the line "
                                    "failed."));
}

} // namespace

CliReport RunRequest(const CliRequest& asked) {
    CliReport report;
    if (asked.command == Command::Ports) {
        RunPorts(report);
        return report;
    }
    if (asked.command == Command::Profiles) {
        RunProfiles(asked, report);
        return report;
    }
    if (asked.command == Command::Records) {
        RunRecords(asked, report);
        return report;
    }
    const QDateTime started = QDateTime::currentDateTimeUtc();
    CliRequest request = asked;
    // The parameter file is read before the port is touched: the supply, the saved levels.
    CIniFile ini;
    ini.SetFileName(QFile::encodeName(request.iniPath).toStdString());
    const float supply = request.supply ? *request.supply : ReadSupplyVoltage(ini);
    g_fSensorSupply = supply;
    report.supply = VoltsValue(static_cast<double>(supply));
    if ((request.command == Command::Adjust || request.command == Command::Check) &&
        !ApplyProfile(request, ini, report)) {
        if (request.command == Command::Adjust)
            AdjustKeys(request, report); // refused before the port: its keys, all null
        else
            NullVerdict(report);
        return report;
    }
    PlantAfterRun plant(request);
    switch (request.command) {
    case Command::Status:
        RunStatus(request, report);
        break;
    case Command::Adjust:
        RunAdjust(request, ini, report);
        break;
    case Command::Read:
        RunRead(request, ini, report);
        break;
    case Command::Check:
        RunCheck(request, report);
        break;
    case Command::Calibrate:
        RunCalibrate(request, ini, report);
        break;
    case Command::Ports:
    case Command::Profiles:
    case Command::Records:
        break;
    }
    if (request.command != Command::Status) {
        StoreRunRecord(request, started, report);
        plant.Finish(report); // connected while the run worked; sends what waits now
    }
    return report;
}

} // namespace tarvello::cli
