#include "records/PlantProfiles.h"

#include "records/ProfileStore.h"

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace tarvello::records {

bool PublishPlantProfile(QSqlDatabase& db, const PlantProfile& profile, QString* error) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO profiles (name, version, doc) VALUES (?, ?, ?::jsonb) "
                             "ON CONFLICT (name, version) DO NOTHING"));
    q.addBindValue(profile.name);
    q.addBindValue(profile.version);
    q.addBindValue(QString::fromUtf8(QJsonDocument(profile.doc).toJson(QJsonDocument::Compact)));
    if (!q.exec()) {
        *error = QStringLiteral("the plant database refused to publish profile \"%1\": %2")
                     .arg(profile.name, q.lastError().text().trimmed());
        return false;
    }
    if (q.numRowsAffected() == 0) {
        *error = QStringLiteral("profile \"%1\" version %2 is already on the plant database: "
                                "raise its version to publish a change")
                     .arg(profile.name)
                     .arg(profile.version);
        return false;
    }
    return true;
}

QList<PlantProfile> FetchPlantProfiles(QSqlDatabase& db, QString* error) {
    QList<PlantProfile> out;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT DISTINCT ON (name) name, version, doc::text, who, "
                               "published_at FROM profiles ORDER BY name, version DESC"))) {
        *error = QStringLiteral("the plant database's profiles could not be read: %1")
                     .arg(q.lastError().text().trimmed());
        return out;
    }
    while (q.next()) {
        PlantProfile p;
        p.name = q.value(0).toString();
        p.version = q.value(1).toInt();
        p.doc = QJsonDocument::fromJson(q.value(2).toString().toUtf8()).object();
        p.who = q.value(3).toString();
        p.when = q.value(4).toDateTime().toUTC();
        out << p;
    }
    return out;
}

bool FetchPlantProfilesInto(QSqlDatabase& db, const QString& folder, QString* error, int* count) {
    QString fetchError;
    const QList<PlantProfile> fetched = FetchPlantProfiles(db, &fetchError);
    if (!fetchError.isEmpty()) {
        *error = fetchError;
        return false;
    }
    QList<Profile> plant;
    QStringList refused;
    for (const PlantProfile& p : fetched) {
        Profile profile;
        QString why;
        if (ProfileFromJson(p.doc, profile, &why) && profile.name == p.name) {
            profile.version = p.version;
            profile.source = ProfileSource::kPlant;
            plant << profile;
        } else {
            refused << QStringLiteral("\"%1\" (%2)")
                           .arg(p.name, why.isEmpty() ? QStringLiteral("its name differs") : why);
        }
    }
    ProfileStore store(folder);
    QString loadError;
    store.Load(&loadError); // a damaged local file does not keep the plant's copy from being kept
    if (!store.PutPlant(plant, error))
        return false;
    if (count)
        *count = static_cast<int>(plant.size());
    if (!refused.isEmpty()) {
        *error = QStringLiteral("the plant database holds profiles that are no profiles: %1")
                     .arg(refused.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

} // namespace tarvello::records
