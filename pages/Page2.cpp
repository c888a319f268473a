#include "pages/Page2.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/Templates.h"
#include "sensor/SensorReadings.h"

namespace {

constexpr int kFontOrder[] = {1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1057,
                              1032, 1025, 1033, 1059, 1045, 1026, 1031, 1056, 1003};

const SensorPageDesc kReflectivePage{
    tarvello::res::kIddReflectivePage,
    QEvent::User + 101,
    1031,
    1033,
    1025,
    {1041, 1032, 1057},
    kFontOrder,
    static_cast<int>(std::size(kFontOrder)),
    kReflectiveKeys,
    false,
    Sensor::Reflective,
    {1045, 1026},
};

} // namespace

CPage2::CPage2(QWidget* parent) : CSensorPage(kReflectivePage, parent) {
    ExchangeIntensity(1033, &m_nIntensity);
    ExchangeVoltage(1031, &m_fVoltStandard, true);
    ExchangeVoltage(1041, &m_fPaperVolt, true);
    ExchangeVoltage(1057, &m_fMarkVolt, true);
    ExchangeVoltage(1032, &m_fNoPaperVolt, true);
    ExchangeVoltage(1056, &m_fVoltDiff, true);

    SetSensorMembers(&m_fPaperVolt, &m_fMarkVolt, &m_fPaperVolt);

    connect(ItemAs<QPushButton>(1025), &QPushButton::clicked, this, &CPage2::OnAdjustPaperVoltage);
    connect(ItemAs<QPushButton>(1045), &QPushButton::clicked, this, &CPage2::OnGetMarkVoltage);
    connect(ItemAs<QPushButton>(1026), &QPushButton::clicked, this, &CPage2::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(1059), &QPushButton::clicked, this, &CPage2::OnPaperCheck);
}

void CPage2::OnAdjustPaperVoltage() {
    OnAdjustStart();
}

void CPage2::OnGetMarkVoltage() {
    // Saves "RMid" (edit 1057) and "RLow" (edit 1041), then the levels.
    OnSingleReading(&m_fMarkVolt, 1057, 1041, &SaveReflectiveMarkReading);
}

void CPage2::OnGetNoPaperVoltage() {
    // Saves "RHeigh" (edit 1032) and "RLow" (edit 1041), then the levels.
    OnSingleReading(&m_fNoPaperVolt, 1032, 1041, &SaveReflectiveNoPaperReading);
}

void CPage2::OnPaperCheck() {
    OnCheckPaper();
}
