#include "app/Tarvello.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/Screenshots.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"

#include "sim/VirtualPrinter.h"

StartOptions ParseCommandLine(const QStringList& args) {
    StartOptions options;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--simulate")) {
            options.bSimulate = true;
        } else if (arg == QLatin1String("--port")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                options.strError = "--port needs a device, e.g. --port /dev/ttyUSB0";
                return options;
            }
            options.strPort = args[++i].toStdString();
        } else if (arg.startsWith(QLatin1String("--port="))) {
            options.strPort = arg.mid(7).toStdString();
            if (options.strPort.empty()) {
                options.strError = "--port needs a device, e.g. --port /dev/ttyUSB0";
                return options;
            }
        } else if (arg == QLatin1String("--screenshots")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                options.strError = "--screenshots needs a directory";
                return options;
            }
            options.strScreenshots = args[++i].toStdString();
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.bHelp = true;
        } else {
            options.strError = "unknown option: " + arg.toStdString();
            return options;
        }
    }
    if (options.bSimulate && !options.strPort.empty())
        options.strError = "--simulate and --port exclude each other";
    return options;
}

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

const char* UsageText() {
    return "Usage: tarvello [--simulate | --port DEVICE]\n"
           "Sets up the media sensors of a label printer over RS-232.\n"
           "\n"
           "  --simulate      start a virtual printer inside the tool (on a pseudo-terminal),\n"
           "                  add it to the port list and select it\n"
           "  --port DEVICE   add DEVICE (e.g. /dev/ttyUSB0) to the port list and select it\n"
           "  --screenshots DIR\n"
           "                  open the selected port, wait for the status values, save the\n"
           "                  pages (DIR/page1.png .. page3.png), then adjust, read and check\n"
           "                  both sensors on a copy of the parameter file, save those pages\n"
           "                  too, and quit (for the documentation); a port that does not\n"
           "                  open or any message of the tool ends it with the reason and\n"
           "                  exit code 1\n"
           "  --help          show this text\n"
           "\n"
           "Without options the port page starts on COM1. The parameter file parameterset.ini\n"
           "is read from and written to the current directory.\n";
}

int CTarvelloApp::Run(int argc, char** argv) {
#ifndef _WIN32
    // --help answers on the terminal, also where there is no display to open a window on.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(UsageText(), stdout);
            return 0;
        }
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvello"));
    const StartOptions options = ParseCommandLine(QApplication::arguments());
    if (!options.strError.empty() || options.bHelp) {
        const bool ok = options.strError.empty();
        std::string text =
            ok ? std::string(UsageText()) : "tarvello: " + options.strError + "\n\n" + UsageText();
        std::fputs(text.c_str(), ok ? stdout : stderr);
#ifdef _WIN32
        QMessageBox::information(nullptr, QStringLiteral("Tarvello"), QString::fromStdString(text));
#endif
        return ok ? 0 : 2;
    }

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
