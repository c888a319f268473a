#include "pages/PageSensor.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>
#include <optional>
#include <string>

#include "app/NoteBox.h"
#include "app/SharedState.h"
#include "pages/TextValidation.h"
#include "res/DialogLayout.h"

namespace {

// The framework's data exchange messages.
QString ParseIntMessage() {
    return QStringLiteral("请输入一个整数。");
}
QString ParseRealMessage() {
    return QStringLiteral("请输入一个数字。");
}
QString IntRangeMessage(double lo, double hi) {
    return QStringLiteral("请输入一个介于 %1 和 %2 之间的整数。").arg(lo).arg(hi);
}
QString RealRangeMessage(double lo, double hi) {
    return QStringLiteral("请输入一个介于 %1 和 %2 之间的数字。").arg(lo).arg(hi);
}

} // namespace

CSensorPage::CSensorPage(const SensorPageDesc& desc, QWidget* parent)
    : CPropertyPage(desc.templateId, parent), m_desc(desc) {
    m_font = tarvello::res::MakeFont("Tahoma", 16, 400);
    m_cbSensitivity = ItemAs<QComboBox>(1003);
}

void CSensorPage::ExchangeIntensity(int id, int32_t* value) {
    m_fields.push_back({id, value, nullptr, true, 0.0, 255.0});
}

void CSensorPage::ExchangeVoltage(int id, float* value, bool ranged) {
    m_fields.push_back({id, nullptr, value, ranged, 0.0, 5.0});
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
    if (f.ranged) {
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

bool CSensorPage::OnKillActive() {
    m_nRefusedId = 0;
    m_strRefusal.clear();
    for (const Field& f : m_fields) {
        if (f.id != m_desc.standardEdit && f.id != m_desc.intensityEdit)
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
    // 2. The voltage standard, converted as atof converts.
    m_fVoltStandard = ReadVoltStandard(m_ini, m_desc.keys);
    // 3. The sensitivity level; a level outside 0..3 leaves the combo without a selection.
    g_nSensitivity = ReadSensitivity(m_ini, m_desc.keys);
    const int level = g_nSensitivity;
    m_cbSensitivity->setCurrentIndex(level >= 0 && level <= 3 ? level : -1);
    // 4. The light intensity.
    g_nIntensity = ReadIntensity(m_ini, m_desc.keys);
    m_nIntensity = g_nIntensity;
    // 5. A running adjustment (of either sensor) stops at its next pass.
    g_bAdjustStop = true;
    // 6./7. Enable the controls an adjustment disables, and refresh.
    auto enable = [this] {
        if (QWidget* w = Item(m_desc.adjustButton))
            w->setEnabled(true);
        for (int id : m_desc.activationEnables) {
            if (QWidget* w = Item(id))
                w->setEnabled(true);
        }
    };
    if (m_desc.refreshBeforeEnable) {
        UpdateData(false);
        enable();
    } else {
        enable();
        UpdateData(false);
    }
    return CPropertyPage::OnSetActive();
}

bool CSensorPage::CheckPortOpen() {
    if (g_bPortOpen)
        return true;
    tarvello::ui::ShowNote(this, QString::fromUtf8(tarvello::ui::kPortNotOpenText));
    return false;
}

bool CSensorPage::event(QEvent* e) {
    if (static_cast<int>(e->type()) == m_desc.eventType) {
        OnAdjustUpdate();
        return true;
    }
    return CPropertyPage::event(e);
}
