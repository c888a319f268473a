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

// A criterion as kept: its code, value, limits and outcome; its name and sentence are made when
// it is shown, in the reader's language.
QJsonValue KeptCriteria(const QJsonValue& criteria) {
    QJsonArray kept;
    for (const QJsonValue& c : criteria.toArray()) {
        QJsonObject criterion = c.toObject();
        criterion.remove("name");
        criterion.remove("message");
        kept.append(criterion);
    }
    return kept;
}

// Each sensor's adjustment curve (the points of its adjust step) taken out of its steps into
// curves, so the record holds each point once; the criteria as kept.
void TakeCurves(QJsonObject& sensors, QJsonObject& curves) {
    for (auto it = sensors.begin(); it != sensors.end(); ++it) {
        QJsonObject sensor = it->toObject();
        QJsonArray steps = sensor.value("steps").toArray();
        for (QJsonValueRef ref : steps) {
            QJsonObject step = ref.toObject();
            if (step.contains("criteria"))
                step.insert("criteria", KeptCriteria(step.value("criteria")));
            if (step.value("step").toString() == QLatin1String("adjust"))
                curves.insert(it.key(), step.take("history"));
            ref = step;
        }
        sensor.insert("steps", steps);
        sensor.insert("criteria", KeptCriteria(sensor.value("criteria")));
        *it = sensor;
    }
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
    QJsonObject sensors = report.fields.value("sensors").toObject(), curves;
    QJsonObject doc = row.doc;
    QJsonObject result = doc.value("result").toObject();
    result.remove("sensors"); // the document's own "sensors" holds them
    doc.insert("result", result);
    doc.insert("sensor", QJsonValue()); // each sensor has its own part
    TakeCurves(sensors, curves);
    doc.insert("sensors", sensors);
    doc.insert("curves", curves);
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
