// The sensor page: its construction, its dialog data exchange and its activation. The
// adjustment is in PageSensorAdjust.cpp, the single readings and the paper check in
// PageSensorReadings.cpp.
#include "pages/PageSensor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <optional>
#include <string>

#include "device/PortState.h"
#include "device/Protocol.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/PageAdjustProgress.h"
#include "pages/RecordKeeper.h"
#include "pages/VerdictLine.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "sensor/TextValidation.h"

namespace {

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
    m_pVerdict = new CVerdictLine(this, m_pTemplate, desc.params.sensor);
    tarvello::ui::CRecordKeeper::Instance()->WatchPage(this); // a record of each reading, check
}

void CSensorPage::ExchangeIntensity(int32_t* value) {
    m_fields.push_back({m_desc.intensityEdit, value, nullptr, VoltageRange::Unchecked, 0.0, 255.0});
}

void CSensorPage::ExchangeVoltage(SensorValue value, float* member, VoltageRange range) {
    m_values[static_cast<int>(value)] = member;
    m_fields.push_back({m_desc.EditOf(value), nullptr, member, range, 0.0, 5.0});
}

void CSensorPage::SetStandardText(const QString& text) {
    if (auto* edit = ItemAs<QLineEdit>(m_desc.EditOf(SensorValue::Standard)))
        edit->setText(text);
}

std::string CSensorPage::IntensityText() const {
    auto* edit = ItemAs<QLineEdit>(m_desc.intensityEdit);
    return edit ? edit->text().toStdString() : std::string();
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
                edit->setText(
                    QString::fromStdString(ShownValue(static_cast<double>(*f.floatValue))));
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
    // The page font on its controls.
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
    // The saved voltage standard, converted as atof converts.
    const SensorKeys& keys = *m_desc.params.keys;
    m_fVoltStandard = ReadVoltStandard(m_ini, keys);
    // The saved sensitivity level; a level outside 0..3 leaves the combo without a selection.
    g_nSensitivity = ReadSensitivity(m_ini, keys);
    const int level = g_nSensitivity;
    m_cbSensitivity->setCurrentIndex(level >= 0 && level <= 3 ? level : -1);
    // The saved light intensity.
    g_nIntensity = ReadIntensity(m_ini, keys);
    m_nIntensity = g_nIntensity;
    // A running adjustment (of either sensor) stops at its next pass.
    StopRunningAdjustment(cause);
    // The controls an adjustment disables enabled, and the refresh, in the page's order.
    if (m_desc.activationOrder == ActivationOrder::RefreshThenEnable) {
        UpdateData(false);
        EnableAdjustControls(true);
    } else {
        EnableAdjustControls(true);
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
    tarvello::ui::AcceptPostedEvents();
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

void CSensorPage::ApplyStandard(const std::string& text) {
    m_ini.ClearSaveError();
    SaveStandardText(m_desc.params.sensor, m_ini, text);
    tarvello::ui::ReportSaveFailure(this, m_ini);
    m_fVoltStandard = ReadVoltStandard(m_ini, *m_desc.params.keys);
    if (auto* edit = ItemAs<QLineEdit>(m_desc.EditOf(SensorValue::Standard)))
        edit->setText(QString::fromStdString(text));
}
