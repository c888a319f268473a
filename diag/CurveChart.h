// The adjustment curve of one sensor: its latest run drawn from the curve record (pass across,
// volts up), the success band shaded with the target line, one point per reading coloured by
// its sensitivity level, the intensity as a step line on a second axis, and a tooltip per
// point. A timer looks at the record's revision every 50 ms and redraws when it changed, so a
// reading appears well within 100 ms of the worker noting it. Beside it: the sensor's samples
// since the start (single readings and paper checks).
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "sensor/AdjustCurve.h"
#include "sensor/Verdict.h"

class QChart;
class QDateTime;
class QChartView;
class QLineSeries;
class QAreaSeries;
class QScatterSeries;
class QTableWidget;
class QValueAxis;
class QLabel;
class QTimer;

// The name an export proposes: "curve-reflective-20261210-143005.png" (the sensor, the time).
QString CurveExportName(Sensor sensor, const QDateTime& when, const QString& extension);

class CurveChart : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshIntervalMs = 50;

    explicit CurveChart(Sensor sensor, QWidget* parent = nullptr);

    // Redraws from the record when it changed since the last redraw.
    void Refresh();
    // The chart as a PNG, with the run's result, standard and band (Summary) written below it;
    // the run as CSV. False when the file cannot be written.
    bool ExportPng(const QString& path);
    bool ExportCsv(const QString& path) const;

    // The line below the chart: the run's result, its standard (target) and band.
    QString Summary() const;

    // What is drawn (for the tests and the screenshots).
    const CurveRun& Run() const { return run_; }
    QChartView* View() const { return view_; }
    QTableWidget* Samples() const { return samples_; }
    // The tooltip of the run's point at index k.
    QString PointTip(size_t k) const;

  protected:
    // The timer runs only while the chart is shown; a chart that is shown again redraws first.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void BuildChart(); // the axes and series
    void BuildSide();  // the samples table and the export buttons
    void Rebuild();
    // The run's line: how it ended, its verdict, standard, band and count of readings.
    static QString SummaryOf(const CurveRun& run, verdict::Outcome outcome);
    void ShowStatus(const QString& text);
    void FillSamples();
    void OnHovered(const QPointF& point, bool state);
    // Says where an export was saved (below the chart), or that it could not be written.
    void ReportExport(const QString& path, bool saved);

    Sensor sensor_;
    CurveRun run_;
    uint64_t revision_ = UINT64_MAX;
    QChart* chart_;
    QChartView* view_;
    QValueAxis* passAxis_;
    QValueAxis* voltsAxis_;
    QValueAxis* intensityAxis_;
    QLineSeries* bandLow_;
    QLineSeries* bandHigh_;
    QAreaSeries* band_;
    QLineSeries* target_;
    QLineSeries* intensity_;
    QScatterSeries* levels_[4];
    QLabel* status_;
    QString summary_; // the run's line, which an export's report replaces on the label
    QTableWidget* samples_;
    QTimer* timer_;
};
