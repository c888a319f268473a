// The plant database's records read back for the history view, against the real server the
// CTest fixture starts: pages in the station file's order with a quality role, and a station
// role told in words that it may not read records.
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "records/PlantRecords.h"
#include "records/PlantSchema.h"
#include "records/RecordStore.h"

using namespace tarvello::records;

namespace {

PlantConnection As(const QString& user) {
    PlantConnection c;
    QString error;
    ParsePlantConnection(
        QStringLiteral("host=%1 user=%2 dbname=postgres").arg(TARVELLO_PLANT_DIR, user), &c,
        &error);
    return c;
}

void Insert(QSqlDatabase& db, const char* id, const QString& printer, int minute) {
    QSqlQuery q(db);
    q.prepare("INSERT INTO records (id, kind, printer_id, operator, station, profile,"
              " profile_version, verdict, started, finished, doc) VALUES (?::uuid, 'calibrate',"
              " ?, 'op', 'st', 'Standard', 1, 'pass', ?::timestamptz, ?::timestamptz, ?::jsonb)");
    const QString at = QStringLiteral("2026-03-01T08:%1:00.000Z").arg(minute, 2, 10, QChar('0'));
    for (const QVariant& v : {QVariant(id), QVariant(printer), QVariant(at), QVariant(at),
                              QVariant(QStringLiteral("{\"minute\": %1}").arg(minute))})
        q.addBindValue(v);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

} // namespace

TEST(PlantHistory, AQualityRoleReadsPagesAStationRoleIsToldWhy) {
    QFile absent(QStringLiteral(TARVELLO_PLANT_DIR) + "/not-installed");
    if (absent.open(QIODevice::ReadOnly))
        GTEST_SKIP() << absent.readAll().trimmed().toStdString();
    {
        QSqlDatabase admin = AddPlantDatabase(As("postgres"), "history-admin");
        QString error;
        ASSERT_TRUE(OpenPlantDatabase(admin, &error)) << error.toStdString();
        ASSERT_TRUE(InitPlantSchema(admin, &error)) << error.toStdString();
        QSqlQuery(admin).exec("DELETE FROM records WHERE printer_id LIKE 'HIST-%'");
        for (const char* role : {"DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname"
                                 " = 'q1') THEN CREATE ROLE q1 LOGIN IN ROLE tarvello_quality;"
                                 " END IF; END $$",
                                 "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname"
                                 " = 'st9') THEN CREATE ROLE st9 LOGIN IN ROLE tarvello_station;"
                                 " END IF; END $$"})
            ASSERT_TRUE(QSqlQuery(admin).exec(role));
        Insert(admin, "00000000-0000-4000-8000-000000000001", "HIST-1", 1);
        Insert(admin, "00000000-0000-4000-8000-000000000002", "HIST-1", 2);
        Insert(admin, "00000000-0000-4000-8000-000000000003", "HIST-1'; --", 3);
        admin.close();
    }
    QSqlDatabase::removeDatabase("history-admin");

    PlantRecordSource quality(As("q1"));
    RecordFilter filter;
    filter.printerId = "HIST-1";
    QString error;
    EXPECT_EQ(quality.Count(filter, &error), 2) << error.toStdString();
    const QList<RecordRow> newest = quality.Page(filter, PageFrom::kNewest, {}, 10, &error);
    ASSERT_EQ(newest.size(), 2) << error.toStdString();
    EXPECT_EQ(newest[0].doc.value("minute").toInt(), 2);
    EXPECT_EQ(newest[0].started, QDateTime(QDate(2026, 3, 1), QTime(8, 2), Qt::UTC));
    const QList<RecordRow> older =
        quality.Page(filter, PageFrom::kBefore, RecordStore::KeyOf(newest[0]), 10, &error);
    ASSERT_EQ(older.size(), 1);
    EXPECT_EQ(older[0].id, newest[1].id);
    filter.printerId = "HIST-1'; --";
    EXPECT_EQ(quality.PageAt(filter, 0, 10, &error).value(0).doc.value("minute").toInt(), 3);
    EXPECT_TRUE(quality.Get("00000000-0000-4000-8000-000000000001", &error).has_value());

    PlantRecordSource station(As("st9"));
    EXPECT_EQ(station.Count({}, &error), -1);
    EXPECT_TRUE(error.contains("st9")) << error.toStdString();
}
