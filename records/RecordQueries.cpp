// The records store's queries: filters and pages by key, one record, the printers overdue,
// pruning, the outbox, and a record as JSON.
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

#include "records/RecordSql.h"
#include "records/RecordStore.h"

namespace tarvello::records {

namespace sql {

const char kColumns[] = "id, kind, printer_id, operator, station, profile, profile_version,"
                        " verdict, started, finished, doc, trace";

static QDateTime TimeOf(const QVariant& v) {
    QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    return t.toUTC();
}

RecordRow RowOf(const QSqlQuery& q) {
    RecordRow r;
    r.id = q.value(0).toString();
    r.kind = q.value(1).toString();
    r.printerId = q.value(2).toString();
    r.operatorName = q.value(3).toString();
    r.station = q.value(4).toString();
    r.profile = q.value(5).toString();
    r.profileVersion = q.value(6).toInt();
    r.verdict = q.value(7).toString();
    r.started = TimeOf(q.value(8));
    r.finished = TimeOf(q.value(9));
    r.doc = QJsonDocument::fromJson(q.value(10).toString().toUtf8()).object();
    r.trace = q.value(11).toByteArray();
    return r;
}

// " WHERE ..." for the filter (with a leading " AND ..." place for more), its values bound in
// order by Bind.
QString WhereOf(const RecordFilter& f, QVariantList& values) {
    QStringList terms;
    const auto add = [&](bool use, const char* term, const QVariant& value) {
        if (use) {
            terms << QLatin1String(term);
            values << value;
        }
    };
    add(!f.printerId.isEmpty(), "printer_id = ?", f.printerId);
    add(f.from.isValid(), "started >= ?", RecordStore::TimeText(f.from));
    add(f.to.isValid(), "started <= ?", RecordStore::TimeText(f.to));
    add(!f.verdict.isEmpty(), "verdict = ?", f.verdict);
    add(!f.operatorName.isEmpty(), "operator = ?", f.operatorName);
    add(!f.profile.isEmpty(), "profile = ?", f.profile);
    add(!f.kind.isEmpty(), "kind = ?", f.kind);
    terms << QStringLiteral("1 = 1");
    return QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

bool Run(QSqlQuery& q, const QVariantList& values, QString* error) {
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Fail(error, q.lastError().text());
    return true;
}

QString PageSql(const RecordFilter& filter, PageFrom from, const RecordKey& key, int limit,
                QVariantList& values) {
    QString text = QStringLiteral("SELECT %1 FROM records").arg(QLatin1String(kColumns)) +
                   WhereOf(filter, values);
    // The key as a row value, which SQLite reads as a range of the (started, id) index; the same
    // condition spelled with OR made it walk the index from its end at every page.
    if (from == PageFrom::kBefore) { // older than key
        text += QStringLiteral(" AND (started, id) < (?, ?)");
        values << key.started << key.id;
    } else if (from == PageFrom::kAfter) { // newer than key
        text += QStringLiteral(" AND (started, id) > (?, ?)");
        values << key.started << key.id;
    }
    // Newest first on screen; the older end is read ascending and turned round (by the caller).
    const bool ascending = from == PageFrom::kOldest || from == PageFrom::kAfter;
    text += ascending ? QStringLiteral(" ORDER BY started ASC, id ASC LIMIT ?")
                      : QStringLiteral(" ORDER BY started DESC, id DESC LIMIT ?");
    values << limit;
    return text;
}

QString PageAtSql(const RecordFilter& filter, int offset, int limit, QVariantList& values) {
    const QString text = QStringLiteral("SELECT %1 FROM records").arg(QLatin1String(kColumns)) +
                         WhereOf(filter, values) +
                         QStringLiteral(" ORDER BY started DESC, id DESC LIMIT ? OFFSET ?");
    values << limit << offset;
    return text;
}

QList<RecordRow> Rows(QSqlQuery& q, const QString& text, const QVariantList& values, bool reversed,
                      QString* error) {
    QList<RecordRow> rows;
    q.setForwardOnly(true);
    q.prepare(text);
    if (!Run(q, values, error))
        return rows;
    while (q.next())
        rows << RowOf(q);
    if (reversed)
        std::reverse(rows.begin(), rows.end());
    return rows;
}

} // namespace sql

using namespace sql;

int RecordStore::Count(const RecordFilter& filter, QString* error) {
    if (!m_open && !Open(error))
        return -1;
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM records") + WhereOf(filter, values));
    if (!Run(q, values, error) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QList<RecordRow> RecordStore::Page(const RecordFilter& filter, PageFrom from, const RecordKey& key,
                                   int limit, QString* error) {
    if (!m_open && !Open(error))
        return {};
    QVariantList values;
    const QString text = PageSql(filter, from, key, limit, values);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return Rows(q, text, values, from == PageFrom::kOldest || from == PageFrom::kAfter, error);
}

QList<RecordRow> RecordStore::PageAt(const RecordFilter& filter, int offset, int limit,
                                     QString* error) {
    if (!m_open && !Open(error))
        return {};
    QVariantList values;
    const QString text = PageAtSql(filter, offset, limit, values);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return Rows(q, text, values, false, error);
}

std::optional<RecordRow> RecordStore::Get(const QString& id, QString* error) {
    if (!m_open && !Open(error))
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM records WHERE id = ?").arg(QLatin1String(kColumns)));
    if (!Run(q, {id}, error))
        return std::nullopt;
    if (!q.next()) {
        Fail(error, QCoreApplication::translate("RecordStore", "没有编号为 %1 的记录").arg(id));
        return std::nullopt;
    }
    return RowOf(q);
}

QList<OverdueRow> RecordStore::Overdue(int days, const QDateTime& now, QString* error) {
    QList<OverdueRow> rows;
    if (!m_open && !Open(error))
        return rows;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "SELECT printer_id, MAX(CASE WHEN verdict = 'pass' THEN started END) AS last_pass"
        " FROM records WHERE printer_id <> '' GROUP BY printer_id"
        " HAVING last_pass IS NULL OR last_pass < ? ORDER BY last_pass, printer_id"));
    if (!Run(q, {TimeText(now.addDays(-days))}, error))
        return rows;
    while (q.next())
        rows << OverdueRow{q.value(0).toString(),
                           q.value(1).isNull() ? QDateTime() : TimeOf(q.value(1))};
    return rows;
}

int RecordStore::PruneSent(int days, const QDateTime& now, QString* error) {
    if (!m_open && !Open(error))
        return -1;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return Fail(error, q.lastError().text()), -1;
    // The records to remove, kept aside first: their sent marks go with them.
    q.prepare(QStringLiteral("CREATE TEMP TABLE pruning AS SELECT id FROM records"
                             " WHERE finished < ? AND id IN (SELECT id FROM sent)"));
    bool ok = Run(q, {TimeText(now.addDays(-days))}, error);
    int removed = 0;
    for (const char* table : {"sent", "corrections", "records"}) {
        ok = ok && q.exec(QStringLiteral("DELETE FROM %1 WHERE id IN (SELECT id FROM pruning)")
                              .arg(QLatin1String(table)));
        if (ok && QLatin1String(table) == QLatin1String("records"))
            removed = q.numRowsAffected();
    }
    ok = ok && q.exec(QStringLiteral("DROP TABLE pruning"));
    if (!ok) {
        Fail(error, q.lastError().text());
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        QSqlQuery(db).exec(QStringLiteral("DROP TABLE IF EXISTS pruning"));
        return -1;
    }
    return QSqlQuery(db).exec(QStringLiteral("COMMIT")) ? removed : -1;
}

QList<RecordRow> RecordStore::Waiting(const QString& plant, int limit, QString* error) {
    QList<RecordRow> rows;
    if (!m_open && !Open(error))
        return rows;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM records WHERE id NOT IN"
                             " (SELECT id FROM sent WHERE plant = ?)"
                             " ORDER BY started ASC, id ASC LIMIT ?")
                  .arg(QLatin1String(kColumns)));
    if (!Run(q, {plant, limit}, error))
        return rows;
    while (q.next())
        rows << RowOf(q);
    return rows;
}

int RecordStore::WaitingCount(const QString& plant, QString* error) {
    if (!m_open && !Open(error))
        return -1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM records WHERE id NOT IN"
                             " (SELECT id FROM sent WHERE plant = ?)"));
    if (!Run(q, {plant}, error) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool RecordStore::MarkSent(const QString& plant, const QStringList& ids, QString* error) {
    if (!m_open && !Open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return Fail(error, q.lastError().text());
    const QString now = TimeText(QDateTime::currentDateTimeUtc());
    bool ok = true;
    for (const QString& id : ids) {
        q.prepare(QStringLiteral("INSERT OR IGNORE INTO sent(id, plant, sent_at) VALUES(?, ?, ?)"));
        ok = ok && Run(q, {id, plant, now}, error);
    }
    if (ok && QSqlQuery(db).exec(QStringLiteral("COMMIT")))
        return true;
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return false;
}

QJsonObject RecordToJson(const RecordRow& r) {
    return QJsonObject{{"id", r.id},
                       {"kind", r.kind},
                       {"printer_id", r.printerId},
                       {"operator", r.operatorName},
                       {"station", r.station},
                       {"profile", r.profile},
                       {"profile_version", r.profileVersion},
                       {"verdict", r.verdict.isEmpty() ? QJsonValue() : QJsonValue(r.verdict)},
                       {"started", r.started.toUTC().toString(Qt::ISODateWithMs)},
                       {"finished", r.finished.toUTC().toString(Qt::ISODateWithMs)},
                       {"doc", r.doc},
                       {"trace", QString::fromLatin1(r.trace.toBase64())}};
}

bool RecordFromJson(const QJsonObject& o, RecordRow& r) {
    r.id = o.value(QLatin1String("id")).toString();
    if (r.id.isEmpty())
        return false;
    r.kind = o.value(QLatin1String("kind")).toString();
    r.printerId = o.value(QLatin1String("printer_id")).toString();
    r.operatorName = o.value(QLatin1String("operator")).toString();
    r.station = o.value(QLatin1String("station")).toString();
    r.profile = o.value(QLatin1String("profile")).toString();
    r.profileVersion = o.value(QLatin1String("profile_version")).toInt();
    r.verdict = o.value(QLatin1String("verdict")).toString();
    r.started =
        QDateTime::fromString(o.value(QLatin1String("started")).toString(), Qt::ISODateWithMs);
    r.finished =
        QDateTime::fromString(o.value(QLatin1String("finished")).toString(), Qt::ISODateWithMs);
    r.doc = o.value(QLatin1String("doc")).toObject();
    r.trace = QByteArray::fromBase64(o.value(QLatin1String("trace")).toString().toLatin1());
    return true;
}

} // namespace tarvello::records
