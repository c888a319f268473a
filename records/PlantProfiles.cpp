#include "records/PlantProfiles.h"

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

} // namespace tarvello::records
