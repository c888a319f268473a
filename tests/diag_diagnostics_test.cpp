// The diagnostics window's widgets on the record they draw: the trace view's rows, party filter,
// dropped count and save; the curve chart's points by level, band, target and intensity steps,
// its tooltip and its exports.
#include "UiTestSupport.h"

#include <QTest>
#include <QToolButton>

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFile>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include "device/LineTrace.h"
#include "device/TraceFile.h"
#include "diag/CurveChart.h"
#include "diag/DiagnosticsWindow.h"
#include "diag/TraceModel.h"
#include "diag/TraceView.h"
#include "sensor/AdjustCurve.h"

namespace {

void Record(TraceParty party, TraceDirection direction, const std::string& bytes) {
    ScopedTraceParty scope(party);
    TraceLine(direction, bytes.data(), bytes.size());
}

TEST(DiagPlace, BesideTheMainWindowWhereItFitsElseWholeOnItsScreen) {
    const QMargins deco(1, 30, 1, 1);
    const QRect screen(0, 0, 1280, 870), second(1280, 0, 1280, 870);
    const QRect small(0, 0, 1024, 768);
    struct Case {
        QRect main, room;
        int least; // the window's least width inside its decoration
        bool beside;
    };
    for (const Case& c : {Case{{10, 40, 520, 640}, screen, 0, true},      // room on the right
                          Case{{750, 40, 520, 640}, screen, 0, true},     // room on the left
                          Case{{380, 100, 520, 700}, screen, 0, false},   // centred: none
                          Case{{1290, 40, 520, 640}, second, 0, true},    // second screen
                          Case{{16, 16, 416, 600}, small, 560, true},     // beside, 586 left
                          Case{{16, 16, 416, 600}, small, 700, false}}) { // too narrow for it
        const QRect place = DiagnosticsPlace(c.main, c.room, deco, QSize(c.least, 0));
        EXPECT_TRUE(c.room.contains(place)) << place.x() << "," << place.y();
        EXPECT_EQ(place.intersects(c.main), !c.beside) << place.x();
        EXPECT_GE(place.width(), std::max(560, c.least) + 2);
    }
}

TEST(DiagTraceView, ShowsFiltersCountsDropsAndSavesInTheFileFormat) {
    uitest::App();
    SetLineTraceEnabled(true);
    TraceView view;
    Record(TraceParty::kMonitor, TraceDirection::kToPrinter, "\x02Y");
    Record(TraceParty::kReading, TraceDirection::kFromPrinter, "128/\r");
    view.PullNow();
    ASSERT_EQ(view.Table()->model()->rowCount(), 2);
    EXPECT_EQ(view.Table()->model()->index(1, TraceModel::kHex).data().toString(),
              "31 32 38 2F 0D");
    EXPECT_EQ(view.Table()->model()->index(1, TraceModel::kText).data().toString(), "128/<CR>");
    EXPECT_EQ(view.Table()->model()->index(0, TraceModel::kDirection).data().toString(), "->");

    view.SetPartyFilter(static_cast<int>(TraceParty::kReading));
    ASSERT_EQ(view.Table()->model()->rowCount(), 1);
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    ASSERT_TRUE(view.SaveTo(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(saved.endsWith(QStringLiteral("<- reading  31 32 38 2F 0D | 128/<CR>\n")))
        << saved.toStdString();
    EXPECT_EQ(saved.count('\n'), 1);

    // Paused, the view takes nothing; what the ring overwrote meanwhile is counted on resume.
    view.SetPartyFilter(-1);
    view.SetPaused(true);
    for (size_t k = 0; k < kTraceRingEntries + 5; ++k) {
        Record(TraceParty::kMonitor, TraceDirection::kToPrinter, "\x02Y");
    }
    EXPECT_EQ(view.Table()->model()->rowCount(), 2);
    view.SetPaused(false);
    EXPECT_EQ(view.Model()->Dropped(), 5u);
    EXPECT_EQ(view.Table()->model()->rowCount(), 2 + static_cast<int>(kTraceRingEntries));
    view.Clear();
    EXPECT_EQ(view.Table()->model()->rowCount(), 0);
    SetLineTraceEnabled(false);
}

template <typename Series> QList<QPointF> PointsOf(QChart* chart, const QString& name) {
    for (QAbstractSeries* s : chart->series()) {
        if (s->name() == name) {
            if (auto* xy = qobject_cast<Series*>(s)) {
                return xy->points();
            }
        }
    }
    ADD_FAILURE() << "no series " << name.toStdString();
    return {};
}

TEST(DiagCurveChart, DrawsEachReadingByLevelWithTheBandTargetAndIntensitySteps) {
    uitest::App();
    NoteCurveRunStart(Sensor::Transmissive, 2.0f);
    NoteCurveReading(Sensor::Transmissive, CurvePoint{1, 3, 0, 0, 5.0f, false});
    NoteCurveReading(Sensor::Transmissive, CurvePoint{3, 0, 127, 140, 2.2549f, false});
    NoteCurveReading(Sensor::Transmissive, CurvePoint{4, 0, 111, 153, 2.0f, true});
    NoteCurveRunEnd(Sensor::Transmissive, AdjustEnd::kSuccess);
    CurveChart chart(Sensor::Transmissive);
    chart.Refresh();
    QChart* c = chart.View()->chart();
    EXPECT_EQ(PointsOf<QScatterSeries>(c, "级别 11"), (QList<QPointF>{{1, 5.0}}));
    const QList<QPointF> level0 = PointsOf<QScatterSeries>(c, "级别 00");
    ASSERT_EQ(level0.size(), 2);
    EXPECT_EQ(level0[1], QPointF(4, 2.0));
    EXPECT_TRUE(PointsOf<QScatterSeries>(c, "级别 01").isEmpty());
    // The intensity holds from each reading's pass to the next reading's.
    EXPECT_EQ(PointsOf<QLineSeries>(c, "强度"),
              (QList<QPointF>{{1, 0}, {3, 0}, {3, 127}, {4, 127}, {4, 111}, {4.5, 111}}));
    const QList<QPointF> target = PointsOf<QLineSeries>(c, "电压标准");
    ASSERT_EQ(target.size(), 2);
    EXPECT_DOUBLE_EQ(target[0].y(), 2.0);
    // The band: T - 0.1 .. T + 0.1 for the transmissive sensor.
    for (QAbstractSeries* s : c->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(s)) {
            EXPECT_NEAR(area->lowerSeries()->at(0).y(), 1.9, 1e-6);
            EXPECT_NEAR(area->upperSeries()->at(0).y(), 2.1, 1e-6);
        }
    }
    EXPECT_EQ(chart.PointTip(1), "第 3 次\n级别 00\n强度 127\n原始值 140\n电压 2.2549 V");

    QTemporaryDir dir;
    ASSERT_TRUE(chart.ExportCsv(dir.filePath("c.csv")));
    QFile csv(dir.filePath("c.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 4);
    chart.resize(600, 400);
    ASSERT_TRUE(chart.ExportPng(dir.filePath("c.png")));
    // The picture carries the result, the standard and the band below the chart.
    EXPECT_GT(QImage(dir.filePath("c.png")).height(), chart.View()->height());
    EXPECT_TRUE(chart.Summary().contains("目标 2.00 V, 范围 1.90 - 2.10 V"));
    EXPECT_EQ(CurveExportName(Sensor::Transmissive, QDateTime({2026, 12, 10}, {14, 30, 5}), "png"),
              "curve-transmissive-20261210-143005.png");
}

// A run that did not reach its band: the band red, and the verdict's word below the chart.
TEST(DiagCurveChart, ABandNotReachedIsDrawnAsAFail) {
    uitest::App();
    NoteCurveRunStart(Sensor::Reflective, 5.0f);
    NoteCurveReading(Sensor::Reflective, CurvePoint{1, 3, 0, 200, 3.9216f, false});
    CurveChart chart(Sensor::Reflective);
    chart.Refresh();
    EXPECT_FALSE(chart.Summary().contains("不合格")); // not judged while it runs
    NoteCurveRunEnd(Sensor::Reflective, AdjustEnd::kStoppedByUser);
    chart.Refresh();
    EXPECT_TRUE(chart.Summary().contains("判定: 不合格"));
    for (QAbstractSeries* s : chart.View()->chart()->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(s)) {
            EXPECT_EQ(area->color().rgb(), QColor(0xd6, 0x27, 0x28).rgb());
        }
    }
}

TEST(DiagWindow, ShortcutsOpenTheWindowOnTheirTabs) {
    uitest::App();
    QWidget main;
    main.resize(400, 500);
    QToolButton* button = InstallDiagnostics(&main, QRect(360, 8, 36, 22));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(360, 8, 36, 22));
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_G, Qt::ControlModifier);
    DiagnosticsWindow* window = DiagnosticsOf(&main);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Tabs()->currentIndex(), DiagnosticsWindow::kCurveTab);
    QTest::keyClick(&main, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(window->Tabs()->currentIndex(), DiagnosticsWindow::kTraceTab);
    EXPECT_EQ(DiagnosticsOf(&main), window) << "one window per main window";
    EXPECT_TRUE(LineTraceEnabled());
    window->hide();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(window->isVisible());
    window->ShowTab(DiagnosticsWindow::kCurveTab); // the legends hold every label whole
    QCoreApplication::processEvents();
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        QLegend* legend = window->Chart(sensor)->View()->chart()->legend();
        const QFontMetricsF m(legend->font());
        qreal row = 0.0, column = 0.0; // the room the labels need side by side, or stacked
        for (QLegendMarker* marker : legend->markers()) {
            const qreal width = m.horizontalAdvance(marker->label()) + 2.0 * m.height();
            row += width;
            column = std::max(column, width);
        }
        const bool inARow = legend->alignment() & (Qt::AlignTop | Qt::AlignBottom);
        EXPECT_LE(inARow ? row : column, legend->geometry().width());
    }
    // Closed, the window turns the trace off again, unless a trace file is being written.
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(LineTraceEnabled());
    QTemporaryDir dir;
    ASSERT_TRUE(StartTraceFile(dir.filePath("t.trace").toStdString(), nullptr));
    window->ShowTab(DiagnosticsWindow::kTraceTab);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(LineTraceEnabled());
    StopTraceFile();
    SetLineTraceEnabled(false);
}

} // namespace
