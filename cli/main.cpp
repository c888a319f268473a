// tarvello-cli: the sensors' adjustment, readings and paper check from the command line, on the
// same core as the window, without a display.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "cli/CliSession.h"
#include "device/LineTrace.h"
#include "device/TraceFile.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace {

// Only a PDF report draws (fonts, pictures); it does so on the offscreen platform, so that no
// display is needed. Every other command runs on Qt Core alone.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    bool records = false, report = false;
    for (int i = 1; i < argc; ++i) {
        records = records || std::strcmp(argv[i], "records") == 0;
        report = report || (records && std::strcmp(argv[i], "report") == 0);
    }
    if (!report)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvello-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVELLO_VERSION));
    // The tool speaks English; the texts it shares with the window are Chinese in the source.
    QTranslator english;
    if (english.load(QStringLiteral(":/i18n/tarvello_en.qm")))
        QCoreApplication::installTranslator(&english);
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN); // a reader that went away gives a failed write, not an end
#endif
    using namespace tarvello::cli;
    const ParseOutcome parsed = ParseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
    case ParseOutcome::kHelp:
    case ParseOutcome::kVersion:
        std::fputs(parsed.text.toUtf8().constData(), stdout);
        return kExitDone;
    case ParseOutcome::kError: {
        CliReport report;
        report.Fail(kExitUsage,
                    parsed.text + QLatin1Char(' ') +
                        QCoreApplication::translate("tarvello-cli", "(--help lists the commands)"));
        // A command that was understood is named in the JSON object.
        Emit(parsed.knownCommand ? &parsed.request : nullptr, report, parsed.json);
        return kExitUsage;
    }
    case ParseOutcome::kRun:
        break;
    }
    // The trace file is created before the port is touched; one that cannot be is a usage error.
    std::string traceError;
    if (!parsed.request.tracePath.isEmpty() &&
        !StartTraceFile(parsed.request.tracePath.toStdString(), &traceError)) {
        CliReport report;
        report.Fail(kExitUsage, QStringLiteral("--trace: ") + QString::fromStdString(traceError));
        Emit(&parsed.request, report, parsed.request.json);
        return kExitUsage;
    }
    InstallStopSignals();
    CliReport report;
    {
        // What the tool itself sends and reads outside the open sequence, the monitor, the
        // worker, the readings and the check, which name themselves.
        ScopedTraceParty party(TraceParty::kCommandLine);
        report = RunRequest(parsed.request);
    }
    StopTraceFile(); // every line of the run written before the result is told
    Emit(&parsed.request, report, parsed.request.json);
    return report.exitCode;
}
