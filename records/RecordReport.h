// A report of one calibration record for a quality file: the printer ID, station, operator,
// time and program version, the values of each sensor, the verdict with every criterion (its
// sentence made now, in the reader's language) and the adjustment curves drawn as pictures.
// Records of every kind are read alike: what a record does not hold is left out.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "records/Record.h"

class QImage;

namespace tarvello::records {

// One adjustment curve of a record: the reading of every pass and the band searched for.
struct ReportCurve {
    QString sensor;        // "reflective", "transmissive" (or the record's own name for it)
    QList<QPointF> points; // x: the pass, y: volts
    double bandLow = 0, bandHigh = 0;
    bool hasBand = false;
};

// One criterion of a record as a row of the report.
struct ReportCriterion {
    QString sensor;
    QString name, value, limits, outcome, sentence;
};

// What the report shows, read from the record (pure; no display needed).
QList<ReportCurve> RecordCurves(const RecordRow& row);
QList<ReportCriterion> RecordCriteria(const RecordRow& row);
// The record's measured values as "where: value" lines (sensor results, readings, samples,
// what was saved), in the document's order.
QStringList RecordValues(const RecordRow& row);

// The report as HTML; a curve's picture is referenced as "curve:<index>".
QString RecordReportHtml(const RecordRow& row);

// A curve drawn as a picture (needs a GUI application, which may be offscreen).
QImage DrawReportCurve(const ReportCurve& curve);

// Writes the PDF (A4) to pdfPath, whole or not at all. False with the reason in *error.
bool WriteRecordReport(const RecordRow& row, const QString& pdfPath, QString* error);

} // namespace tarvello::records
