// The records file's figures: storing one record (a real calibrate record of both sensors with
// its curves and trace, made by tarvello-cli on the virtual printer), the newest 100 of a million
// records, one printer's history among them, the jump to the end of the view, the CSV export of
// 100,000 records, the file's size per record, and eight processes storing into one file at once
// (each store's wait, none lost; then eight tarvello-cli calibrate runs at once, each record
// there).
//
// Usage: bench_records [RECORDS]   (default 1000000; the million is filled in one transaction)
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "records/RecordCsv.h"
#include "records/RecordStore.h"

using namespace tarvello::records;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void Line(const char* name, double value, const char* unit, const char* goal, bool met) {
    std::printf("records: %s | %.2f %s | - | - | %s%s\n", name, value, unit, goal,
                met ? "" : " (NO)");
}

QStringList CalibrateArgs(const QString& records, const QString& printer) {
    return {"calibrate",  "both",
            "--simulate", "--yes",
            "--json",     "--records",
            records,      "--printer-id",
            printer,      "--reflective-standard",
            "2.5",        "--transmissive-standard",
            "2.0"};
}

// A calibrate record of both sensors with its curves and trace, as tarvello-cli stores it.
bool RealRecord(const QDir& dir, RecordRow& row) {
    QProcess cli;
    cli.setWorkingDirectory(dir.path());
    const QString file = dir.filePath("template.sqlite");
    cli.start(TARVELLO_CLI_PATH,
              CalibrateArgs(file, "P-TEMPLATE") + QStringList{"--trace", dir.filePath("t.trace")});
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
        return false;
    const QString id = QJsonDocument::fromJson(cli.readAllStandardOutput())["record_id"].toString();
    RecordStore store(file);
    QString error;
    const std::optional<RecordRow> got = store.Get(id, &error);
    if (!got || got->trace.isEmpty())
        return false;
    row = *got;
    return true;
}

RecordRow Copy(const RecordRow& from, const QString& printer, const QDateTime& started) {
    RecordRow row = from;
    row.id = NewRecordId();
    row.printerId = printer;
    row.started = started;
    row.finished = started.addSecs(40);
    return row;
}

// One record stored at a time into a new file: the median and the worst, and the file's size per
// record once the log is folded in.
void StoreAndSize(const QDir& dir, const RecordRow& real) {
    const QString path = dir.filePath("store.sqlite");
    std::vector<double> ms;
    {
        RecordStore store(path);
        const QDateTime t0 = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 300; ++i) {
            const auto start = Clock::now();
            store.Store(Copy(real, QStringLiteral("P-%1").arg(i % 30), t0.addSecs(i)));
            ms.push_back(MsSince(start));
        }
    }
    const double median = Median(ms);
    Line("store one calibrate record (median of 300)", median, "ms", "<= 5 ms", median <= 5.0);
    Line("store one calibrate record (worst of 300)", *std::max_element(ms.begin(), ms.end()), "ms",
         "-", true);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "size");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec("PRAGMA wal_checkpoint(TRUNCATE)");
        db.close();
    }
    QSqlDatabase::removeDatabase("size");
    const double perRecord = static_cast<double>(QFileInfo(path).size()) / 300.0 / 1024.0;
    Line("file size per calibrate record (both curves, trace)", perRecord, "KiB", "report", true);
    std::printf(
        "records: (the record: doc %lld bytes of JSON, trace %lld bytes compressed)\n",
        static_cast<long long>(QJsonDocument(real.doc).toJson(QJsonDocument::Compact).size()),
        static_cast<long long>(real.trace.size()));
}

// count records of 10,000 printers, a minute apart, in one transaction of the bench's own.
bool Fill(const QString& path, int count) {
    {
        RecordStore store(path);
        QString error;
        if (!store.Open(&error))
            return false;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec("BEGIN");
        q.prepare("INSERT INTO records(id, kind, printer_id, operator, station, profile,"
                  " profile_version, verdict, started, finished, doc, trace)"
                  " VALUES(?, 'calibrate', ?, 'li', 'st1', 'Standard', 1, ?, ?, ?, ?, ?)");
        const QDateTime t0(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        const QString doc = QStringLiteral("{\"schema\":1,\"sensors\":{}}");
        for (int i = 0; i < count && ok; ++i) {
            const QDateTime started = t0.addSecs(60LL * i);
            q.addBindValue(NewRecordId());
            q.addBindValue(QStringLiteral("P-%1").arg(i % 10000, 5, 10, QLatin1Char('0')));
            q.addBindValue(i % 17 == 0 ? "fail" : "pass");
            q.addBindValue(RecordStore::TimeText(started));
            q.addBindValue(RecordStore::TimeText(started.addSecs(40)));
            q.addBindValue(doc);
            q.addBindValue(QByteArray());
            ok = q.exec();
        }
        ok = ok && q.exec("COMMIT");
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase("fill");
    return ok;
}

template <typename F> double MedianMs(F f) {
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        f();
        ms.push_back(MsSince(start));
    }
    return Median(ms);
}

void Queries(const QDir& dir, int count) {
    const QString path = dir.filePath("million.sqlite");
    const auto fillStart = Clock::now();
    if (!Fill(path, count)) {
        std::fprintf(stderr, "bench_records: the file could not be filled\n");
        return;
    }
    std::fprintf(stderr, "bench_records: %d records filled in %.1f s\n", count,
                 MsSince(fillStart) / 1000.0);
    RecordStore store(path);
    QString error;
    store.Open(&error);
    int got = 0;
    const double newest = MedianMs(
        [&] { got = static_cast<int>(store.Page({}, PageFrom::kNewest, {}, 100, &error).size()); });
    Line(qPrintable(QStringLiteral("newest 100 of %1").arg(count)), newest, "ms", "<= 50 ms",
         newest <= 50.0 && got == 100);
    RecordFilter one;
    one.printerId = QStringLiteral("P-04242");
    const double history = MedianMs([&] {
        got = static_cast<int>(store.Page(one, PageFrom::kNewest, {}, 100, &error).size());
    });
    Line("one printer's history (newest 100 of its records)", history, "ms", "<= 50 ms",
         history <= 50.0 && got > 0);
    int total = 0;
    const double end = MedianMs([&] {
        total = store.Count({}, &error);
        got = static_cast<int>(store.Page({}, PageFrom::kOldest, {}, 100, &error).size());
    });
    Line("jump to the end of the view (count, then the oldest 100)", end, "ms", "<= 100 ms",
         end <= 100.0 && total == count && got == 100);
    RecordFilter last;
    last.from = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC)
                    .addSecs(60LL * std::max(0, count - 100000));
    int written = 0;
    const auto start = Clock::now();
    written = ExportCsv(store, last, dir.filePath("export.csv"), &error);
    const double csv = MsSince(start);
    Line(qPrintable(QStringLiteral("CSV export of %1 records").arg(written)), csv / 1000.0, "s",
         "<= 3 s", csv <= 3000.0 && written == std::min(count, 100000));
}

// Eight processes, each storing 50 records as fast as it can into one file, all beginning at the
// same moment: the longest a store waited, and none lost.
void Writers(const QDir& dir, const RecordRow& real) {
    const QString path = dir.filePath("writers.sqlite");
    const auto begin = Clock::now() + std::chrono::milliseconds(300);
    int pipes[2];
    if (pipe(pipes) != 0)
        return;
    std::vector<pid_t> children;
    for (int w = 0; w < 8; ++w) {
        const pid_t child = fork();
        if (child == 0) {
            close(pipes[0]);
            std::this_thread::sleep_until(begin);
            RecordStore store(path);
            double worst[2] = {0.0, 0.0}; // the first store (with the file's opening), the others
            int lost = 0;
            for (int k = 0; k < 50; ++k) {
                const auto start = Clock::now();
                lost += store.Store(Copy(real, QStringLiteral("W%1").arg(w),
                                         QDateTime::currentDateTimeUtc()))
                                .stored
                            ? 0
                            : 1;
                worst[k > 0] = std::max(worst[k > 0], MsSince(start));
            }
            if (write(pipes[1], worst, sizeof worst) != sizeof worst)
                lost = 1;
            _exit(lost);
        }
        children.push_back(child);
    }
    close(pipes[1]);
    double worst[2] = {0.0, 0.0}, one[2];
    while (read(pipes[0], one, sizeof one) == sizeof one) {
        worst[0] = std::max(worst[0], one[0]);
        worst[1] = std::max(worst[1], one[1]);
    }
    close(pipes[0]);
    int lost = 0;
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        lost += WIFEXITED(status) ? WEXITSTATUS(status) : 50;
    }
    RecordStore store(path);
    QString error;
    const int stored = store.Count({}, &error);
    Line("8 processes x 50 stores at once: longest first store (opens the file)", worst[0], "ms",
         "<= 1000 ms", worst[0] <= 1000.0);
    Line("8 processes x 50 stores at once: longest later store", worst[1], "ms", "<= 1000 ms",
         worst[1] <= 1000.0);
    Line("8 processes x 50 stores at once: records in the file (of 400)", stored, "", "400",
         stored == 400 && lost == 0);
}

// Eight tarvello-cli calibrate runs at once into one file: each says its record was stored, and
// the file holds all eight.
void CliRuns(const QDir& dir) {
    const QString path = dir.filePath("cli.sqlite");
    std::vector<std::unique_ptr<QProcess>> runs;
    const auto start = Clock::now();
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("cli%1").arg(i));
        p->setWorkingDirectory(dir.filePath(QStringLiteral("cli%1").arg(i)));
        p->start(TARVELLO_CLI_PATH, CalibrateArgs(path, QStringLiteral("C-%1").arg(i)));
        runs.push_back(std::move(p));
    }
    int told = 0;
    for (auto& p : runs) {
        p->waitForFinished(300000);
        const QJsonDocument out = QJsonDocument::fromJson(p->readAllStandardOutput());
        told += out["record_stored"].toBool();
        if (!out["record_stored"].toBool())
            std::fprintf(stderr, "bench_records: a calibrate run: exit %d, %s\n", p->exitCode(),
                         qPrintable(out["error"].toString()));
    }
    RecordStore store(path);
    QString error;
    const int stored = store.Count({}, &error);
    std::printf("records: (8 tarvello-cli calibrate runs at once: %.1f s)\n", MsSince(start) / 1e3);
    Line("8 tarvello-cli calibrate runs at once: records stored (of 8)", stored, "", "8",
         stored == 8 && told == 8);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000000;
    QTemporaryDir temp;
    const QDir dir(temp.path());
    RecordRow real;
    if (!RealRecord(dir, real)) {
        std::fprintf(stderr, "bench_records: tarvello-cli made no record to measure with\n");
        return 1;
    }
    StoreAndSize(dir, real);
    Writers(dir, real);
    CliRuns(dir);
    Queries(dir, count);
    return 0;
}
