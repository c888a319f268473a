// test-labels: e2e
// tarvello-cli end to end: each command run as a program against tarvello-printer on a
// pseudo-terminal, its JSON object checked key by key and the parameter file byte for byte;
// the usage errors, refused before the port is touched.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>

#include "CliProcess.h"

namespace {

using cli::CliFolder;
using cli::CliRun;
using cli::CommonKeys;
using cli::ExpectJson;
using cli::PrinterProcess;

QJsonObject Reading(int pass, const char* code, int intensity, int raw, double volts) {
    return QJsonObject{{"pass", pass},
                       {"level_code", code},
                       {"intensity", intensity},
                       {"raw", raw},
                       {"volts", volts}};
}

TEST(CliCommands, AdjustSavesTheStandardAsTypedAndTheLevelsFound) {
    PrinterProcess printer;
    CliFolder folder;
    const CliRun run = folder.Run(
        {"--port", printer.Device(), "--json", "adjust", "reflective", "--standard", "2.50"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << "progress without a terminal or --verbose";
    QJsonObject expected = CommonKeys("adjust", "reflective", 0, printer.Device(), QJsonValue());
    expected.insert("standard", 2.5);
    expected.insert("passes", 7);
    expected.insert("level", 3);
    expected.insert("level_code", "11");
    expected.insert("intensity", 144);
    expected.insert("volts", 2.451);
    // Judged as an adjustment alone: partial, the contrasts waiting for a check.
    expected.insert("profile", "Standard");
    expected.insert("verdict", "pass");
    expected.insert("complete", false);
    expected.insert("criteria", run.json["criteria"]);
    EXPECT_EQ(run.json["criteria"].toArray().size(), 7);
    expected.insert("history",
                    QJsonArray{Reading(1, "11", 0, 240, 4.7059), Reading(2, "11", 32, 214, 4.1961),
                               Reading(3, "11", 64, 189, 3.7059), Reading(4, "11", 96, 163, 3.1961),
                               Reading(5, "11", 128, 138, 2.7059),
                               Reading(6, "11", 160, 112, 2.1961),
                               Reading(7, "11", 144, 125, 2.451)});
    cli::ExpectRecorded(run.json, expected);
    ExpectJson(run.json, expected);
    EXPECT_EQ(folder.Ini(),
              "[RVoltage]\r\nRBase=2.50\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n");

    // The same run in text, with a line per pass on standard error.
    const CliRun text = folder.Run(
        {"--port", printer.Device(), "--verbose", "adjust", "reflective", "--standard", "2.5"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.err.count('\n'), 7);
    EXPECT_TRUE(text.err.startsWith("pass 1: level 11, intensity 000, 4.7059 V\n"));
    EXPECT_TRUE(text.out.contains("intensity 144, 2.4510 V")) << text.out.toStdString();
    EXPECT_EQ(folder.Ini(),
              "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n");
}

TEST(CliCommands, ReadingsSaveTheMeasuredValueUnderItsKeyAndTheLevels) {
    PrinterProcess printer({"--reflective-reading", "128", "--transmissive-reading", "128"});
    CliFolder folder;
    folder.WriteIni("[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n");
    const QStringList on{"--port", printer.Device(), "--json"};

    // The saved levels by default.
    const CliRun mark = folder.Run(on + QStringList{"read", "reflective", "mark"});
    EXPECT_EQ(mark.exitCode, 0) << mark.err.toStdString();
    QJsonObject expected = CommonKeys("read", "reflective", 0, printer.Device(), QJsonValue());
    expected.insert("what", "mark");
    expected.insert("level_code", "10");
    expected.insert("intensity", 77);
    expected.insert("volts", 2.5098);
    cli::ExpectRecorded(mark.json, expected);
    ExpectJson(mark.json, expected);
    EXPECT_EQ(folder.Ini(),
              "[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n[RVoltage]\r\nRMid=2.5098\r\n");

    const CliRun noPaper = folder.Run(
        on + QStringList{"read", "reflective", "no-paper", "--level", "0", "--intensity", "7"});
    EXPECT_EQ(noPaper.exitCode, 0);
    EXPECT_EQ(noPaper.json.value("level_code"), "00");
    EXPECT_EQ(noPaper.json.value("intensity"), 7);
    // The transmissive readings show the supply minus the reading; the paper voltage's key is
    // "TLow", the no-paper voltage's "THeigh".
    const CliRun paper = folder.Run(
        on + QStringList{"read", "transmissive", "paper", "--level", "1", "--intensity", "42"});
    EXPECT_EQ(paper.exitCode, 0);
    EXPECT_EQ(paper.json.value("volts"), 2.4902);
    EXPECT_EQ(paper.json.value("what"), "paper");
    const CliRun liner = folder.Run(on + QStringList{"read", "transmissive", "no-paper"});
    EXPECT_EQ(liner.exitCode, 0);
    EXPECT_EQ(liner.json.value("level_code"), "01");
    EXPECT_EQ(liner.json.value("intensity"), 42);
    EXPECT_EQ(folder.Ini(), "[RConfig]\r\nRConfig1=0\r\nRConfig2=7\r\n"
                            "[RVoltage]\r\nRMid=2.5098\r\nRHeigh=2.5098\r\n"
                            "[TVoltage]\r\nTLow=2.4902\r\nTHeigh=2.4902\r\n"
                            "[TConfig]\r\nTConfig1=1\r\nTConfig2=42\r\n");
}

TEST(CliCommands, StatusAndPaperChecksWriteNothing) {
    PrinterProcess printer;
    CliFolder folder;
    // The supply as the window chooses it from the file.
    const QByteArray ini = "[BaseVoltage]\r\nVoltage=2.5\r\n";
    folder.WriteIni(ini);
    const CliRun status = folder.Run({"--port", printer.Device(), "--json", "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    QJsonObject expected = CommonKeys("status", QJsonValue(), 0, printer.Device(), QJsonValue());
    expected.insert("supply", 2.5);
    expected.insert("presence", "1.2549");
    expected.insert("micro_switch", "0.0686");
    expected.insert("ribbon", "2.5000");
    ExpectJson(status.json, expected);

    const CliRun reflective = folder.Run(
        {"--port", printer.Device(), "--json", "--supply", "5.0", "check", "reflective"});
    EXPECT_EQ(reflective.exitCode, 0) << reflective.err.toStdString();
    expected = CommonKeys("check", "reflective", 0, printer.Device(), QJsonValue());
    // Samples a few tenths of a volt apart, as a printer's are: the derived voltages stay
    // within the supply, and the check's contrast is judged.
    expected.insert("mark_volts", 3.0392);
    expected.insert("diff_volts", 0.8333);
    expected.insert("paper_volts", 2.2059);
    expected.insert("wait_ms", 1000);
    expected.insert("verdict", "pass");
    expected.insert("complete", false);
    expected.insert("criteria", reflective.json["criteria"]);
    expected.insert("profile", "Standard");
    cli::ExpectRecorded(reflective.json, expected);
    ExpectJson(reflective.json, expected);
    EXPECT_EQ(reflective.json["criteria"][2]["code"], "contrast_check");
    EXPECT_EQ(reflective.json["criteria"][2]["value"], 0.3333);

    const CliRun transmissive = folder.Run(
        {"--port", printer.Device(), "--json", "--supply", "5.0", "check", "transmissive"});
    EXPECT_EQ(transmissive.exitCode, 0);
    expected = CommonKeys("check", "transmissive", 0, printer.Device(), QJsonValue());
    expected.insert("liner_volts", 3.4314);
    expected.insert("diff_volts", 0.9312);
    expected.insert("no_paper_volts", 4.3626);
    expected.insert("wait_ms", 1000);
    expected.insert("verdict", "pass");
    expected.insert("complete", false);
    expected.insert("criteria", transmissive.json["criteria"]);
    expected.insert("profile", "Standard");
    cli::ExpectRecorded(transmissive.json, expected);
    ExpectJson(transmissive.json, expected);
    EXPECT_EQ(folder.Ini(), ini);
}

TEST(CliCommands, BadInputIsRefusedBeforeThePortIsTouched) {
    CliFolder folder;
    // A device that does not exist: touching it would end with exit code 3.
    const QStringList port{"--port", "/nonexistent/ttyUSB9"};
    const QList<QStringList> cases{
        {},
        {"calibrate"},
        {"status"}, // no printer
        port + QStringList{"adjust", "reflective"},
        port + QStringList{"adjust", "reflective", "--standard", "5.1"},
        port + QStringList{"adjust", "reflective", "--standard", "2,5"},
        port + QStringList{"adjust", "reflective", "--standard", "0"}, // band below 0.1 V
        port + QStringList{"adjust", "reflective", "--standard", "0.09"},
        port + QStringList{"adjust", "reflective", "--standard", "2.5", "--max-passes", "0"},
        port + QStringList{"read", "reflective", "mark", "--intensity", "256"},
        port + QStringList{"read", "reflective", "mark", "--level", "4"},
        port + QStringList{"read", "transmissive", "mark"},
        port + QStringList{"check", "sideways"},
        port + QStringList{"--baud", "1200", "status"},
        port + QStringList{"--supply", "12", "status"},
        port + QStringList{"--simulate", "status"},
        port + QStringList{"--trace", "/nonexistent/folder/trace.txt", "status"},
    };
    for (const QStringList& args : cases) {
        const CliRun run = folder.Run(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("tarvello-cli: ")) << args.join(' ').toStdString();
    }
    // A saved intensity outside 0..255 is refused as a typed one would be.
    folder.WriteIni("[RConfig]\r\nRConfig2=300\r\n");
    EXPECT_EQ(folder.Run(port + QStringList{"read", "reflective", "mark"}).exitCode, 2);
    EXPECT_EQ(folder.Ini(), "[RConfig]\r\nRConfig2=300\r\n");

    const CliRun json =
        folder.Run(port + QStringList{"--json", "adjust", "reflective", "--standard", "x"});
    QJsonObject expected = CommonKeys("adjust", "reflective", 2, QString(), json.json["error"]);
    expected.insert("port", QJsonValue());
    expected.insert("supply", QJsonValue());
    // The command's own keys are there too, null: a script reading .level meets no missing key.
    for (const char* key :
         {"standard", "level", "level_code", "intensity", "volts", "passes", "history", "profile",
          "verdict", "complete", "criteria", "record_id", "record_stored"})
        expected.insert(key, QJsonValue());
    ExpectJson(json.json, expected);
    EXPECT_TRUE(json.json["error"].toString().contains("not a number from 0.0 to 5.0"));
}

// The line trace of a status command: the open sequence's frames to the printer and the
// monitor's poll with its reply, each under its party, in the diagnostics window's line format.
TEST(CliCommands, TraceWritesEveryExchangeOfTheRunByParty) {
    PrinterProcess printer;
    CliFolder folder;
    const QString trace = folder.Path() + "/trace.txt";
    const CliRun run = folder.Run({"--port", printer.Device(), "--trace", trace, "status"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith('#')) << lines[0].toStdString();
    auto find = [&](const QString& direction, const QString& party, const QString& text) {
        for (const QString& line : lines) {
            const QStringList f = line.simplified().split(' ');
            if (f.size() > 3 && f[1] == direction && f[2] == party && line.contains(text))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(find("->", "open", "<STX>k<CR>")) << lines.join('\n').toStdString();
    EXPECT_TRUE(find("->", "monitor", "<STX>Y")) << lines.join('\n').toStdString();
    EXPECT_TRUE(find("<-", "monitor", "exist")) << lines.join('\n').toStdString();
}

TEST(CliCommands, TheProgramNeedsNoDisplayAndNoWidgets) {
    QProcess ldd;
    ldd.start("ldd", {TARVELLO_CLI_PATH});
    if (!ldd.waitForFinished(10000) || ldd.exitCode() != 0)
        GTEST_SKIP() << "no ldd";
    const QByteArray libraries = ldd.readAllStandardOutput();
    // Qt Gui for a record's PDF report alone, drawn offscreen; never the widgets.
    EXPECT_TRUE(libraries.contains("libQt6Core")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Widgets"));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    run.setProcessEnvironment(env);
    run.start(TARVELLO_CLI_PATH, {"--version"});
    ASSERT_TRUE(run.waitForFinished(10000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
}

} // namespace

TEST(CliCommands, ProfilesAndVerdictsOnTheVirtualPrinter) {
    CliFolder folder;
    // Dirt leaves the search near full light: marginal, with the headroom's sentence.
    const CliRun dirty = folder.Run(
        {"--simulate", "--dirty", "60", "--json", "adjust", "reflective", "--standard", "2.5"});
    EXPECT_EQ(dirty.exitCode, 0) << dirty.err.toStdString();
    EXPECT_EQ(dirty.json["verdict"], "marginal");
    EXPECT_EQ(dirty.json["criteria"][1]["outcome"], "marginal");
    EXPECT_TRUE(dirty.json["criteria"][1]["message"].toString().contains("light runs out"));
    // Clear labels fail the check's contrast: exit 7, the reason on standard error.
    const CliRun clear =
        folder.Run({"--simulate", "--stock", "clear", "--json", "check", "reflective"});
    EXPECT_EQ(clear.exitCode, 7);
    EXPECT_EQ(clear.json["verdict"], "fail");
    EXPECT_FALSE(clear.json["ok"].toBool());
    // A profile: imported, its standard used; a missing one refused before the port.
    QFile file(folder.Path() + "/p.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"name": "Thermal", "reflective_standard": 2.5,
                   "criteria": {"contrast_pass": 0.2, "contrast_marginal": 0.1}})");
    file.close();
    EXPECT_EQ(folder.Run({"profiles", "import", "p.json"}).exitCode, 0);
    EXPECT_EQ(folder.Run({"profiles", "import", "p.json"}).exitCode, 2); // exists
    const CliRun strict =
        folder.Run({"--simulate", "--json", "check", "reflective", "--profile", "Thermal"});
    EXPECT_EQ(strict.json["profile"], "Thermal");
    EXPECT_EQ(strict.json["criteria"][2]["pass_limit"], 1.0);
    EXPECT_EQ(strict.exitCode, 7);
    const CliRun missing =
        folder.Run({"--port", "/nonexistent/tty", "adjust", "reflective", "--profile", "Nope"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("Nope"));
    // A damaged file: its line and column, and the run goes on with Standard.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"profiles\": [\n  {\"name\": }]}");
    file.close();
    QFile::remove(folder.Path() + "/data/Tarvello/profiles.json");
    ASSERT_TRUE(
        QFile::copy(folder.Path() + "/p.json", folder.Path() + "/data/Tarvello/profiles.json"));
    const CliRun damaged = folder.Run({"--simulate", "--json", "check", "reflective"});
    EXPECT_EQ(damaged.exitCode, 0);
    EXPECT_EQ(damaged.json["profile"], "Standard");
    EXPECT_TRUE(damaged.err.contains("(line 2, column ")) << damaged.err.toStdString();
}
