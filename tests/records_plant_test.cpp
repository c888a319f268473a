// The plant database: connection strings and back-off as pure functions; schema, roles and
// sending against the real PostgreSQL server the CTest fixture starts (scripts/plant-server.sh).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <atomic>
#include <thread>

#include "records/PlantConnection.h"
#include "records/PlantProfiles.h"
#include "records/PlantSchema.h"
#include "records/PlantSender.h"
#include "records/ProfileStore.h"

using namespace tarvello::records;
using namespace std::chrono;

namespace {

PlantConnection Parsed(const QString& s) {
    PlantConnection c;
    QString error;
    EXPECT_TRUE(ParsePlantConnection(s, &c, &error)) << error.toStdString();
    return c;
}

TEST(PlantConnectionTest, ParsesBothFormsAndNamesThePlantWithoutSecrets) {
    const PlantConnection k =
        Parsed("host=db.plant port = 5433 dbname='line \\'one\\'' user=st1 sslmode=verify-full");
    EXPECT_EQ(k.Value("dbname"), "line 'one'");
    EXPECT_EQ(k.Value("port"), "5433");
    EXPECT_EQ(k.Value("connect_timeout"), "5");
    EXPECT_EQ(k.Value("keepalives"), "1");
    EXPECT_EQ(k.PlantName(), "host=db.plant port=5433 dbname=line 'one' user=st1");
    const PlantConnection u =
        Parsed("postgresql://st%201@db.plant:6000/records?sslmode=require&connect_timeout=2");
    EXPECT_EQ(u.Value("user"), "st 1");
    EXPECT_EQ(u.Value("sslmode"), "require");
    EXPECT_EQ(u.Value("connect_timeout"), "2");
    EXPECT_EQ(u.PlantName(), "host=db.plant port=6000 dbname=records user=st 1");
}

TEST(PlantConnectionTest, RefusesPasswordsAndWhatCannotBePassedOn) {
    for (const char* s : {"host=a password=secret", "postgresql://u:secret@a/db",
                          "postgresql://u@a/db?password=secret", "host=a dbname='x", "host",
                          "host=a options='-c a=1;b'"}) {
        PlantConnection c;
        QString error;
        EXPECT_FALSE(ParsePlantConnection(s, &c, &error)) << s;
        EXPECT_FALSE(error.contains("secret")) << error.toStdString();
        if (QString(s).contains("password") || QString(s).contains(":secret")) {
            EXPECT_TRUE(error.contains("~/.pgpass")) << error.toStdString();
        }
    }
}

TEST(PlantBackoffTest, DoublesFromOneSecondToFiveMinutes) {
    EXPECT_EQ(PlantBackoff(1), seconds(1));
    EXPECT_EQ(PlantBackoff(2), seconds(2));
    EXPECT_EQ(PlantBackoff(9), seconds(256));
    EXPECT_EQ(PlantBackoff(10), minutes(5));
    EXPECT_EQ(PlantBackoff(1000), minutes(5));
}

// The local records file as far as the sender sees it; MarkSent can be made to fail, as when
// the program is killed between the server's commit and the local mark.
class FakeOutbox : public Outbox {
  public:
    QList<RecordRow> rows;
    QSet<QString> sent;
    bool failMark = false;
    QList<RecordRow> Waiting(const QString&, int limit, QString*) override {
        QList<RecordRow> out;
        for (const RecordRow& r : rows)
            if (!sent.contains(r.id) && out.size() < limit)
                out << r;
        return out;
    }
    int WaitingCount(const QString& plant, QString* e) override {
        return Waiting(plant, 1 << 30, e).size();
    }
    bool MarkSent(const QString&, const QStringList& ids, QString* error) override {
        if (failMark) {
            *error = "killed";
            return false;
        }
        for (const QString& id : ids)
            sent.insert(id);
        return true;
    }
};

RecordRow Row(const QString& printerId) {
    RecordRow r;
    r.id = NewRecordId();
    r.kind = "calibrate";
    r.printerId = printerId;
    r.operatorName = "op";
    r.station = "st";
    r.profile = "standard";
    r.verdict = "pass";
    r.started = r.finished = QDateTime::currentDateTimeUtc();
    r.doc = QJsonObject{{"levels", 3}};
    r.trace = QByteArray("\x01\x00\x02", 3);
    return r;
}

class PlantServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString dir = TARVELLO_PLANT_DIR;
        QFile absent(dir + "/not-installed");
        if (absent.open(QIODevice::ReadOnly))
            GTEST_SKIP() << absent.readAll().trimmed().toStdString();
        db_ = Open("user=postgres", "admin");
        ASSERT_TRUE(db_.isOpen());
        QString error;
        ASSERT_TRUE(InitPlantSchema(db_, &error)) << error.toStdString();
        QSqlQuery(db_).exec("TRUNCATE records, profiles");
        QSqlQuery(db_).exec("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname ="
                            " 'st1') THEN CREATE ROLE st1 LOGIN IN ROLE tarvello_station; END IF;"
                            " END $$");
    }
    void TearDown() override {
        for (const QString& name : QSqlDatabase::connectionNames()) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
    static QString Conn(const QString& user) {
        return QStringLiteral("host=%1 %2 dbname=postgres").arg(TARVELLO_PLANT_DIR, user);
    }
    static QSqlDatabase Open(const QString& user, const QString& name, QString* error = nullptr) {
        QString e;
        QSqlDatabase db = AddPlantDatabase(Parsed(Conn(user)), name);
        OpenPlantDatabase(db, error ? error : &e);
        return db;
    }
    int Count(const QString& id) {
        QSqlQuery q(db_);
        q.prepare("SELECT count(*) FROM records WHERE id = ?::uuid");
        q.addBindValue(id);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }
    QSqlDatabase db_;
};

TEST_F(PlantServerTest, SendsOnceWhateverIsResentAndKeepsValuesAsTyped) {
    QString error;
    ASSERT_TRUE(InitPlantSchema(db_, &error)) << "a second set-up changes nothing";
    FakeOutbox outbox;
    outbox.rows = {Row("x'); DROP TABLE records;--"), Row("a\"b;c"), Row("plain")};
    QSqlDatabase st = Open("user=st1", "station");
    ASSERT_TRUE(st.isOpen());
    outbox.failMark = true; // killed after the server's commit, before the local mark
    PlantSendReport first = SendAllWaiting(st, outbox, "p", 2);
    EXPECT_EQ(first.waiting, 3);
    EXPECT_TRUE(first.error.contains("killed"));
    outbox.failMark = false;
    const PlantSendReport second = SendAllWaiting(st, outbox, "p", 2);
    EXPECT_EQ(second.sent, 1);
    EXPECT_EQ(second.alreadyThere, 2);
    EXPECT_EQ(second.waiting, 0);
    EXPECT_TRUE(second.error.isEmpty()) << second.error.toStdString();
    for (const RecordRow& r : outbox.rows)
        EXPECT_EQ(Count(r.id), 1);
    QSqlQuery q(db_);
    ASSERT_TRUE(q.exec("SELECT printer_id, doc->>'levels', trace FROM records ORDER BY 1"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "a\"b;c");
    EXPECT_EQ(q.value(1).toString(), "3");
    EXPECT_EQ(q.value(2).toByteArray(), outbox.rows[0].trace);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "plain");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "x'); DROP TABLE records;--");
}

TEST_F(PlantServerTest, StationRoleMayOnlyAddRecordsAndReadProfiles) {
    PlantProfile p{"standard", 2, QJsonObject{{"gap", 3}}, {}, {}};
    QString error;
    ASSERT_TRUE(PublishPlantProfile(db_, p, &error)) << error.toStdString();
    EXPECT_FALSE(PublishPlantProfile(db_, p, &error));
    EXPECT_TRUE(error.contains("version 2"));
    FakeOutbox outbox;
    outbox.rows = {Row("p1")};
    QSqlDatabase st = Open("user=st1", "station");
    ASSERT_EQ(SendAllWaiting(st, outbox, "p").sent, 1);
    QSqlQuery q(st);
    EXPECT_FALSE(q.exec("UPDATE records SET verdict = 'fail'"));
    EXPECT_FALSE(q.exec("DELETE FROM records"));
    EXPECT_FALSE(q.exec("SELECT printer_id FROM records"));
    EXPECT_FALSE(PublishPlantProfile(st, {"other", 1, {}, {}, {}}, &error));
    const QList<PlantProfile> fetched = FetchPlantProfiles(st, &error);
    ASSERT_EQ(fetched.size(), 1) << error.toStdString();
    EXPECT_EQ(fetched[0].doc.value("gap").toInt(), 3);
    EXPECT_EQ(fetched[0].who, "postgres");
    EXPECT_EQ(Count(outbox.rows[0].id), 1);
}

TEST_F(PlantServerTest, FetchedProfilesAreKeptLocallyAndWinBadOnesNamed) {
    Profile good;
    good.name = "Thermal";
    good.version = 4;
    good.maxPasses = 77;
    QString error;
    ASSERT_TRUE(PublishPlantProfile(db_, {"Thermal", 4, ProfileToJson(good), {}, {}}, &error));
    ASSERT_TRUE(PublishPlantProfile(db_, {"junk", 1, QJsonObject{{"x", 1}}, {}, {}}, &error));
    QTemporaryDir folder;
    QSqlDatabase st = Open("user=st1", "station");
    int count = -1;
    EXPECT_FALSE(FetchPlantProfilesInto(st, folder.path(), &error, &count));
    EXPECT_TRUE(error.contains("\"junk\"")) << error.toStdString();
    EXPECT_EQ(count, 1);
    ProfileStore store(folder.path());
    ASSERT_TRUE(store.Load(&error));
    const std::optional<Profile> kept = store.Find("Thermal", &error);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->source, ProfileSource::kPlant);
    EXPECT_EQ(kept->maxPasses, 77);
}

TEST_F(PlantServerTest, RefusedRoleIsNamedAndTheSenderBacksOffThenSends) {
    QString error;
    QSqlDatabase bad = Open("user=nobody_here", "bad", &error);
    EXPECT_FALSE(bad.isOpen());
    EXPECT_TRUE(error.contains("nobody_here")) << error.toStdString();

    // The outbox is the sender's to read from its thread; the test only waits.
    FakeOutbox outbox;
    outbox.rows = {Row("b1")};
    std::atomic<int> cycles{0}, lastWaiting{-1};
    std::atomic<bool> sawError{false};
    {
        PlantSender sender(
            Parsed(Conn("user=st1") + " dbname=not_yet"), outbox,
            [&](const PlantSender::State& s) {
                lastWaiting = s.waiting;
                sawError = sawError || !s.lastError.isEmpty();
                ++cycles;
            },
            [](int failures) { return milliseconds(10 * failures); });
        sender.Start();
        for (int i = 0; i < 500 && cycles < 3; ++i)
            std::this_thread::sleep_for(milliseconds(10));
    } // a stop during the back-off ends at once
    EXPECT_GE(cycles, 3);
    EXPECT_TRUE(sawError);
    EXPECT_EQ(lastWaiting, 1);

    cycles = 0;
    PlantSender sender(Parsed(Conn("user=st1")), outbox, [&](const PlantSender::State& s) {
        lastWaiting = s.waiting;
        ++cycles;
    });
    sender.Start();
    for (int i = 0; i < 500 && cycles < 1; ++i)
        std::this_thread::sleep_for(milliseconds(10));
    sender.Stop();
    EXPECT_EQ(lastWaiting, 0);
    EXPECT_EQ(Count(outbox.rows[0].id), 1);
}

} // namespace
