#include "app/Tarvello.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <memory>

#include "app/Screenshots.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"

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

    int initialPort = 0;
    std::unique_ptr<tarvello::sim::VirtualPrinter> printer;
    if (options.bSimulate) {
        printer = std::make_unique<tarvello::sim::VirtualPrinter>();
        if (!printer->Start()) {
            const char* text = "tarvello: the virtual printer could not open a pseudo-terminal\n";
            std::fputs(text, stderr);
#ifdef _WIN32
            QMessageBox::information(nullptr, QStringLiteral("Tarvello"), QString::fromUtf8(text));
#endif
            return 1;
        }
        initialPort = AddExtraPort(printer->DevicePath());
        std::printf("tarvello: virtual printer on %s\n", printer->DevicePath().c_str());
        std::fflush(stdout);
    }
    if (!options.strPort.empty())
        initialPort = PortIndexForDevice(options.strPort);

    InitInstance(initialPort, options, printer.get());
    // The window has closed the port and ended the monitor before it closed.
    if (printer)
        printer->Stop();
    return m_nExitCode;
}

bool CTarvelloApp::InitInstance(int initialPort, const StartOptions& options,
                                tarvello::sim::VirtualPrinter* printer) {
    CTarvelloDlg dlg(nullptr, initialPort);
    const bool screenshots = !options.strScreenshots.empty();
    if (screenshots)
        StartScreenshots(&dlg, QString::fromStdString(options.strScreenshots), printer);
    const int result = dlg.exec();
    // Only --screenshots reports through the window's result: 1 when it stopped short.
    m_nExitCode = screenshots && result != 0 ? 1 : 0;
    // The application ends as soon as the window has closed.
    return false;
}
