#include "pages/Page3.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/Templates.h"
#include "sensor/SensorReadings.h"

namespace {

constexpr int kFontOrder[] = {1034, 1035, 1036, 1037, 1038, 1039, 1040, 1020, 1055,
                              1019, 1027, 1023, 1059, 1047, 1028, 1046, 1054, 1003};

const SensorPageDesc kTransmissivePage{
    tarvello::res::kIddTransmissivePage,
    QEvent::User + 100,
    1046,
    1023,
    1027,
    {1020, 1019, 0},
    kFontOrder,
    static_cast<int>(std::size(kFontOrder)),
    kTransmissiveKeys,
    true,
    Sensor::Transmissive,
    {1047, 1028},
};

} // namespace

CPage3::CPage3(QWidget* parent) : CSensorPage(kTransmissivePage, parent) {
    ExchangeVoltage(1019, &m_fPaperVolt, true);
    ExchangeVoltage(1020, &m_fNoPaperVolt, false);
    ExchangeIntensity(1023, &m_nIntensity);
    ExchangeVoltage(1054, &m_fVoltDiff, true);
    ExchangeVoltage(1055, &m_fLinerVolt, true);
    ExchangeVoltage(1046, &m_fVoltStandard, true);

    SetSensorMembers(&m_fLinerVolt, &m_fLinerVolt, &m_fNoPaperVolt);

    connect(ItemAs<QPushButton>(1027), &QPushButton::clicked, this, &CPage3::OnAdjustLinerVoltage);
    connect(ItemAs<QPushButton>(1047), &QPushButton::clicked, this, &CPage3::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(1028), &QPushButton::clicked, this, &CPage3::OnGetPaperVoltage);
    connect(ItemAs<QPushButton>(1059), &QPushButton::clicked, this, &CPage3::OnPaperCheck);
}

void CPage3::OnAdjustLinerVoltage() {
    OnAdjustStart();
}

void CPage3::OnGetNoPaperVoltage() {
    // The reading goes into the no-paper voltage (edit 1020); the save takes "TLow" from the
    // paper voltage (edit 1019) and "TMid" from the standard (edit 1046), then the levels.
    OnSingleReading(&m_fNoPaperVolt, 1019, 1046, &SaveTransmissiveNoPaperReading);
}

void CPage3::OnGetPaperVoltage() {
    // The reading goes into the paper voltage (edit 1019); the save takes "TMid" from the
    // standard (edit 1046) and "THeigh" from the no-paper voltage (edit 1020), then the levels.
    OnSingleReading(&m_fPaperVolt, 1046, 1020, &SaveTransmissivePaperReading);
}

void CPage3::OnPaperCheck() {
    OnCheckPaper();
}
