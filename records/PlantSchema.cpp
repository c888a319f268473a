#include "records/PlantSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace tarvello::records {

namespace {

// Group roles are cluster-wide and CREATE ROLE has no IF NOT EXISTS: create each one only
// where it is missing.
QString CreateRole(const char* name) {
    return QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = "
                          "'%1') THEN CREATE ROLE %1 NOLOGIN; END IF; END $$")
        .arg(QString::fromLatin1(name));
}

// Version 1: the records, the profiles and the three roles.
QStringList Version1() {
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS records ("
                       " id uuid PRIMARY KEY, kind text NOT NULL, printer_id text NOT NULL,"
                       " operator text NOT NULL, station text NOT NULL, profile text NOT NULL,"
                       " profile_version integer NOT NULL, verdict text NOT NULL,"
                       " started timestamptz, finished timestamptz, doc jsonb NOT NULL,"
                       " trace bytea, received_at timestamptz NOT NULL DEFAULT now())"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS records_printer ON records (printer_id, "
                       "finished)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS records_finished ON records (finished)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS profiles ("
                       " name text NOT NULL, version integer NOT NULL, doc jsonb NOT NULL,"
                       " who text NOT NULL DEFAULT current_user,"
                       " published_at timestamptz NOT NULL DEFAULT now(),"
                       " PRIMARY KEY (name, version))"),
        CreateRole("tarvello_station"),
        CreateRole("tarvello_quality"),
        CreateRole("tarvello_admin"),
        QStringLiteral("REVOKE ALL ON records, profiles FROM PUBLIC"),
        // A station adds records and sees only their keys (ON CONFLICT (id) needs them): it
        // can neither change nor delete a record, nor read another station's.
        QStringLiteral("GRANT INSERT ON records TO tarvello_station"),
        QStringLiteral("GRANT SELECT (id) ON records TO tarvello_station"),
        QStringLiteral("GRANT SELECT ON profiles TO tarvello_station"),
        QStringLiteral("GRANT SELECT ON records, profiles TO tarvello_quality"),
        QStringLiteral("GRANT SELECT, INSERT ON profiles TO tarvello_admin"),
        QStringLiteral("GRANT SELECT ON plant_schema_version TO tarvello_station, "
                       "tarvello_quality, tarvello_admin"),
    };
}

bool Exec(QSqlQuery& q, const QString& sql, QString* error) {
    if (q.exec(sql))
        return true;
    *error = QStringLiteral("setting up the plant database failed: %1")
                 .arg(q.lastError().text().trimmed());
    return false;
}

bool Upgrade(QSqlQuery& q, QString* error) {
    // Two stations setting up at once wait for each other instead of failing.
    if (!Exec(q, QStringLiteral("SELECT pg_advisory_xact_lock(7270027)"), error) ||
        !Exec(q,
              QStringLiteral("CREATE TABLE IF NOT EXISTS plant_schema_version ("
                             " one boolean PRIMARY KEY DEFAULT true CHECK (one),"
                             " version integer NOT NULL)"),
              error) ||
        !Exec(q, QStringLiteral("SELECT version FROM plant_schema_version"), error))
        return false;
    const int found = q.next() ? q.value(0).toInt() : 0;
    if (found > kPlantSchemaVersion) {
        *error = QStringLiteral("the plant database's schema is version %1, newer than this "
                                "program's (%2): update the program; nothing was changed")
                     .arg(found)
                     .arg(kPlantSchemaVersion);
        return false;
    }
    if (found < 1) {
        for (const QString& sql : Version1())
            if (!Exec(q, sql, error))
                return false;
    }
    return Exec(q,
                QStringLiteral("INSERT INTO plant_schema_version (version) VALUES (%1) "
                               "ON CONFLICT (one) DO UPDATE SET version = EXCLUDED.version")
                    .arg(kPlantSchemaVersion),
                error);
}

} // namespace

bool InitPlantSchema(QSqlDatabase& db, QString* error) {
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    if (!Upgrade(q, error)) {
        q.finish();
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = QStringLiteral("setting up the plant database failed at commit: %1")
                     .arg(db.lastError().text());
        return false;
    }
    return true;
}

} // namespace tarvello::records
