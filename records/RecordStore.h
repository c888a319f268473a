// The station's calibration records: one SQLite file (records.sqlite in the shared data folder
// unless another is given) that the window and several tarvello-cli processes may use at once.
//
// - WAL mode and a busy timeout: concurrent writers wait for each other instead of failing; each
//   record is one short BEGIN IMMEDIATE transaction with bound parameters. A record's row never
//   changes (a trigger refuses an UPDATE); what happens later (sent to a plant, corrected by a
//   later record) lives in tables of its own.
// - The schema's version is PRAGMA user_version. A newer file is refused, never altered; an
//   older one is migrated in one transaction after a copy of it has been kept beside it.
// - Faults never lose a record: when the file cannot be opened, is read-only, full, locked beyond
//   the timeout or damaged (PRAGMA quick_check at open), the record goes as one JSON line to the
//   side file "<file>.pending.jsonl" beside it (flushed to the disk), and is stored from there the
//   next time the file can be written, idempotently (the UUID is the key). When even that fails
//   the caller is told, and keeps the record in memory or prints it.
// - A damaged file is never overwritten: MoveAside renames it (with its -wal and -shm) with a
//   time stamp and a new file starts.
//
// One store object belongs to the thread that made it (Qt SQL connections do).
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class QSqlQuery;

#include "records/Outbox.h"
#include "records/Record.h"
#include "records/RecordSource.h"

namespace tarvello::records {

constexpr int kRecordSchemaVersion = 1;

// What Store did with a record.
struct StoreOutcome {
    bool stored = false;   // in the database
    bool sideFile = false; // not stored, but kept in the side file
    QString reason;        // why it was not stored (empty when it was)
};

class RecordStore : public Outbox, public RecordSource {
  public:
    // busyMs: how long a writer waits for another before it counts as locked.
    explicit RecordStore(QString path, int busyMs = 5000);
    ~RecordStore() override;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens (creating, migrating) the file and stores what the side file holds. False with the
    // reason (newer schema, damaged, cannot open); the store then keeps records in the side file.
    bool Open(QString* error);
    bool IsOpen() const { return m_open; }
    bool Damaged() const override { return m_damaged; }
    QString Path() const { return m_path; }
    QString SideFilePath() const;

    StoreOutcome Store(const RecordRow& row);

    // Queries (false / empty with error on a failure).
    int Count(const RecordFilter& filter, QString* error) override;
    QList<RecordRow> Page(const RecordFilter& filter, PageFrom from, const RecordKey& key,
                          int limit, QString* error) override;
    QList<RecordRow> PageAt(const RecordFilter& filter, int offset, int limit,
                            QString* error) override;
    std::optional<RecordRow> Get(const QString& id, QString* error) override;
    QList<OverdueRow> Overdue(int days, const QDateTime& now, QString* error) override;
    bool Writable() const override { return true; }
    // Removes the records sent to some plant whose end is older than days; how many, or -1.
    int PruneSent(int days, const QDateTime& now, QString* error);

    // Outbox.
    QList<RecordRow> Waiting(const QString& plant, int limit, QString* error) override;
    int WaitingCount(const QString& plant, QString* error) override;
    bool MarkSent(const QString& plant, const QStringList& ids, QString* error) override;

    // Renames a damaged file (and its -wal, -shm) to "<file>.damaged-<time>" and starts anew.
    // The new name in movedTo.
    bool MoveAside(QString* movedTo, QString* error);

    // The key of a row for paging.
    static RecordKey KeyOf(const RecordRow& row);
    // Times as stored: ISO 8601 UTC with milliseconds, which sorts as text.
    static QString TimeText(const QDateTime& time);

  private:
    bool Migrate(int from, QString* error);
    bool UseWal(QSqlQuery& q) const;
    bool Insert(const RecordRow& row, bool ignoreExisting, QString* error);
    bool DrainSideFile(QString* error);
    bool AppendSide(const RecordRow& row, QString* error);
    void Close();

    QString m_path;
    int m_busyMs = 5000;
    QString m_connection;
    bool m_open = false;
    bool m_damaged = false;
};

// A record as one JSON object (the side file's line, `records show --json`); the trace base64.
QJsonObject RecordToJson(const RecordRow& row);
bool RecordFromJson(const QJsonObject& object, RecordRow& row);

} // namespace tarvello::records
