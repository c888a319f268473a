// The plant database's schema and roles: created or upgraded in one transaction, idempotent,
// versioned by a one-row table (plant_schema_version). docs/plant-roles.sql shows how the three
// roles are given to logins.
#pragma once

#include <QString>

class QSqlDatabase;

namespace tarvello::records {

constexpr int kPlantSchemaVersion = 1;

// Creates or upgrades the schema on db (an open connection of a role that may create tables and
// roles). Refuses a server whose schema is newer than this program's. False with the reason.
bool InitPlantSchema(QSqlDatabase& db, QString* error);

} // namespace tarvello::records
