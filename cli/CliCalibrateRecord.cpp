#include "cli/CliCalibrateRecord.h"

#include <QFile>
#include <QJsonObject>

#include "cli/CliRecords.h"
#include "store/ParameterSet.h"

namespace tarvello::cli {

namespace {

// The keys the sensors' steps save, section by section.
const char* const kSensorKeys[][5] = {{kSecRVoltage, kKeyRBase, kKeyRMid, kKeyRLow, kKeyRHeigh},
                                      {kSecRConfig, kKeyRConfig1, kKeyRConfig2, nullptr, nullptr},
                                      {kSecTVoltage, kKeyTBase, kKeyTLow, kKeyTMid, kKeyTHeigh},
                                      {kSecTConfig, kKeyTConfig1, kKeyTConfig2, nullptr, nullptr}};

QJsonValue Text(const std::optional<std::string>& value) {
    return value ? QJsonValue(QString::fromStdString(*value)) : QJsonValue();
}

// How the run ended, in a word: the exit codes that end a flow early have their own.
QString EndOf(int exitCode) {
    switch (exitCode) {
    case kExitStopped:
        return QStringLiteral("stopped");
    case kExitUsage:
        return QStringLiteral("refused");
    case kExitNoPrinter:
        return QStringLiteral("no_printer");
    case kExitLineFailed:
        return QStringLiteral("line_failed");
    default:
        return QStringLiteral("completed");
    }
}

// Each sensor's adjustment curve: the points of its adjust step, or none.
QJsonObject CurvesOf(const QJsonObject& sensors) {
    QJsonObject curves;
    for (auto it = sensors.begin(); it != sensors.end(); ++it) {
        for (const QJsonValue& step : it->toObject().value("steps").toArray()) {
            if (step.toObject().value("step").toString() == QLatin1String("adjust"))
                curves.insert(it.key(), step.toObject().value("history"));
        }
    }
    return curves;
}

} // namespace

IniLines ParameterFileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return ParseIniBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))
        .lines;
}

QJsonArray ParameterChanges(const IniLines& before, const IniLines& after) {
    QJsonArray changes;
    for (const auto& section : kSensorKeys) {
        for (int i = 1; i < 5 && section[i]; ++i) {
            const std::optional<std::string> was = FindIniValue(before, section[0], section[i]);
            const std::optional<std::string> is = FindIniValue(after, section[0], section[i]);
            if (was == is)
                continue;
            changes.append(QJsonObject{{"section", QLatin1String(section[0])},
                                       {"key", QLatin1String(section[i])},
                                       {"before", Text(was)},
                                       {"after", Text(is)}});
        }
    }
    return changes;
}

void StoreCalibrateRecord(const CliRequest& request, const records::Profile* profile,
                          const IniLines& iniBefore, CliReport& report) {
    if (request.records.none || report.exitCode == kExitUsage)
        return StoreRecordRow(request, records::RecordRow(), report); // the keys, nothing stored
    const QDateTime started =
        QDateTime::fromString(report.fields.value("started").toString(), Qt::ISODate);
    records::RecordRow row = RunRecordRow(request, started, report);
    row.printerId = request.printerId;
    row.operatorName = request.operatorName;
    const QJsonObject sensors = report.fields.value("sensors").toObject();
    QJsonObject doc = row.doc;
    doc.insert("sensor", QJsonValue()); // each sensor has its own part
    doc.insert("sensors", sensors);
    doc.insert("curves", CurvesOf(sensors));
    doc.insert("ended", EndOf(report.exitCode));
    if (profile) {
        row.profile = profile->name;
        row.profileVersion = profile->version;
        doc.insert("profile", records::ProfileToJson(*profile));
    }
    const IniLines after = ParameterFileLines(request.iniPath);
    doc.insert("parameter_file", QJsonObject{{"path", request.iniPath},
                                             {"changed", ParameterChanges(iniBefore, after)},
                                             {"saved", report.exitCode != kExitNotSaved}});
    row.doc = doc;
    StoreRecordRow(request, row, report);
}

} // namespace tarvello::cli
