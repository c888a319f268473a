#include "records/RecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include "records/RecordSql.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvello::records {

namespace {

// The schema of each version, applied in one transaction on top of the one before.
const char* const kSchemaV1[] = {
    "CREATE TABLE records(id TEXT PRIMARY KEY, kind TEXT NOT NULL, printer_id TEXT NOT NULL,"
    " operator TEXT NOT NULL, station TEXT NOT NULL, profile TEXT NOT NULL,"
    " profile_version INTEGER NOT NULL, verdict TEXT NOT NULL, started TEXT NOT NULL,"
    " finished TEXT NOT NULL, doc TEXT NOT NULL, trace BLOB)",
    "CREATE INDEX records_started ON records(started, id)",
    "CREATE INDEX records_printer ON records(printer_id, started, id)",
    "CREATE INDEX records_verdict ON records(verdict, started, id)",
    "CREATE TABLE sent(id TEXT NOT NULL, plant TEXT NOT NULL, sent_at TEXT NOT NULL,"
    " PRIMARY KEY(id, plant))",
    "CREATE TABLE corrections(id TEXT PRIMARY KEY, corrected_by TEXT NOT NULL, at TEXT NOT NULL)",
    "CREATE TRIGGER records_never_change BEFORE UPDATE ON records"
    " BEGIN SELECT RAISE(ABORT, 'a record never changes'); END",
};

bool Flush(QFile& file) {
    if (!file.flush())
        return false;
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

RecordStore::RecordStore(QString path, int busyMs)
    : m_path(std::move(path)), m_busyMs(busyMs),
      m_connection(QStringLiteral("records-") +
                   QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

RecordStore::~RecordStore() {
    Close();
}

void RecordStore::Close() {
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_open = false;
}

QString RecordStore::SideFilePath() const {
    return m_path + QStringLiteral(".pending.jsonl");
}

QString RecordStore::TimeText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

RecordKey RecordStore::KeyOf(const RecordRow& row) {
    return RecordKey{TimeText(row.started), row.id};
}

// WAL mode, which the file keeps once set. Setting it needs the file to itself, and SQLite
// answers "locked" at once instead of waiting when another process has it open (several
// writers opening a new file together): it is tried again for the busy time.
bool RecordStore::UseWal(QSqlQuery& q) const {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next() &&
            q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
            return true;
        if (waited.elapsed() >= m_busyMs)
            return false;
        q.finish();
        QThread::msleep(10);
    }
}

bool RecordStore::Open(QString* error) {
    Close();
    m_damaged = false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyMs));
    const bool existed = QFileInfo(m_path).size() > 0;
    if (!db.open())
        return Fail(error, Text::CannotOpen(m_path, db.lastError().text()));
    QSqlQuery q(db);
    int version = -1;
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next() ||
        q.value(0).toString() != QLatin1String("ok")) {
        m_damaged = true;
        Close();
        return Fail(error, Text::Damaged(m_path));
    }
    q.finish();
    if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
        version = q.value(0).toInt();
    q.finish();
    if (version > kRecordSchemaVersion) {
        Close();
        return Fail(error, Text::Newer(m_path, version, kRecordSchemaVersion));
    }
    if (!UseWal(q)) {
        const QString why = q.lastError().text();
        Close();
        return Fail(error, Text::CannotOpen(m_path, why));
    }
    q.finish();
    if (version < kRecordSchemaVersion && !Migrate(existed ? version : -1, error)) {
        Close();
        return false;
    }
    m_open = true;
    QString drainError;
    DrainSideFile(&drainError); // what stays there is stored at the next chance
    return true;
}

// Brings a file of version `from` (-1: a new file) to the current one in one transaction, after
// a copy of an older file has been kept.
bool RecordStore::Migrate(int from, QString* error) {
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    // A file without tables is one another writer has only just begun (its WAL mode set, its
    // schema not yet committed): there is nothing to keep a copy of.
    QSqlQuery tables(db);
    if (from >= 0 && tables.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) &&
        tables.next() && tables.value(0).toInt() == 0)
        from = -1;
    tables.finish();
    if (from >= 0) {
        const QString copy = m_path + QStringLiteral(".v%1.bak").arg(from);
        QSqlQuery checkpoint(db);
        checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        checkpoint.finish();
        QFile::remove(copy);
        if (!QFile::copy(m_path, copy))
            return Fail(error, Text::CannotKeepCopy(m_path, copy));
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return Fail(error, Text::CannotOpen(m_path, q.lastError().text()));
    // Another process may have brought the file up to date between the version read at the
    // open and this write lock (several writers opening a new file at once): then nothing is
    // left to do.
    if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next() &&
        q.value(0).toInt() >= kRecordSchemaVersion) {
        q.finish();
        return q.exec(QStringLiteral("COMMIT")) ||
               Fail(error, Text::CannotOpen(m_path, q.lastError().text()));
    }
    q.finish();
    bool ok = true;
    if (from < 1)
        for (const char* statement : kSchemaV1)
            ok = ok && q.exec(QString::fromLatin1(statement));
    ok = ok && q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kRecordSchemaVersion));
    const QString why = q.lastError().text();
    if (!ok || !q.exec(QStringLiteral("COMMIT"))) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return Fail(error, Text::CannotOpen(m_path, why));
    }
    return true;
}

bool RecordStore::Insert(const RecordRow& row, bool ignoreExisting, QString* error) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT %1 INTO records(id, kind, printer_id, operator, station,"
                             " profile, profile_version, verdict, started, finished, doc, trace)"
                             " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                  .arg(ignoreExisting ? QStringLiteral("OR IGNORE") : QString()));
    // An empty text is stored as one, never as NULL.
    const auto text = [](const QString& s) {
        return QVariant(s.isNull() ? QStringLiteral("") : s);
    };
    for (const QVariant& v :
         {text(row.id), text(row.kind), text(row.printerId), text(row.operatorName),
          text(row.station), text(row.profile), QVariant(row.profileVersion), text(row.verdict),
          QVariant(TimeText(row.started)), QVariant(TimeText(row.finished)),
          QVariant(QString::fromUtf8(QJsonDocument(row.doc).toJson(QJsonDocument::Compact))),
          QVariant(row.trace)})
        q.addBindValue(v);
    if (!q.exec())
        return Fail(error, q.lastError().text());
    return true;
}

StoreOutcome RecordStore::Store(const RecordRow& row) {
    StoreOutcome out;
    if (!m_open)
        Open(&out.reason);
    if (m_open) {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QSqlQuery begin(db);
        QString why;
        if (begin.exec(QStringLiteral("BEGIN IMMEDIATE")) && Insert(row, false, &why) &&
            QSqlQuery(db).exec(QStringLiteral("COMMIT"))) {
            out.stored = true;
            DrainSideFile(nullptr);
            return out;
        }
        if (why.isEmpty())
            why = begin.lastError().text();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        out.reason = Text::NotStored(m_path, why);
    }
    QString sideError;
    out.sideFile = AppendSide(row, &sideError);
    if (!out.sideFile)
        out.reason += QLatin1Char(' ') + sideError;
    return out;
}

bool RecordStore::AppendSide(const RecordRow& row, QString* error) {
    QFile side(SideFilePath());
    const QByteArray line = QJsonDocument(RecordToJson(row)).toJson(QJsonDocument::Compact) + '\n';
    if (!side.open(QIODevice::WriteOnly | QIODevice::Append) || side.write(line) != line.size() ||
        !Flush(side))
        return Fail(error, Text::SideFailed(SideFilePath(), side.errorString()));
    return true;
}

// Stores what the side file holds, in one transaction, then removes it. The file is first
// renamed, so a record appended meanwhile goes to a new side file and is never lost; what
// cannot be stored is appended back.
bool RecordStore::DrainSideFile(QString* error) {
    if (!m_open || !QFile::exists(SideFilePath()))
        return true;
    const QString taken = SideFilePath() + QStringLiteral(".draining-") +
                          QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!QFile::rename(SideFilePath(), taken))
        return Fail(error, Text::SideFailed(SideFilePath(), QString()));
    QFile file(taken);
    QList<RecordRow> rows;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            RecordRow row;
            const QByteArray line = file.readLine().trimmed();
            if (!line.isEmpty() && RecordFromJson(QJsonDocument::fromJson(line).object(), row))
                rows << row;
        }
        file.close();
    }
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    bool ok = QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    for (const RecordRow& row : rows)
        ok = ok && Insert(row, true, error);
    ok = ok && QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    if (!ok) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        for (const RecordRow& row : rows)
            AppendSide(row, nullptr);
    }
    QFile::remove(taken);
    return ok;
}

bool RecordStore::MoveAside(QString* movedTo, QString* error) {
    Close();
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString target = m_path + QStringLiteral(".damaged-") + stamp;
    if (QFile::exists(m_path) && !QFile::rename(m_path, target))
        return Fail(error, Text::CannotMove(m_path, target));
    for (const char* suffix : {"-wal", "-shm"})
        if (QFile::exists(m_path + QLatin1String(suffix)))
            QFile::rename(m_path + QLatin1String(suffix), target + QLatin1String(suffix));
    if (movedTo)
        *movedTo = target;
    return Open(error);
}

} // namespace tarvello::records
