#include "records/PlantRecords.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "records/RecordSql.h"
#include "records/RecordStore.h"

namespace tarvello::records {

namespace {

QString NextName() {
    static QAtomicInt counter;
    return QStringLiteral("tarvello-plant-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

PlantRecordSource::PlantRecordSource(PlantConnection connection)
    : m_connection(std::move(connection)), m_name(NextName()) {}

PlantRecordSource::~PlantRecordSource() {
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

bool PlantRecordSource::Ready(QString* error) {
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : AddPlantDatabase(m_connection, m_name);
    return db.isOpen() || OpenPlantDatabase(db, error);
}

// The server's refusal of a read (insufficient_privilege) is a role that may not read records.
QString PlantRecordSource::Why(const QSqlError& e) const {
    if (e.nativeErrorCode() == QLatin1String("42501"))
        return QCoreApplication::translate(
                   "PlantRecords", "用户 %1 的角色不能读取工厂数据库中的记录（工位角色只能写入）；"
                                   "请用质量角色的用户连接")
            .arg(m_connection.Value(QStringLiteral("user")));
    return e.text().trimmed();
}

int PlantRecordSource::Count(const RecordFilter& filter, QString* error) {
    if (!Ready(error))
        return -1;
    QVariantList values;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    // COUNT of a column the station role may not read (kind is never null): a role that cannot
    // read the records cannot count them either (COUNT(*) needs only the id it may see).
    q.prepare(QStringLiteral("SELECT COUNT(kind) FROM records") + sql::WhereOf(filter, values));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return Fail(error, Why(q.lastError())), -1;
    return q.value(0).toInt();
}

// Reads rows on the plant's connection; false (empty) with the reason in words.
bool PlantRecordSource::Read(const QString& text, const QVariantList& values, bool reversed,
                             QList<RecordRow>* rows, QString* error) {
    if (!Ready(error))
        return false;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    QString why;
    *rows = sql::Rows(q, text, values, reversed, &why);
    return why.isEmpty() || Fail(error, Why(q.lastError()));
}

QList<RecordRow> PlantRecordSource::Page(const RecordFilter& filter, PageFrom from,
                                         const RecordKey& key, int limit, QString* error) {
    QVariantList values;
    const QString text = sql::PageSql(filter, from, key, limit, values);
    QList<RecordRow> rows;
    Read(text, values, from == PageFrom::kOldest || from == PageFrom::kAfter, &rows, error);
    return rows;
}

QList<RecordRow> PlantRecordSource::PageAt(const RecordFilter& filter, int offset, int limit,
                                           QString* error) {
    QVariantList values;
    const QString text = sql::PageAtSql(filter, offset, limit, values);
    QList<RecordRow> rows;
    Read(text, values, false, &rows, error);
    return rows;
}

std::optional<RecordRow> PlantRecordSource::Get(const QString& id, QString* error) {
    QList<RecordRow> rows;
    const QString text = QStringLiteral("SELECT %1 FROM records WHERE id::text = ?")
                             .arg(QLatin1String(sql::kColumns));
    if (!Read(text, {id}, false, &rows, error))
        return std::nullopt;
    if (rows.isEmpty())
        return Fail(error,
                    QCoreApplication::translate("RecordStore", "没有编号为 %1 的记录").arg(id)),
               std::nullopt;
    return rows.first();
}

QList<OverdueRow> PlantRecordSource::Overdue(int days, const QDateTime& now, QString* error) {
    QList<OverdueRow> rows;
    if (!Ready(error))
        return rows;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral(
        "SELECT printer_id, MAX(CASE WHEN verdict = 'pass' THEN started END) AS last_pass"
        " FROM records WHERE printer_id <> '' GROUP BY printer_id"
        " HAVING MAX(CASE WHEN verdict = 'pass' THEN started END) IS NULL"
        " OR MAX(CASE WHEN verdict = 'pass' THEN started END) < ?::timestamptz"
        " ORDER BY last_pass NULLS FIRST, printer_id"));
    q.addBindValue(RecordStore::TimeText(now.addDays(-days)));
    if (!q.exec())
        return Fail(error, Why(q.lastError())), rows;
    while (q.next())
        rows.append({q.value(0).toString(), q.value(1).toDateTime().toUTC()});
    return rows;
}

} // namespace tarvello::records
