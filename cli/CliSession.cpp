#include "cli/CliSession.h"

#include <QCoreApplication>

#include <atomic>
#include <csignal>

#include "cli/CliCommands.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/GuidedSteps.h"
#include "sensor/PortOpenSequence.h"
#include "sim/PrinterCommands.h"
#include "sim/VirtualPrinter.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#else
#include <stdlib.h>
#endif

namespace tarvello::cli {

namespace {

std::atomic<bool> s_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

// The first signal asks the work to stop (its waits end within 20 ms, the port is closed with
// its own wait); a second one ends the process at once.
extern "C" void OnStopSignal(int) {
    if (s_stop.exchange(true))
        _exit(kExitStopped);
}

// The index of the device among the port names: one of the eight standard ports, or a further
// device registered for this run.
int PortIndexOf(const std::string& device) {
    for (int i = 0; i < 8; ++i) {
        if (device == PortDeviceName(i))
            return i;
    }
    return AddExtraPort(device);
}

QString OpenFailure(const PortOpenResult& result, const QString& device) {
    switch (result.failedStep) {
    case PortOpenStep::kOpen:
        switch (result.openError) {
        case PortOpenError::kNoDevice:
            return QCoreApplication::translate("tarvello-cli", "There is no device %1.")
                .arg(device);
        case PortOpenError::kBusy:
            return QCoreApplication::translate("tarvello-cli", "%1 is held by another program.")
                .arg(device);
        case PortOpenError::kNoAccess:
            return QCoreApplication::translate(
                       "tarvello-cli",
                       "This user may not open %1 (is the user in the group dialout?).")
                .arg(device);
        case PortOpenError::kSettingsRefused:
            return QCoreApplication::translate("tarvello-cli", "%1 refused the line settings.")
                .arg(device);
        default:
            return QCoreApplication::translate("tarvello-cli", "%1 could not be opened.")
                .arg(device);
        }
    case PortOpenStep::kHandshakeWrite:
        return QCoreApplication::translate("tarvello-cli",
                                           "The connection frame could not be written to %1.")
            .arg(device);
    case PortOpenStep::kNoAnswer:
        return QCoreApplication::translate("tarvello-cli",
                                           "The printer on %1 did not answer the handshake.")
            .arg(device);
    case PortOpenStep::kNotY:
        return QCoreApplication::translate(
                   "tarvello-cli", "The printer on %1 refused the handshake (it answered %2).")
            .arg(device, QString::fromStdString(DescribeBytes(result.received)));
    case PortOpenStep::kAccessWrite:
        return QCoreApplication::translate("tarvello-cli",
                                           "The access code could not be written to %1.")
            .arg(device);
    case PortOpenStep::kNone:
        break;
    }
    return QString();
}

} // namespace

void InstallStopSignals() {
    tarvello::SetWaitStopTest(&StopRequested);
#ifdef _WIN32
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool StopRequested() {
    return s_stop.load();
}

PrinterSession::PrinterSession() = default;

PrinterSession::~PrinterSession() {
    Close();
}

bool PrinterSession::Open(const CliRequest& request, DisplaySink* sink, CliReport& report) {
    std::string device = request.device;
    if (request.simulate) {
        m_printer = std::make_unique<tarvello::sim::VirtualPrinter>();
        if (!m_printer->Start()) {
            m_printer.reset();
            report.Fail(
                kExitNoPrinter,
                QCoreApplication::translate(
                    "tarvello-cli", "The virtual printer could not open a pseudo-terminal."));
            return false;
        }
        for (const tarvello::sim::PrinterCommand& command : request.simCommands)
            tarvello::sim::ApplyPrinterCommand(*m_printer, command);
        device = m_printer->DevicePath();
        // What each step and command asks for lies under the sensor at once.
        SetMediaPlacer(tarvello::sim::LineApplier(*m_printer));
    }
    const QString name = QString::fromStdString(device);
    report.port = name;
    PortSettings settings = request.settings;
    settings.nPort = PortIndexOf(device);
    const PortOpenResult result = RunPortOpenSequence(settings, sink);
    if (result.Succeeded())
        return true;
    // A failed write leaves the port open (the page's close button would close it).
    Close();
    if (StopRequested())
        ReportStopped(report); // the handshake's wait was cut short by the signal
    else
        report.Fail(kExitNoPrinter, OpenFailure(result, name));
    return false;
}

void PrinterSession::Close() {
    if (g_bPortOpen.load() || g_hCom.load() != kInvalidPortHandle)
        ClosePort();
    WaitStatusMonitorEnd();
    if (m_printer) {
        SetMediaPlacer(nullptr);
        m_printer->Stop();
        m_printer.reset();
    }
}

} // namespace tarvello::cli
