#include "pages/Page3.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/ControlIds.h"
#include "res/Templates.h"
#include "sensor/SensorReadings.h"

using namespace tarvello::res::ids::transmissive;

namespace {

constexpr int kFontOrder[] = {kSensitivityLabel, kIntensityLabel, kStandardLabel, kLinerLabel,
                              kDifferenceLabel,  kPaperLabel,     kNoPaperLabel,  kNoPaperEdit,
                              kLinerEdit,        kPaperEdit,      kAdjustButton,  kIntensityEdit,
                              kCheckButton,      kNoPaperButton,  kPaperButton,   kStandardEdit,
                              kDifferenceEdit,   kSensitivityList};

const SensorPageDesc kTransmissivePage{
    tarvello::res::kIddTransmissivePage,
    QEvent::User + 100,
    kStandardEdit,
    kIntensityEdit,
    kAdjustButton,
    {kNoPaperEdit, kPaperEdit, 0},
    kFontOrder,
    static_cast<int>(std::size(kFontOrder)),
    kTransmissiveKeys,
    true,
    Sensor::Transmissive,
    {kNoPaperButton, kPaperButton},
};

} // namespace

CPage3::CPage3(QWidget* parent) : CSensorPage(kTransmissivePage, parent) {
    ExchangeVoltage(kPaperEdit, &m_fPaperVolt, true);
    ExchangeVoltage(kNoPaperEdit, &m_fNoPaperVolt, false);
    ExchangeIntensity(kIntensityEdit, &m_nIntensity);
    ExchangeVoltage(kDifferenceEdit, &m_fVoltDiff, true);
    ExchangeVoltage(kLinerEdit, &m_fLinerVolt, true);
    ExchangeVoltage(kStandardEdit, &m_fVoltStandard, true);

    SetSensorMembers(&m_fLinerVolt, &m_fLinerVolt, &m_fNoPaperVolt);

    connect(ItemAs<QPushButton>(kAdjustButton), &QPushButton::clicked, this,
            &CPage3::OnAdjustLinerVoltage);
    connect(ItemAs<QPushButton>(kNoPaperButton), &QPushButton::clicked, this,
            &CPage3::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(kPaperButton), &QPushButton::clicked, this,
            &CPage3::OnGetPaperVoltage);
    connect(ItemAs<QPushButton>(kCheckButton), &QPushButton::clicked, this, &CPage3::OnPaperCheck);
}

void CPage3::OnAdjustLinerVoltage() {
    OnAdjustStart();
}

void CPage3::OnGetNoPaperVoltage() {
    // The reading goes into the no-paper voltage (edit 1020); the save takes "TLow" from the
    // paper voltage (edit 1019) and "TMid" from the standard (edit 1046), then the levels.
    OnSingleReading(&m_fNoPaperVolt, kPaperEdit, kStandardEdit, &SaveTransmissiveNoPaperReading);
}

void CPage3::OnGetPaperVoltage() {
    // The reading goes into the paper voltage (edit 1019); the save takes "TMid" from the
    // standard (edit 1046) and "THeigh" from the no-paper voltage (edit 1020), then the levels.
    OnSingleReading(&m_fPaperVolt, kStandardEdit, kNoPaperEdit, &SaveTransmissivePaperReading);
}

void CPage3::OnPaperCheck() {
    OnCheckPaper();
}
