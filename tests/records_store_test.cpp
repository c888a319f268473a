// The records store: records whole or not at all under SIGKILL; paging by key; values bound as
// they stand; a newer file refused untouched and an older one migrated after a copy; damaged and
// locked files sending the record to the side file, from which it is stored later; the outbox.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "records/RecordStore.h"

using namespace tarvello::records;

namespace {

RecordRow Row(const QString& printer, int minute, const QString& verdict = "pass") {
    RecordRow r;
    r.id = NewRecordId();
    r.kind = "adjust";
    r.printerId = printer;
    r.operatorName = "li";
    r.station = "st1";
    r.profile = "Standard";
    r.verdict = verdict;
    r.started = QDateTime(QDate(2026, 12, 1), QTime(8, 0)).addSecs(60 * minute).toUTC();
    r.finished = r.started.addSecs(30);
    r.doc = QJsonObject{{"schema", 1}, {"payload", QString(2000, QLatin1Char('x'))}};
    r.trace = qCompress(QByteArray(4000, 'z'));
    return r;
}

// Runs SQL on the file through a connection of its own.
QVariant Sql(const QString& path, const QString& statement) {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        if (q.exec(statement) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase("raw");
    return value;
}

} // namespace

TEST(RecordStore, PagesByKeyAndBindsValuesAsTheyStand) {
    QTemporaryDir dir;
    RecordStore store(dir.filePath("records.sqlite"));
    ASSERT_TRUE(store.Open(nullptr));
    const QString hostile = "x'); DROP TABLE records;--";
    for (int k = 0; k < 25; ++k)
        ASSERT_TRUE(
            store.Store(Row(k % 5 == 0 ? hostile : "P-1", k, k % 2 ? "fail" : "pass")).stored);
    EXPECT_EQ(store.Count({}, nullptr), 25);
    RecordFilter hostileOnly;
    hostileOnly.printerId = hostile;
    EXPECT_EQ(store.Count(hostileOnly, nullptr), 5);
    // Newest first, ten at a time, both ways, and the oldest end.
    const auto first = store.Page({}, PageFrom::kNewest, {}, 10, nullptr);
    ASSERT_EQ(first.size(), 10);
    EXPECT_EQ(first[0].started, Row("", 24).started);
    const auto second =
        store.Page({}, PageFrom::kBefore, RecordStore::KeyOf(first.last()), 10, nullptr);
    ASSERT_EQ(second.size(), 10);
    EXPECT_EQ(second[0].started, Row("", 14).started);
    const auto back = store.Page({}, PageFrom::kAfter, RecordStore::KeyOf(second[0]), 10, nullptr);
    ASSERT_EQ(back.size(), 10);
    EXPECT_EQ(back[0].id, first[0].id);
    const auto last = store.Page({}, PageFrom::kOldest, {}, 10, nullptr);
    EXPECT_EQ(last.last().started, Row("", 0).started);
    const auto got = store.Get(first[3].id, nullptr);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->trace, first[3].trace);
    EXPECT_EQ(got->doc, first[3].doc);
    // A record never changes.
    EXPECT_FALSE(Sql(store.Path(), "UPDATE records SET verdict = 'pass'").isValid());
    EXPECT_EQ(Sql(store.Path(), "SELECT COUNT(*) FROM records WHERE verdict = 'fail'").toInt(), 12);
}

TEST(RecordStore, NewerFileRefusedOlderMigratedAfterACopy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("records.sqlite");
    Sql(path, "CREATE TABLE notes(x)");
    Sql(path, "PRAGMA user_version = 0");
    {
        RecordStore store(path);
        ASSERT_TRUE(store.Open(nullptr));
        EXPECT_TRUE(store.Store(Row("P", 1)).stored);
    }
    EXPECT_TRUE(QFile::exists(path + ".v0.bak"));
    EXPECT_EQ(Sql(path, "PRAGMA user_version").toInt(), kRecordSchemaVersion);

    Sql(path, "PRAGMA user_version = 99");
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    RecordStore newer(path);
    QString error;
    EXPECT_FALSE(newer.Open(&error));
    EXPECT_TRUE(error.contains("99")) << error.toStdString();
    const StoreOutcome out = newer.Store(Row("P", 2));
    EXPECT_FALSE(out.stored);
    EXPECT_TRUE(out.sideFile);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), before);
}

TEST(RecordStore, DamagedAndLockedFilesKeepTheRecordInTheSideFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("records.sqlite");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3") + QByteArray(1, 0) + QByteArray(8192, '\x5a'));
    }
    RecordStore store(path, 200);
    QString error;
    EXPECT_FALSE(store.Open(&error));
    EXPECT_TRUE(store.Damaged() || !error.isEmpty());
    const RecordRow kept = Row("P-9", 3, "fail");
    const StoreOutcome out = store.Store(kept);
    EXPECT_FALSE(out.stored);
    EXPECT_TRUE(out.sideFile);
    EXPECT_FALSE(out.reason.isEmpty());
    QString moved;
    ASSERT_TRUE(store.MoveAside(&moved, &error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists(moved));
    // The new file took the side file's record at its opening.
    ASSERT_TRUE(store.Get(kept.id, nullptr));
    EXPECT_FALSE(QFile::exists(store.SideFilePath()));

    // Another writer holds the file: the record waits in the side file, then goes in.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "holder");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery hold(db);
        ASSERT_TRUE(hold.exec("BEGIN EXCLUSIVE"));
        const RecordRow waiting = Row("P-9", 4);
        const StoreOutcome locked = store.Store(waiting);
        EXPECT_FALSE(locked.stored);
        EXPECT_TRUE(locked.sideFile);
        hold.exec("ROLLBACK");
        db.close();
        EXPECT_TRUE(store.Store(Row("P-9", 5)).stored);
        EXPECT_TRUE(store.Get(waiting.id, nullptr));
    }
    QSqlDatabase::removeDatabase("holder");
}

TEST(RecordStore, OutboxAndOverdueAndPrune) {
    QTemporaryDir dir;
    RecordStore store(dir.filePath("r.sqlite"));
    const RecordRow a = Row("A", 0), b = Row("B", 1, "fail"), c = Row("A", 2);
    for (const auto& r : {a, b, c})
        store.Store(r);
    EXPECT_EQ(store.WaitingCount("plant1", nullptr), 3);
    ASSERT_TRUE(store.MarkSent("plant1", {a.id, b.id}, nullptr));
    ASSERT_TRUE(store.MarkSent("plant1", {a.id}, nullptr)); // again: nothing twice
    const auto waiting = store.Waiting("plant1", 10, nullptr);
    ASSERT_EQ(waiting.size(), 1);
    EXPECT_EQ(waiting[0].id, c.id);
    EXPECT_EQ(store.WaitingCount("plant2", nullptr), 3);
    const QDateTime now = a.started.addDays(40);
    const auto overdue = store.Overdue(30, now, nullptr);
    ASSERT_EQ(overdue.size(), 2); // A passed 40 days ago, B never
    EXPECT_FALSE(overdue[0].lastPass.isValid());
    EXPECT_EQ(store.PruneSent(30, now, nullptr), 2);
    EXPECT_EQ(store.Count({}, nullptr), 1);
    EXPECT_EQ(store.WaitingCount("plant1", nullptr), 1);
}

TEST(RecordStore, KillDuringStoresLeavesWholeRecordsOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.sqlite");
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            RecordStore store(path);
            for (int k = 0;; ++k)
                store.Store(Row("K", k));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + random() % 120));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_EQ(Sql(path, "PRAGMA integrity_check").toString(), "ok");
        EXPECT_EQ(Sql(path, "SELECT COUNT(*) FROM records WHERE length(doc) < 2000"
                            " OR length(trace) = 0")
                      .toInt(),
                  0);
    }
    EXPECT_GT(Sql(path, "SELECT COUNT(*) FROM records").toInt(), 0);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
