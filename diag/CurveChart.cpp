#include "diag/CurveChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "device/Protocol.h"
#include "records/VerdictText.h"
#include "sensor/Verdict.h"

namespace {

// One colour per sensitivity level 0..3.
const QColor kLevelColours[4] = {QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c),
                                 QColor(0xff, 0x7f, 0x0e), QColor(0xd6, 0x27, 0x28)};

QString EndText(const CurveRun& run) {
    if (!run.started) {
        return CurveChart::tr("尚无调整");
    }
    switch (run.end) {
    case AdjustEnd::kRunning:
        return CurveChart::tr("调整中...");
    case AdjustEnd::kSuccess:
        return CurveChart::tr("调整成功");
    case AdjustEnd::kStoppedByPage:
    case AdjustEnd::kStoppedByUser:
    case AdjustEnd::kStopped:
        return CurveChart::tr("调整已停止");
    case AdjustEnd::kPortClosed:
        return CurveChart::tr("串口已关闭");
    case AdjustEnd::kWriteFailed:
        return CurveChart::tr("写入失败");
    }
    return QString();
}

QString OriginText(SampleOrigin origin) {
    switch (origin) {
    case SampleOrigin::kReading:
        return CurveChart::tr("单次读取");
    case SampleOrigin::kCheckFirst:
        return CurveChart::tr("纸张检测 第一次");
    case SampleOrigin::kCheckSecond:
        return CurveChart::tr("纸张检测 第二次");
    case SampleOrigin::kCheckDerived:
        return CurveChart::tr("纸张检测 结果");
    }
    return QString();
}

// How the run stands against its band, as the verdict judges it (not judged while it runs).
verdict::Outcome BandOutcome(const CurveRun& run) {
    verdict::Input input;
    input.sensor = run.sensor;
    input.adjust.outcome =
        run.started ? verdict::AdjustOutcomeOf(run.end) : verdict::AdjustOutcome::kNone;
    for (const verdict::Criterion& c : verdict::Judge(input).criteria) {
        if (c.code == "band")
            return c.outcome;
    }
    return verdict::Outcome::kNotJudged;
}

QString ValueText(SensorValue value) {
    switch (value) {
    case SensorValue::Standard:
        return CurveChart::tr("电压标准");
    case SensorValue::Paper:
        return CurveChart::tr("有纸电压");
    case SensorValue::Mark:
        return CurveChart::tr("标记电压");
    case SensorValue::NoPaper:
        return CurveChart::tr("无纸电压");
    case SensorValue::Liner:
        return CurveChart::tr("衬纸电压");
    case SensorValue::Difference:
        return CurveChart::tr("电压差值");
    }
    return QString();
}

} // namespace

CurveChart::CurveChart(Sensor sensor, QWidget* parent)
    : QWidget(parent), sensor_(sensor), chart_(new QChart), view_(new QChartView(chart_, this)),
      passAxis_(new QValueAxis(this)), voltsAxis_(new QValueAxis(this)),
      intensityAxis_(new QValueAxis(this)), bandLow_(new QLineSeries(this)),
      bandHigh_(new QLineSeries(this)), band_(new QAreaSeries(bandHigh_, bandLow_)),
      target_(new QLineSeries(this)), intensity_(new QLineSeries(this)), status_(new QLabel(this)),
      samples_(new QTableWidget(0, 3, this)), timer_(new QTimer(this)) {
    BuildChart();
    BuildSide();
    connect(timer_, &QTimer::timeout, this, &CurveChart::Refresh);
    timer_->setInterval(kRefreshIntervalMs);
    Refresh();
}

void CurveChart::BuildChart() {
    const Sensor sensor = sensor_;
    chart_->setTitle(sensor == Sensor::Reflective ? tr("反射式传感器") : tr("穿透式传感器"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(380, 260);
    passAxis_->setTitleText(tr("次数"));
    passAxis_->setLabelFormat(QStringLiteral("%d"));
    passAxis_->setTickType(QValueAxis::TicksDynamic);
    passAxis_->setTickAnchor(0.0);
    voltsAxis_->setTitleText(tr("电压 (V)"));
    intensityAxis_->setTitleText(tr("强度"));
    intensityAxis_->setRange(0, 255);
    intensityAxis_->setTickCount(6);
    intensityAxis_->setLabelFormat(QStringLiteral("%d"));
    voltsAxis_->setLabelFormat(QStringLiteral("%.1f"));
    // The legend as a column beside the plot: seven entries in a row would cut their labels
    // at the window's default size, in either language.
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->addAxis(passAxis_, Qt::AlignBottom);
    chart_->addAxis(voltsAxis_, Qt::AlignLeft);
    chart_->addAxis(intensityAxis_, Qt::AlignRight);

    band_->setName(tr("成功范围"));
    target_->setName(tr("电压标准"));
    target_->setPen(QPen(Qt::darkGreen, 1.5, Qt::DashLine));
    intensity_->setName(tr("强度"));
    intensity_->setPen(QPen(QColor(0x80, 0x80, 0x80), 1.2));
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{band_, target_, intensity_}) {
        chart_->addSeries(s);
        s->attachAxis(passAxis_);
        s->attachAxis(s == intensity_ ? intensityAxis_ : voltsAxis_);
    }
    for (int level = 0; level < 4; ++level) {
        levels_[level] = new QScatterSeries(this);
        levels_[level]->setName(tr("级别 %1").arg(QString::fromStdString(SensitivityCode(level))));
        levels_[level]->setColor(kLevelColours[level]);
        levels_[level]->setBorderColor(kLevelColours[level].darker());
        levels_[level]->setMarkerSize(9);
        chart_->addSeries(levels_[level]);
        levels_[level]->attachAxis(passAxis_);
        levels_[level]->attachAxis(voltsAxis_);
        connect(levels_[level], &QScatterSeries::hovered, this, &CurveChart::OnHovered);
    }
}

void CurveChart::BuildSide() {
    samples_->setHorizontalHeaderLabels({tr("来源"), tr("电压"), tr("值 (V)")});
    samples_->verticalHeader()->hide();
    samples_->horizontalHeader()->setStretchLastSection(true);
    samples_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    samples_->setMinimumWidth(230);
    samples_->setColumnWidth(0, 118);
    samples_->setColumnWidth(1, 72);

    auto* png = new QPushButton(tr("导出 PNG..."), this);
    auto* csv = new QPushButton(tr("导出 CSV..."), this);
    connect(png, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, tr("导出 PNG"),
            CurveExportName(sensor_, QDateTime::currentDateTime(), QStringLiteral("png")),
            QStringLiteral("PNG (*.png)"));
        if (!path.isEmpty()) {
            ReportExport(path, ExportPng(path));
        }
    });
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, tr("导出 CSV"),
            CurveExportName(sensor_, QDateTime::currentDateTime(), QStringLiteral("csv")),
            QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty()) {
            ReportExport(path, ExportCsv(path));
        }
    });
    // The run's line wraps and never widens the window (a saved file's path may be long); the
    // whole text is its tooltip.
    status_->setWordWrap(true);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* bar = new QHBoxLayout;
    bar->addWidget(status_, 1);
    bar->addWidget(png);
    bar->addWidget(csv);
    auto* left = new QVBoxLayout;
    left->addWidget(view_, 1);
    left->addLayout(bar);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addWidget(samples_, 1);
}

void CurveChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
    timer_->start();
}

void CurveChart::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

void CurveChart::Refresh() {
    const uint64_t revision = CurveRevision();
    if (revision == revision_) {
        return;
    }
    revision_ = revision;
    run_ = LatestCurveRun(sensor_);
    Rebuild();
    FillSamples();
}

void CurveChart::Rebuild() {
    const uint32_t lastPass = run_.points.empty() ? 1 : run_.points.back().pass;
    const uint32_t firstPass = run_.points.empty() ? 1 : run_.points.front().pass;
    const double x0 = firstPass > 0 ? firstPass - 0.5 : 0.0;
    const double x1 = std::max<double>(lastPass + 0.5, x0 + 5.0);
    passAxis_->setRange(x0, x1);
    // Ticks on whole passes, at most about ten of them.
    passAxis_->setTickInterval(std::max(1.0, std::ceil((x1 - x0) / 10.0)));
    double top = 5.0;
    for (const CurvePoint& p : run_.points) {
        top = std::max(top, static_cast<double>(p.volts));
    }
    voltsAxis_->setRange(0.0, std::ceil(top));
    voltsAxis_->setTickCount(static_cast<int>(std::ceil(top)) + 1);

    const bool hasBand = run_.started;
    bandLow_->replace(hasBand ? QList<QPointF>{{x0, run_.band.low}, {x1, run_.band.low}}
                              : QList<QPointF>{});
    bandHigh_->replace(hasBand ? QList<QPointF>{{x0, run_.band.high}, {x1, run_.band.high}}
                               : QList<QPointF>{});
    const double t = run_.band.target;
    target_->replace(hasBand ? QList<QPointF>{{x0, t}, {x1, t}} : QList<QPointF>{});

    QList<QPointF> byLevel[4];
    QList<QPointF> steps;
    for (size_t k = 0; k < run_.points.size(); ++k) {
        const CurvePoint& p = run_.points[k];
        byLevel[std::clamp(p.level, 0, 3)].append(QPointF(p.pass, p.volts));
        // The intensity holds from its pass to the next point's.
        const double next = k + 1 < run_.points.size() ? run_.points[k + 1].pass : p.pass + 0.5;
        steps.append(QPointF(p.pass, p.intensity));
        steps.append(QPointF(next, p.intensity));
    }
    for (int level = 0; level < 4; ++level) {
        levels_[level]->replace(byLevel[level]);
    }
    intensity_->replace(steps);

    // The band turns red when the run ended without reaching it; the word is in the line below.
    const verdict::Outcome outcome = BandOutcome(run_);
    const QColor bandColour =
        outcome == verdict::Outcome::kFail ? QColor(0xd6, 0x27, 0x28) : QColor(0x2c, 0xa0, 0x2c);
    band_->setColor(QColor(bandColour.red(), bandColour.green(), bandColour.blue(), 60));
    band_->setBorderColor(QColor(bandColour.red(), bandColour.green(), bandColour.blue(), 120));

    summary_ = SummaryOf(run_, outcome);
    ShowStatus(summary_);
}

QString CurveChart::SummaryOf(const CurveRun& run, verdict::Outcome outcome) {
    QString text = EndText(run);
    if (outcome != verdict::Outcome::kNotJudged)
        text += tr("  判定: %1").arg(tarvello::records::OutcomeWord(outcome));
    if (run.started) {
        text += tr("  目标 %1 V, 范围 %2 - %3 V, %4 个读数")
                    .arg(static_cast<double>(run.band.target), 0, 'f', 2)
                    .arg(run.band.low, 0, 'f', 2)
                    .arg(run.band.high, 0, 'f', 2)
                    .arg(run.points.size());
    }
    if (run.droppedPoints > 0)
        text += tr(" (前 %1 个读数未显示)").arg(run.droppedPoints);
    return text;
}

void CurveChart::ShowStatus(const QString& text) {
    status_->setText(text);
    status_->setToolTip(text); // the line may wrap out of sight
}

void CurveChart::FillSamples() {
    const std::vector<SensorSample> samples = SensorSamples(sensor_);
    samples_->setRowCount(static_cast<int>(samples.size()));
    for (size_t k = 0; k < samples.size(); ++k) {
        const SensorSample& s = samples[samples.size() - 1 - k]; // the latest first
        const int row = static_cast<int>(k);
        samples_->setItem(row, 0, new QTableWidgetItem(OriginText(s.origin)));
        samples_->setItem(row, 1, new QTableWidgetItem(ValueText(s.value)));
        samples_->setItem(
            row, 2, new QTableWidgetItem(QString::fromStdString(FormatVolts(s.volts)).trimmed()));
    }
}

QString CurveChart::PointTip(size_t k) const {
    const CurvePoint& p = run_.points.at(k);
    return tr("第 %1 次\n级别 %2\n强度 %3\n原始值 %4\n电压 %5 V")
        .arg(p.pass)
        .arg(QString::fromStdString(SensitivityCode(p.level)))
        .arg(p.intensity)
        .arg(p.raw)
        .arg(QString::fromStdString(FormatVolts(p.volts)).trimmed());
}

void CurveChart::OnHovered(const QPointF& point, bool state) {
    if (!state) {
        QToolTip::hideText();
        return;
    }
    for (size_t k = 0; k < run_.points.size(); ++k) {
        if (std::lround(point.x()) == static_cast<long>(run_.points[k].pass)) {
            QToolTip::showText(QCursor::pos(), PointTip(k), view_);
            return;
        }
    }
}

QString CurveExportName(Sensor sensor, const QDateTime& when, const QString& extension) {
    return QStringLiteral("curve-%1-%2.%3")
        .arg(sensor == Sensor::Reflective ? QStringLiteral("reflective")
                                          : QStringLiteral("transmissive"),
             when.toString(QStringLiteral("yyyyMMdd-HHmmss")), extension);
}

QString CurveChart::Summary() const {
    return summary_;
}

bool CurveChart::ExportPng(const QString& path) {
    // The chart with the run's result, standard and band written below it.
    const QPixmap chart = view_->grab();
    const QFontMetrics metrics(font());
    const int strip = metrics.height() + 12;
    QPixmap picture(chart.width(), chart.height() + strip);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, chart);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, chart.height(), chart.width() - 16, strip),
                     Qt::AlignVCenter | Qt::AlignLeft, Summary());
    painter.end();
    return picture.save(path, "PNG");
}

void CurveChart::ReportExport(const QString& path, bool saved) {
    const QString where = QDir::toNativeSeparators(path);
    if (saved) {
        ShowStatus(tr("已保存到 %1").arg(where));
        return;
    }
    QMessageBox::warning(this, QStringLiteral("Tarvello"), tr("无法写入 %1。").arg(where));
}

bool CurveChart::ExportCsv(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const std::string csv = CurveCsv(run_);
    return file.write(csv.data(), static_cast<qint64>(csv.size())) ==
               static_cast<qint64>(csv.size()) &&
           file.flush();
}
