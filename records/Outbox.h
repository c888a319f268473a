// The local records file as the plant database's outbox: which records still wait to be sent to
// a plant, and the mark that one has arrived there. A record is marked sent only after the plant
// database has committed it, so a crash or a lost connection at any moment leads at worst to a
// resend, which the plant database ignores (the record's UUID is its key there).
//
// A plant is named by its connection string without any password ("host=... port=... dbname=...
// user=..."), so one records file can feed more than one plant database.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "records/Record.h"

namespace tarvello::records {

class Outbox {
  public:
    virtual ~Outbox() = default;
    // Up to limit records not yet marked sent to plant, oldest first. Empty with the reason in
    // error when the file cannot be read.
    virtual QList<RecordRow> Waiting(const QString& plant, int limit, QString* error) = 0;
    // How many records wait for plant; -1 with the reason in error when the file cannot be read.
    virtual int WaitingCount(const QString& plant, QString* error) = 0;
    // Marks the records sent to plant, all in one transaction. False with the reason otherwise
    // (nothing is marked then).
    virtual bool MarkSent(const QString& plant, const QStringList& ids, QString* error) = 0;
};

} // namespace tarvello::records
