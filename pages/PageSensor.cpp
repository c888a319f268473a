#include "pages/PageSensor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "device/PortState.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/PageAdjustProgress.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"
#include "sensor/TextValidation.h"

namespace {

// The page whose start began the adjustment worker of the process (UI thread only): the
// worker posts its updates to it, and its progress label follows it.
CSensorPage* s_pAdjustOwner = nullptr;

// The framework's data exchange messages.
QString ParseIntMessage() {
    return QCoreApplication::translate("PageSensor", "请输入一个整数。");
}
QString ParseRealMessage() {
    return QCoreApplication::translate("PageSensor", "请输入一个数字。");
}
QString IntRangeMessage(double lo, double hi) {
    return QCoreApplication::translate("PageSensor", "请输入一个介于 %1 和 %2 之间的整数。")
        .arg(lo)
        .arg(hi);
}
QString RealRangeMessage(double lo, double hi) {
    return QCoreApplication::translate("PageSensor", "请输入一个介于 %1 和 %2 之间的数字。")
        .arg(lo)
        .arg(hi);
}

// The sensors' update event types are QEvent::User + 101 and + 100.
static_assert(kEventUser == QEvent::User);

} // namespace

CSensorPage::CSensorPage(const SensorPageDesc& desc, QWidget* parent)
    : CPropertyPage(desc.templateId, parent), m_desc(desc) {
    m_font = tarvello::res::MakeFont("Tahoma", 16, 400);
    m_cbSensitivity = ItemAs<QComboBox>(tarvello::res::ids::sensorpage::kSensitivityList);

    // The adjustment's progress and its stop control, below the template's controls; hidden
    // until the page starts a run.
    m_pProgress = new CAdjustProgress(this, m_pTemplate);
    connect(m_pProgress, &CAdjustProgress::stopClicked, this, &CSensorPage::OnAdjustStop);
}

CSensorPage::~CSensorPage() {
    if (s_pAdjustOwner == this) {
        if (IsAdjustmentRunning())
            StopAdjustmentAndWait();
        s_pAdjustOwner = nullptr;
    }
}

void CSensorPage::ExchangeIntensity(int32_t* value) {
    m_fields.push_back({m_desc.intensityEdit, value, nullptr, VoltageRange::Unchecked, 0.0, 255.0});
}

void CSensorPage::ExchangeVoltage(SensorValue value, float* member, VoltageRange range) {
    m_values[static_cast<int>(value)] = member;
    m_fields.push_back({m_desc.EditOf(value), nullptr, member, range, 0.0, 5.0});
}

std::string CSensorPage::TextOf(SensorValue value) const {
    auto* edit = ItemAs<QLineEdit>(m_desc.EditOf(value));
    return edit ? edit->text().toStdString() : std::string();
}

bool CSensorPage::Take(const Field& f, QString* message) {
    auto* edit = ItemAs<QLineEdit>(f.id);
    if (!edit)
        return true;
    const std::string text = edit->text().toStdString();
    // The text as a number at all: blanks around it, nothing after it, and a zero value only
    // when it begins with the digit '0'.
    const QString trimmed = edit->text().trimmed();
    bool parsed = false;
    const double d =
        f.intValue ? QLocale::c().toInt(trimmed, &parsed) : QLocale::c().toDouble(trimmed, &parsed);
    parsed = parsed && std::isfinite(d) && (d != 0.0 || trimmed.startsWith(QLatin1Char('0')));
    if (f.intValue) {
        const std::optional<int> v = ValidateIntensityText(text);
        if (!v) {
            *message = parsed ? IntRangeMessage(f.minValue, f.maxValue) : ParseIntMessage();
            return false;
        }
        *f.intValue = *v;
        return true;
    }
    if (f.range == VoltageRange::ZeroToFive) {
        const std::optional<float> v = ValidateVoltageText(text);
        if (!v) {
            *message = parsed ? RealRangeMessage(f.minValue, f.maxValue) : ParseRealMessage();
            return false;
        }
        *f.floatValue = *v;
        return true;
    }
    if (!parsed) {
        *message = ParseRealMessage();
        return false;
    }
    *f.floatValue = static_cast<float>(d);
    return true;
}

void CSensorPage::Refuse(int id, const QString& message) {
    tarvello::ui::ShowValidationMessage(this, message);
    if (auto* edit = ItemAs<QLineEdit>(id)) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool CSensorPage::UpdateData(bool bSaveAndValidate) {
    if (!bSaveAndValidate) {
        for (const Field& f : m_fields) {
            auto* edit = ItemAs<QLineEdit>(f.id);
            if (!edit)
                continue;
            if (f.intValue)
                edit->setText(QString::number(*f.intValue));
            else
                edit->setText(QString::asprintf("%.6g", static_cast<double>(*f.floatValue)));
        }
        return true;
    }
    for (const Field& f : m_fields) {
        QString message;
        if (!Take(f, &message)) {
            Refuse(f.id, message);
            return false;
        }
    }
    return true;
}

bool CSensorPage::UpdateField(int id) {
    for (const Field& f : m_fields) {
        if (f.id != id)
            continue;
        QString message;
        if (!Take(f, &message)) {
            Refuse(f.id, message);
            return false;
        }
        return true;
    }
    return false;
}

bool CSensorPage::ValidateField(int id) {
    for (const Field& f : m_fields) {
        if (f.id != id)
            continue;
        // The same parse and range check, into a scratch value.
        int32_t scratchInt = 0;
        float scratchFloat = 0.0f;
        Field probe = f;
        if (probe.intValue)
            probe.intValue = &scratchInt;
        else
            probe.floatValue = &scratchFloat;
        QString message;
        if (!Take(probe, &message)) {
            Refuse(f.id, message);
            return false;
        }
        return true;
    }
    return false;
}

bool CSensorPage::OnKillActive() {
    m_nRefusedId = 0;
    m_strRefusal.clear();
    for (const Field& f : m_fields) {
        if (f.id != m_desc.EditOf(SensorValue::Standard) && f.id != m_desc.intensityEdit)
            continue;
        QString message;
        if (!Take(f, &message)) {
            m_nRefusedId = f.id;
            m_strRefusal = message;
            return false;
        }
    }
    return true;
}

void CSensorPage::ShowKillActiveRefusal() {
    if (m_nRefusedId != 0)
        Refuse(m_nRefusedId, m_strRefusal);
}

bool CSensorPage::OnSetActive() {
    // 1. The page font on its controls.
    for (int i = 0; i < m_desc.fontCount; ++i) {
        if (QWidget* w = Item(m_desc.fontOrder[i])) {
            w->setFont(m_font);
            tarvello::res::FitTextToFont(w);
        }
    }
    ReloadLevelsAndStop(AdjustStopCause::kPageActivation);
    return CPropertyPage::OnSetActive();
}

void CSensorPage::ReloadLevelsAndStop(AdjustStopCause cause) {
    // 2. The voltage standard, converted as atof converts.
    const SensorKeys& keys = *m_desc.params.keys;
    m_fVoltStandard = ReadVoltStandard(m_ini, keys);
    // 3. The sensitivity level; a level outside 0..3 leaves the combo without a selection.
    g_nSensitivity = ReadSensitivity(m_ini, keys);
    const int level = g_nSensitivity;
    m_cbSensitivity->setCurrentIndex(level >= 0 && level <= 3 ? level : -1);
    // 4. The light intensity.
    g_nIntensity = ReadIntensity(m_ini, keys);
    m_nIntensity = g_nIntensity;
    // 5. A running adjustment (of either sensor) stops at its next pass. The line of the run's
    //    page says so until the worker has ended, then how it ended.
    RequestAdjustmentStop(cause);
    m_bAdjusting = false;
    if (s_pAdjustOwner) {
        if (IsAdjustmentRunning())
            s_pAdjustOwner->m_pProgress->Stopping();
        else
            s_pAdjustOwner->m_pProgress->Refresh(); // an end the line's timer has not seen yet
    }
    // 6./7. Enable the controls an adjustment disables, and refresh.
    auto enable = [this] {
        if (QWidget* w = Item(m_desc.adjustButton))
            w->setEnabled(true);
        for (int id : m_desc.activationEnables) {
            if (QWidget* w = Item(id))
                w->setEnabled(true);
        }
    };
    if (m_desc.activationOrder == ActivationOrder::RefreshThenEnable) {
        UpdateData(false);
        enable();
    } else {
        enable();
        UpdateData(false);
    }
}

bool CSensorPage::CheckPortOpen() {
    if (g_bPortOpen)
        return true;
    tarvello::ui::ShowNote(this, tarvello::ui::NoteText(tarvello::ui::kPortNotOpenText));
    return false;
}

bool CSensorPage::event(QEvent* e) {
    if (static_cast<int>(e->type()) == m_desc.params.updateEventType) {
        OnAdjustUpdate();
        return true;
    }
    return CPropertyPage::event(e);
}

QWidget* CSensorPage::InputBlock() {
    // The whole window: the supply choice and the About box too, so that what a reading or a
    // check measures is converted with the supply shown when it was started.
    return window();
}

void CSensorPage::EnableAdjustControls(bool enable) {
    if (QWidget* w = Item(m_desc.adjustButton))
        w->setEnabled(enable);
    for (int id : m_desc.activationEnables) {
        if (QWidget* w = Item(id))
            w->setEnabled(enable);
    }
}

void CSensorPage::ShowReadingButtons(bool show) {
    for (int id : m_desc.readingButtons) {
        if (QWidget* w = Item(id))
            w->setVisible(show);
    }
}

void CSensorPage::ShowIdleState() {
    m_bAdjusting = false;
    m_pProgress->Hide();
    EnableAdjustControls(true);
}

// --- Automatic adjustment ---------------------------------------------------------------------

void CSensorPage::OnAdjustStart() {
    if (!CheckPortOpen())
        return;
    // The standard as the data exchange takes it (0.0..5.0): a refused text gets the message of
    // leaving the page, and nothing is saved or started.
    const int standardEdit = m_desc.EditOf(SensorValue::Standard);
    if (!ValidateField(standardEdit))
        return;
    const std::string typed = TextOf(SensorValue::Standard);
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
        QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(eventType)));
    });
    if (!started)
        return;
    // The line of an earlier run of the other page goes: this run is the latest one.
    if (s_pAdjustOwner && s_pAdjustOwner != this)
        s_pAdjustOwner->m_pProgress->Hide();
    s_pAdjustOwner = this;
    // The running state: start button and result edits disabled, reading buttons hidden.
    EnableAdjustControls(false);
    ShowReadingButtons(false);
    m_bAdjusting = true;
    m_pProgress->Follow();
}

void CSensorPage::OnAdjustStop() {
    // What a page activation does to the run (the stop request; the worker stops at its next
    // pass), with the page left as an activation leaves it.
    ReloadLevelsAndStop(AdjustStopCause::kStopControl);
}

void CSensorPage::OnAdjustUpdate() {
    // The shared state as it is now: this reading, usually with the levels of the next frame.
    // The band is judged against the run's own target, as the worker judges it, whatever the
    // standard edit holds since the start.
    const float result = g_fAdjustResult.load();
    const bool success = InBand(m_desc.params.sensor, g_fAdjustTarget.load(), result);
    AdjustLevels levels{g_nSensitivity.load(), g_nIntensity.load()};
    if (success) {
        // The levels the successful frame carried, not the ones a page activation may have
        // loaded into the shared state since.
        if (const std::optional<AdjustLevels> found = TakeSuccessfulLevels())
            levels = *found;
    }
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
    // Success: the page enabled, the reading buttons shown, the levels saved; the line says
    // what the run found.
    m_bAdjusting = false;
    if (s_pAdjustOwner == this)
        m_pProgress->Succeeded(levels.sensitivity, levels.intensity, result);
    EnableAdjustControls(true);
    ShowReadingButtons(true);
    m_ini.ClearSaveError();
    SaveAdjustedLevels(m_desc.params.sensor, m_ini, m_cbSensitivity->currentIndex(), m_nIntensity);
    tarvello::ui::ReportSaveFailure(this, m_ini);
}

// --- Single readings ---------------------------------------------------------------------------

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
    tarvello::ui::RunInBackground(
        this, InputBlock(),
        [value, sensor, comboIndex, intensityText, supply] {
            // Stops a running adjustment first, then suspends the monitor for the exchange.
            *value = TakeSingleReading(sensor, comboIndex, intensityText, supply);
        },
        [this, value, wasAdjusting, member, what] {
            if (wasAdjusting)
                ShowIdleState();
            if (!value->has_value())
                return; // no reading: member, display and file stay as they were
            *member = **value;
            ShowReadingButtons(true);
            UpdateData(false);
            // Four saves, one report at most.
            m_ini.ClearSaveError();
            SaveReading(
                m_ini, m_desc.params, what, [this](SensorValue from) { return TextOf(from); },
                m_cbSensitivity->currentIndex(), m_nIntensity);
            tarvello::ui::ReportSaveFailure(this, m_ini);
        });
}

// --- Paper check -------------------------------------------------------------------------------

namespace {

// Passes the check's values to the page on the UI thread, each with its refresh.
class CPageCheckSink : public PaperCheckSink {
  public:
    CPageCheckSink(CSensorPage* page, float* first, float* difference, float* derived)
        : m_page(page), m_first(first), m_difference(difference), m_derived(derived) {}
    void FirstSample(float volts) override {
        tarvello::ui::PostToUi(m_page, [page = m_page, first = m_first, volts] {
            *first = volts;
            page->UpdateData(false);
        });
    }
    void SecondSample(float) override {
        tarvello::ui::PostToUi(m_page, [page = m_page] { page->UpdateData(false); });
    }
    void Result(float difference, float derived) override {
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

void CSensorPage::OnCheckPaper() {
    if (!CheckPortOpen())
        return;
    const float supply = g_fSensorSupply.load();
    const Sensor sensor = m_desc.params.sensor;
    const bool wasAdjusting = m_bAdjusting;
    auto sink = std::make_shared<CPageCheckSink>(this, Member(m_desc.params.checkFirst),
                                                 Member(SensorValue::Difference),
                                                 Member(m_desc.params.checkDerived));
    tarvello::ui::RunInBackground(
        this, InputBlock(),
        [sink, sensor, supply] {
            // Stops a running adjustment first; nothing is saved.
            (void)RunPaperCheck(sensor, supply, *sink);
        },
        [this, wasAdjusting] {
            if (wasAdjusting)
                ShowIdleState();
        });
}
