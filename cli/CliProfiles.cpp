#include "cli/CliProfiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

#include "cli/CliPlant.h"
#include "records/DataFolder.h"
#include "records/ProfileStore.h"
#include "sensor/TextValidation.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

namespace tarvello::cli {

namespace {

using records::Profile;
using records::ProfileStore;

// The store of this user; a damaged file is told once on standard error.
ProfileStore LoadStore(QString* damage) {
    ProfileStore store(records::DataFolder());
    QString error;
    if (!store.Load(&error)) {
        if (damage)
            *damage = error;
        std::fprintf(stderr, "tarvello-cli: %s\n", error.toUtf8().constData());
    }
    return store;
}

QString SourceName(records::ProfileSource source) {
    switch (source) {
    case records::ProfileSource::kBuiltIn:
        return QStringLiteral("built-in");
    case records::ProfileSource::kPlant:
        return QStringLiteral("plant");
    case records::ProfileSource::kLocal:
        break;
    }
    return QStringLiteral("local");
}

// The standard for the adjustment when --standard was not given: the profile's, else the text
// the parameter file holds for the sensor.
bool TakeStandard(const Profile& profile, CliRequest& request, CIniFile& ini, CliReport& report) {
    const bool reflective = request.sensor == Sensor::Reflective;
    const std::optional<double> own =
        reflective ? profile.reflectiveStandard : profile.transmissiveStandard;
    const SensorKeys& keys = reflective ? kReflectiveKeys : kTransmissiveKeys;
    const std::string text = own ? QString::number(*own).toStdString()
                                 : ini.GetString(keys.szVoltageSection, keys.szBaseKey, "");
    const std::optional<float> standard = ValidateVoltageText(text);
    if (!standard || *standard <= 0.0f) {
        report.Fail(kExitUsage, T("The profile \"%1\" and the parameter file give no standard for "
                                  "the %2 sensor; give --standard VOLTS.")
                                    .arg(profile.name, SensorName(request.sensor)));
        return false;
    }
    request.standardText = text;
    request.standard = *standard;
    return true;
}

} // namespace

bool ApplyProfile(CliRequest& request, CIniFile& ini, CliReport& report) {
    const QString name = request.profileName.isEmpty()
                             ? QString::fromLatin1(records::kBuiltInProfileName)
                             : request.profileName;
    report.fields.insert("profile", name);
    QString error;
    const ProfileStore store = LoadStore(nullptr);
    const std::optional<Profile> profile = store.Find(name, &error);
    if (!profile) {
        report.Fail(kExitUsage, error);
        return false;
    }
    request.criteria = profile->criteria;
    if (request.command != Command::Adjust)
        return true;
    if (!request.maxPassesGiven && profile->maxPasses)
        request.maxPasses = *profile->maxPasses;
    return request.standardGiven || TakeStandard(*profile, request, ini, report);
}

std::optional<Profile> FindProfile(const QString& name, QString* error) {
    return LoadStore(nullptr).Find(
        name.isEmpty() ? QString::fromLatin1(records::kBuiltInProfileName) : name, error);
}

namespace {

void ListProfiles(const ProfileStore& store, CliReport& report) {
    QStringList shadowed;
    QJsonArray list;
    for (const Profile& p : store.All(&shadowed)) {
        list.append(QJsonObject{
            {"name", p.name}, {"version", p.version}, {"source", SourceName(p.source)}});
        report.lines
            << QStringLiteral("%1 (v%2, %3)").arg(p.name).arg(p.version).arg(SourceName(p.source));
    }
    for (const QString& name : shadowed)
        report.lines << T("The plant's profile \"%1\" replaces the local one.").arg(name);
    report.fields.insert("profiles", list);
    report.fields.insert("shadowed", QJsonArray::fromStringList(shadowed));
}

void ShowProfile(const ProfileStore& store, const QString& name, CliReport& report) {
    QString error;
    const std::optional<Profile> p = store.Find(name, &error);
    if (!p)
        return report.Fail(kExitUsage, error);
    const QJsonObject object = records::ProfileToJson(*p);
    report.fields.insert("profile", object);
    report.lines << QString::fromUtf8(QJsonDocument(object).toJson()).trimmed();
}

// export [NAME] FILE: one profile, or all local ones, written whole or not at all.
void ExportProfiles(const ProfileStore& store, const QStringList& args, CliReport& report) {
    const QString file = args.size() == 3 ? args[2] : args.value(1);
    const QStringList names = args.size() == 3 ? QStringList{args[1]} : QStringList{};
    QString error;
    const QByteArray text = store.Export(names, &error);
    QSaveFile out(file);
    if (text.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(text) != text.size() ||
        !out.commit())
        return report.Fail(kExitNotSaved,
                           error.isEmpty() ? T("Cannot write %1.").arg(file) : error);
    report.lines << T("Exported to %1.").arg(file);
    report.fields.insert("file", file);
}

void ImportProfiles(ProfileStore& store, const QString& file, bool replace, CliReport& report) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return report.Fail(kExitUsage, T("Cannot read %1.").arg(file));
    QStringList imported;
    QString error;
    if (!store.Import(in.readAll(), replace, &imported, &error))
        return report.Fail(kExitUsage, error);
    report.fields.insert("imported", QJsonArray::fromStringList(imported));
    report.lines << T("Imported: %1.").arg(imported.join(QStringLiteral(", ")));
}

} // namespace

void RunProfiles(const CliRequest& request, CliReport& report) {
    const QString sub = request.profileArgs.value(0);
    const QString arg = request.profileArgs.value(1);
    ProfileStore store = LoadStore(nullptr);
    report.fields.insert("action", sub);
    if (sub == QLatin1String("publish"))
        return PublishProfile(request, report);
    if (sub == QLatin1String("list"))
        return ListProfiles(store, report);
    if (sub == QLatin1String("show"))
        return ShowProfile(store, arg, report);
    if (sub == QLatin1String("export"))
        return ExportProfiles(store, request.profileArgs, report);
    if (sub == QLatin1String("import"))
        return ImportProfiles(store, arg, request.replace, report);
    QString error;
    if (!store.Remove(arg, &error))
        return report.Fail(kExitUsage, error);
    report.lines << T("Deleted \"%1\".").arg(arg);
}

} // namespace tarvello::cli
