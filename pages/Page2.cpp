#include "pages/Page2.h"

#include <QPushButton>

#include <iterator>

#include "res/ControlIds.h"
#include "res/Templates.h"
#include "sensor/SensorParams.h"

using namespace tarvello::res::ids::reflective;

namespace {

constexpr int kFontOrder[] = {kSensitivityLabel, kIntensityLabel, kStandardLabel, kPaperLabel,
                              kDifferenceLabel,  kMarkLabel,      kNoPaperLabel,  kPaperEdit,
                              kMarkEdit,         kNoPaperEdit,    kAdjustButton,  kIntensityEdit,
                              kCheckButton,      kMarkButton,     kNoPaperButton, kStandardEdit,
                              kDifferenceEdit,   kSensitivityList};

const SensorPageDesc kReflectivePage{
    kReflectiveParams,                                                        // params
    tarvello::res::kIddReflectivePage,                                        // templateId
    {kStandardEdit, kPaperEdit, kMarkEdit, kNoPaperEdit, 0, kDifferenceEdit}, // valueEdits
    kIntensityEdit,                                                           // intensityEdit
    kAdjustButton,                                                            // adjustButton
    {kPaperEdit, kNoPaperEdit, kMarkEdit},                                    // activationEnables
    {kMarkButton, kNoPaperButton},                                            // readingButtons
    kFontOrder,                                                               // fontOrder
    static_cast<int>(std::size(kFontOrder)),                                  // fontCount
    ActivationOrder::EnableThenRefresh,                                       // activationOrder
};

} // namespace

CPage2::CPage2(QWidget* parent) : CSensorPage(kReflectivePage, parent) {
    ExchangeIntensity(&m_nIntensity);
    ExchangeVoltage(SensorValue::Standard, &m_fVoltStandard, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::Paper, &m_fPaperVolt, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::Mark, &m_fMarkVolt, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::NoPaper, &m_fNoPaperVolt, VoltageRange::ZeroToFive);
    ExchangeVoltage(SensorValue::Difference, &m_fVoltDiff, VoltageRange::ZeroToFive);

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
    // Saves "RMid" (the mark voltage) and "RLow" (the paper voltage), then the levels.
    OnSingleReading(kMarkReading);
}

void CPage2::OnGetNoPaperVoltage() {
    // Saves "RHeigh" (the no-paper voltage) and "RLow" (the paper voltage), then the levels.
    OnSingleReading(kReflectiveNoPaperReading);
}

void CPage2::OnPaperCheck() {
    OnCheckPaper();
}
