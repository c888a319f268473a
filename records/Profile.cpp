#include "records/Profile.h"

#include <QCoreApplication>
#include <QJsonArray>

#include "records/RecordSql.h"

namespace tarvello::records {

const char* const kBuiltInProfileName = "Standard";

namespace {

const QStringList kStepNames{"adjust", "mark", "no-paper", "paper", "reload", "check"};

QJsonValue Optional(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// A number field that may be null (or missing); false when it is anything else or outside
// low..high.
bool ReadOptional(const QJsonObject& o, const char* key, double low, double high,
                  std::optional<double>& out, QString* error) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isNull() || v.isUndefined()) {
        out.reset();
        return true;
    }
    if (!v.isDouble() || v.toDouble() < low || v.toDouble() > high)
        return Fail(error, QCoreApplication::translate("Profile", "“%1”须为 %2 到 %3 之间的数")
                               .arg(QLatin1String(key))
                               .arg(low)
                               .arg(high));
    out = v.toDouble();
    return true;
}

bool ReadSteps(const QJsonValue& value, QStringList& steps, QString* error) {
    if (value.isUndefined())
        return true; // the defaults
    steps.clear();
    for (const QJsonValue& step : value.toArray()) {
        if (!kStepNames.contains(step.toString()))
            return Fail(
                error,
                QCoreApplication::translate("Profile", "未知的步骤“%1”").arg(step.toString()));
        steps << step.toString();
    }
    return true;
}

bool ReadCriteria(const QJsonObject& o, Profile& p, QString* error) {
    std::optional<double> pass = p.criteria.contrastPass, marginal = p.criteria.contrastMarginal,
                          headroom = p.criteria.headroomSteps;
    if (o.contains(QLatin1String("contrast_pass")) &&
        !ReadOptional(o, "contrast_pass", 0.0, 1.0, pass, error))
        return false;
    if (o.contains(QLatin1String("contrast_marginal")) &&
        !ReadOptional(o, "contrast_marginal", 0.0, 1.0, marginal, error))
        return false;
    if (o.contains(QLatin1String("headroom_steps")) &&
        !ReadOptional(o, "headroom_steps", 0, 1023, headroom, error))
        return false;
    if (!pass || !marginal || !headroom || *marginal > *pass)
        return Fail(error,
                    QCoreApplication::translate("Profile", "对比度的勉强限值不能高于合格限值"));
    p.criteria.contrastPass = *pass;
    p.criteria.contrastMarginal = *marginal;
    p.criteria.headroomSteps = static_cast<int>(*headroom);
    return true;
}

} // namespace

Profile BuiltInProfile() {
    Profile p;
    p.name = QString::fromLatin1(kBuiltInProfileName);
    p.source = ProfileSource::kBuiltIn;
    return p;
}

QJsonObject ProfileToJson(const Profile& p) {
    return QJsonObject{
        {"schema", kProfileSchema},
        {"name", p.name},
        {"version", p.version},
        {"changed", p.changed.isValid() ? QJsonValue(p.changed.toUTC().toString(Qt::ISODate))
                                        : QJsonValue(QJsonValue::Null)},
        {"changed_by", p.changedBy},
        {"reflective_standard", Optional(p.reflectiveStandard)},
        {"transmissive_standard", Optional(p.transmissiveStandard)},
        {"max_passes", p.maxPasses ? QJsonValue(*p.maxPasses) : QJsonValue(QJsonValue::Null)},
        {"criteria", QJsonObject{{"contrast_pass", p.criteria.contrastPass},
                                 {"contrast_marginal", p.criteria.contrastMarginal},
                                 {"headroom_steps", p.criteria.headroomSteps}}},
        {"steps", QJsonObject{{"reflective", QJsonArray::fromStringList(p.reflectiveSteps)},
                              {"transmissive", QJsonArray::fromStringList(p.transmissiveSteps)}}},
        {"drift", QJsonObject{{"levels", p.drift.levels},
                              {"intensity", p.drift.intensity},
                              {"contrast_fall", p.drift.contrastFall}}}};
}

namespace {

// Everything of a profile after its name and schema.
bool ReadFields(const QJsonObject& o, Profile& p, QString* error) {
    p.version = o.value(QLatin1String("version")).toInt(1);
    p.changed = QDateTime::fromString(o.value(QLatin1String("changed")).toString(), Qt::ISODate);
    p.changedBy = o.value(QLatin1String("changed_by")).toString();
    std::optional<double> passes;
    if (!ReadOptional(o, "reflective_standard", 0.0, 5.0, p.reflectiveStandard, error) ||
        !ReadOptional(o, "transmissive_standard", 0.0, 5.0, p.transmissiveStandard, error) ||
        !ReadOptional(o, "max_passes", 1, 100000, passes, error) ||
        !ReadCriteria(o.value(QLatin1String("criteria")).toObject(), p, error))
        return false;
    if (passes)
        p.maxPasses = static_cast<int>(*passes);
    const QJsonObject steps = o.value(QLatin1String("steps")).toObject();
    if (!ReadSteps(steps.value(QLatin1String("reflective")), p.reflectiveSteps, error) ||
        !ReadSteps(steps.value(QLatin1String("transmissive")), p.transmissiveSteps, error))
        return false;
    const QJsonObject drift = o.value(QLatin1String("drift")).toObject();
    p.drift.levels = drift.value(QLatin1String("levels")).toInt(p.drift.levels);
    p.drift.intensity = drift.value(QLatin1String("intensity")).toInt(p.drift.intensity);
    p.drift.contrastFall =
        drift.value(QLatin1String("contrast_fall")).toDouble(p.drift.contrastFall);
    return true;
}

} // namespace

bool ProfileFromJson(const QJsonObject& o, Profile& out, QString* error) {
    Profile p;
    p.name = o.value(QLatin1String("name")).toString().trimmed();
    if (p.name.isEmpty())
        return Fail(error, QCoreApplication::translate("Profile", "介质配置缺少名称"));
    if (o.value(QLatin1String("schema")).toInt(kProfileSchema) > kProfileSchema)
        return Fail(error, QCoreApplication::translate("Profile",
                                                       "介质配置“%1”来自更新的版本，本程序无法读取")
                               .arg(p.name));
    QString why;
    if (!ReadFields(o, p, &why)) // which profile of a file of many, and what of it
        return Fail(error,
                    QCoreApplication::translate("Profile", "介质配置“%1”：%2").arg(p.name, why));
    out = p;
    return true;
}

void LineAndColumn(const QByteArray& text, int offset, int* line, int* column) {
    int l = 1, c = 1;
    for (int k = 0; k < offset && k < text.size(); ++k) {
        if (text[k] == '\n') {
            ++l;
            c = 1;
        } else if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) {
            ++c; // a character, not the continuation of one
        }
    }
    *line = l;
    *column = c;
}

} // namespace tarvello::records
