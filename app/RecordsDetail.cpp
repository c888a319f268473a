// The history view's detail pane: one record whole, the printer's records side by side with the
// drift since its previous pass, and the overdue printers.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QSpinBox>
#include <QTextBrowser>
#include <QUrl>

#include "app/RecordsModel.h"
#include "app/RecordsWindow.h"
#include "app/RecordsWorker.h"
#include "pages/BackgroundRun.h"
#include "records/DataFolder.h"
#include "records/ProfileStore.h"
#include "records/RecordDrift.h"
#include "records/RecordReport.h"
#include "records/RecordStore.h"

using tarvello::records::RecordRow;
using tarvello::records::RecordSource;
using tarvello::records::RecordStore;

namespace {

// The trace as text, at most its first lines.
QString TraceHtml(const QByteArray& compressed) {
    if (compressed.isEmpty())
        return QString();
    const QStringList lines = QString::fromUtf8(qUncompress(compressed)).split(u'\n');
    const QString shown = lines.mid(0, 400).join(u'\n');
    return QStringLiteral("<h3>%1</h3><pre>%2</pre>")
        .arg(QCoreApplication::translate("CRecordsWindow", "线路记录"), shown.toHtmlEscaped());
}

QString Cell(const std::optional<double>& v, int decimals) {
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
}

QString Cell(const std::optional<int>& v) {
    return v ? QString::number(*v) : QStringLiteral("-");
}

QString SensorName(const QString& key) {
    return key == QLatin1String("reflective")
               ? QCoreApplication::translate("CRecordsWindow", "反射式")
               : QCoreApplication::translate("CRecordsWindow", "透射式");
}

// The drift limits of the record's profile, or the built-in ones.
tarvello::records::DriftLimits LimitsOf(const RecordRow& row) {
    tarvello::records::ProfileStore profiles(tarvello::records::DataFolder());
    QString error;
    profiles.Load(&error);
    const auto profile = profiles.Find(row.profile, &error);
    return profile ? profile->drift : tarvello::records::DriftLimits();
}

QString CompareHtml(const QList<RecordRow>& rows, int selected,
                    const tarvello::records::DriftLimits& limits) {
    QString html = QStringLiteral("<h3>%1</h3><table border='1' cellspacing='0' cellpadding='3'>"
                                  "<tr><th>%2</th><th>%3</th><th>%4</th><th>%5</th><th>%6</th>"
                                  "<th>%7</th><th>%8</th></tr>")
                       .arg(QCoreApplication::translate("CRecordsWindow", "%1 的记录（新的在上）")
                                .arg(rows.value(selected).printerId.toHtmlEscaped()),
                            QCoreApplication::translate("CRecordsWindow", "开始时间"),
                            QCoreApplication::translate("CRecordsWindow", "结论"),
                            QCoreApplication::translate("CRecordsWindow", "类型"),
                            QCoreApplication::translate("CRecordsWindow", "传感器"),
                            QCoreApplication::translate("CRecordsWindow", "灵敏度等级"),
                            QCoreApplication::translate("CRecordsWindow", "光强"),
                            QCoreApplication::translate("CRecordsWindow", "对比度 V"));
    for (int i = 0; i < rows.size(); ++i) {
        const auto snapshots = tarvello::records::RecordSnapshots(rows[i]);
        for (auto it = snapshots.begin(); it != snapshots.end(); ++it)
            html +=
                QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                               "<td>%7</td><td>%8</td></tr>")
                    .arg(i == selected ? QStringLiteral(" bgcolor='#eef'") : QString(),
                         rows[i].started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                         rows[i].verdict, rows[i].kind, SensorName(it.key()), Cell(it->level),
                         Cell(it->intensity), Cell(it->contrast, 2));
    }
    html += QStringLiteral("</table>");
    // The drift: the selected record against the printer's pass before it.
    for (int i = selected + 1; i < rows.size(); ++i) {
        if (rows[i].verdict != QLatin1String("pass"))
            continue;
        const auto found = tarvello::records::RecordDrift(rows[i], rows[selected], limits);
        html += QStringLiteral("<h3>%1</h3>")
                    .arg(QCoreApplication::translate("CRecordsWindow", "与 %1 的合格记录相比")
                             .arg(rows[i].started.toLocalTime().toString(Qt::ISODate)));
        if (found.isEmpty())
            return html + QStringLiteral("<p>%1</p>")
                              .arg(QCoreApplication::translate("CRecordsWindow", "没有漂移。"));
        for (const auto& f : found)
            html += QStringLiteral("<p><font color='#b00'><b>%1</b></font> %2</p>")
                        .arg(QCoreApplication::translate("CRecordsWindow", "漂移："),
                             tarvello::records::DriftText(f).toHtmlEscaped());
        return html;
    }
    return html +
           QStringLiteral("<p>%1</p>")
               .arg(QCoreApplication::translate("CRecordsWindow", "此前没有合格的记录可比较。"));
}

} // namespace

void CRecordsWindow::ShowSelected() {
    const std::optional<RecordRow> row = Selected();
    if (!row)
        return;
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self, id = row->id](RecordSource& store) {
        QString error;
        const std::optional<RecordRow> whole = store.Get(id, &error);
        tarvello::ui::PostToUi(self, [self, whole, error] {
            if (!whole)
                return self->m_detail->setPlainText(error);
            QTextDocument* doc = self->m_detail->document();
            const QList<tarvello::records::ReportCurve> curves =
                tarvello::records::RecordCurves(*whole);
            for (int i = 0; i < curves.size(); ++i)
                doc->addResource(QTextDocument::ImageResource,
                                 QUrl(QStringLiteral("curve:%1").arg(i)),
                                 tarvello::records::DrawReportCurve(curves[i]));
            QString html = tarvello::records::RecordReportHtml(*whole);
            html.insert(html.lastIndexOf(QStringLiteral("</body>")), TraceHtml(whole->trace));
            self->m_detail->setHtml(html);
        });
    });
}

void CRecordsWindow::CompareWithPrevious() {
    const std::optional<RecordRow> row = Selected();
    if (!row)
        return m_status->setText(
            QCoreApplication::translate("CRecordsWindow", "请先选择一条记录。"));
    tarvello::records::RecordFilter filter;
    filter.printerId = row->printerId;
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self, filter, selected = *row](RecordSource& store) {
        QString error;
        // The selected record and up to 20 of the printer's records before it.
        QList<RecordRow> rows{selected};
        rows += store.Page(filter, tarvello::records::PageFrom::kBefore,
                           RecordStore::KeyOf(selected), 20, &error);
        if (!rows.isEmpty()) // the selected one whole (the list holds the searched columns)
            if (const auto whole = store.Get(selected.id, &error))
                rows[0] = *whole;
        const tarvello::records::DriftLimits limits = LimitsOf(selected); // a file read: here
        tarvello::ui::PostToUi(self, [self, rows, error, limits] {
            if (!error.isEmpty())
                return self->m_status->setText(
                    QCoreApplication::translate("CRecordsWindow", "记录无法读取：%1").arg(error));
            self->m_detail->setHtml(CompareHtml(rows, 0, limits));
        });
    });
}

void CRecordsWindow::ShowOverdue() {
    const int days = m_days->value();
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self, days](RecordSource& store) {
        QString error;
        const auto rows = store.Overdue(days, QDateTime::currentDateTimeUtc(), &error);
        tarvello::ui::PostToUi(self, [self, rows, error, days] {
            if (!error.isEmpty())
                return self->m_status->setText(
                    QCoreApplication::translate("CRecordsWindow", "记录无法读取：%1").arg(error));
            QString html = QStringLiteral("<h3>%1</h3><ul>")
                               .arg(QCoreApplication::translate("CRecordsWindow",
                                                                "最近一次合格已超过 %1 天的打印机")
                                        .arg(days));
            for (const auto& r : rows)
                html += QStringLiteral("<li>%1 — %2</li>")
                            .arg(r.printerId.toHtmlEscaped(),
                                 r.lastPass.isValid()
                                     ? r.lastPass.toLocalTime().toString(Qt::ISODate)
                                     : QCoreApplication::translate("CRecordsWindow", "从未合格"));
            self->m_detail->setHtml(html + QStringLiteral("</ul>"));
        });
    });
}
