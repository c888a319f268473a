// What a run of tarvello-cli reports: the exit code, a sentence for a person when something
// went wrong, the text lines of the plain output and the command's own JSON keys. Emit adds the
// keys every command has and writes the report: the JSON object or the text on standard output,
// the sentence on standard error.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

#include "cli/CliRequest.h"

namespace tarvello::cli {

struct CliReport {
    int exitCode = kExitDone;
    QString error;      // empty: none
    QStringList lines;  // the plain output, a line each
    QJsonObject fields; // the command's own keys
    QJsonValue port;    // the device worked on (null: none)
    QJsonValue supply;  // the supply voltage used (null: none)

    void Fail(int code, const QString& sentence) {
        exitCode = code;
        error = sentence;
    }
};

// A sentence of the tool in the reader's language (the "tarvello-cli" translation context).
QString T(const char* text);

// Volts as the tool shows them: rounded to four decimals, as a JSON number.
QJsonValue VoltsValue(double volts);
QJsonValue VoltsValue(const std::optional<float>& volts);
// "00", "01", "10", "11" for the levels 0..3; null for any other.
QJsonValue LevelCodeValue(int level);

// Writes the report of the request (command may be nullopt when it was not understood).
void Emit(const CliRequest* request, const CliReport& report, bool json);

} // namespace tarvello::cli
