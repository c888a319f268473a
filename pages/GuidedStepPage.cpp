#include "pages/GuidedStepPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizard>

#include <memory>
#include <optional>

#include "device/PortState.h"
#include "pages/BackgroundRun.h"
#include "pages/GuidedDrawing.h"
#include "pages/PageAdjustProgress.h"
#include "pages/PageSensor.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

namespace {

QString Volts(float v) {
    return QString::number(static_cast<double>(v), 'f', 4) + QStringLiteral(" V");
}

} // namespace

CGuidedStepPage::CGuidedStepPage(const GuidedStepDef& def, CSensorPage* page, QWidget* parent)
    : QWizardPage(parent), m_def(def), m_page(page) {
    setTitle(StepTitle(def));
    setSubTitle(StepSentence(def));
    auto* layout = new QVBoxLayout(this);
    auto* drawing = new CGuidedMediaDrawing(def.sensor, def.media, this);
    drawing->setAccessibleName(tr("传感器下的介质"));
    layout->addWidget(drawing);
    m_lblLive = new QLabel(this);
    m_lblLive->setAccessibleName(tr("当前读数"));
    layout->addWidget(m_lblLive);
    if (def.step == GuidedStep::Adjust) {
        m_progress = new QProgressBar(this);
        m_progress->setAccessibleName(tr("调节进度"));
        m_progress->setTextVisible(false);
        m_progress->setRange(0, 1);
        layout->addWidget(m_progress);
        m_curveView = new CGuidedCurve(this);
        m_curveView->setAccessibleName(tr("调节曲线"));
        layout->addWidget(m_curveView);
    }
    m_lblResult = new QLabel(this);
    m_lblResult->setWordWrap(true);
    m_lblResult->setAccessibleName(tr("结果"));
    layout->addWidget(m_lblResult);
    auto* buttons = new QHBoxLayout;
    m_btnRepeat = new QPushButton(tr("重做此步(&R)"), this);
    m_btnRepeat->setAccessibleName(tr("重做此步"));
    m_btnStop = new QPushButton(tr("停止(&S)"), this);
    m_btnStop->setAccessibleName(tr("停止"));
    // Enter stays Next (the wizard's default button) whichever of these has the focus.
    m_btnRepeat->setAutoDefault(false);
    m_btnStop->setAutoDefault(false);
    buttons->addWidget(m_btnRepeat);
    buttons->addWidget(m_btnStop);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_btnRepeat, &QPushButton::clicked, this, [this] {
        m_bAdvance = false;
        Start();
    });
    connect(m_btnStop, &QPushButton::clicked, this, [this] { Stop(); });
    m_tick = new QTimer(this);
    m_tick->setInterval(100);
    connect(m_tick, &QTimer::timeout, this, &CGuidedStepPage::OnTick);
    m_live = new QTimer(this);
    m_live->setInterval(500);
    connect(m_live, &QTimer::timeout, this, &CGuidedStepPage::PollLive);
    connect(m_page, &CSensorPage::readingEnded, this, &CGuidedStepPage::OnReadingEnded);
    connect(m_page, &CSensorPage::checkEnded, this, &CGuidedStepPage::OnCheckEnded);
    ShowState();
}

void CGuidedStepPage::initializePage() {
    // On the virtual printer the media asked for is put under the sensor now.
    PlaceMedia(m_def.sensor, m_def.media);
    m_liveReadings.clear();
    if (m_state != State::Running) {
        m_bLive = true;
        m_live->start();
        PollLive();
    }
    ShowState();
}

void CGuidedStepPage::cleanupPage() {
    // Back keeps the result; only the live reading stops.
    m_bLive = false;
    m_live->stop();
}

bool CGuidedStepPage::isComplete() const {
    return m_state != State::Running;
}

bool CGuidedStepPage::validatePage() {
    if (m_state == State::Running)
        return false;
    if (m_state != State::Idle || m_def.step == GuidedStep::Reload) {
        m_bLive = false;
        m_live->stop();
        return true; // a result (or a failure with its reason) is there: move on
    }
    m_bAdvance = m_def.step != GuidedStep::Adjust && m_def.step != GuidedStep::Check;
    Start();
    return false;
}

void CGuidedStepPage::Start() {
    if (m_def.step == GuidedStep::Reload) {
        m_liveReadings.clear();
        m_state = State::Idle;
        m_result.clear();
        m_bLive = true;
        m_live->start();
        ShowState();
        return;
    }
    m_bLive = false;
    m_live->stop();
    m_state = State::Running;
    m_result.clear();
    ShowState();
    emit completeChanged(); // Next is disabled while the step runs: the keyboard is on Stop
    emit busyChanged();
    m_btnStop->setFocus();
    if (m_bPolling)
        return; // the live reading's exchange ends first (OnLiveReading starts the step)
    if (tarvello::ui::BackgroundRunActive()) {
        // Another page's live reading is still on the line: one exchange at a time.
        QTimer::singleShot(50, this, [this] {
            if (m_state == State::Running)
                Start();
        });
        return;
    }
    switch (m_def.step) {
    case GuidedStep::Adjust:
        StartAdjust();
        break;
    case GuidedStep::Check:
        StartCheck();
        break;
    default:
        StartReading();
        break;
    }
}

void CGuidedStepPage::StartAdjust() {
    m_adjusted.reset();
    m_curve.clear();
    m_nCurvePasses = 0;
    m_bOutOfReach = false;
    if (!m_standardText.isEmpty())
        m_page->SetStandardText(m_standardText);
    m_page->RunAdjustButton();
    if (!m_page->IsAdjusting() && !tarvello::ui::BackgroundRunActive()) {
        // The page refused (port not open, standard out of range) and said why in its box.
        Finish(false, g_bPortOpen ? tr("调节没有开始：电压标准无效。") : tr("串口未打开。"));
        return;
    }
    const float standard = m_page->m_fVoltStandard;
    const bool around = m_def.sensor == Sensor::Transmissive;
    m_curveView->SetBand(standard - 0.1f, around ? standard + 0.1f : standard,
                         g_fSensorSupply.load());
    m_progress->setRange(0, 0); // busy: a search has no known length
    m_tick->start();
}

void CGuidedStepPage::StartReading() {
    m_reading.reset();
    const std::optional<int> reading = ReadingIndexOf(m_def.sensor, m_def.step);
    m_page->RunReadingButton(reading.value_or(0));
    if (!tarvello::ui::BackgroundRunActive())
        Finish(false,
               g_bPortOpen
                   ? CGuidedStepPage::ReadingEndText(static_cast<int>(ReadingEnd::kRefusedText))
                   : CGuidedStepPage::ReadingEndText(static_cast<int>(ReadingEnd::kPortNotOpen)));
}

void CGuidedStepPage::StartCheck() {
    m_first = m_second = 0.0f;
    m_page->RunCheckButton();
    if (!tarvello::ui::BackgroundRunActive())
        Finish(false, CGuidedStepPage::CheckEndText(static_cast<int>(PaperCheckEnd::PortNotOpen)));
}

void CGuidedStepPage::OnTick() {
    const AdjustRunState run = LatestAdjustRun();
    if (run.passes != m_nCurvePasses && run.raw >= 0) {
        m_nCurvePasses = run.passes;
        m_curve.push_back(g_fAdjustResult.load());
        m_curveView->SetPoints(m_curve);
    }
    const bool running = IsAdjustmentRunning() || tarvello::ui::BackgroundRunActive();
    m_lblLive->setText(AdjustProgressText(run, running, false, g_fAdjustResult.load()));
    if (running && run.allLevelsTried && !m_bOutOfReach) {
        // Every level has been tried: the band is out of reach for this media and sensor.
        m_bOutOfReach = true;
        m_page->RunStopControl();
        return;
    }
    // The success is the page's (its update handler saved the levels); any other end is the
    // worker's.
    if (running || (run.end == AdjustEnd::kSuccess && m_page->IsAdjusting()))
        return;
    m_tick->stop();
    m_progress->setRange(0, 1);
    m_progress->setValue(1);
    verdict::AdjustResult adjusted;
    adjusted.level = run.level;
    adjusted.intensity = run.intensity;
    adjusted.passes = static_cast<int>(run.passes);
    adjusted.raw = run.raw;
    adjusted.outcome = m_bOutOfReach && run.end != AdjustEnd::kSuccess
                           ? verdict::AdjustOutcome::kOutOfReach
                           : verdict::AdjustOutcomeOf(run.end);
    if (run.end == AdjustEnd::kSuccess)
        adjusted.volts = g_fAdjustResult.load();
    m_adjusted = adjusted;
    if (run.end == AdjustEnd::kSuccess) {
        Finish(true, tr("等级 %1，光强度 %2，%3（%4 次）")
                         .arg(m_page->m_cbSensitivity->currentText(),
                              QString::fromStdString(m_page->IntensityText()),
                              Volts(g_fAdjustResult.load()))
                         .arg(run.passes));
        return;
    }
    Finish(false, m_bOutOfReach ? tr("四个等级都试过了，没有达到电压标准：检查介质和传感器。")
                                : AdjustProgressText(run, false, false, g_fAdjustResult.load()));
}

void CGuidedStepPage::OnReadingEnded(int reading, int end) {
    if (m_state != State::Running || ReadingIndexOf(m_def.sensor, m_def.step) != reading)
        return;
    if (end != static_cast<int>(ReadingEnd::kReading)) {
        Finish(false, CGuidedStepPage::ReadingEndText(end));
        return;
    }
    const SensorValue measures = m_page->Params().readings[reading].measures;
    m_reading = m_page->ValueText(measures).toDouble();
    Finish(true, m_page->ValueText(measures) + QStringLiteral(" V"));
}

void CGuidedStepPage::OnCheckEnded(int end, float first, float second) {
    if (m_state != State::Running || m_def.step != GuidedStep::Check)
        return;
    m_first = first;
    m_second = second;
    if (end != static_cast<int>(PaperCheckEnd::Completed)) {
        Finish(false, CGuidedStepPage::CheckEndText(end));
        return;
    }
    Finish(true, tr("样本 %1 和 %2，电压差 %3 V")
                     .arg(Volts(first), Volts(second), m_page->ValueText(SensorValue::Difference)));
}

void CGuidedStepPage::Finish(bool ok, const QString& text) {
    m_state = ok ? State::Done : State::Failed;
    m_result = text;
    ShowState();
    emit completeChanged();
    emit busyChanged();
    if (!wizard() || wizard()->currentPage() != this)
        return;
    wizard()->button(QWizard::NextButton)->setFocus(); // Enter moves on
    if (ok && m_bAdvance)
        wizard()->next();
}

bool CGuidedStepPage::Stop() {
    m_bLive = false;
    m_live->stop();
    if (m_state != State::Running) {
        ShowState(); // a stopped reload can be started again with "Repeat step"
        return false;
    }
    if (m_def.step == GuidedStep::Adjust) {
        m_bAdvance = false;
        m_page->RunStopControl(); // the worker stops at its next pass; the tick sees its end
    } else {
        // A reading or a paper check is one bounded exchange: its result comes in a moment.
        m_bAdvance = false;
        m_lblResult->setText(tr("正在结束当前的交换…"));
    }
    return true;
}

void CGuidedStepPage::PollLive() {
    if (!m_bLive || m_bPolling || m_state == State::Running ||
        tarvello::ui::BackgroundRunActive() || IsAdjustmentRunning())
        return; // the line is busy: the next tick reads
    if (!g_bPortOpen) {
        m_lblLive->setText(tr("当前读数: -- (%1)")
                               .arg(ReadingEndText(static_cast<int>(ReadingEnd::kPortNotOpen))));
        return;
    }
    const std::string intensity = m_page->IntensityText();
    const int combo = m_page->m_cbSensitivity->currentIndex();
    const float supply = g_fSensorSupply.load();
    const Sensor sensor = m_def.sensor;
    auto volts = std::make_shared<std::optional<float>>();
    auto end = std::make_shared<ReadingEnd>(ReadingEnd::kReading);
    m_bPolling = true;
    emit busyChanged();
    tarvello::ui::RunInBackground(
        this, nullptr,
        [=] { *volts = TakeSingleReading(sensor, combo, intensity, supply, end.get()); },
        [=] { OnLiveReading(volts->value_or(0.0f), static_cast<int>(*end)); });
}

void CGuidedStepPage::OnLiveReading(float volts, int end) {
    m_bPolling = false;
    emit busyChanged();
    if (m_state == State::Running) {
        Start(); // a step was asked for while the live reading's exchange ran
        return;
    }
    if (end != static_cast<int>(ReadingEnd::kReading)) {
        m_lblLive->setText(tr("当前读数: -- (%1)").arg(CGuidedStepPage::ReadingEndText(end)));
        if (end == static_cast<int>(ReadingEnd::kWriteFailed) && m_def.step == GuidedStep::Reload)
            Finish(false, CGuidedStepPage::ReadingEndText(end));
        return;
    }
    m_lblLive->setText(tr("当前读数: %1").arg(Volts(volts)));
    if (m_def.step != GuidedStep::Reload || m_state == State::Done)
        return;
    m_liveReadings.push_back(volts);
    const int inBand = ReloadReadingsInBand(m_def.sensor, m_page->m_fVoltStandard, m_liveReadings);
    m_lblResult->setText(tr("连续在范围内的读数: %1 / %2").arg(inBand).arg(kReloadReadings));
    if (inBand >= kReloadReadings) {
        m_bLive = false;
        m_live->stop();
        m_bAdvance = true;
        Finish(true, tr("纸已放回：%1").arg(Volts(volts)));
    }
}

void CGuidedStepPage::ShowState() {
    m_btnStop->setEnabled(m_state == State::Running || m_bLive);
    m_btnRepeat->setEnabled(m_state == State::Done || m_state == State::Failed ||
                            (m_def.step == GuidedStep::Reload && !m_bLive));
    QString text = m_result;
    if (m_state == State::Running)
        text = tr("正在进行…");
    else if (m_state == State::Failed)
        text = tr("此步没有完成: %1").arg(m_result);
    m_lblResult->setText(text);
    m_lblResult->setStyleSheet(m_state == State::Failed ? QStringLiteral("color: #b00000")
                                                        : QString());
}
