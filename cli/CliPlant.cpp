#include "cli/CliPlant.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "cli/CliRecords.h"
#include "records/DataFolder.h"
#include "records/PlantConnection.h"
#include "records/PlantProfiles.h"
#include "records/PlantSchema.h"
#include "records/PlantSender.h"
#include "records/ProfileStore.h"
#include "records/RecordStore.h"

namespace tarvello::cli {

namespace {

using records::PlantConnection;

// After a run the send may take this long at most, a batch's statement this long: the run's
// own work is done by then, and what is not sent waits for the next run or records sync.
constexpr int kAfterRunBudgetMs = 10000;
constexpr int kAfterRunStatementMs = 5000;
constexpr int kAfterRunBatch = 100;

bool NeedsPlant(const CliRequest& r) {
    const QString sub =
        r.command == Command::Records ? r.records.args.value(0) : r.profileArgs.value(0);
    return (r.command == Command::Records && (sub == "sync" || sub == "init-plant")) ||
           (r.command == Command::Profiles && sub == "publish");
}

bool TakesPlant(const CliRequest& r) {
    return NeedsPlant(r) || r.command == Command::Adjust || r.command == Command::Read ||
           r.command == Command::Check || r.command == Command::Calibrate;
}

PlantConnection ConnectionOf(const CliRequest& request) {
    PlantConnection c;
    QString error; // checked when the command line was read
    records::ParsePlantConnection(request.records.plantDb, &c, &error);
    return c;
}

// A connection of this process to the plant database, removed when it goes.
class PlantSession {
  public:
    explicit PlantSession(const CliRequest& request)
        : connection_(ConnectionOf(request)), name_(QStringLiteral("plant-cli")) {}
    ~PlantSession() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    bool Open(QString* error) {
        db_ = records::AddPlantDatabase(connection_, name_);
        return records::OpenPlantDatabase(db_, error);
    }
    QSqlDatabase& Db() { return db_; }
    QString Plant() const { return connection_.PlantName(); }

  private:
    PlantConnection connection_;
    QString name_;
    QSqlDatabase db_;
};

QJsonObject SendFields(const records::PlantSendReport& r) {
    return QJsonObject{{"sent", r.sent},
                       {"already_there", r.alreadyThere},
                       {"waiting", r.waiting},
                       {"plant_error", r.error.isEmpty() ? QJsonValue() : QJsonValue(r.error)}};
}

QString SendLine(const records::PlantSendReport& r) {
    return T("Plant database: %1 sent, %2 already there, %3 still waiting.")
        .arg(r.sent)
        .arg(r.alreadyThere)
        .arg(r.waiting < 0 ? QStringLiteral("?") : QString::number(r.waiting));
}

// Sends batch after batch until none waits, one fails or the budget is spent.
records::PlantSendReport SendBounded(PlantSession& s, records::Outbox& outbox, int budgetMs) {
    records::PlantSendReport report;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int before = report.sent + report.alreadyThere;
        if (!records::SendPlantBatch(s.Db(), outbox, s.Plant(), kAfterRunBatch, &report) ||
            report.sent + report.alreadyThere == before || clock.elapsed() > budgetMs)
            break;
    }
    QString error;
    report.waiting = outbox.WaitingCount(s.Plant(), &error);
    if (report.waiting < 0 && report.error.isEmpty())
        report.error = error;
    return report;
}

void Sync(const CliRequest& request, CliReport& report) {
    records::RecordStore store(RecordsPath(request));
    QString error;
    if (!store.Open(&error))
        return report.Fail(kExitNoResult, error);
    PlantSession session(request);
    records::PlantSendReport sent;
    if (session.Open(&error)) {
        sent = records::SendAllWaiting(session.Db(), store, session.Plant());
    } else {
        QString countError;
        sent.waiting = store.WaitingCount(session.Plant(), &countError);
        sent.error = error;
    }
    const QJsonObject fields = SendFields(sent);
    for (auto it = fields.begin(); it != fields.end(); ++it)
        report.fields.insert(it.key(), it.value());
    report.fields.insert("plant", session.Plant());
    report.lines << SendLine(sent);
    if (sent.waiting != 0)
        report.Fail(
            kExitPlantWaiting,
            T("%1 records still wait for the plant database: %2")
                .arg(sent.waiting < 0 ? QStringLiteral("?") : QString::number(sent.waiting))
                .arg(sent.error.isEmpty() ? T("the records file could not say") : sent.error));
}

void InitPlant(const CliRequest& request, CliReport& report) {
    PlantSession session(request);
    QString error;
    if (!session.Open(&error) || !records::InitPlantSchema(session.Db(), &error))
        return report.Fail(kExitNoResult, error);
    report.fields.insert("schema_version", records::kPlantSchemaVersion);
    report.fields.insert("plant", session.Plant());
    report.lines << T("The plant database's schema is at version %1, with the roles "
                      "tarvello_station, tarvello_quality and tarvello_admin (--help shows how "
                      "to give them to logins).")
                        .arg(records::kPlantSchemaVersion);
}

// The user's own profile of that name: a plant profile of the same name would hide it in the
// store's list, and publishing is what replaces that one.
std::optional<records::Profile> LocalProfile(const QString& name, QString* error) {
    records::ProfileStore store(records::DataFolder());
    QFile file(store.LocalPath());
    QList<records::Profile> local;
    if (file.open(QIODevice::ReadOnly) &&
        !records::ParseProfiles(file.readAll(), records::ProfileSource::kLocal, local, error))
        return std::nullopt;
    for (const records::Profile& p : local)
        if (p.name == name)
            return p;
    *error = T("There is no local profile \"%1\" to publish (profiles list shows them).").arg(name);
    return std::nullopt;
}

} // namespace

QString PlantHelpText() {
    return QCoreApplication::translate(
        "tarvello-cli",
        "\n"
        "The plant database (PostgreSQL; every station's records in one place):\n"
        "  --plant-db CONNINFO       a libpq connection string, e.g. \"host=db.plant\n"
        "                            dbname=tarvello user=station1 sslmode=verify-full\"; "
        "never\n"
        "                            a password (refused): ~/.pgpass, PGPASSFILE, a "
        "service\n"
        "                            file or a client certificate give it. connect_timeout\n"
        "                            defaults to 5 s. With adjust, read, check and "
        "calibrate:\n"
        "                            after the run's record is stored, what waits is sent "
        "and\n"
        "                            the plant's profiles are fetched (they win over local\n"
        "                            ones of the same name); what cannot be sent waits.\n"
        "  records sync              sends every waiting record: sent, already there, "
        "still\n"
        "                            waiting (exit 9 while some wait, with the reason)\n"
        "  records init-plant        creates or upgrades the plant database's schema and "
        "its\n"
        "                            roles (idempotent; run it as the database's owner)\n"
        "  profiles publish NAME     puts the local profile NAME on the plant database "
        "(the\n"
        "                            tarvello_admin role); raise its version to change it\n"
        "  The roles, given to logins by the database's owner (psql):\n"
        "    CREATE ROLE station_line1_01 LOGIN IN ROLE tarvello_station; -- adds records,\n"
        "                                  reads profiles; cannot change, delete or read "
        "records\n"
        "    CREATE ROLE quality_anna LOGIN IN ROLE tarvello_quality;  -- reads everything\n"
        "    CREATE ROLE profiles_admin LOGIN IN ROLE tarvello_admin;  -- publishes "
        "profiles\n"
        "    GRANT tarvello_station TO some_existing_login;\n");
}

void DeclarePlantOptions(QCommandLineParser& parser) {
    parser.addOption(
        QCommandLineOption(QStringLiteral("plant-db"), QString(), QStringLiteral("CONNINFO")));
}

QString TakePlantOptions(const QCommandLineParser& parser, CliRequest& r) {
    const bool given = parser.isSet(QStringLiteral("plant-db"));
    r.records.plantDb = parser.value(QStringLiteral("plant-db"));
    if (!given)
        return NeedsPlant(r) ? T("This command needs the plant database: --plant-db CONNINFO "
                                 "(e.g. \"host=db.plant dbname=tarvello user=station1\").")
                             : QString();
    if (!TakesPlant(r))
        return T("--plant-db belongs to adjust, read, check, calibrate, records sync, records "
                 "init-plant and profiles publish.");
    PlantConnection c;
    QString error;
    if (!records::ParsePlantConnection(r.records.plantDb, &c, &error))
        return QStringLiteral("--plant-db: %1").arg(error);
    return QString();
}

void RunPlantRecords(const CliRequest& request, CliReport& report) {
    if (request.records.args.value(0) == QLatin1String("sync"))
        return Sync(request, report);
    InitPlant(request, report);
}

void PublishProfile(const CliRequest& request, CliReport& report) {
    QString error;
    const std::optional<records::Profile> profile =
        LocalProfile(request.profileArgs.value(1), &error);
    if (!profile)
        return report.Fail(kExitUsage, error);
    PlantSession session(request);
    const records::PlantProfile plant{
        profile->name, profile->version, records::ProfileToJson(*profile), {}, {}};
    if (!session.Open(&error) || !records::PublishPlantProfile(session.Db(), plant, &error))
        return report.Fail(kExitNoResult, error);
    report.fields.insert("name", profile->name);
    report.fields.insert("version", profile->version);
    report.lines << T("Published \"%1\" version %2 on the plant database.")
                        .arg(profile->name)
                        .arg(profile->version);
}

PlantAfterRun::PlantAfterRun(const CliRequest& request) : request_(request) {
    if (!request.records.plantDb.isEmpty())
        thread_ = std::thread([this] { Run(); });
}

PlantAfterRun::~PlantAfterRun() {
    Tell(false);
}

void PlantAfterRun::Tell(bool send) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        told_ = true;
        send_ = send;
    }
    told_cv_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void PlantAfterRun::Finish(CliReport& report) {
    if (!thread_.joinable())
        return;
    Tell(report.exitCode != kExitUsage);
    if (!send_)
        return;
    report.fields.insert("plant", fields_);
    report.lines << lines_;
}

// On the thread: connects while the run works, then waits for its record.
void PlantAfterRun::Run() {
    PlantSession session(request_);
    QString connectError;
    const bool open =
        session.Open(&connectError) &&
        QSqlQuery(session.Db())
            .exec(QStringLiteral("SET statement_timeout = %1").arg(kAfterRunStatementMs));
    {
        std::unique_lock<std::mutex> lock(mutex_);
        told_cv_.wait(lock, [this] { return told_; });
        if (!send_)
            return;
    }
    records::RecordStore store(RecordsPath(request_));
    records::PlantSendReport sent;
    QString error;
    int profiles = -1;
    if (!store.Open(&error)) {
        sent.error = error;
    } else if (!open) {
        sent.error = connectError.isEmpty() ? session.Db().lastError().text() : connectError;
        sent.waiting = store.WaitingCount(session.Plant(), &error);
    } else {
        sent = SendBounded(session, store, kAfterRunBudgetMs);
        if (!records::FetchPlantProfilesInto(session.Db(), records::DataFolder(), &error,
                                             &profiles) &&
            sent.error.isEmpty())
            sent.error = error;
    }
    fields_ = SendFields(sent);
    fields_.insert("profiles_fetched", profiles < 0 ? QJsonValue() : QJsonValue(profiles));
    lines_ << SendLine(sent);
    if (!sent.error.isEmpty())
        lines_ << T("The records wait in the records file and are sent later (records sync): %1")
                      .arg(sent.error);
}

} // namespace tarvello::cli
