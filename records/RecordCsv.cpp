#include "records/RecordCsv.h"

#include <QJsonValue>
#include <QSaveFile>

#include "records/RecordSql.h"

namespace tarvello::records {

namespace {

const char* const kDocKeys[] = {"standard", "level", "intensity", "volts", "passes"};

QString Line(const RecordRow& r) {
    QStringList cells{r.id,
                      r.kind,
                      r.printerId,
                      r.operatorName,
                      r.station,
                      r.profile,
                      QString::number(r.profileVersion),
                      r.verdict,
                      r.started.toUTC().toString(Qt::ISODate),
                      r.finished.toUTC().toString(Qt::ISODate)};
    const QJsonObject result = r.doc.value(QLatin1String("result")).toObject();
    for (const char* key : kDocKeys) {
        const QJsonValue v = result.value(QLatin1String(key));
        cells << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
    }
    for (QString& cell : cells)
        cell = CsvCell(cell);
    return cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

QString CsvCell(const QString& text) {
    QString cell = text;
    bool number = false;
    cell.toDouble(&number);
    if (!number && !cell.isEmpty() && QStringLiteral("=+-@").contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
        cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
        cell.replace(QLatin1String("\""), QLatin1String("\"\""));
        cell = QLatin1Char('"') + cell + QLatin1Char('"');
    }
    return cell;
}

int ExportCsv(RecordSource& store, const RecordFilter& filter, const QString& path,
              QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, file.errorString()), -1;
    QByteArray head = "\xEF\xBB\xBF";
    head += "id,kind,printer_id,operator,station,profile,profile_version,verdict,started,"
            "finished,standard,level,intensity,volts,passes\r\n";
    file.write(head);
    int written = 0;
    QList<RecordRow> page = store.Page(filter, PageFrom::kNewest, {}, 1000, error);
    while (!page.isEmpty()) {
        QByteArray chunk;
        for (const RecordRow& r : page)
            chunk += Line(r).toUtf8();
        if (file.write(chunk) != chunk.size())
            return Fail(error, file.errorString()), -1;
        written += static_cast<int>(page.size());
        page = store.Page(filter, PageFrom::kBefore, RecordStore::KeyOf(page.last()), 1000, error);
    }
    if (!file.commit())
        return Fail(error, file.errorString()), -1;
    return written;
}

} // namespace tarvello::records
