// tarvello-cli: the sensors' adjustment, readings and paper check from the command line, on the
// same core as the window, without a display.
#include <QCoreApplication>

#include <cstdio>

#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "cli/CliSession.h"

#ifndef _WIN32
#include <csignal>
#endif

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvello-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVELLO_VERSION));
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
    InstallStopSignals();
    const CliReport report = RunRequest(parsed.request);
    Emit(&parsed.request, report, parsed.request.json);
    return report.exitCode;
}
