// The sensor page's automatic adjustment: its start, its stop control, its update event and
// what a page activation or the page's end does to a running worker.
#include "pages/PageSensor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>

#include <optional>
#include <string>

#include "device/PortState.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/PageAdjustProgress.h"
#include "pages/RecordKeeper.h"
#include "pages/VerdictLine.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustSearch.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/GuidedSteps.h"

namespace {

// The page whose start began the adjustment worker of the process (UI thread only): the
// worker posts its updates to it, and its progress label follows it.
CSensorPage* s_pAdjustOwner = nullptr;

} // namespace

CSensorPage::~CSensorPage() {
    if (s_pAdjustOwner == this) {
        if (IsAdjustmentRunning())
            StopAdjustmentAndWait();
        s_pAdjustOwner = nullptr;
    }
}

// The stop request with its cause; the line of the run's page says so until the worker has
// ended, then how it ended.
void CSensorPage::StopRunningAdjustment(AdjustStopCause cause) {
    RequestAdjustmentStop(cause);
    m_bAdjusting = false;
    if (s_pAdjustOwner) {
        if (IsAdjustmentRunning())
            s_pAdjustOwner->m_pProgress->Stopping();
        else
            s_pAdjustOwner->m_pProgress->Refresh(); // an end the line's timer has not seen yet
    }
}

void CSensorPage::OnAdjustStart() {
    if (!CheckPortOpen())
        return;
    // The standard as the data exchange takes it (0.0..5.0): a refused text gets the message of
    // leaving the page, and nothing is saved or started.
    const int standardEdit = m_desc.EditOf(SensorValue::Standard);
    if (!ValidateField(standardEdit))
        return;
    const std::string typed = TextOf(SensorValue::Standard);
    PlaceMedia(m_desc.params.sensor, LoadedStock(m_desc.params.sensor)); // the virtual printer's
    if (IsAdjustmentRunning()) {
        // An earlier worker is finishing its last pass (at most about 2.1 s): wait for it off
        // the UI thread, then start.
        tarvello::ui::RunInBackground(
            this, InputBlock(), [] { StopAdjustmentAndWait(); },
            [this, typed] { BeginAdjustment(typed); });
        return;
    }
    BeginAdjustment(typed);
}

void CSensorPage::BeginAdjustment(const std::string& typed) {
    // Saves the text as typed, reads it back as the target, and sets level 3 / intensity 0.
    const std::optional<float> target = PrepareAdjustmentStart(m_desc.params.sensor, m_ini, typed);
    if (!target) {
        ValidateField(m_desc.EditOf(SensorValue::Standard)); // the edit's message
        return;
    }
    m_fVoltStandard = *target;
    // A standard that could not be saved is still the target; the technician is told.
    tarvello::ui::ReportSaveFailure(this, m_ini);
    const int eventType = m_desc.params.updateEventType;
    const bool started = StartAdjustment(m_desc.params.sensor, [this, eventType] {
        // On the worker thread: post, never wait for the UI thread.
        tarvello::ui::PostEventToUi(this, new QEvent(static_cast<QEvent::Type>(eventType)));
    });
    if (!started)
        return;
    tarvello::ui::CRecordKeeper::Instance()->AdjustmentStarted(this); // its record at its end
    // The line of an earlier run of the other page goes: this run is the latest one.
    if (s_pAdjustOwner && s_pAdjustOwner != this)
        s_pAdjustOwner->m_pProgress->Hide();
    s_pAdjustOwner = this;
    // The running state: start button and result edits disabled, reading buttons hidden.
    EnableAdjustControls(false);
    ShowReadingButtons(false);
    m_bAdjusting = true;
    m_pProgress->Follow();
    m_pVerdict->Hide();
    if (BandBelowReach(m_desc.params, *target)) {
        // The search runs as asked; the technician learns why it will probably not end well.
        tarvello::ui::ShowWarningWithoutWaiting(
            this, tr("标准电压 %1 V 的合格范围低于 0.1 V, 传感器达不到: 调整将找不到结果。")
                      .arg(QString::fromStdString(typed)));
    }
}

void CSensorPage::OnAdjustStop() {
    // What a page activation does to the run (the stop request; the worker stops at its next
    // pass), with the page left as an activation leaves it.
    ReloadLevelsAndStop(AdjustStopCause::kStopControl);
}

void CSensorPage::OnAdjustUpdate() {
    // Success and the levels found come only from the worker's own record of its run: the
    // shared levels may have been loaded by the other page's activation since, and the shared
    // target by a later start. An update of the other sensor's run, or one after this run's
    // success was taken, is left alone.
    const AdjustRunState run = LatestAdjustRun();
    if (run.run == 0 || run.sensor != m_desc.params.sensor || run.run == m_uTakenRun)
        return;
    const bool success = run.end == AdjustEnd::kSuccess;
    // A reading on the way shows the shared state as it is now: the reading, usually with the
    // levels of the next frame.
    const float result = success ? run.volts : g_fAdjustResult.load();
    const AdjustLevels levels = success ? AdjustLevels{run.level, run.intensity}
                                        : AdjustLevels{g_nSensitivity.load(), g_nIntensity.load()};
    if (float* reading = Member(m_desc.params.adjustReading))
        *reading = result;
    const int level = levels.sensitivity;
    m_cbSensitivity->setCurrentIndex(level >= 0 && level <= 3 ? level : -1);
    m_nIntensity = levels.intensity;
    UpdateData(false);
    if (!success) {
        m_pProgress->Refresh();
        return;
    }
    // Success, taken once: the page enabled, the reading buttons shown, the levels the
    // successful frame carried saved; the line says what the run found.
    m_uTakenRun = run.run;
    m_bAdjusting = false;
    if (s_pAdjustOwner == this)
        m_pProgress->Succeeded(levels.sensitivity, levels.intensity, result);
    EnableAdjustControls(true);
    ShowReadingButtons(true);
    m_ini.ClearSaveError();
    SaveAdjustedLevels(m_desc.params.sensor, m_ini, m_cbSensitivity->currentIndex(), m_nIntensity);
    tarvello::ui::ReportSaveFailure(this, m_ini);
    // The verdict judges the levels the run found; it changes no save.
    m_pVerdict->NoteAdjustment(run, result);
    m_pVerdict->Judge(g_fSensorSupply.load());
}
