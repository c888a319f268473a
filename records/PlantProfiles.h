// Media profiles on the plant database: published by the admin role, fetched by every station.
// A profile's document is the JSON the profile store writes, kept here as it stands.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

class QSqlDatabase;

namespace tarvello::records {

struct PlantProfile {
    QString name;
    int version = 0;
    QJsonObject doc;
    QString who;    // the server's login that published it
    QDateTime when; // UTC, the server's time of publishing
};

// Publishes profile (name, version, doc; who and when are the server's) on db. A version
// already there is refused with a message naming it. False with the reason.
bool PublishPlantProfile(QSqlDatabase& db, const PlantProfile& profile, QString* error);

// The newest version of every profile on db. Empty with the reason in error on failure.
QList<PlantProfile> FetchPlantProfiles(QSqlDatabase& db, QString* error);

// Fetches the plant's profiles from db and keeps them as folder's plant-profiles.json (the copy
// that holds while the plant database cannot be reached). A profile document that is no profile
// is left out and named in error, the others are kept. False with the reason.
bool FetchPlantProfilesInto(QSqlDatabase& db, const QString& folder, QString* error,
                            int* count = nullptr);

} // namespace tarvello::records
