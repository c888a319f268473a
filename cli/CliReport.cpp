#include "cli/CliReport.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

#include "device/Protocol.h"

namespace tarvello::cli {

QString T(const char* text) {
    return QCoreApplication::translate("tarvello-cli", text);
}

QJsonValue VoltsValue(double volts) {
    return QJsonValue(RoundVolts(volts));
}

QJsonValue VoltsValue(const std::optional<float>& volts) {
    return volts ? VoltsValue(static_cast<double>(*volts)) : QJsonValue(QJsonValue::Null);
}

QJsonValue LevelCodeValue(int level) {
    if (level < 0 || level > 3)
        return QJsonValue(QJsonValue::Null);
    return QString::fromStdString(SensitivityCode(level));
}

void Emit(const CliRequest* request, const CliReport& report, bool json) {
    if (!report.error.isEmpty()) {
        const QByteArray line = "tarvello-cli: " + report.error.toUtf8() + "\n";
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
    }
    QByteArray out;
    if (json) {
        QJsonObject object = report.fields;
        if (request != nullptr) {
            // The same keys on every run of the command, whatever stopped it.
            for (const QString& key : CommandKeys(request->command, request->sensor)) {
                if (!object.contains(key))
                    object.insert(key, QJsonValue(QJsonValue::Null));
            }
        }
        const bool sensorCommand = request != nullptr && request->NeedsSensor();
        object.insert("command", request ? QJsonValue(CommandName(request->command))
                                         : QJsonValue(QJsonValue::Null));
        object.insert("sensor", sensorCommand ? QJsonValue(SensorName(request->sensor))
                                              : QJsonValue(QJsonValue::Null));
        object.insert("ok", report.exitCode == kExitDone);
        object.insert("exit_code", report.exitCode);
        object.insert("port", report.port);
        object.insert("supply", report.supply);
        object.insert("error", report.error.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                      : QJsonValue(report.error));
        out = QJsonDocument(object).toJson(QJsonDocument::Compact) + "\n";
    } else if (!report.lines.isEmpty()) {
        out = report.lines.join('\n').toUtf8() + "\n";
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
}

} // namespace tarvello::cli
