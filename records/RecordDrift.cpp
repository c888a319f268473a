#include "records/RecordDrift.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

#include "records/VerdictText.h"

namespace tarvello::records {

namespace {

bool IsSensorName(const QString& name) {
    return name == QLatin1String("reflective") || name == QLatin1String("transmissive");
}

// Walks one sensor's part of a document; the last value found wins (a repeated step replaces
// the earlier one). Curves' points are passes of the search, not what the sensor ended on.
void Walk(const QJsonValue& value, SensorSnapshot& s) {
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            Walk(item, s);
        return;
    }
    const QJsonObject o = value.toObject();
    if (o.value(QStringLiteral("code")).toString() == QLatin1String("contrast_check") &&
        o.value(QStringLiteral("value")).isDouble())
        s.contrast = o.value(QStringLiteral("value")).toDouble();
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString& key = it.key();
        if (key == QLatin1String("history") || key == QLatin1String("points") ||
            key == QLatin1String("curves"))
            continue;
        if (key == QLatin1String("level") && it->isDouble())
            s.level = it->toInt();
        else if (key == QLatin1String("intensity") && it->isDouble())
            s.intensity = it->toInt();
        else if (key == QLatin1String("samples") && it->toArray().size() == 2 && !s.contrast)
            s.contrast = std::fabs(it->toArray()[0].toDouble() - it->toArray()[1].toDouble());
        else if (it->isObject() || it->isArray())
            Walk(*it, s);
    }
}

} // namespace

QMap<QString, SensorSnapshot> RecordSnapshots(const RecordRow& row) {
    QMap<QString, SensorSnapshot> snapshots;
    // A calibration keeps each sensor under its name, at the top or in its command's result.
    QJsonObject sensors = row.doc.value(QStringLiteral("sensors")).toObject();
    if (sensors.isEmpty())
        sensors = row.doc.value(QStringLiteral("result"))
                      .toObject()
                      .value(QStringLiteral("sensors"))
                      .toObject();
    for (auto it = sensors.begin(); it != sensors.end(); ++it)
        if (IsSensorName(it.key()))
            Walk(*it, snapshots[it.key()]);
    const QString single = row.doc.value(QStringLiteral("sensor")).toString();
    if (sensors.isEmpty() && IsSensorName(single))
        Walk(row.doc.value(QStringLiteral("result")), snapshots[single]);
    return snapshots;
}

QList<DriftFinding> SensorDrift(const QString& sensor, const SensorSnapshot& before,
                                const SensorSnapshot& after, const DriftLimits& limits) {
    QList<DriftFinding> found;
    if (before.level && after.level && std::abs(*after.level - *before.level) > limits.levels)
        found.append(
            {sensor, QStringLiteral("level"), double(*before.level), double(*after.level)});
    if (before.intensity && after.intensity &&
        std::abs(*after.intensity - *before.intensity) > limits.intensity)
        found.append({sensor, QStringLiteral("intensity"), double(*before.intensity),
                      double(*after.intensity)});
    if (before.contrast && after.contrast && *before.contrast > 0 &&
        *after.contrast < *before.contrast * (1.0 - limits.contrastFall))
        found.append({sensor, QStringLiteral("contrast"), *before.contrast, *after.contrast});
    return found;
}

QList<DriftFinding> RecordDrift(const RecordRow& previous, const RecordRow& latest,
                                const DriftLimits& limits) {
    const QMap<QString, SensorSnapshot> before = RecordSnapshots(previous);
    const QMap<QString, SensorSnapshot> after = RecordSnapshots(latest);
    QList<DriftFinding> found;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.contains(it.key()))
            found += SensorDrift(it.key(), before.value(it.key()), *it, limits);
    return found;
}

QString DriftText(const DriftFinding& f) {
    const QString sensor = SensorName(f.sensor);
    if (f.what == QLatin1String("contrast"))
        return QCoreApplication::translate("RecordDrift", "%1：对比度从 %2 V 降到 %3 V")
            .arg(sensor, QString::number(f.before, 'f', 2), QString::number(f.after, 'f', 2));
    const QString what = f.what == QLatin1String("level")
                             ? QCoreApplication::translate("RecordDrift", "灵敏度等级")
                             : QCoreApplication::translate("RecordDrift", "光强");
    return QCoreApplication::translate("RecordDrift", "%1：%2 从 %3 变为 %4")
        .arg(sensor, what, QString::number(f.before), QString::number(f.after));
}

} // namespace tarvello::records
