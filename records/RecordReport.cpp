#include "records/RecordReport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>

#include <algorithm>
#include <functional>

#include "records/VerdictText.h"

namespace tarvello::records {

namespace {

QString Esc(const QString& text) {
    return text.toHtmlEscaped();
}

Sensor SensorOfName(const QString& name) {
    return name.startsWith(QLatin1String("trans")) ? Sensor::Transmissive : Sensor::Reflective;
}

verdict::Outcome OutcomeOfName(const QString& name) {
    return verdict::OutcomeFromName(name.toStdString());
}

std::optional<double> Optional(const QJsonValue& value) {
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

QString Shown(const QJsonValue& value) {
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 6);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isNull() || value.isUndefined())
        return QStringLiteral("-");
    return value.toString();
}

// The sensor a part of the document belongs to: the nearest enclosing sensor key, else the
// record's own sensor.
QString SensorOf(const QStringList& path, const QJsonObject& doc) {
    for (auto it = path.crbegin(); it != path.crend(); ++it)
        if (*it == QLatin1String("reflective") || *it == QLatin1String("transmissive"))
            return *it;
    return doc.value(QStringLiteral("sensor")).toString();
}

// A criteria list of the document: the sensor it belongs to, how deep it lies, its items.
struct FoundCriteria {
    QString sensor;
    int depth;
    QJsonArray items;
};

// Every list under key in the document, with the path of keys that leads to it (a list's items
// add an empty step), whatever the record's shape.
void FindLists(const QJsonValue& value, const QString& key, const QStringList& path,
               const std::function<void(const QStringList&, const QJsonArray&)>& found) {
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            FindLists(item, key, path + QStringList{QString()}, found);
        return;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == key && it->isArray())
            found(path, it->toArray());
        else if (it->isObject() || it->isArray())
            FindLists(*it, key, path + QStringList{it.key()}, found);
    }
}

ReportCriterion CriterionRow(const QString& sensor, const QJsonObject& c) {
    verdict::Criterion criterion;
    criterion.code = c.value(QStringLiteral("code")).toString().toStdString();
    criterion.outcome = OutcomeOfName(c.value(QStringLiteral("outcome")).toString());
    criterion.value = Optional(c.value(QStringLiteral("value")));
    criterion.passLimit = Optional(c.value(QStringLiteral("pass_limit")));
    criterion.marginalLimit = Optional(c.value(QStringLiteral("marginal_limit")));
    return {sensor,
            CriterionName(criterion.code),
            Shown(c.value(QStringLiteral("value"))),
            Shown(c.value(QStringLiteral("pass_limit"))) + QStringLiteral(" / ") +
                Shown(c.value(QStringLiteral("marginal_limit"))),
            OutcomeWord(criterion.outcome),
            CriterionSentence(criterion, SensorOfName(sensor))};
}

// The keys whose values are lists the report shows otherwise (curves, criteria) or not at all.
bool SkippedKey(const QString& key) {
    static const QStringList skipped = {
        "criteria", "history",    "points",   "curves",        "message",       "record",
        "profile",  "trace",      "schema",   "error",         "complete",      "record_id",
        "started",  "finished",   "operator", "printer_id",    "record_stored", "exit_code",
        "verdict",  "level_code", "step",     "dropped_points"};
    return skipped.contains(key);
}

// Where a value lies, for a person: "reflective.adjust.level" rather than a path of indexes.
QString Where(const QString& where, const QString& key) {
    if (key == QLatin1String("result") || key == QLatin1String("sensors") ||
        key == QLatin1String("steps"))
        return where;
    return where.isEmpty() ? key : where + u'.' + key;
}

void CollectValues(const QJsonValue& value, const QString& where, QStringList& out) {
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!SkippedKey(it.key()))
                CollectValues(*it, Where(where, it.key()), out);
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i) {
            // A step is named by what it did; other lists by their place.
            const QString step = array.at(i).toObject().value(QStringLiteral("step")).toString();
            CollectValues(array.at(i),
                          step.isEmpty() ? QStringLiteral("%1[%2]").arg(where).arg(i + 1)
                                         : Where(where, step),
                          out);
        }
    } else if (!value.isNull() && !value.isUndefined()) {
        out << QStringLiteral("%1: %2").arg(where, Shown(value));
    }
}

ReportCurve CurveOf(const QString& sensor, const QJsonValue& value) {
    ReportCurve curve;
    curve.sensor = sensor;
    QJsonArray points = value.toArray();
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        points = object.value(QStringLiteral("points")).toArray();
        const QJsonArray band = object.value(QStringLiteral("band")).toArray();
        if (band.size() == 2 && band[0].isDouble() && band[1].isDouble()) {
            curve.bandLow = band[0].toDouble();
            curve.bandHigh = band[1].toDouble();
            curve.hasBand = true;
        }
    }
    for (int i = 0; i < points.size(); ++i) {
        const QJsonObject p = points[i].toObject();
        const QJsonValue pass = p.value(QStringLiteral("pass"));
        if (p.value(QStringLiteral("volts")).isDouble())
            curve.points.append(QPointF(pass.isDouble() ? pass.toDouble() : i + 1,
                                        p.value(QStringLiteral("volts")).toDouble()));
    }
    return curve;
}

QString Row(const QString& name, const QString& value) {
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(Esc(name), Esc(value));
}

QString Utc(const QDateTime& time) {
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QStringLiteral("-");
}

QString VerdictWord(const QString& verdict) {
    return verdict.isEmpty() ? QCoreApplication::translate("RecordReport", "未判定")
                             : OutcomeWord(OutcomeOfName(verdict));
}

QString CriteriaTable(const QList<ReportCriterion>& criteria) {
    QString html = QStringLiteral("<table border='1' cellspacing='0' cellpadding='3' "
                                  "width='100%'><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th>"
                                  "<th>%5</th><th>%6</th></tr>")
                       .arg(QCoreApplication::translate("RecordReport", "传感器"),
                            QCoreApplication::translate("RecordReport", "判据"),
                            QCoreApplication::translate("RecordReport", "测量值"),
                            QCoreApplication::translate("RecordReport", "限值（合格 / 临界）"),
                            QCoreApplication::translate("RecordReport", "结果"),
                            QCoreApplication::translate("RecordReport", "说明"));
    for (const ReportCriterion& c : criteria)
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                               "<td>%6</td></tr>")
                    .arg(Esc(SensorName(c.sensor)), Esc(c.name), Esc(c.value), Esc(c.limits),
                         Esc(c.outcome), Esc(c.sentence));
    return html + QStringLiteral("</table>");
}

} // namespace

QList<ReportCurve> RecordCurves(const RecordRow& row) {
    QList<ReportCurve> curves;
    const QJsonObject stored = row.doc.value(QStringLiteral("curves")).toObject();
    for (auto it = stored.begin(); it != stored.end(); ++it)
        curves.append(CurveOf(it.key(), *it));
    // Else each adjustment keeps its passes as its "history".
    if (stored.isEmpty())
        FindLists(row.doc, QStringLiteral("history"), {},
                  [&](const QStringList& path, const QJsonArray& points) {
                      curves.append(CurveOf(SensorOf(path, row.doc), points));
                  });
    curves.erase(std::remove_if(curves.begin(), curves.end(),
                                [](const ReportCurve& c) { return c.points.isEmpty(); }),
                 curves.end());
    return curves;
}

// Each sensor's verdict: the outermost criteria list of the sensor (a calibration also keeps
// each step's own judgement deeper down, which the sensor's list sums up).
QList<ReportCriterion> RecordCriteria(const RecordRow& row) {
    QList<FoundCriteria> found;
    FindLists(row.doc, QStringLiteral("criteria"), {},
              [&](const QStringList& path, const QJsonArray& items) {
                  found.append({SensorOf(path, row.doc), static_cast<int>(path.size()), items});
              });
    QMap<QString, int> shallowest;
    for (const FoundCriteria& f : found)
        shallowest[f.sensor] = std::min(shallowest.value(f.sensor, f.depth), f.depth);
    QList<ReportCriterion> criteria;
    for (const FoundCriteria& f : found) {
        if (f.depth != shallowest.value(f.sensor))
            continue;
        for (const QJsonValue& item : f.items)
            criteria.append(CriterionRow(f.sensor, item.toObject()));
    }
    return criteria;
}

QStringList RecordValues(const RecordRow& row) {
    QStringList values;
    for (const char* part : {"result", "sensors", "saved", "parameter_file", "ended"})
        CollectValues(row.doc.value(QLatin1String(part)), Where(QString(), QLatin1String(part)),
                      values);
    return values;
}

QString RecordReportHtml(const RecordRow& row) {
    QString html =
        QStringLiteral("<html><body><h2>%1</h2><table cellpadding='2'>")
            .arg(
                Esc(QCoreApplication::translate("RecordReport", "校准记录 %1").arg(row.printerId)));
    html += Row(QCoreApplication::translate("RecordReport", "打印机编号"), row.printerId) +
            Row(QCoreApplication::translate("RecordReport", "结论"), VerdictWord(row.verdict)) +
            Row(QCoreApplication::translate("RecordReport", "类型"), row.kind) +
            Row(QCoreApplication::translate("RecordReport", "介质配置"),
                QStringLiteral("%1 (v%2)").arg(row.profile).arg(row.profileVersion)) +
            Row(QCoreApplication::translate("RecordReport", "操作员"), row.operatorName) +
            Row(QCoreApplication::translate("RecordReport", "工位"), row.station) +
            Row(QCoreApplication::translate("RecordReport", "开始（UTC）"), Utc(row.started)) +
            Row(QCoreApplication::translate("RecordReport", "结束（UTC）"), Utc(row.finished)) +
            Row(QCoreApplication::translate("RecordReport", "程序版本"),
                row.doc.value(QStringLiteral("program_version")).toString()) +
            Row(QCoreApplication::translate("RecordReport", "记录编号"), row.id) +
            QStringLiteral("</table>");
    const QList<ReportCriterion> criteria = RecordCriteria(row);
    if (!criteria.isEmpty())
        html += QStringLiteral("<h3>%1</h3>")
                    .arg(Esc(QCoreApplication::translate("RecordReport", "判据"))) +
                CriteriaTable(criteria);
    const QStringList values = RecordValues(row);
    if (!values.isEmpty()) {
        html += QStringLiteral("<h3>%1</h3><p>")
                    .arg(Esc(QCoreApplication::translate("RecordReport", "数值")));
        for (const QString& line : values)
            html += Esc(line) + QStringLiteral("<br>");
        html += QStringLiteral("</p>");
    }
    const QList<ReportCurve> curves = RecordCurves(row);
    for (int i = 0; i < curves.size(); ++i)
        html += QStringLiteral("<h3>%1</h3><img src='curve:%2' width='600'>")
                    .arg(Esc(QCoreApplication::translate("RecordReport", "调整曲线：%1")
                                 .arg(SensorName(curves[i].sensor))))
                    .arg(i);
    return html + QStringLiteral("</body></html>");
}

} // namespace tarvello::records
