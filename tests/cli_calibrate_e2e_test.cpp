// test-labels: e2e
// tarvello-cli calibrate: its usage errors (refused before the port is touched), a production
// line's run with --yes, the prompts between media changes, and a line that hangs up mid-flow.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QRegularExpression>

#include "CliProcess.h"

namespace {

using cli::CliFolder;
using cli::CliRun;
using cli::PrinterProcess;

QStringList Steps(const QJsonObject& sensor) {
    QStringList names;
    for (const QJsonValue& step : sensor["steps"].toArray())
        names << step["step"].toString() + "=" + QString::number(step["exit_code"].toInt());
    return names;
}

TEST(CliCalibrate, UsageErrorsNameWhatToGiveAndTouchNothing) {
    CliFolder folder;
    const QStringList sim{"--simulate", "--json", "calibrate"};
    const struct {
        QStringList args;
        const char* error;
    } cases[] = {
        {sim + QStringList{"--reflective-standard", "2.5"}, "needs --printer-id"},
        {sim + QStringList{"--printer-id", ""}, "--printer-id must not be empty"},
        {sim + QStringList{"--printer-id", "P\t1"}, "control characters"},
        {sim + QStringList{"--printer-id", "P1", "--operator", "a\x1b"}, "--operator must not"},
        {sim + QStringList{"--printer-id", "P1", "--steps", "adjust,reload"},
         "Unknown step \"reload\""},
        {sim + QStringList{"--printer-id", "P1", "--yes", "--steps", "adjust,mark"},
         "\"mark\" needs one"},
        {sim + QStringList{"--printer-id", "P1", "--transmissive-standard", "7"},
         "--transmissive-standard \"7\" is not a number"},
        {sim + QStringList{"sideways", "--printer-id", "P1"}, "Unknown sensor \"sideways\""},
        // A sensor without a standard (a new parameter file holds none): the option to give.
        {sim + QStringList{"both", "--printer-id", "P1", "--reflective-standard", "2.5"},
         "give --transmissive-standard VOLTS"},
        {{"--simulate", "--json", "adjust", "reflective", "--standard", "2.5", "--printer-id",
          "P1"},
         "--printer-id belongs to calibrate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = folder.Run(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.json["exit_code"], 2);
        EXPECT_TRUE(run.json["error"].toString().contains(c.error))
            << run.json["error"].toString().toStdString();
        EXPECT_EQ(run.json["port"], QJsonValue()); // the port was never opened
        EXPECT_EQ(folder.Ini(), "<none>");
    }
}

TEST(CliCalibrate, AFixtureRunAdjustsAndChecksBothSensorsAndSavesAsAdjustDoes) {
    CliFolder folder;
    const CliRun run = folder.Run({"calibrate", "both", "--simulate", "--printer-id", "P-0001",
                                   "--yes", "--json", "--reflective-standard", "2.5",
                                   "--transmissive-standard", "2.0", "--operator", "Li Wei"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json["command"], "calibrate");
    EXPECT_EQ(run.json["printer_id"], "P-0001");
    EXPECT_EQ(run.json["operator"], "Li Wei");
    EXPECT_EQ(run.json["profile"], "Standard");
    EXPECT_EQ(run.json["verdict"], "pass");
    EXPECT_EQ(run.json["complete"], false); // no readings: their contrasts are not judged
    const QRegularExpression iso(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)");
    EXPECT_TRUE(iso.match(run.json["started"].toString()).hasMatch());
    EXPECT_TRUE(iso.match(run.json["finished"].toString()).hasMatch());
    const QJsonObject sensors = run.json["sensors"].toObject();
    EXPECT_EQ(Steps(sensors["reflective"].toObject()), QStringList({"adjust=0", "check=0"}));
    EXPECT_EQ(Steps(sensors["transmissive"].toObject()), QStringList({"adjust=0", "check=0"}));
    // Each step reports what its own command reports.
    const QJsonObject adjust = sensors["reflective"]["steps"][0].toObject();
    EXPECT_EQ(adjust["level_code"], "11");
    EXPECT_EQ(adjust["intensity"], 144);
    EXPECT_TRUE(sensors["transmissive"]["steps"][1].toObject().contains("liner_volts"));
    // Each sensor judged on all its steps, with the criteria as adjust --json has them.
    EXPECT_EQ(sensors["reflective"]["verdict"], "pass");
    EXPECT_EQ(sensors["reflective"]["criteria"][2]["code"], "contrast_check");
    EXPECT_EQ(sensors["reflective"]["criteria"][2]["outcome"], "pass");
    EXPECT_EQ(folder.Ini(),
              "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n"
              "[TVoltage]\r\nTBase=2.0\r\n[TConfig]\r\nTConfig1=3\r\nTConfig2=176\r\n");
}

// The record a run stored, as records show gives it back.
QJsonObject Shown(const CliFolder& folder, const QJsonValue& id) {
    return folder.Run({"records", "show", id.toString(), "--json"}).json["record"].toObject();
}

TEST(CliCalibrate, KeepsTheWholeFlowAsOneRecordUnlessToldNotToAndPrintsOneItCannotStore) {
    CliFolder folder;
    const QStringList args{
        "calibrate", "reflective", "--simulate", "--printer-id",          "P-0005", "--operator",
        "Li Wei",    "--yes",      "--json",     "--reflective-standard", "2.5"};
    const CliRun run = folder.Run(args + QStringList{"--trace", "run.trace"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.json["record_stored"], true);
    const QJsonObject record = Shown(folder, run.json["record_id"]);
    EXPECT_EQ(record["kind"], "calibrate");
    EXPECT_EQ(record["printer_id"], "P-0005");
    EXPECT_EQ(record["operator"], "Li Wei");
    EXPECT_EQ(record["verdict"], "pass");
    EXPECT_EQ(record["profile_version"], 1);
    const QJsonObject doc = record["doc"].toObject();
    EXPECT_EQ(doc["ended"], "completed");
    EXPECT_EQ(doc["profile"]["criteria"]["contrast_pass"], 0.06);
    EXPECT_EQ(doc["sensors"]["reflective"]["criteria"][0]["code"],
              run.json["sensors"]["reflective"]["criteria"][0]["code"]);
    EXPECT_EQ(doc["curves"]["reflective"],
              run.json["sensors"]["reflective"]["steps"][0]["history"]);
    EXPECT_FALSE(doc["curves"]["reflective"].toArray().isEmpty());
    // What the run wrote into the parameter file, as the file now holds it.
    const QJsonArray changed = doc["parameter_file"]["changed"].toArray();
    ASSERT_EQ(changed.size(), 3); // RBase, RConfig1, RConfig2
    for (const QJsonValue& c : changed)
        EXPECT_TRUE(folder.Ini().contains(
            (c["key"].toString() + "=" + c["after"].toString() + "\r\n").toUtf8()));
    // The trace to its last line.
    QFile trace(folder.Path() + "/run.trace");
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    EXPECT_EQ(qUncompress(QByteArray::fromBase64(record["trace"].toString().toLatin1())),
              trace.readAll());

    const CliRun quiet = folder.Run(args + QStringList{"--no-record"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.json["record_id"], QJsonValue());
    EXPECT_EQ(quiet.json["record_stored"], false);
    EXPECT_EQ(folder.Run({"records", "list", "--json"}).json["records"].toArray().size(), 1);
    for (const char* printer : {"P-0005", "P-0006"}) // the list's filter, as its help says
        EXPECT_EQ(folder.Run({"records", "list", "--printer-id", printer, "--json"})
                      .json["records"]
                      .toArray()
                      .size(),
                  QString(printer) == "P-0005" ? 1 : 0);

    // Neither the file nor its side file can be written: exit 8, the record printed whole.
    const CliRun lost = folder.Run(args + QStringList{"--records", "/proc/none/records.sqlite"});
    EXPECT_EQ(lost.exitCode, 8);
    EXPECT_EQ(lost.json["record_stored"], false);
    EXPECT_EQ(lost.json["record"]["printer_id"], "P-0005");
    EXPECT_EQ(lost.json["record"]["doc"]["sensors"]["reflective"]["verdict"], "pass");
}

TEST(CliCalibrate, ADirtySensorIsJudgedMarginalWithItsReason) {
    CliFolder folder;
    const CliRun run =
        folder.Run({"calibrate", "reflective", "--simulate", "--dirty", "60", "--printer-id",
                    "P-0004", "--yes", "--json", "--reflective-standard", "2.5"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json["verdict"], "marginal");
    const QJsonObject reflective = run.json["sensors"]["reflective"].toObject();
    EXPECT_EQ(reflective["verdict"], "marginal");
    EXPECT_EQ(reflective["criteria"][1]["code"], "headroom");
    EXPECT_EQ(reflective["criteria"][1]["outcome"], "marginal");
    EXPECT_TRUE(reflective["criteria"][1]["message"].toString().contains("dirty"));
}

TEST(CliCalibrate, PromptsBeforeEachMediaChangeAndStopsWhenNoAnswerComes) {
    CliFolder folder;
    folder.WriteIni("[RVoltage]\r\nRBase=2.5\r\n");
    std::unique_ptr<QProcess> process =
        folder.Start({"calibrate", "reflective", "--simulate", "--printer-id", "P-0002", "--json",
                      "--steps", "adjust,mark,no-paper"});
    process->write("\n"); // the mark is in place; then standard input ends
    process->closeWriteChannel();
    const CliRun run = CliFolder::Finish(*process);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Put a black mark under the reflective sensor, then press Enter"));
    EXPECT_TRUE(run.err.contains("Take all media out from under the reflective sensor"));
    EXPECT_TRUE(run.json["error"].toString().contains("Standard input ended"));
    const QJsonObject reflective = run.json["sensors"]["reflective"].toObject();
    EXPECT_EQ(Steps(reflective), QStringList({"adjust=0", "mark=0"}));
    // The mark was under the virtual printer's sensor: it reads apart from the paper.
    EXPECT_GT(reflective["steps"][1]["volts"].toDouble(),
              reflective["steps"][0]["volts"].toDouble() + 1.0);
    // What read saves, and nothing of the no-paper reading that was not taken.
    const QByteArray ini = folder.Ini();
    EXPECT_TRUE(ini.contains("RMid=")) << ini.toStdString();
    EXPECT_FALSE(ini.contains("RHeigh="));
}

TEST(CliCalibrate, ALineThatHangsUpMidFlowEndsWithExit5AndTheStepsSoFar) {
    // The handshake, the access code, the reflective adjustment's and paper check's seven
    // frames each, then the third frame of the transmissive adjustment (a status poll between
    // the steps may come first).
    PrinterProcess printer({"--hangup-after", "19"});
    CliFolder folder;
    const CliRun run = folder.Run({"--port", printer.Device(), "--json", "calibrate", "both",
                                   "--printer-id", "P-0003", "--yes", "--reflective-standard",
                                   "2.5", "--transmissive-standard", "2.0"});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.json["exit_code"], 5);
    EXPECT_TRUE((run.json["error"].toString().contains("adjustment frame could not be written") ||
                 run.json["error"].toString().contains("port went away")))
        << run.err.toStdString();
    const QJsonObject sensors = run.json["sensors"].toObject();
    EXPECT_EQ(Steps(sensors["reflective"].toObject()), QStringList({"adjust=0", "check=0"}));
    EXPECT_EQ(Steps(sensors["transmissive"].toObject()), QStringList({"adjust=5"}));
    // The finished steps' saves; of the adjustment the line broke, the standard it saved at its
    // start (as adjust saves it), no levels.
    EXPECT_EQ(folder.Ini(), "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n"
                            "[TVoltage]\r\nTBase=2.0\r\n");
    // A failed run is a record too, with how it ended.
    const QJsonObject doc = Shown(folder, run.json["record_id"])["doc"].toObject();
    EXPECT_EQ(doc["ended"], "line_failed");
    EXPECT_EQ(doc["sensors"]["transmissive"]["steps"][0]["exit_code"], 5);
}

} // namespace
