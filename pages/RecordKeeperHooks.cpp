// What the keeper makes of the pages' actions and of the guided calibration: the record of each,
// made on the UI thread from what the page or the wizard holds when the action has ended.
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "device/PortState.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedCalibrationPages.h"
#include "pages/GuidedStepPage.h"
#include "pages/PageSensor.h"
#include "pages/RecordKeeper.h"
#include "pages/VerdictLine.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

namespace tarvello::ui {

namespace {

QString SensorName(Sensor sensor) {
    return sensor == Sensor::Reflective ? QStringLiteral("reflective")
                                        : QStringLiteral("transmissive");
}

const char* ValueName(SensorValue value) {
    static const char* const kNames[] = {"standard", "paper", "mark",
                                         "no_paper", "liner", "difference"};
    return kNames[static_cast<int>(value)];
}

const char* ReadingEndName(int end) {
    static const char* const kNames[] = {"reading", "port_not_open", "refused_text", "write_failed",
                                         "no_reading"};
    return end >= 0 && end < 5 ? kNames[end] : "unknown";
}

const char* CheckEndName(int end) {
    static const char* const kNames[] = {"completed", "port_not_open", "port_failed",
                                         "bad_value", "bad_wait",      "stopped"};
    return end >= 0 && end < 6 ? kNames[end] : "unknown";
}

// A page action the guided calibration takes is one of its steps, not a record of its own.
bool GuidedOpen() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<CGuidedCalibration*>(w) && w->isVisible())
            return true;
    return false;
}

// The values of the sensor's keys in the parameter file as the page's file now holds them.
QJsonObject SavedOf(CSensorPage* page, const std::vector<const char*>& keys) {
    QJsonObject saved;
    const SensorKeys& k = *page->Params().keys;
    for (const char* key : keys) {
        const bool config = key == k.szSensitivityKey || key == k.szIntensityKey;
        saved.insert(QLatin1String(key),
                     QString::fromStdString(page->m_ini.GetString(
                         config ? k.szConfigSection : k.szVoltageSection, key, "")));
    }
    return saved;
}

// When each page's reading or check began (UI thread only).
QHash<const CSensorPage*, QDateTime> s_actionStarts;

void KeepPageRecord(CSensorPage* page, records::RecordRow row, const QJsonObject& result) {
    if (row.kind != QLatin1String("adjust") && s_actionStarts.contains(page))
        row.started = s_actionStarts.take(page); // a reading's or a check's start
    row.doc.insert("connection", ConnectionJson());
    row.doc.insert("sensor", SensorName(page->Params().sensor));
    row.doc.insert("supply", std::round(g_fSensorSupply.load() * 100.0) / 100.0);
    row.doc.insert("result", result);
    CRecordKeeper::Instance()->Keep(
        row, page, [page](const QString& note) { ShowRecordNote(page->Verdict()->Label(), note); });
}

// The adjustment a page started, followed until its worker has ended (UI thread only).
struct Followed {
    QPointer<CSensorPage> page;
    QDateTime started;
    int quietTicks = 0;
};
Followed s_followed;

void KeepAdjustment() {
    CSensorPage* page = s_followed.page;
    if (!page)
        return;
    const AdjustRunState run = LatestAdjustRun();
    const Sensor sensor = page->Params().sensor;
    const bool success = run.end == AdjustEnd::kSuccess;
    const verdict::Result& judged = page->Verdict()->Last();
    records::RecordRow row = WindowRecord(QStringLiteral("adjust"), CurrentPrinterId(), QString(),
                                          success ? &judged : nullptr);
    row.started = s_followed.started;
    const CurveRun curve = LatestCurveRun(sensor);
    row.doc.insert("curves", QJsonObject{{SensorName(sensor), CurveJson(curve)}});
    const SensorKeys& k = *page->Params().keys;
    if (success)
        row.doc.insert("saved", SavedOf(page, {k.szBaseKey, k.szSensitivityKey, k.szIntensityKey}));
    else
        row.doc.insert("saved", SavedOf(page, {k.szBaseKey})); // the start saves the standard
    KeepPageRecord(
        page, row,
        QJsonObject{{"end", CurveJson(curve).value("end")},
                    {"passes", static_cast<qint64>(run.passes)},
                    {"level", run.level},
                    {"intensity", run.intensity},
                    {"raw", run.raw},
                    {"volts", success ? QJsonValue(std::round(g_fAdjustResult.load() * 1e4) / 1e4)
                                      : QJsonValue()}});
    s_followed = Followed();
}

void OnFollowTick(QTimer* timer) {
    if (IsAdjustmentRunning()) {
        s_followed.quietTicks = 0;
        return;
    }
    // One tick more: the worker's last update, posted before it ended, is handled first.
    if (++s_followed.quietTicks < 2)
        return;
    timer->stop();
    KeepAdjustment();
}

} // namespace

void CRecordKeeper::WatchPage(CSensorPage* page) {
    connect(page, &CSensorPage::readingEnded, this, [page](int reading, int end) {
        if (end == static_cast<int>(ReadingEnd::kPortNotOpen) ||
            end == static_cast<int>(ReadingEnd::kRefusedText) || GuidedOpen())
            return; // nothing was sent
        const SingleReading& what = page->Params().readings[reading];
        const bool taken = end == static_cast<int>(ReadingEnd::kReading);
        records::RecordRow row =
            WindowRecord(QStringLiteral("reading"), CurrentPrinterId(), QString(), nullptr);
        std::vector<const char*> keys{what.saves[0].key, what.saves[1].key};
        if (what.measuredKey)
            keys.push_back(what.measuredKey);
        keys.push_back(page->Params().keys->szSensitivityKey);
        keys.push_back(page->Params().keys->szIntensityKey);
        if (taken)
            row.doc.insert("saved", SavedOf(page, keys));
        KeepPageRecord(
            page, row,
            QJsonObject{{"what", QLatin1String(ValueName(what.measures))},
                        {"end", QLatin1String(ReadingEndName(end))},
                        {"volts", taken ? QJsonValue(page->ValueText(what.measures).toDouble())
                                        : QJsonValue()}});
    });
    connect(page, &CSensorPage::checkEnded, this, [page](int end, float first, float second) {
        if (end == static_cast<int>(PaperCheckEnd::PortNotOpen) || GuidedOpen())
            return;
        const bool completed = end == static_cast<int>(PaperCheckEnd::Completed);
        const verdict::Result& judged = page->Verdict()->Last();
        records::RecordRow row = WindowRecord(QStringLiteral("check"), CurrentPrinterId(),
                                              QString(), completed ? &judged : nullptr);
        KeepPageRecord(page, row,
                       QJsonObject{{"end", QLatin1String(CheckEndName(end))},
                                   {"first", first > 0.0f ? QJsonValue(first) : QJsonValue()},
                                   {"second", second > 0.0f ? QJsonValue(second) : QJsonValue()}});
    });
}

void CRecordKeeper::ActionStarted(CSensorPage* page) {
    s_actionStarts.insert(page, QDateTime::currentDateTimeUtc());
}

void CRecordKeeper::AdjustmentStarted(CSensorPage* page) {
    if (GuidedOpen())
        return;
    if (s_followed.page)
        KeepAdjustment(); // the earlier run has ended: a new one starts only after it
    s_followed.page = page;
    s_followed.started = QDateTime::currentDateTimeUtc();
    s_followed.quietTicks = 0;
    auto* timer = findChild<QTimer*>(QStringLiteral("adjustmentFollower"));
    if (!timer) {
        timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("adjustmentFollower"));
        timer->setInterval(200);
        connect(timer, &QTimer::timeout, this, [timer] { OnFollowTick(timer); });
    }
    timer->start();
}

} // namespace tarvello::ui
