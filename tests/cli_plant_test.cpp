// tarvello-cli with the plant database: stations as processes against the real PostgreSQL
// server the CTest fixture starts (scripts/plant-server.sh), which one case stops and starts.
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <atomic>
#include <csignal>

#include "CliProcess.h"
#include "records/PlantConnection.h"
#include "records/PlantSchema.h"
#include "records/PlantSender.h"
#include "records/RecordStore.h"

using namespace cli;
using namespace tarvello::records;

namespace {

const QString kDir = QStringLiteral(TARVELLO_PLANT_DIR);

QString Conn(const QString& user) {
    return QStringLiteral("host=%1 user=%2 dbname=postgres").arg(kDir, user);
}

QStringList Calibrate(const QString& printerId, const QString& user = "st1") {
    return {
        "--simulate", "--json",       "calibrate", "reflective", "--yes",   "--reflective-standard",
        "2.5",        "--printer-id", printerId,   "--plant-db", Conn(user)};
}

class CliPlantTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile absent(kDir + "/not-installed");
        if (absent.open(QIODevice::ReadOnly))
            GTEST_SKIP() << absent.readAll().trimmed().toStdString();
        ASSERT_EQ(admin_.Run({"records", "init-plant", "--plant-db", Conn("postgres")}).exitCode,
                  0);
        Sql("TRUNCATE records");
        Sql("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'st1') THEN "
            "CREATE ROLE st1 LOGIN IN ROLE tarvello_station; END IF; END $$");
    }
    static QVariant Sql(const QString& sql) {
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "check");
            db.setHostName(kDir);
            db.setUserName("postgres");
            db.setDatabaseName("postgres");
            QSqlQuery q(db);
            if (db.open() && q.exec(sql) && q.next())
                value = q.value(0);
        }
        QSqlDatabase::removeDatabase("check");
        return value;
    }
    static int OnServer(const QString& id) {
        return Sql(QStringLiteral("SELECT count(*) FROM records WHERE id = '%1'").arg(id)).toInt();
    }
    static void Server(const char* action) {
        ASSERT_EQ(QProcess::execute("sh", {TARVELLO_PLANT_SCRIPT, action, kDir}), 0) << action;
    }
    CliFolder admin_;
};

TEST_F(CliPlantTest, FourStationsAtOnceEachRecordOnTheServerOnceAsTyped) {
    CliFolder folders[4];
    std::vector<std::unique_ptr<QProcess>> stations;
    const QString typed = QStringLiteral("P'1\"; DROP TABLE records;--");
    for (int i = 0; i < 4; ++i)
        stations.push_back(folders[i].Start(Calibrate(typed + QString::number(i))));
    for (int i = 0; i < 4; ++i) {
        const CliRun run = CliFolder::Finish(*stations[i]);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString id = run.json["record_id"].toString();
        EXPECT_EQ(run.json["plant"].toObject()["sent"], 1);
        EXPECT_EQ(OnServer(id), 1);
        EXPECT_EQ(Sql(QStringLiteral("SELECT printer_id FROM records WHERE id = '%1'").arg(id)),
                  typed + QString::number(i));
    }
    EXPECT_EQ(Sql("SELECT count(*) FROM records").toInt(), 4);
}

TEST_F(CliPlantTest, ServerDownWhileTwoCalibrateThenBackOffSendsAll) {
    CliFolder folders[2];
    std::atomic<int> waiting[2] = {{-1}, {-1}};
    std::vector<std::unique_ptr<PlantSender>> senders;
    PlantConnection c;
    QString error;
    ASSERT_TRUE(ParsePlantConnection(Conn("st1"), &c, &error));
    Server("pause");
    for (int i = 0; i < 2; ++i) {
        const QString file = folders[i].Path() + "/data/Tarvello/records.sqlite";
        senders.push_back(std::make_unique<PlantSender>(
            c, [file] { return std::make_unique<RecordStore>(file); },
            [&waiting, i](const PlantSender::State& s) { waiting[i] = s.waiting; },
            [](int) { return std::chrono::milliseconds(200); }));
    }
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int i = 0; i < 2; ++i)
        stations.push_back(folders[i].Start(Calibrate("down" + QString::number(i))));
    QStringList ids;
    for (int i = 0; i < 2; ++i) {
        const CliRun run = CliFolder::Finish(*stations[i]);
        EXPECT_EQ(run.exitCode, 0) << "the calibration ends as if the server were up";
        EXPECT_EQ(run.json["plant"].toObject()["waiting"], 1);
        EXPECT_TRUE(run.json["plant"].toObject()["plant_error"].toString().contains("st1"));
        ids << run.json["record_id"].toString();
        senders[i]->Start();
    }
    Server("resume");
    for (int t = 0; t < 300 && (waiting[0] != 0 || waiting[1] != 0); ++t)
        QThread::msleep(50);
    senders.clear();
    for (const QString& id : ids)
        EXPECT_EQ(OnServer(id), 1);
    const CliRun sync = folders[0].Run({"records", "sync", "--json", "--plant-db", Conn("st1")});
    EXPECT_EQ(sync.exitCode, 0);
    EXPECT_EQ(sync.json["waiting"], 0);
}

TEST_F(CliPlantTest, KilledMidSendThenRunAgainNoneMissingNoneTwice) {
    CliFolder folder;
    const QString file = folder.Path() + "/records.sqlite";
    QSet<QString> ids;
    {
        RecordStore store(file);
        QString error;
        ASSERT_TRUE(store.Open(&error)) << error.toStdString();
        for (int i = 0; i < 2000; ++i) {
            RecordRow r;
            r.id = NewRecordId();
            r.kind = "read";
            r.printerId = QString::number(i);
            r.started = r.finished = QDateTime::currentDateTimeUtc();
            ASSERT_TRUE(store.Store(r).stored);
            ids << r.id;
        }
    }
    const QStringList sync{"records", "sync",       "--json",   "--records",
                           file,      "--plant-db", Conn("st1")};
    auto first = folder.Start(sync);
    int arrived = 0;
    for (int t = 0; t < 2000 && arrived == 0 && first->state() == QProcess::Running; ++t) {
        QThread::msleep(2);
        arrived = Sql("SELECT count(*) FROM records").toInt();
    }
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    first->waitForFinished();
    EXPECT_LT(Sql("SELECT count(*) FROM records").toInt(), 2000) << "killed before its end";
    const CliRun again = folder.Run(sync);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.json["waiting"], 0);
    EXPECT_EQ(Sql("SELECT count(DISTINCT id) FROM records").toInt(), 2000);
    EXPECT_EQ(Sql("SELECT count(*) FROM records").toInt(), 2000);
}

TEST_F(CliPlantTest, RefusedRoleIsNamedAndTheRecordKeptLocally) {
    CliFolder folder;
    const CliRun run = folder.Run(Calibrate("kept", "no_such_station"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(
        run.json["plant"].toObject()["plant_error"].toString().contains("\"no_such_station\""));
    const CliRun show = folder.Run({"records", "show", run.json["record_id"].toString(), "--json"});
    EXPECT_EQ(show.json["record"].toObject()["printer_id"], "kept");
    const CliRun sync = folder.Run({"records", "sync", "--plant-db", Conn("no_such_station")});
    EXPECT_EQ(sync.exitCode, 9);
    EXPECT_TRUE(sync.err.contains("1 records still wait")) << sync.err.toStdString();
    EXPECT_TRUE(sync.err.contains("no_such_station"));
    EXPECT_EQ(folder.Run({"records", "sync", "--plant-db", "host=x password=p"}).exitCode, 2);
}

} // namespace
