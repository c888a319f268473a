// ports and status: the serial ports the system reports, and one poll of the status monitor.
#include <QCoreApplication>
#include <QJsonArray>
#include <QSerialPortInfo>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/StatusMonitor.h"

namespace tarvello::cli {

namespace {

QJsonValue Null() {
    return QJsonValue(QJsonValue::Null);
}

// The three status edits of the main window: control, JSON key, and the name the plain output
// gives the value (the sensor spelled out, not the window's short label).
struct StatusField {
    int controlId;
    const char* key;
    const char* label;
};
const StatusField kStatusFields[] = {
    {kIdPresenceSensor, "presence", QT_TRANSLATE_NOOP("tarvello-cli", "presence sensor")},
    // The window calls it "Head sw." (the head switch); the JSON key stays.
    {kIdMicroSwitch, "micro_switch", QT_TRANSLATE_NOOP("tarvello-cli", "head switch")},
    {kIdRibbonSensor, "ribbon", QT_TRANSLATE_NOOP("tarvello-cli", "ribbon sensor")},
};

// The monitor's texts of its first poll that brings any (called on the monitor's thread).
class StatusTexts : public DisplaySink {
  public:
    void ShowStatus(int controlId, const std::string& text) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_texts[controlId] = text;
            m_last = std::chrono::steady_clock::now();
        }
        m_changed.notify_all();
    }

    // Waits for one poll: all three texts, or the texts of one reply (they come together, the
    // next poll follows at least 0.7 s later); gives up when the monitor has ended, after a
    // whole poll without a reply, or on a signal.
    std::map<int, std::string> WaitForOnePoll() {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(6000);
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            const Clock::time_point now = Clock::now();
            if (StopRequested() || m_texts.size() == 3)
                break;
            if (!m_texts.empty() && now - m_last >= std::chrono::milliseconds(50))
                break;
            if (m_texts.empty() && (now >= deadline || !MonitorRuns()))
                break;
            m_changed.wait_for(lock, std::chrono::milliseconds(20));
        }
        return m_texts;
    }

    static bool MonitorRuns() {
        const CMonitorThread* monitor = g_pMonitorThread.load();
        return monitor != nullptr && monitor->IsRunning();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, std::string> m_texts; // guarded by m_mutex
    std::chrono::steady_clock::time_point m_last;
};

} // namespace

void RunPorts(CliReport& report) {
    QJsonArray ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QJsonValue vid =
            info.hasVendorIdentifier() ? QJsonValue(info.vendorIdentifier()) : Null();
        const QJsonValue pid =
            info.hasProductIdentifier() ? QJsonValue(info.productIdentifier()) : Null();
        ports.append(QJsonObject{{"device", info.systemLocation()},
                                 {"description", info.description()},
                                 {"vid", vid},
                                 {"pid", pid}});
        QString line = info.systemLocation();
        if (!info.description().isEmpty())
            line += QLatin1Char('\t') + info.description();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            line += QStringLiteral("\t%1:%2")
                        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        }
        report.lines << line;
    }
    report.fields.insert("ports", ports);
}

void RunStatus(const CliRequest& request, CliReport& report) {
    for (const StatusField& f : kStatusFields)
        report.fields.insert(f.key, Null());
    StatusTexts sink;
    PrinterSession session;
    if (!session.Open(request, &sink, report))
        return;
    const std::map<int, std::string> texts = sink.WaitForOnePoll();
    const bool monitorEnded = !StatusTexts::MonitorRuns();
    session.Close();
    for (const StatusField& f : kStatusFields) {
        const auto it = texts.find(f.controlId);
        if (it == texts.end())
            continue;
        report.fields.insert(f.key, QString::fromStdString(it->second));
        report.lines << QStringLiteral("%1\t%2").arg(
            QCoreApplication::translate("tarvello-cli", f.label),
            QString::fromStdString(it->second));
    }
    if (StopRequested())
        ReportStopped(report);
    else if (texts.empty() && monitorEnded)
        report.Fail(kExitLineFailed,
                    QCoreApplication::translate(
                        "tarvello-cli", "The status poll could not be written; the line failed."));
    else if (texts.empty())
        report.Fail(kExitNoResult, QCoreApplication::translate(
                                       "tarvello-cli", "The printer sent no status reply."));
}

} // namespace tarvello::cli
