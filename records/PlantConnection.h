// The plant database's connection string (libpq's "key=value" form or a postgresql:// URI),
// parsed and checked before any connection is made. A string that holds a password is refused:
// it would show in the process list and in settings; the password comes from libpq's own ways
// (~/.pgpass or PGPASSFILE, a service file, a client certificate).
#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QSqlDatabase;

namespace tarvello::records {

struct PlantConnection {
    QList<QPair<QString, QString>> params; // in the order given, keys in libpq's spelling
    QString Value(const QString& key) const;
    // The plant's name: host, port, dbname and user as "host=... port=... dbname=... user=..."
    // (only those given); never a secret. The outbox marks records sent under this name.
    QString PlantName() const;
};

// Parses conninfo. False with the reason in error for a malformed string or one that holds a
// password. Adds connect_timeout=5 and TCP keepalives where none are given (libpq would
// otherwise wait for ever).
bool ParsePlantConnection(const QString& conninfo, PlantConnection* out, QString* error);

// The statement time limit every session of the plant database gets, in milliseconds.
constexpr int kPlantStatementTimeoutMs = 30000;

// Adds a QPSQL connection named name for c (host, port, dbname and user through the setters,
// the rest as connect options). The connection belongs to the calling thread.
QSqlDatabase AddPlantDatabase(const PlantConnection& c, const QString& name);

// Opens db and sets the statement time limit. False with the reason (the server's, naming the
// user where the server refused it) in error.
bool OpenPlantDatabase(QSqlDatabase& db, QString* error);

} // namespace tarvello::records
