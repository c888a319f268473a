// Where a history of records is read from: the station's own file (RecordStore) or, read-only,
// the plant database (PlantRecordSource). One source belongs to the thread that made it.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

#include "records/Record.h"

namespace tarvello::records {

// The searched columns' filter; empty fields match everything.
struct RecordFilter {
    QString printerId;
    QDateTime from, to; // started, inclusive, UTC
    QString verdict;
    QString operatorName;
    QString profile;
    QString kind;
};

// A place in the list, newest first: (started, id) of a row.
struct RecordKey {
    QString started; // as stored (ISO 8601 UTC, milliseconds)
    QString id;
};

enum class PageFrom { kNewest, kOldest, kAfter, kBefore };

struct OverdueRow {
    QString printerId;
    QDateTime lastPass; // invalid: never passed
};

class RecordSource {
  public:
    virtual ~RecordSource() = default;
    // Queries (-1 / empty with error on a failure).
    virtual int Count(const RecordFilter& filter, QString* error) = 0;
    virtual QList<RecordRow> Page(const RecordFilter& filter, PageFrom from, const RecordKey& key,
                                  int limit, QString* error) = 0;
    // The rows from place offset on (newest first), for a jump into the middle of a long list;
    // the keyed Page is the way to scroll from a row already read.
    virtual QList<RecordRow> PageAt(const RecordFilter& filter, int offset, int limit,
                                    QString* error) = 0;
    virtual std::optional<RecordRow> Get(const QString& id, QString* error) = 0;
    virtual QList<OverdueRow> Overdue(int days, const QDateTime& now, QString* error) = 0;
    // Records may be written through it (the station's file; the plant's copy is read-only).
    virtual bool Writable() const = 0;
    // The source failed its integrity check (the station's file; kept as it is).
    virtual bool Damaged() const { return false; }
};

} // namespace tarvello::records
