// The keeper's worker, the records file's path and the parts every record of the window has.
#include "pages/RecordKeeper.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "device/PortState.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "pages/ToolSettings.h"
#include "records/DataFolder.h"

namespace tarvello::ui {

namespace {

QString s_override;                // --records (UI thread only)
CRecordKeeper* s_keeper = nullptr; // the keeper of the process (UI thread only)

// The sentence for records that only this process holds now.
QString KeptInMemory(int count) {
    return QCoreApplication::translate(
        "RecordKeeper", "%n 条记录只保留在内存中: 关闭程序前请检查记录文件。", "", count);
}

QJsonValue Number(const std::optional<double>& value) {
    if (!value)
        return QJsonValue();
    return std::round(*value * 10000.0) / 10000.0;
}

QString LoginName() {
    for (const char* name : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(name); !user.isEmpty())
            return user;
    return QString();
}

const char* EndName(AdjustEnd end) {
    switch (end) {
    case AdjustEnd::kRunning:
        return "running";
    case AdjustEnd::kSuccess:
        return "success";
    case AdjustEnd::kStoppedByPage:
    case AdjustEnd::kStoppedByUser:
    case AdjustEnd::kStopped:
        return "stopped";
    case AdjustEnd::kPortClosed:
        return "port_closed";
    case AdjustEnd::kWriteFailed:
        break;
    }
    return "write_failed";
}

void WarmUpSql() {
    const QString name = QStringLiteral("recordKeeperWarmUp");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT ?"));
            q.addBindValue(1);
            q.exec();
            (void)q.lastError();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

QString RecordsFilePath() {
    if (!s_override.isEmpty())
        return s_override;
    const QString set = ToolSettings().value(QStringLiteral("records/path")).toString();
    return set.isEmpty() ? records::DataFilePath(QStringLiteral("records.sqlite")) : set;
}

void SetRecordsFileOverride(const QString& path) {
    s_override = path;
}

void SaveRecordsFileSetting(const QString& path) {
    QSettings settings = ToolSettings();
    if (path.isEmpty())
        settings.remove(QStringLiteral("records/path"));
    else
        settings.setValue(QStringLiteral("records/path"), path);
}

QJsonArray CriteriaJson(const verdict::Result& result) {
    QJsonArray criteria;
    for (const verdict::Criterion& c : result.criteria)
        criteria.append(
            QJsonObject{{"code", QString::fromStdString(c.code)},
                        {"value", Number(c.value)},
                        {"pass_limit", Number(c.passLimit)},
                        {"marginal_limit", Number(c.marginalLimit)},
                        {"outcome", QString::fromLatin1(verdict::OutcomeName(c.outcome))}});
    return criteria;
}

QJsonObject CurveJson(const CurveRun& run) {
    QJsonArray points;
    for (const CurvePoint& p : run.points)
        points.append(QJsonObject{{"pass", static_cast<qint64>(p.pass)},
                                  {"level", p.level},
                                  {"intensity", p.intensity},
                                  {"raw", p.raw},
                                  {"volts", Number(p.volts)},
                                  {"in_band", p.inBand}});
    return QJsonObject{{"target", Number(run.band.target)},
                       {"band", QJsonArray{Number(run.band.low), Number(run.band.high)}},
                       {"end", QLatin1String(EndName(run.end))},
                       {"dropped_points", static_cast<qint64>(run.droppedPoints)},
                       {"points", points}};
}

records::RecordRow WindowRecord(const QString& kind, const QString& printerId,
                                const QString& operatorName, const verdict::Result* verdict) {
    records::RecordRow row;
    row.id = records::NewRecordId();
    row.kind = kind;
    row.printerId = printerId;
    row.operatorName = operatorName.isEmpty() ? LoginName() : operatorName;
    row.station = QSysInfo::machineHostName();
    row.finished = QDateTime::currentDateTimeUtc();
    row.started = row.finished; // the callers that know an earlier start set it
    row.doc = QJsonObject{{"schema", 1},
                          {"program_version", QCoreApplication::applicationVersion()},
                          {"command", kind},
                          {"program", QStringLiteral("tarvello")}};
    if (verdict && verdict->verdict != verdict::Outcome::kNotJudged) {
        row.verdict = QString::fromLatin1(verdict::OutcomeName(verdict->verdict));
        row.doc.insert("complete", verdict->complete);
        row.doc.insert("criteria", CriteriaJson(*verdict));
    }
    return row;
}

QJsonObject ConnectionJson() {
    const PortSettings s = g_PortSettings.load();
    static const char* const kParity[] = {"none", "odd", "even"};
    return QJsonObject{{"device", QString::fromStdString(PortDeviceName(s.nPort))},
                       {"baud", static_cast<qint64>(s.dwBaudRate)},
                       {"data_bits", s.byByteSize},
                       {"parity", QLatin1String(s.byParity < 3 ? kParity[s.byParity] : "unknown")},
                       {"stop_bits", s.byStopBits == 2 ? 2 : 1},
                       {"handshake", QLatin1String(s.nHandshake == 0 ? "hardware" : "xon_xoff")},
                       {"open", g_bPortOpen.load()}};
}

QString RecordNote(const records::StoreOutcome& outcome, const QString& sideFile) {
    if (outcome.stored)
        return QCoreApplication::translate("RecordKeeper", "记录已保存");
    if (outcome.sideFile)
        return QCoreApplication::translate("RecordKeeper",
                                           "记录没有保存: %1 记录暂存在 %2, 以后自动存入。")
            .arg(outcome.reason, sideFile);
    return QCoreApplication::translate("RecordKeeper", "记录没有保存: %1").arg(outcome.reason);
}

// --- The worker --------------------------------------------------------------------------------

struct CRecordKeeper::Worker {
    struct Job {
        records::RecordRow row;
        QString path;
        std::function<void(const QString&)> deliver; // on the UI thread
    };
    std::mutex mutex;
    std::condition_variable wake, idle;
    std::deque<Job> jobs;
    QList<records::RecordRow> unstored;
    bool busy = false;
    bool stop = false;
    std::thread thread;
    CRecordKeeper* keeper = nullptr;

    void Run();
    // Stores the records kept in memory, then the job's; the note to show.
    QString Store(records::RecordStore& store, const Job& job);
};

QString CRecordKeeper::Worker::Store(records::RecordStore& store, const Job& job) {
    QList<records::RecordRow> earlier;
    {
        std::lock_guard<std::mutex> lock(mutex);
        earlier.swap(unstored);
    }
    QList<records::RecordRow> still;
    for (const records::RecordRow& row : earlier) {
        const records::StoreOutcome out = store.Store(row);
        if (!out.stored && !out.sideFile)
            still << row;
    }
    const records::StoreOutcome out = store.Store(job.row);
    QString note = RecordNote(out, store.SideFilePath());
    if (!out.stored && !out.sideFile)
        still << job.row;
    if (!still.isEmpty())
        note += QLatin1Char(' ') + KeptInMemory(static_cast<int>(still.size()));
    std::lock_guard<std::mutex> lock(mutex);
    unstored = still + unstored;
    return note;
}

void CRecordKeeper::Worker::Run() {
    std::unique_ptr<records::RecordStore> store; // made, used and closed on this thread
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return stop || !jobs.empty(); });
            if (jobs.empty())
                break; // stopped, and everything given has been dealt with
            job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
        }
        if (!store || store->Path() != job.path)
            store = std::make_unique<records::RecordStore>(job.path);
        const QString note = Store(*store, job);
        PostToUi(keeper, [deliver = job.deliver, note] { deliver(note); });
        {
            std::lock_guard<std::mutex> lock(mutex);
            busy = false;
        }
        idle.notify_all();
    }
    store.reset();
}

CRecordKeeper::CRecordKeeper() : QObject(QCoreApplication::instance()), m_worker(new Worker) {
    m_worker->keeper = this;
    m_worker->thread = std::thread([w = m_worker.get()] { w->Run(); });
}

CRecordKeeper::~CRecordKeeper() {
    {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->stop = true;
    }
    m_worker->wake.notify_all();
    m_worker->thread.join();
    if (s_keeper == this)
        s_keeper = nullptr;
}

CRecordKeeper* CRecordKeeper::Instance() {
    if (!s_keeper) {
        s_keeper = new CRecordKeeper;
        // A program that ends without Finish (exit from anywhere) still stores what is in flight,
        // before the libraries' own statics go: everything of Qt SQL a store uses is made once
        // first (on a database in memory), so that it is destroyed after this handler has run.
        WarmUpSql();
        static const bool finishAtExit = std::atexit([] { Finish(); }) == 0;
        (void)finishAtExit;
    }
    return s_keeper;
}

void CRecordKeeper::Finish() {
    delete s_keeper; // joins the worker once it has stored what it was given
}

void CRecordKeeper::Keep(const records::RecordRow& row, QObject* context,
                         std::function<void(const QString&)> note) {
    Worker::Job job;
    job.row = row;
    job.path = RecordsFilePath();
    job.deliver = [context = QPointer<QObject>(context), note = std::move(note)](const QString& s) {
        if (context && note)
            note(s);
    };
    {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->jobs.push_back(std::move(job));
    }
    m_worker->wake.notify_one();
}

void CRecordKeeper::WaitIdle() {
    std::unique_lock<std::mutex> lock(m_worker->mutex);
    m_worker->idle.wait(lock, [this] { return m_worker->jobs.empty() && !m_worker->busy; });
}

QList<records::RecordRow> CRecordKeeper::Unstored() const {
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    return m_worker->unstored;
}

void ShowRecordNote(QLabel* line, const QString& note) {
    if (!line)
        return;
    // The verdict shown stays; an earlier note on the line goes.
    QString text = line->isHidden() ? QString() : line->text();
    const QString earlier = line->property("recordNote").toString();
    if (!earlier.isEmpty() && text.endsWith(earlier))
        text.chop(earlier.size());
    text = text.trimmed();
    if (text.isEmpty())
        line->setStyleSheet(QString()); // no verdict: no verdict's colour
    line->setProperty("recordNote", note);
    line->setText(text.isEmpty() ? note : text + QStringLiteral("  ") + note);
    line->setToolTip(line->text());
    line->show();
}

} // namespace tarvello::ui
