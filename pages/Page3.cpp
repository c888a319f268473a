#include "pages/Page3.h"

#include <QPushButton>

#include <iterator>

#include "res/ControlIds.h"
#include "res/Templates.h"
#include "sensor/SensorParams.h"

using namespace tarvello::res::ids::transmissive;

namespace {

constexpr int kFontOrder[] = {kSensitivityLabel, kIntensityLabel, kStandardLabel, kLinerLabel,
                              kDifferenceLabel,  kPaperLabel,     kNoPaperLabel,  kNoPaperEdit,
                              kLinerEdit,        kPaperEdit,      kAdjustButton,  kIntensityEdit,
                              kCheckButton,      kNoPaperButton,  kPaperButton,   kStandardEdit,
                              kDifferenceEdit,   kSensitivityList};

const SensorPageDesc kTransmissivePage{
    kTransmissiveParams,                                                       // params
    tarvello::res::kIddTransmissivePage,                                       // templateId
    {kStandardEdit, kPaperEdit, 0, kNoPaperEdit, kLinerEdit, kDifferenceEdit}, // valueEdits
    kIntensityEdit,                                                            // intensityEdit
    kAdjustButton,                                                             // adjustButton
    {kNoPaperEdit, kPaperEdit, 0},                                             // activationEnables
    {kNoPaperButton, kPaperButton},                                            // readingButtons
    kFontOrder,                                                                // fontOrder
    static_cast<int>(std::size(kFontOrder)),                                   // fontCount
    ActivationOrder::RefreshThenEnable,                                        // activationOrder
};

} // namespace

CPage3::CPage3(QWidget* parent) : CSensorPage(kTransmissivePage, parent) {
    ExchangeVoltage(SensorValue::Paper, &m_fPaperVolt, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::NoPaper, &m_fNoPaperVolt, VoltageRange::Unchecked);
    ExchangeIntensity(&m_nIntensity);
    ExchangeVoltage(SensorValue::Difference, &m_fVoltDiff, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::Liner, &m_fLinerVolt, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::Standard, &m_fVoltStandard, VoltageRange::ZeroToFive);

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
    // The reading goes into the no-paper voltage; the save takes "TLow" from the paper voltage
    // and "TMid" from the standard, then the levels, and last "THeigh" from the reading.
    OnSingleReading(kTransmissiveNoPaperReading);
}

void CPage3::OnGetPaperVoltage() {
    // The reading goes into the paper voltage; the save takes "TMid" from the standard and
    // "THeigh" from the no-paper voltage, then the levels, and last "TLow" from the reading.
    OnSingleReading(kPaperReading);
}

void CPage3::OnPaperCheck() {
    OnCheckPaper();
}
