// Sending waiting records to the plant database. A batch is inserted in one server transaction
// with ON CONFLICT (id) DO NOTHING and marked sent in the local file only after the server's
// commit, so a crash or a lost connection at any moment leads at worst to a resend that changes
// nothing.
#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "records/Outbox.h"
#include "records/PlantConnection.h"

class QSqlDatabase;

namespace tarvello::records {

struct PlantSendReport {
    int sent = 0;         // new on the server
    int alreadyThere = 0; // the server had them (an earlier send whose mark was lost)
    int waiting = 0;      // still waiting afterwards (-1 when the local file could not say)
    QString error;        // why some still wait: the server's or the local file's reason
};

// Sends up to batchSize waiting records of outbox to db (open) in one transaction and marks
// them sent; adds to report. False (with report->error) when nothing of this batch was marked.
bool SendPlantBatch(QSqlDatabase& db, Outbox& outbox, const QString& plant, int batchSize,
                    PlantSendReport* report);

// Sends everything waiting, batch after batch, until none waits or one fails.
PlantSendReport SendAllWaiting(QSqlDatabase& db, Outbox& outbox, const QString& plant,
                               int batchSize = 500);

// The wait before the next try after failures in a row: 1 s doubling, at most 5 min.
std::chrono::milliseconds PlantBackoff(int failuresInRow);

// The background sender: a thread of its own with its own connection, which sends what waits,
// backs off while the server is down, and wakes when told a new record was stored. It never
// holds a lock a calibration waits for: Notify() only sets a flag under the sender's own mutex.
class PlantSender {
  public:
    struct State {
        int waiting = 0;
        QString lastError; // empty after a send that left nothing waiting
    };
    // Called on the sender's thread; it may only post (to the UI thread or a queue).
    using StateCallback = std::function<void(const State&)>;
    // The waits between tries; tests shorten them.
    using Backoff = std::function<std::chrono::milliseconds(int failuresInRow)>;

    // Makes the outbox on the sender's thread (a records file's connection belongs to the
    // thread that opened it) and drops it there when the thread ends.
    using OutboxFactory = std::function<std::unique_ptr<Outbox>()>;

    PlantSender(PlantConnection connection, Outbox& outbox, StateCallback onState,
                Backoff backoff = PlantBackoff);
    PlantSender(PlantConnection connection, OutboxFactory makeOutbox, StateCallback onState,
                Backoff backoff = PlantBackoff);
    ~PlantSender(); // Stop()
    // Before Start: on every connection the plant's profiles are fetched into folder's
    // plant-profiles.json (empty: not fetched).
    void SetProfileFolder(const QString& folder) { profileFolder_ = folder; }
    // Before Start: how long the sender waits, with nothing told, before it looks again for
    // records that other programs stored in the same file.
    void SetIdleLook(std::chrono::milliseconds idle) { idle_ = idle; }
    void Start();
    void Notify(); // a new record was stored
    // Asks the thread to end and joins it. Between tries it ends at once; during a connect it
    // ends when libpq gives up (connect_timeout, 5 s unless the string says otherwise); during a
    // statement when the statement time limit ends it at the latest.
    void Stop();

  private:
    void Run();
    void Loop();
    bool Cycle(const QString& connectionName);

    PlantConnection connection_;
    Outbox* outbox_ = nullptr;
    OutboxFactory makeOutbox_;
    QString profileFolder_;
    std::chrono::milliseconds idle_{30000};
    StateCallback onState_;
    Backoff backoff_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool notified_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tarvello::records
