// The drawn parts of the report: the curves as pictures and the PDF itself.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

#include "records/RecordReport.h"

namespace tarvello::records {

namespace {

constexpr int kWidth = 900, kHeight = 360, kLeft = 60, kRight = 20, kTop = 20, kBottom = 40;

struct Scale {
    double x0, x1, y0, y1;
    QPointF Map(QPointF p) const {
        const double w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;
        return {kLeft + (p.x() - x0) / (x1 - x0) * w, kTop + h - (p.y() - y0) / (y1 - y0) * h};
    }
};

Scale ScaleOf(const ReportCurve& curve) {
    double x0 = curve.points.first().x(), x1 = x0, y0 = 0, y1 = 0;
    for (const QPointF& p : curve.points) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    if (curve.hasBand)
        y1 = std::max(y1, curve.bandHigh);
    if (x1 <= x0)
        x1 = x0 + 1;
    return {x0, x1, y0, y1 > 0 ? y1 * 1.1 : 1.0};
}

void DrawAxes(QPainter& p, const Scale& s) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(kLeft, kTop, kLeft, kHeight - kBottom);
    p.drawLine(kLeft, kHeight - kBottom, kWidth - kRight, kHeight - kBottom);
    for (int i = 0; i <= 4; ++i) {
        const double v = s.y0 + (s.y1 - s.y0) * i / 4;
        const QPointF at = s.Map({s.x0, v});
        p.drawText(QRectF(0, at.y() - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', 2));
    }
    p.drawText(QRectF(kLeft, kHeight - kBottom + 4, 120, 16), Qt::AlignLeft,
               QString::number(s.x0, 'f', 0));
    p.drawText(QRectF(kWidth - kRight - 120, kHeight - kBottom + 4, 120, 16), Qt::AlignRight,
               QString::number(s.x1, 'f', 0));
    p.drawText(QRectF(kLeft, kHeight - 20, kWidth - kLeft - kRight, 18), Qt::AlignCenter,
               QCoreApplication::translate("RecordReport", "轮次（纵轴：电压 V）"));
}

} // namespace

QImage DrawReportCurve(const ReportCurve& curve) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (curve.points.isEmpty())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const Scale s = ScaleOf(curve);
    if (curve.hasBand) {
        const QPointF a = s.Map({s.x0, curve.bandHigh}), b = s.Map({s.x1, curve.bandLow});
        p.fillRect(QRectF(a, b), QColor(200, 235, 200));
    }
    DrawAxes(p, s);
    QPainterPath path(s.Map(curve.points.first()));
    for (const QPointF& point : curve.points)
        path.lineTo(s.Map(point));
    p.setPen(QPen(QColor(30, 90, 180), 2));
    p.drawPath(path);
    p.setBrush(QColor(30, 90, 180));
    for (const QPointF& point : curve.points)
        p.drawEllipse(s.Map(point), 2.5, 2.5);
    return image;
}

bool WriteRecordReport(const RecordRow& row, const QString& pdfPath, QString* error) {
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
        return false;
    }
    {
        QTextDocument doc;
        const QList<ReportCurve> curves = RecordCurves(row);
        for (int i = 0; i < curves.size(); ++i)
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("curve:%1").arg(i)),
                            DrawReportCurve(curves[i]));
        doc.setHtml(RecordReportHtml(row));
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("%1 %2").arg(row.printerId, row.id));
        writer.setCreator(QCoreApplication::applicationName());
        doc.print(&writer);
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        *error = QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
        return false;
    }
    return true;
}

} // namespace tarvello::records
