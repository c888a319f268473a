// test-labels: e2e
// tarvello-cli's exit codes, each produced by a fault of the virtual printer, its stop by a
// signal, and several runs at once on several printers.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QThread>

#include <csignal>

#include "CliProcess.h"

namespace {

using cli::CliFolder;
using cli::CliRun;
using cli::PrinterProcess;

// Reads the child's standard error until it holds text (false after 30 s).
bool WaitForStderr(QProcess& process, QByteArray& seen, const char* text) {
    for (int i = 0; i < 300 && !seen.contains(text); ++i) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
    }
    return seen.contains(text);
}

TEST(CliFaults, EachFaultOfThePrinterEndsWithItsExitCode) {
    CliFolder folder;
    struct Case {
        QStringList printer;
        QStringList command;
        int exitCode;
        const char* error;
        QByteArray ini; // the file afterwards
    };
    const QByteArray base = "[RVoltage]\r\nRBase=5.0\r\n";
    const QList<Case> cases{
        {{"--silent"}, {"status"}, 3, "did not answer the handshake", "<none>"},
        {{"--reject-handshake"},
         {"adjust", "reflective", "--standard", "2.5"},
         3,
         "refused the handshake (it answered 4E (\"N\"))",
         "<none>"},
        // 5.0 V is out of the model's reach: the search cycles through the levels.
        {{},
         {"adjust", "reflective", "--standard", "5.0", "--max-passes", "3"},
         4,
         "did not reach 4.9000 V to 5.0000 V within 3 passes",
         base},
        // The line hangs up after the third adjustment frame: the wait for its reply sees it.
        {{"--hangup-after", "5"},
         {"adjust", "reflective", "--standard", "5.0"},
         5,
         "went away after 2 passes",
         base},
        {{"--reflective-reading", "0"}, {"read", "reflective", "mark"}, 1, "gave no reading", base},
        // A printer that hangs up while its reply is awaited is a lost line, not a silent one.
        {{"--hangup-after", "3"}, {"read", "reflective", "mark"}, 5, "line went away", base},
        {{"--hangup-after", "4"}, {"check", "reflective"}, 5, "line went away", base},
        {{"--ke", "0e=0"}, {"check", "reflective"}, 1, "no usable check wait", base},
        // A parameter file that cannot be saved is not reported as success.
        {{},
         {"--ini", "/nonexistent/parameterset.ini", "read", "reflective", "mark"},
         6,
         "could not be saved",
         base},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printer.join(' ').toStdString() + " " + c.command.join(' ').toStdString());
        PrinterProcess printer(c.printer);
        const CliRun run =
            folder.Run(QStringList{"--port", printer.Device(), "--json"} + c.command);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.json["exit_code"], c.exitCode);
        EXPECT_EQ(run.json["ok"], false);
        EXPECT_TRUE(run.json["error"].toString().contains(c.error))
            << run.json["error"].toString().toStdString();
        EXPECT_TRUE(run.err.contains(c.error));
        EXPECT_EQ(folder.Ini(), c.ini);
        if (c.command[0] == "adjust" && (c.exitCode == 4 || c.exitCode == 5)) {
            // No levels were found; every reading is in the history.
            EXPECT_EQ(run.json["level"], QJsonValue());
            EXPECT_EQ(run.json["history"].toArray().size(), c.exitCode == 4 ? 3 : 2);
        }
    }
}

TEST(CliFaults, ASignalStopsARunCleanly) {
    PrinterProcess printer;
    CliFolder folder;
    std::unique_ptr<QProcess> run = folder.Start({"--port", printer.Device(), "--json", "--verbose",
                                                  "adjust", "transmissive", "--standard", "5.0"});
    QByteArray err;
    ASSERT_TRUE(WaitForStderr(*run, err, "pass 2:"));
    ::kill(static_cast<pid_t>(run->processId()), SIGINT);
    const CliRun stopped = CliFolder::Finish(*run);
    EXPECT_EQ(stopped.exitCode, 130);
    EXPECT_EQ(stopped.json["exit_code"], 130);
    EXPECT_EQ(stopped.json["level"], QJsonValue());
    EXPECT_GE(stopped.json["history"].toArray().size(), 2);
    EXPECT_EQ(folder.Ini(), "[TVoltage]\r\nTBase=5.0\r\n");
    // The port was closed: the next run opens it.
    EXPECT_EQ(folder.Run({"--port", printer.Device(), "status"}).exitCode, 0);

    // A paper check in its minute-long wait ends at the signal, not after the minute.
    PrinterProcess slow({"--ke", "02=1190", "--ke", "0e=1"});
    QElapsedTimer clock;
    clock.start();
    run = folder.Start({"--port", slow.Device(), "--json", "check", "reflective"});
    QThread::msleep(2500); // past the open and the check's first frames
    ::kill(static_cast<pid_t>(run->processId()), SIGTERM);
    const CliRun check = CliFolder::Finish(*run);
    EXPECT_EQ(check.exitCode, 130) << check.err.toStdString();
    EXPECT_LT(clock.elapsed(), 20000);
}

TEST(CliFaults, SeveralRunsAtOnceOnSeveralPortsEachHoldingItsOwn) {
    PrinterProcess first;
    PrinterProcess second;
    CliFolder folderA;
    CliFolder folderB;
    std::unique_ptr<QProcess> a = folderA.Start(
        {"--port", first.Device(), "--verbose", "adjust", "reflective", "--standard", "2.5"});
    std::unique_ptr<QProcess> b = folderB.Start(
        {"--port", second.Device(), "--json", "adjust", "transmissive", "--standard", "2.0"});
    QByteArray err;
    ASSERT_TRUE(WaitForStderr(*a, err, "pass 1:"));
    // A third process on the first port while it is held.
    CliFolder folderC;
    const CliRun held = folderC.Run({"--port", first.Device(), "status"});
    EXPECT_EQ(held.exitCode, 3);
    EXPECT_TRUE(held.err.contains("is held by another program")) << held.err.toStdString();

    EXPECT_EQ(CliFolder::Finish(*a).exitCode, 0);
    const CliRun runB = CliFolder::Finish(*b);
    EXPECT_EQ(runB.exitCode, 0);
    EXPECT_EQ(runB.json["level_code"], "11");
    EXPECT_EQ(runB.json["intensity"], 176);
    EXPECT_EQ(runB.json["volts"], 1.9412);
    EXPECT_EQ(folderA.Ini(),
              "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n");
    EXPECT_EQ(folderB.Ini(),
              "[TVoltage]\r\nTBase=2.0\r\n[TConfig]\r\nTConfig1=3\r\nTConfig2=176\r\n");
    EXPECT_EQ(folderC.Ini(), "<none>");
}

} // namespace
