#include "app/Tarvello.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/GuidedEntry.h"
#include "app/Language.h"
#include "app/PlantStatus.h"
#include "app/ProfileChooser.h"
#include "app/RecordsEntry.h"
#include "app/Screenshots.h"
#include "app/TarvelloDlg.h"
#include "device/LineTrace.h"
#include "device/SerialPort.h"
#include "device/TraceFile.h"
#include "diag/DiagnosticsWindow.h"
#include "pages/RecordKeeper.h"
#include "res/ControlIds.h"

#include "sim/VirtualPrinter.h"

int PortIndexForDevice(const std::string& device) {
    for (int i = 0; i < 8; ++i) {
        if (device == PortDeviceName(i))
            return i;
#ifdef _WIN32
        if (QString::fromStdString(device).compare(QStringLiteral("COM%1").arg(i + 1),
                                                   Qt::CaseInsensitive) == 0)
            return i;
#endif
    }
    return AddExtraPort(device);
}

int CTarvelloApp::Answer(const StartOptions& options) {
    const bool refused = !options.bHelp && !options.bVersion;
    const std::string text = options.bHelp ? UsageText()
                             : options.bVersion
                                 ? VersionText()
                                 : "tarvello: " + options.strError + "\n\n" + UsageText();
    std::fputs(text.c_str(), refused ? stderr : stdout);
#ifdef _WIN32
    QMessageBox::information(nullptr, QStringLiteral("Tarvello"), QString::fromStdString(text));
#endif
    return refused ? 2 : 0;
}

namespace {

// Says why the program cannot go on: on standard error, and in a message box on Windows, where
// a window program has no terminal.
void TellFailure(const std::string& text) {
    std::fputs(text.c_str(), stderr);
#ifdef _WIN32
    QMessageBox::information(nullptr, QStringLiteral("Tarvello"), QString::fromStdString(text));
#endif
}

// The virtual printer of --simulate, with the media and dirt the command line gave, named in the
// port list and printed on standard output; null when no pseudo-terminal could be opened.
std::unique_ptr<tarvello::sim::VirtualPrinter> StartVirtualPrinter(const StartOptions& options,
                                                                   int* initialPort) {
    auto printer = std::make_unique<tarvello::sim::VirtualPrinter>();
    if (!printer->Start()) {
        TellFailure("tarvello: the virtual printer could not open a pseudo-terminal\n");
        return nullptr;
    }
    for (const tarvello::sim::PrinterCommand& command : options.simCommands)
        tarvello::sim::ApplyPrinterCommand(*printer, command);
    *initialPort = AddExtraPort(printer->DevicePath());
    CPage1::LabelDevice(printer->DevicePath(), QT_TRANSLATE_NOOP("Page1", "虚拟打印机"));
    std::printf("tarvello: virtual printer on %s\n", printer->DevicePath().c_str());
    std::fflush(stdout);
    return printer;
}

} // namespace

int CTarvelloApp::Run(int argc, char** argv) {
#ifndef _WIN32
    // --help and --version answer on the terminal, also where there is no display to open a
    // window on. The line is read again once the application has taken Qt's own options out.
    QStringList early;
    for (int i = 0; i < argc; ++i)
        early << QString::fromLocal8Bit(argv[i]);
    const StartOptions first = ParseCommandLine(early);
    if (first.bHelp || first.bVersion)
        return Answer(first);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvello"));
    QApplication::setApplicationVersion(QStringLiteral(TARVELLO_VERSION));
    const StartOptions options = ParseCommandLine(QApplication::arguments());
    if (!options.strError.empty() || options.bHelp || options.bVersion)
        return Answer(options);
    // The language before the first window: the command line's, else the one chosen last.
    if (!tarvello::app::InstallLanguage(tarvello::app::StartLanguage(options.language)))
        std::fputs("tarvello: the English translation could not be loaded; the window stays "
                   "Chinese\n",
                   stderr);

    int initialPort = 0;
    std::unique_ptr<tarvello::sim::VirtualPrinter> printer;
    if (options.bSimulate) {
        printer = StartVirtualPrinter(options, &initialPort);
        if (!printer)
            return 1;
    }
    if (!options.strPort.empty())
        initialPort = PortIndexForDevice(options.strPort);
    std::string traceError;
    if (!options.strTrace.empty() && !StartTraceFile(options.strTrace, &traceError)) {
        TellFailure("tarvello: --trace: " + traceError + "\n");
        return 1;
    }

    tarvello::ui::SetRecordsFileOverride(QString::fromStdString(options.strRecords));
    InitInstance(initialPort, options, printer.get());
    tarvello::ui::CRecordKeeper::Finish(); // the records still in flight are stored first
    StopTraceFile(); // what the window's close left on the line is written too
    // The window has closed the port and ended the monitor before it closed.
    if (printer)
        printer->Stop();
    return m_nExitCode;
}

QToolButton* GiveDiagnostics(CTarvelloDlg& dlg, bool openNow) {
    // The button sits in the free corner right of the header, inside the window's client area,
    // over none of the templates' controls.
    QRect button;
    if (QWidget* header = dlg.Item(tarvello::res::ids::mainwindow::kHeader)) {
        const QRect h = header->geometry();
        const int left = h.right() + 4;
        const int width = dlg.width() - left - 4;
        if (width >= 24)
            button = QRect(left, h.top() + 4, width, qMin(h.height() - 8, 24));
    }
    QToolButton* way = InstallDiagnostics(&dlg, button);
    if (openNow)
        QTimer::singleShot(0, &dlg,
                           [&dlg] { DiagnosticsOf(&dlg)->ShowTab(DiagnosticsWindow::kTraceTab); });
    return way;
}

bool CTarvelloApp::InitInstance(int initialPort, const StartOptions& options,
                                tarvello::sim::VirtualPrinter* printer) {
    const bool screenshots = !options.strScreenshots.empty();
    if (screenshots)
        SetLineTraceEnabled(true); // the trace view's picture shows the run's last exchanges
    CTarvelloDlg dlg(nullptr, initialPort);
    InstallGuidedCalibration(dlg, GiveDiagnostics(dlg, options.bDiagnostics));
    InstallRecordsView(dlg);
    PlaceMediaOnVirtualPrinter(printer);
    InstallProfileChooser(dlg);
    tarvello::app::InstallPlantStatus(dlg, QString::fromStdString(options.strPlantDb));
    if (screenshots)
        StartScreenshots(&dlg, QString::fromStdString(options.strScreenshots), printer);
    int result = dlg.exec();
    PlaceMediaOnVirtualPrinter(nullptr);
    // The diagnostics after the run: its last exchanges, and the curves of its adjustments.
    QString failed;
    if (screenshots && result == 0 &&
        !SaveDiagnosticsPictures(QString::fromStdString(options.strScreenshots), &failed)) {
        std::fprintf(stderr, "tarvello: --screenshots: cannot write %s\n",
                     failed.toLocal8Bit().constData());
        result = 1;
    }
    // Only --screenshots reports through the window's result: 1 when it stopped short.
    m_nExitCode = screenshots && result != 0 ? 1 : 0;
    // The application ends as soon as the window has closed.
    return false;
}
