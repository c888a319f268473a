// The diagnostics window "诊断" beside the main window: the line trace and the adjustment
// curves of both sensors, on two tabs. Opening it turns the line trace on (it stays on). The
// main window's ways in: InstallDiagnostics gives it the shortcuts Ctrl+D (the window), Ctrl+T
// (the trace) and Ctrl+G (the curves) and a small button "诊断" in a free corner of its header.
#pragma once

#include <QMargins>
#include <QRect>
#include <QWidget>

#include "sensor/SensorParams.h"

class CurveChart;
class QTabWidget;
class QToolButton;
class TraceView;

class DiagnosticsWindow : public QWidget {
    Q_OBJECT
  public:
    enum Tab { kTraceTab = 0, kCurveTab = 1 };

    explicit DiagnosticsWindow(QWidget* parent = nullptr);

    // Shows and raises the window on the tab.
    void ShowTab(Tab tab);

    TraceView* Trace() const { return trace_; }
    CurveChart* Chart(Sensor sensor) const;
    QTabWidget* Tabs() const { return tabs_; }

  protected:
    // The line trace runs while the window is shown; closing it turns tracing off again
    // unless a trace file (--trace) is being written.
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QTabWidget* tabs_;
    TraceView* trace_;
    CurveChart* reflective_;
    CurveChart* transmissive_;
};

// Gives mainWindow its ways into the diagnostics: the shortcuts and a button "诊断" with the
// geometry button (in the main window's coordinates; an empty rectangle: no button). The
// window is made at its first use, as a top-level window of its own (it never covers or moves
// a control of the main window). Returns the button (or nullptr).
QToolButton* InstallDiagnostics(QWidget* mainWindow, const QRect& button);
// Where the diagnostics window goes, as its frame (decoration included), for the main window's
// frame main on a screen whose free area is room: beside the main window on the right, else on
// the left, where one of them leaves room for the window's least size (at least 560 pixels
// wide; up to 900 wide, 700 high inside the decoration), else on the same screen on the side
// with more room; always whole on the screen, unless least itself is larger than the screen.
QRect DiagnosticsPlace(const QRect& main, const QRect& room, const QMargins& decoration,
                       const QSize& least = QSize());
// The main window's diagnostics window, made if needed.
DiagnosticsWindow* DiagnosticsOf(QWidget* mainWindow);

// Pictures of the diagnostics window for the documentation, in dir: diag-trace.png (the trace
// tab), diag-curves.png (the curves tab), diag-curve-reflective.png and
// diag-curve-transmissive.png (each chart as its PNG export). False, with the file that could
// not be written in *failed, when one fails.
bool SaveDiagnosticsPictures(const QString& dir, QString* failed);
