#include "pages/Page3.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/Templates.h"

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
};

} // namespace

CPage3::CPage3(QWidget* parent) : CSensorPage(kTransmissivePage, parent) {
    ExchangeVoltage(1019, &m_fPaperVolt, true);
    ExchangeVoltage(1020, &m_fNoPaperVolt, false);
    ExchangeIntensity(1023, &m_nIntensity);
    ExchangeVoltage(1054, &m_fVoltDiff, true);
    ExchangeVoltage(1055, &m_fLinerVolt, true);
    ExchangeVoltage(1046, &m_fVoltStandard, true);

    connect(ItemAs<QPushButton>(1027), &QPushButton::clicked, this, &CPage3::OnAdjustLinerVoltage);
    connect(ItemAs<QPushButton>(1047), &QPushButton::clicked, this, &CPage3::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(1028), &QPushButton::clicked, this, &CPage3::OnGetPaperVoltage);
    connect(ItemAs<QPushButton>(1059), &QPushButton::clicked, this, &CPage3::OnPaperCheck);
}

// The handlers test the port first. The exchanges with the printer are added with the
// adjustment and readings work.

void CPage3::OnAdjustLinerVoltage() {
    if (!CheckPortOpen())
        return;
    // The adjustment's start is added with the adjustment work.
}

void CPage3::OnGetNoPaperVoltage() {
    if (!CheckPortOpen())
        return;
    // The no-paper voltage reading is added with the readings work.
}

void CPage3::OnGetPaperVoltage() {
    if (!CheckPortOpen())
        return;
    // The paper voltage reading is added with the readings work.
}

void CPage3::OnPaperCheck() {
    if (!CheckPortOpen())
        return;
    // The paper check is added with the readings work.
}

void CPage3::OnAdjustUpdate() {
    // Showing the adjustment's reading is added with the adjustment work.
}
