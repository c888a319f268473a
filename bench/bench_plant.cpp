// Sending 10,000 waiting records to a plant database (goal: <= 10 s to a local server).
//   bench_plant "host=/tmp/some-socket-dir user=postgres dbname=postgres"
// scripts/plant-server.sh start DIR gives such a server. The records go into an in-memory outbox;
// the server's records table is emptied first, so run it on a throw-away server only.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

#include "records/PlantConnection.h"
#include "records/PlantSchema.h"
#include "records/PlantSender.h"

using namespace tarvello::records;

namespace {

class MemoryOutbox : public Outbox {
  public:
    QList<RecordRow> rows;
    int next = 0; // rows before next are marked sent
    QList<RecordRow> Waiting(const QString&, int limit, QString*) override {
        return rows.mid(next, limit);
    }
    int WaitingCount(const QString&, QString*) override { return rows.size() - next; }
    bool MarkSent(const QString&, const QStringList& ids, QString*) override {
        next += ids.size();
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_plant CONNINFO\n");
        return 2;
    }
    PlantConnection c;
    QString error;
    if (!ParsePlantConnection(QString::fromLocal8Bit(argv[1]), &c, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    int result = 1;
    {
        QSqlDatabase db = AddPlantDatabase(c, QStringLiteral("bench"));
        if (!OpenPlantDatabase(db, &error) || !InitPlantSchema(db, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        QSqlQuery(db).exec(QStringLiteral("TRUNCATE records"));
        MemoryOutbox outbox;
        for (int i = 0; i < 10000; ++i) {
            RecordRow r;
            r.id = NewRecordId();
            r.kind = QStringLiteral("calibrate");
            r.printerId = QStringLiteral("P%1").arg(i % 300);
            r.operatorName = r.station = r.profile = QStringLiteral("bench");
            r.verdict = QStringLiteral("pass");
            r.started = r.finished = QDateTime::currentDateTimeUtc();
            r.doc = QJsonObject{{QStringLiteral("levels"), i}};
            r.trace = QByteArray(2000, 'x');
            outbox.rows << r;
        }
        QElapsedTimer t;
        t.start();
        const PlantSendReport report = SendAllWaiting(db, outbox, c.PlantName());
        const double s = t.nsecsElapsed() / 1e9;
        std::printf("plant send of 10000 records: %.2f s (goal <= 10 s), sent %d, already %d, "
                    "waiting %d%s%s\n",
                    s, report.sent, report.alreadyThere, report.waiting,
                    report.error.isEmpty() ? "" : ", error: ", qPrintable(report.error));
        result = report.sent == 10000 && s <= 10.0 ? 0 : 1;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return result;
}
