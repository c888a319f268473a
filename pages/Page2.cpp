#include "pages/Page2.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/ControlIds.h"
#include "res/Templates.h"
#include "sensor/SensorReadings.h"

using namespace tarvello::res::ids::reflective;

namespace {

constexpr int kFontOrder[] = {kSensitivityLabel, kIntensityLabel, kStandardLabel, kPaperLabel,
                              kDifferenceLabel,  kMarkLabel,      kNoPaperLabel,  kPaperEdit,
                              kMarkEdit,         kNoPaperEdit,    kAdjustButton,  kIntensityEdit,
                              kCheckButton,      kMarkButton,     kNoPaperButton, kStandardEdit,
                              kDifferenceEdit,   kSensitivityList};

const SensorPageDesc kReflectivePage{
    tarvello::res::kIddReflectivePage,
    QEvent::User + 101,
    kStandardEdit,
    kIntensityEdit,
    kAdjustButton,
    {kPaperEdit, kNoPaperEdit, kMarkEdit},
    kFontOrder,
    static_cast<int>(std::size(kFontOrder)),
    kReflectiveKeys,
    false,
    Sensor::Reflective,
    {kMarkButton, kNoPaperButton},
};

} // namespace

CPage2::CPage2(QWidget* parent) : CSensorPage(kReflectivePage, parent) {
    ExchangeIntensity(kIntensityEdit, &m_nIntensity);
    ExchangeVoltage(kStandardEdit, &m_fVoltStandard, true);
    ExchangeVoltage(kPaperEdit, &m_fPaperVolt, true);
    ExchangeVoltage(kMarkEdit, &m_fMarkVolt, true);
    ExchangeVoltage(kNoPaperEdit, &m_fNoPaperVolt, true);
    ExchangeVoltage(kDifferenceEdit, &m_fVoltDiff, true);

    SetSensorMembers(&m_fPaperVolt, &m_fMarkVolt, &m_fPaperVolt);

    connect(ItemAs<QPushButton>(kAdjustButton), &QPushButton::clicked, this,
            &CPage2::OnAdjustPaperVoltage);
    connect(ItemAs<QPushButton>(kMarkButton), &QPushButton::clicked, this,
            &CPage2::OnGetMarkVoltage);
    connect(ItemAs<QPushButton>(kNoPaperButton), &QPushButton::clicked, this,
            &CPage2::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(kCheckButton), &QPushButton::clicked, this, &CPage2::OnPaperCheck);
}

void CPage2::OnAdjustPaperVoltage() {
    OnAdjustStart();
}

void CPage2::OnGetMarkVoltage() {
    // Saves "RMid" (edit 1057) and "RLow" (edit 1041), then the levels.
    OnSingleReading(&m_fMarkVolt, kMarkEdit, kPaperEdit, &SaveReflectiveMarkReading);
}

void CPage2::OnGetNoPaperVoltage() {
    // Saves "RHeigh" (edit 1032) and "RLow" (edit 1041), then the levels.
    OnSingleReading(&m_fNoPaperVolt, kNoPaperEdit, kPaperEdit, &SaveReflectiveNoPaperReading);
}

void CPage2::OnPaperCheck() {
    OnCheckPaper();
}
