#include "records/PlantSender.h"

#include "records/PlantProfiles.h"

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <atomic>

namespace tarvello::records {

namespace {

QString ServerReason(const QString& what, const QSqlError& e) {
    return QStringLiteral("the plant database refused %1: %2").arg(what, e.text().trimmed());
}

bool InsertRows(QSqlDatabase& db, const QList<RecordRow>& rows, int* fresh, QString* error) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO records (id, kind, printer_id, operator, station, profile, profile_version,"
        " verdict, started, finished, doc, trace) VALUES (?::uuid, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
        " ?::jsonb, ?) ON CONFLICT (id) DO NOTHING"));
    for (const RecordRow& r : rows) {
        const QVariantList values{
            r.id,
            r.kind,
            r.printerId,
            r.operatorName,
            r.station,
            r.profile,
            r.profileVersion,
            r.verdict,
            r.started,
            r.finished,
            QString::fromUtf8(QJsonDocument(r.doc).toJson(QJsonDocument::Compact)),
            r.trace};
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec()) {
            *error = ServerReason(QStringLiteral("record %1").arg(r.id), q.lastError());
            return false;
        }
        *fresh += q.numRowsAffected() > 0 ? 1 : 0;
    }
    return true;
}

} // namespace

bool SendPlantBatch(QSqlDatabase& db, Outbox& outbox, const QString& plant, int batchSize,
                    PlantSendReport* report) {
    QString error;
    const QList<RecordRow> rows = outbox.Waiting(plant, batchSize, &error);
    if (rows.isEmpty()) {
        report->error = error;
        return error.isEmpty();
    }
    int fresh = 0;
    if (!db.transaction()) {
        report->error = ServerReason(QStringLiteral("a transaction"), db.lastError());
        return false;
    }
    if (!InsertRows(db, rows, &fresh, &error)) {
        db.rollback();
        report->error = error;
        return false;
    }
    if (!db.commit()) {
        report->error = ServerReason(QStringLiteral("the commit"), db.lastError());
        db.rollback();
        return false;
    }
    QStringList ids;
    for (const RecordRow& r : rows)
        ids << r.id;
    // The server holds them now; should the mark fail they are sent again, which changes
    // nothing there.
    if (!outbox.MarkSent(plant, ids, &error)) {
        report->error =
            QStringLiteral("the records file could not mark records sent: %1").arg(error);
        return false;
    }
    report->sent += fresh;
    report->alreadyThere += rows.size() - fresh;
    return true;
}

PlantSendReport SendAllWaiting(QSqlDatabase& db, Outbox& outbox, const QString& plant,
                               int batchSize) {
    PlantSendReport report;
    for (;;) {
        const int before = report.sent + report.alreadyThere;
        if (!SendPlantBatch(db, outbox, plant, batchSize, &report))
            break;
        if (report.sent + report.alreadyThere == before)
            break; // nothing was waiting
    }
    QString error;
    report.waiting = outbox.WaitingCount(plant, &error);
    if (report.waiting < 0 && report.error.isEmpty())
        report.error = error;
    return report;
}

std::chrono::milliseconds PlantBackoff(int failuresInRow) {
    if (failuresInRow <= 0)
        return std::chrono::milliseconds(0);
    const int doublings = std::min(failuresInRow - 1, 9); // 2^9 s > 5 min
    return std::min(std::chrono::milliseconds(1000LL << doublings),
                    std::chrono::milliseconds(5 * 60 * 1000));
}

PlantSender::PlantSender(PlantConnection connection, Outbox& outbox, StateCallback onState,
                         Backoff backoff)
    : connection_(std::move(connection)), outbox_(&outbox), onState_(std::move(onState)),
      backoff_(std::move(backoff)) {}

PlantSender::PlantSender(PlantConnection connection, OutboxFactory makeOutbox,
                         StateCallback onState, Backoff backoff)
    : connection_(std::move(connection)), makeOutbox_(std::move(makeOutbox)),
      onState_(std::move(onState)), backoff_(std::move(backoff)) {}

PlantSender::~PlantSender() {
    Stop();
}

void PlantSender::Start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void PlantSender::Notify() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        notified_ = true;
    }
    wake_.notify_one();
}

void PlantSender::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool PlantSender::Cycle(const QString& connectionName) {
    State state;
    bool ok = false;
    {
        QSqlDatabase db = AddPlantDatabase(connection_, connectionName);
        QString error;
        if (OpenPlantDatabase(db, &error)) {
            const PlantSendReport report = SendAllWaiting(db, *outbox_, connection_.PlantName());
            state.waiting = report.waiting;
            state.lastError = report.error;
            if (!profileFolder_.isEmpty() && state.lastError.isEmpty() &&
                !FetchPlantProfilesInto(db, profileFolder_, &error))
                state.lastError = error;
            ok = state.lastError.isEmpty();
            db.close();
        } else {
            QString countError;
            state.waiting = outbox_->WaitingCount(connection_.PlantName(), &countError);
            state.lastError = error;
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (onState_)
        onState_(state);
    return ok;
}

void PlantSender::Run() {
    std::unique_ptr<Outbox> owned;
    if (makeOutbox_) {
        owned = makeOutbox_();
        outbox_ = owned.get();
    }
    if (outbox_ != nullptr)
        Loop();
    if (owned)
        outbox_ = nullptr; // dropped on this thread, where its connection was made
}

void PlantSender::Loop() {
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("plant-sender-%1").arg(++serial);
    int failures = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopping_)
                return;
            notified_ = false;
        }
        failures = Cycle(name) ? 0 : failures + 1;
        std::unique_lock<std::mutex> lock(mutex_);
        auto woken = [this] { return stopping_ || notified_; };
        if (failures == 0)
            wake_.wait_for(lock, idle_, woken);
        else // a new record does not cut the back-off short: the server is down
            wake_.wait_for(lock, backoff_(failures), [this] { return stopping_; });
        if (stopping_)
            return;
    }
}

} // namespace tarvello::records
