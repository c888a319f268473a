// adjust: the automatic adjustment on the window's worker, followed from the main thread.
#include <QCoreApplication>
#include <QJsonArray>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/CliVerdict.h"
#include "device/Protocol.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/GuidedSteps.h"
#include "store/IniFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvello::cli {

namespace {

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

struct Reading {
    uint32_t pass;
    int level;
    int intensity;
    int raw;
    float volts;
};

// The run's readings, noted on the worker thread, and the main thread's wait for its end.
class AdjustWatch {
  public:
    explicit AdjustWatch(int maxPasses) : m_maxPasses(static_cast<uint32_t>(maxPasses)) {}

    // On the worker thread after every reading: notes it and, once the run has had its passes,
    // asks it to stop as a page does. Never waits for the main thread beyond a copy.
    void OnReading() {
        const AdjustRunState run = LatestAdjustRun();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_readings.push_back(
                {run.passes, run.level, run.intensity, run.raw, g_fAdjustResult.load()});
        }
        if (run.end != AdjustEnd::kSuccess && run.passes >= m_maxPasses)
            RequestAdjustmentStop(AdjustStopCause::kOther);
        m_changed.notify_all();
    }

    // Until the worker has ended: stops it after its passes or on a signal, and prints a line
    // per pass when asked to.
    void Follow(bool progress) {
        while (IsAdjustmentRunning()) {
            const AdjustRunState run = LatestAdjustRun();
            if (StopRequested() || run.passes >= m_maxPasses)
                RequestAdjustmentStop(AdjustStopCause::kOther);
            if (progress)
                PrintProgress(run);
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(20));
        }
        StopAdjustmentAndWait(); // the worker has ended: this joins it
        if (progress)
            PrintProgress(LatestAdjustRun());
    }

    std::vector<Reading> Readings() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_readings;
    }

  private:
    // The readings not printed yet, then the latest pass if it brought none. The record is
    // taken before the readings: every pass before its latest one has noted its reading.
    void PrintProgress(const AdjustRunState& run) {
        const std::vector<Reading> readings = Readings();
        for (; m_printed < readings.size(); ++m_printed) {
            const Reading& r = readings[m_printed];
            Print(
                QCoreApplication::translate("tarvello-cli", "pass %1: level %2, intensity %3, %4 V")
                    .arg(r.pass)
                    .arg(LevelCodeValue(r.level).toString())
                    .arg(r.intensity, 3, 10, QLatin1Char('0'))
                    .arg(static_cast<double>(r.volts), 0, 'f', 4));
            m_lastPass = r.pass;
        }
        if (run.passesNoReading > 0 && run.passes > m_lastPass) {
            Print(QCoreApplication::translate("tarvello-cli",
                                              "pass %1: level %2, intensity %3, no reading")
                      .arg(run.passes)
                      .arg(LevelCodeValue(run.level).toString())
                      .arg(run.intensity, 3, 10, QLatin1Char('0')));
            m_lastPass = run.passes;
        }
    }

    static void Print(const QString& line) {
        std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stderr);
        std::fflush(stderr);
    }

    const uint32_t m_maxPasses;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Reading> m_readings; // guarded by m_mutex
    size_t m_printed = 0;            // main thread only
    uint32_t m_lastPass = 0;         // main thread only
};

QJsonArray HistoryOf(const std::vector<Reading>& readings) {
    QJsonArray history;
    for (const Reading& r : readings) {
        history.append(QJsonObject{{"pass", static_cast<qint64>(r.pass)},
                                   {"level_code", LevelCodeValue(r.level)},
                                   {"intensity", r.intensity},
                                   {"raw", r.raw},
                                   {"volts", VoltsValue(static_cast<double>(r.volts))}});
    }
    return history;
}

// The sensor's band around the standard, as the curve draws it.
QString BandText(Sensor sensor, float standard) {
    const CurveBand band = BandOf(ParamsOf(sensor), standard);
    return QCoreApplication::translate("tarvello-cli", "%1 V to %2 V")
        .arg(band.low, 0, 'f', 4)
        .arg(band.high, 0, 'f', 4);
}

// A run that reached the band: the levels its successful frame carried, saved as the page saves
// them (unless a signal came first: then neither is saved).
void ReportSuccess(const CliRequest& request, const AdjustRunState& run, CIniFile& ini,
                   CliReport& report) {
    const QString sensor = SensorName(request.sensor);
    if (StopRequested()) {
        ReportStopped(report); // before the levels: both or neither are saved
        return;
    }
    AdjustLevels found{run.level, run.intensity};
    if (const std::optional<AdjustLevels> levels = TakeSuccessfulLevels())
        found = *levels;
    const float volts = g_fAdjustResult.load();
    SaveAdjustedLevels(request.sensor, ini, found.sensitivity, found.intensity);
    report.fields.insert("level", found.sensitivity);
    report.fields.insert("level_code", LevelCodeValue(found.sensitivity));
    report.fields.insert("intensity", found.intensity);
    report.fields.insert("volts", VoltsValue(static_cast<double>(volts)));
    report.lines << QCoreApplication::translate(
                        "tarvello-cli",
                        "%1 sensor adjusted in %2 passes: level %3 (%4), intensity %5, %6 V")
                        .arg(sensor)
                        .arg(run.passes)
                        .arg(found.sensitivity)
                        .arg(LevelCodeValue(found.sensitivity).toString())
                        .arg(found.intensity)
                        .arg(static_cast<double>(volts), 0, 'f', 4);
    if (ini.SaveFailed())
        ReportNotSaved(ini, report);
}

// The run's end as the report's exit code and sentence, the levels saved on success.
void ReportEnd(const CliRequest& request, CIniFile& ini, float target, CliReport& report) {
    const AdjustRunState run = LatestAdjustRun();
    const QString sensor = SensorName(request.sensor);
    switch (run.end) {
    case AdjustEnd::kSuccess:
        ReportSuccess(request, run, ini, report);
        return;
    case AdjustEnd::kStopped:
    case AdjustEnd::kStoppedByPage:
    case AdjustEnd::kStoppedByUser:
        if (StopRequested()) {
            ReportStopped(report);
            return;
        }
        report.Fail(kExitNotReached,
                    QCoreApplication::translate("tarvello-cli",
                                                "The %1 sensor did not reach %2 within %3 passes.")
                        .arg(sensor, BandText(request.sensor, target))
                        .arg(request.maxPasses));
        return;
    case AdjustEnd::kWriteFailed:
        report.Fail(kExitLineFailed,
                    QCoreApplication::translate(
                        "tarvello-cli",
                        "An adjustment frame could not be written after %1 passes; the line "
                        "failed.")
                        .arg(run.passes));
        return;
    case AdjustEnd::kPortClosed:
    case AdjustEnd::kRunning:
        break;
    }
    report.Fail(kExitLineFailed,
                QCoreApplication::translate("tarvello-cli",
                                            "The port went away after %1 passes of the adjustment.")
                    .arg(run.passes));
}

} // namespace

void AdjustKeys(const CliRequest& request, CliReport& report) {
    report.fields.insert(
        "standard",
        request.standard > 0.0f
            ? QJsonValue(QString::fromStdString(ShownValue(static_cast<double>(request.standard)))
                             .toDouble())
            : QJsonValue(QJsonValue::Null));
    for (const char* key : {"level", "level_code", "intensity", "volts"})
        report.fields.insert(key, QJsonValue(QJsonValue::Null));
    report.fields.insert("passes", 0);
    report.fields.insert("history", QJsonArray());
    NullVerdict(report);
}

void RunAdjust(const CliRequest& request, CIniFile& ini, CliReport& report) {
    AdjustKeys(request, report);

    PrinterSession session;
    if (!session.Open(request, nullptr, report))
        return;
    AdjustOnOpenPort(request, ini, report);
    session.Close();
}

void AdjustOnOpenPort(const CliRequest& request, CIniFile& ini, CliReport& report) {
    // The standard as the file gives it back once the run starts.
    const auto shown = [](float volts) {
        return QString::fromStdString(ShownValue(static_cast<double>(volts))).toDouble();
    };
    if (StopRequested()) {
        ReportStopped(report);
        return;
    }
    PlaceMedia(request.sensor, LoadedStock(request.sensor));
    // As the page's start: the standard saved as typed and read back as the target, level 3,
    // intensity 0. A standard that could not be saved is still the target (the run reports it).
    ini.ClearSaveError();
    const float target = PrepareAdjustmentStart(request.sensor, ini, request.standardText)
                             .value_or(request.standard);
    report.fields.insert("standard", shown(target));
    AdjustWatch watch(request.maxPasses);
    if (!StartAdjustment(request.sensor, [&watch] { watch.OnReading(); })) {
        report.Fail(kExitLineFailed, QCoreApplication::translate(
                                         "tarvello-cli", "The adjustment could not be started."));
        return;
    }
    watch.Follow(request.verbose || StderrIsTerminal());
    report.fields.insert("passes", static_cast<qint64>(LatestAdjustRun().passes));
    report.fields.insert("history", HistoryOf(watch.Readings()));
    // The levels are saved before the close, so a signal during its second changes nothing.
    ReportEnd(request, ini, target, report);
    if (report.exitCode != kExitStopped) {
        verdict::Input input;
        input.sensor = request.sensor;
        input.supply = g_fSensorSupply.load();
        input.criteria = request.criteria;
        input.adjust = AdjustResultOf(LatestAdjustRun(), report.exitCode, g_fAdjustResult.load());
        ReportVerdict(input, report);
    }
}

} // namespace tarvello::cli
