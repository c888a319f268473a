#include "cli/CliRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>

#include "cli/CliPlant.h"
#include "device/TraceFile.h"
#include "records/DataFolder.h"
#include "records/RecordCsv.h"
#include "records/RecordReport.h"
#include "records/RecordStore.h"

namespace tarvello::cli {

namespace {

using records::RecordRow;
using records::RecordStore;

// --printer-id and --operator are declared with calibrate's options.
const char* const kValueOptions[][2] = {
    {"records", "PATH"}, {"since", "DATE"}, {"verdict", "V"}, {"limit", "N"},
    {"csv", "FILE"},     {"pdf", "FILE"},   {"days", "N"},    {"older-than", "DAYS"}};

QString PathOf(const CliRequest& request) {
    return request.records.path.isEmpty() ? records::DataFilePath(QStringLiteral("records.sqlite"))
                                          : request.records.path;
}

bool HasControl(const QString& text) {
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

QString LoginName() {
    for (const char* name : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(name); !user.isEmpty())
            return user;
    return QString();
}

// A record in a list: all but its document and its trace.
QJsonObject Summary(const RecordRow& r) {
    QJsonObject object = records::RecordToJson(r);
    object.remove(QStringLiteral("doc"));
    object.remove(QStringLiteral("trace"));
    return object;
}

records::RecordFilter FilterOf(const CliRequest& request) {
    records::RecordFilter f;
    f.printerId = request.records.printerId;
    f.verdict = request.records.verdict;
    f.operatorName = request.records.operatorName;
    if (!request.records.since.isEmpty())
        f.from =
            QDateTime(QDate::fromString(request.records.since, Qt::ISODate), QTime(0, 0), Qt::UTC);
    return f;
}

void List(RecordStore& store, const CliRequest& request, CliReport& report) {
    QString error;
    const QList<RecordRow> rows = store.Page(FilterOf(request), records::PageFrom::kNewest, {},
                                             request.records.limit, &error);
    if (!error.isEmpty())
        return report.Fail(kExitNoResult, error);
    QJsonArray list;
    for (const RecordRow& r : rows) {
        list.append(Summary(r));
        report.lines << QStringLiteral("%1  %2  %3  %4  %5")
                            .arg(r.started.toLocalTime().toString(Qt::ISODate), r.printerId, r.kind,
                                 r.verdict.isEmpty() ? QStringLiteral("-") : r.verdict, r.id);
    }
    report.fields.insert("records", list);
}

void Overdue(RecordStore& store, const CliRequest& request, CliReport& report) {
    QString error;
    QJsonArray list;
    for (const records::OverdueRow& row :
         store.Overdue(request.records.days, QDateTime::currentDateTimeUtc(), &error)) {
        const QJsonValue last = row.lastPass.isValid()
                                    ? QJsonValue(row.lastPass.toString(Qt::ISODateWithMs))
                                    : QJsonValue();
        list.append(QJsonObject{{"printer_id", row.printerId}, {"last_pass", last}});
        report.lines << QStringLiteral("%1  %2").arg(
            row.printerId,
            row.lastPass.isValid() ? row.lastPass.toString(Qt::ISODate) : T("never passed"));
    }
    if (!error.isEmpty())
        return report.Fail(kExitNoResult, error);
    report.fields.insert("printers", list);
}

void Tidy(RecordStore& store, const QString& sub, const CliRequest& request, CliReport& report) {
    QString error;
    if (sub == QLatin1String("prune")) {
        const int removed =
            store.PruneSent(request.records.days, QDateTime::currentDateTimeUtc(), &error);
        if (removed < 0)
            return report.Fail(kExitNotSaved, error);
        report.fields.insert("removed", removed);
        report.lines << T("%1 sent records removed.").arg(removed);
        return;
    }
    QString moved;
    if (!store.MoveAside(&moved, &error) && moved.isEmpty())
        return report.Fail(kExitNotSaved, error);
    report.fields.insert("moved_to", moved);
    report.lines << T("Moved to %1; a new records file starts.").arg(moved);
}

} // namespace

void DeclareRecordOptions(QCommandLineParser& parser) {
    for (const auto& option : kValueOptions)
        parser.addOption(
            QCommandLineOption(QLatin1String(option[0]), QString(), QLatin1String(option[1])));
    parser.addOption(QCommandLineOption(QStringLiteral("no-record")));
    parser.addOption(QCommandLineOption(QStringLiteral("sent")));
}

QString TakeRecordOptions(const QCommandLineParser& p, CliRequest& r) {
    CliRequest::Records& o = r.records;
    o.path = p.value(QStringLiteral("records"));
    o.none = p.isSet(QStringLiteral("no-record"));
    o.printerId = p.value(QStringLiteral("printer-id"));
    o.operatorName = p.value(QStringLiteral("operator"));
    o.since = p.value(QStringLiteral("since"));
    o.verdict = p.value(QStringLiteral("verdict"));
    o.csv = p.value(QStringLiteral("csv"));
    o.pdf = p.value(QStringLiteral("pdf"));
    o.sent = p.isSet(QStringLiteral("sent"));
    bool ok = true;
    if (p.isSet(QStringLiteral("limit")) &&
        ((o.limit = p.value(QStringLiteral("limit")).toInt(&ok)), !ok || o.limit < 1))
        return T("--limit must be a whole number of at least 1.");
    for (const char* name : {"days", "older-than"})
        if (p.isSet(QLatin1String(name)) &&
            ((o.days = p.value(QLatin1String(name)).toInt(&ok)), !ok || o.days < 0))
            return T("--%1 must be a whole number of days.").arg(QLatin1String(name));
    if (r.command != Command::Calibrate && (HasControl(o.printerId) || HasControl(o.operatorName)))
        return T("--printer-id and --operator take no control characters.");
    if (!o.since.isEmpty() && !QDate::fromString(o.since, Qt::ISODate).isValid())
        return T("--since takes a date as 2026-12-31.");
    if (p.isSet(QStringLiteral("records")) && o.path.isEmpty())
        return T("--records needs a path.");
    if (r.command != Command::Records)
        return QString();
    const QString sub = o.args.value(0);
    const int count = static_cast<int>(o.args.size()) - 1;
    const bool fits = ((sub == "list" || sub == "move-aside") && count == 0) ||
                      (sub == "show" && count == 1) ||
                      (sub == "report" && count == 1 && !o.pdf.isEmpty()) ||
                      (sub == "export" && count == 0 && !o.csv.isEmpty()) ||
                      (sub == "overdue" && count == 0 && o.days >= 0) ||
                      (sub == "prune" && count == 0 && o.sent && o.days >= 0) ||
                      ((sub == "sync" || sub == "init-plant") && count == 0);
    if (!fits)
        return T("records takes list, show ID, export --csv FILE, report ID --pdf FILE, overdue "
                 "--days N, prune --sent --older-than DAYS, move-aside, sync or init-plant.");
    return QString();
}

RecordRow RunRecordRow(const CliRequest& request, const QDateTime& started,
                       const CliReport& report) {
    RecordRow row;
    row.id = records::NewRecordId();
    row.kind = CommandName(request.command);
    row.printerId = request.records.printerId;
    row.operatorName =
        request.records.operatorName.isEmpty() ? LoginName() : request.records.operatorName;
    row.station = QSysInfo::machineHostName();
    row.profile = report.fields.value("profile").toString(QStringLiteral("Standard"));
    row.verdict = report.fields.value("verdict").toString();
    row.started = started.toUTC();
    row.finished = QDateTime::currentDateTimeUtc();
    row.doc = QJsonObject{{"schema", 1},
                          {"program_version", QCoreApplication::applicationVersion()},
                          {"command", row.kind},
                          {"sensor", SensorName(request.sensor)},
                          {"port", report.port},
                          {"supply", report.supply},
                          {"exit_code", report.exitCode},
                          {"error", report.error.isEmpty() ? QJsonValue() : report.error},
                          {"result", report.fields}};
    if (!request.tracePath.isEmpty()) {
        // The writer thread may still hold the run's last lines: written out before the file is
        // read, so the record's trace ends where the run ended.
        StopTraceFile();
        QFile trace(request.tracePath);
        if (trace.open(QIODevice::ReadOnly))
            row.trace = qCompress(trace.readAll());
    }
    return row;
}

void StoreRecordRow(const CliRequest& request, const RecordRow& row, CliReport& report) {
    report.fields.insert("record_id", QJsonValue());
    report.fields.insert("record_stored", false);
    if (request.records.none || report.exitCode == kExitUsage)
        return;
    RecordStore store(PathOf(request));
    const records::StoreOutcome out = store.Store(row);
    report.fields.insert("record_id", out.stored ? QJsonValue(row.id) : QJsonValue());
    report.fields.insert("record_stored", out.stored);
    if (out.stored)
        return;
    if (!out.sideFile)
        report.fields.insert("record", records::RecordToJson(row)); // nothing else holds it
    const QString sentence = out.sideFile
                                 ? T("%1 The record waits in %2 and is stored there later.")
                                       .arg(out.reason, store.SideFilePath())
                                 : out.reason;
    if (report.exitCode == kExitDone)
        report.Fail(kExitNotRecorded, sentence);
    else
        report.error += QLatin1Char(' ') + sentence;
}

void StoreRunRecord(const CliRequest& request, const QDateTime& started, CliReport& report) {
    if (request.command == Command::Calibrate)
        return;
    if (request.records.none || report.exitCode == kExitUsage)
        return StoreRecordRow(request, RecordRow(), report); // the keys, nothing stored
    StoreRecordRow(request, RunRecordRow(request, started, report), report);
}

QString RecordsPath(const CliRequest& request) {
    return PathOf(request);
}

void RunRecords(const CliRequest& request, CliReport& report) {
    const QString sub = request.records.args.value(0);
    report.fields.insert("action", sub);
    if (sub == QLatin1String("sync") || sub == QLatin1String("init-plant"))
        return RunPlantRecords(request, report);
    RecordStore store(PathOf(request));
    QString error;
    if (sub == QLatin1String("move-aside") || sub == QLatin1String("prune"))
        return Tidy(store, sub, request, report);
    if (!store.Open(&error))
        return report.Fail(kExitNoResult, error);
    if (sub == QLatin1String("list"))
        return List(store, request, report);
    if (sub == QLatin1String("overdue"))
        return Overdue(store, request, report);
    if (sub == QLatin1String("export")) {
        const int written =
            records::ExportCsv(store, FilterOf(request), request.records.csv, &error);
        if (written < 0)
            return report.Fail(kExitNotSaved, error);
        report.fields.insert("written", written);
        report.lines << T("%1 records written to %2.").arg(written).arg(request.records.csv);
        return;
    }
    const std::optional<RecordRow> row = store.Get(request.records.args.value(1), &error);
    if (!row)
        return report.Fail(kExitNoResult, error);
    if (sub == QLatin1String("report")) {
        if (!records::WriteRecordReport(*row, request.records.pdf, &error))
            return report.Fail(kExitNotSaved, error);
        report.fields.insert("written", request.records.pdf);
        report.lines << T("Report of %1 written to %2.").arg(row->id, request.records.pdf);
        return;
    }
    const QJsonObject object = records::RecordToJson(*row);
    report.fields.insert("record", object);
    report.lines << QString::fromUtf8(QJsonDocument(object).toJson()).trimmed();
}

} // namespace tarvello::cli
