// The sensor page's single readings and paper check: their exchanges run on a worker thread
// while the window takes no input, and their results are applied on the UI thread.
#include "pages/PageSensor.h"

#include <QComboBox>
#include <QLineEdit>

#include <memory>
#include <optional>
#include <string>

#include "device/PortState.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/PageAdjustProgress.h"
#include "pages/RecordKeeper.h"
#include "pages/VerdictLine.h"
#include "sensor/GuidedSteps.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

void CSensorPage::OnSingleReading(int reading) {
    if (!CheckPortOpen())
        return;
    // The intensity text is sent as typed, but only a text the data exchange accepts (0..255).
    if (!ValidateField(m_desc.intensityEdit))
        return;
    auto* intensityEdit = ItemAs<QLineEdit>(m_desc.intensityEdit);
    const std::string intensityText =
        intensityEdit ? intensityEdit->text().toStdString() : std::string();
    const int comboIndex = m_cbSensitivity->currentIndex();
    const float supply = g_fSensorSupply.load();
    const Sensor sensor = m_desc.params.sensor;
    const SingleReading& what = m_desc.params.readings[reading];
    float* member = Member(what.measures);
    const bool wasAdjusting = m_bAdjusting;
    auto value = std::make_shared<std::optional<float>>();
    tarvello::ui::LabelNextRun(tarvello::ui::RunKind::Reading);
    tarvello::ui::CRecordKeeper::Instance()->ActionStarted(this);
    auto end = std::make_shared<ReadingEnd>(ReadingEnd::kReading);
    PlaceMedia(sensor, MediaOfReading(sensor, reading)); // what the virtual printer measures
    tarvello::ui::RunInBackground(
        this, InputBlock(),
        [value, end, sensor, comboIndex, intensityText, supply] {
            // Stops a running adjustment first, then suspends the monitor for the exchange.
            *value = TakeSingleReading(sensor, comboIndex, intensityText, supply, end.get());
        },
        [this, value, end, wasAdjusting, member, what, reading] {
            if (wasAdjusting)
                ShowIdleState();
            if (!value->has_value()) {
                emit readingEnded(reading, static_cast<int>(*end));
                return; // no reading: member, display and file stay as they were
            }
            *member = **value;
            m_pVerdict->NoteReading(what.measures, **value);
            ShowReadingButtons(true);
            UpdateData(false);
            // Four saves, one report at most.
            m_ini.ClearSaveError();
            SaveReading(
                m_ini, m_desc.params, what, [this](SensorValue from) { return TextOf(from); },
                m_cbSensitivity->currentIndex(), m_nIntensity);
            tarvello::ui::ReportSaveFailure(this, m_ini);
            emit readingEnded(reading, static_cast<int>(ReadingEnd::kReading));
        });
}

namespace {

// Passes the check's values to the page on the UI thread, each with its refresh.
class CPageCheckSink : public PaperCheckSink {
  public:
    CPageCheckSink(CSensorPage* page, float* first, float* difference, float* derived)
        : m_page(page), m_first(first), m_difference(difference), m_derived(derived) {}
    // The two samples as taken (read on the UI thread once the check has ended).
    std::optional<float> first, second;
    bool completed = false;
    void CheckWait(int ms) override {
        tarvello::ui::PostToUi(m_page, [page = m_page, ms] { page->ShowCheckWait(ms); });
    }
    void FirstSample(float volts) override {
        first = volts;
        tarvello::ui::PostToUi(m_page, [page = m_page, first = m_first, volts] {
            *first = volts;
            page->UpdateData(false);
        });
    }
    void SecondSample(float volts) override {
        second = volts;
        tarvello::ui::PostToUi(m_page, [page = m_page] { page->UpdateData(false); });
    }
    void Result(float difference, float derived) override {
        completed = true;
        tarvello::ui::PostToUi(
            m_page, [page = m_page, diff = m_difference, der = m_derived, difference, derived] {
                *diff = difference;
                *der = derived;
                page->UpdateData(false);
            });
    }

  private:
    CSensorPage* m_page;
    float* m_first;
    float* m_difference;
    float* m_derived;
};

} // namespace

void CSensorPage::ShowCheckWait(int ms) {
    m_pProgress->WaitFor(ms);
}

void CSensorPage::OnCheckPaper() {
    if (!CheckPortOpen())
        return;
    const float supply = g_fSensorSupply.load();
    const Sensor sensor = m_desc.params.sensor;
    const bool wasAdjusting = m_bAdjusting;
    auto sink = std::make_shared<CPageCheckSink>(this, Member(m_desc.params.checkFirst),
                                                 Member(SensorValue::Difference),
                                                 Member(m_desc.params.checkDerived));
    tarvello::ui::LabelNextRun(tarvello::ui::RunKind::Check);
    tarvello::ui::CRecordKeeper::Instance()->ActionStarted(this);
    // A check stops the page's adjustment first: the line says so from the start.
    m_pProgress->Wait(wasAdjusting ? tr("纸张检测: 打印机走纸中 (自动调节已停止)")
                                   : tr("纸张检测: 打印机走纸中"));
    auto end = std::make_shared<PaperCheckEnd>(PaperCheckEnd::PortNotOpen);
    PlaceMedia(sensor, LoadedStock(sensor)); // what the virtual printer measures
    tarvello::ui::RunInBackground(
        this, InputBlock(),
        [sink, end, sensor, supply] {
            // Stops a running adjustment first; nothing is saved.
            *end = RunPaperCheck(sensor, supply, *sink);
        },
        [this, sink, end, wasAdjusting] {
            if (wasAdjusting)
                ShowIdleState();
            // The line says that the check stopped the adjustment, and at which pass, until
            // the next run.
            m_pProgress->ShowText(wasAdjusting ? StoppedForCheckText(LatestAdjustRun().passes)
                                               : QString());
            if (sink->completed && sink->first && sink->second) {
                m_pVerdict->NoteCheck(*sink->first, *sink->second);
                m_pVerdict->Judge(g_fSensorSupply.load());
            }
            emit checkEnded(static_cast<int>(*end), sink->first.value_or(0.0f),
                            sink->second.value_or(0.0f));
        });
}
