// The command-line tool as a program: tarvello-cli run as a child process against
// tarvello-printer processes on their own pseudo-terminals, each run in a scratch folder of its
// own (its parameter file there), with its exit code, output and JSON object.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace cli {

// A virtual printer program; stopped (SIGTERM) when the object goes.
class PrinterProcess {
  public:
    explicit PrinterProcess(const QStringList& options = {}) {
        m_process.start(QStringLiteral(TARVELLO_PRINTER_PATH),
                        options + QStringList{"--exit-on-stdin-eof"});
        if (m_process.waitForStarted(10000) && m_process.waitForReadyRead(10000))
            m_device = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~PrinterProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    const QString& Device() const { return m_device; }

  private:
    QProcess m_process;
    QString m_device;
};

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json; // the output as a JSON object (empty when it is none)
};

// A scratch folder with the parameter file the tool writes by default.
class CliFolder {
  public:
    CliFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.path(); }
    QString IniPath() const { return m_dir.filePath(QStringLiteral("parameterset.ini")); }
    // The parameter file's bytes; "<none>" when there is no file.
    QByteArray Ini() const {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void WriteIni(const QByteArray& bytes) const {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Starts tarvello-cli with args in this folder.
    std::unique_ptr<QProcess> Start(const QStringList& args) const {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(Path());
        // The user's data folder (profiles, records) inside this folder, not the tester's.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), Path() + QStringLiteral("/data"));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(TARVELLO_CLI_PATH), args);
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }
    // Runs tarvello-cli with args in this folder to its end.
    CliRun Run(const QStringList& args) const { return Finish(*Start(args)); }

    static CliRun Finish(QProcess& process) {
        CliRun run;
        EXPECT_TRUE(process.waitForFinished(120000)) << "tarvello-cli did not end";
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        run.json = QJsonDocument::fromJson(run.out).object();
        return run;
    }

  private:
    QTemporaryDir m_dir;
};

// Compares the JSON object key by key (every key present, each value equal).
inline void ExpectJson(const QJsonObject& actual, const QJsonObject& expected) {
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        EXPECT_TRUE(actual.contains(it.key())) << "no key " << it.key().toStdString();
        EXPECT_EQ(actual.value(it.key()), it.value())
            << it.key().toStdString() << ": "
            << QJsonDocument(QJsonObject{{"actual", actual.value(it.key())}})
                   .toJson(QJsonDocument::Compact)
                   .toStdString();
    }
    for (auto it = actual.begin(); it != actual.end(); ++it)
        EXPECT_TRUE(expected.contains(it.key())) << "unexpected key " << it.key().toStdString();
}

// The keys every report has, for a run on device with a 5.0 V supply.
inline QJsonObject CommonKeys(const char* command, const QJsonValue& sensor, int exitCode,
                              const QString& device, const QJsonValue& error) {
    return QJsonObject{{"command", command},    {"sensor", sensor}, {"ok", exitCode == 0},
                       {"exit_code", exitCode}, {"port", device},   {"supply", 5},
                       {"error", error}};
}

} // namespace cli
