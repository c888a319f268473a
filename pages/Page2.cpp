#include "pages/Page2.h"

#include <QEvent>
#include <QPushButton>

#include <iterator>

#include "res/Templates.h"

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
};

} // namespace

CPage2::CPage2(QWidget* parent) : CSensorPage(kReflectivePage, parent) {
    ExchangeIntensity(1033, &m_nIntensity);
    ExchangeVoltage(1031, &m_fVoltStandard, true);
    ExchangeVoltage(1041, &m_fPaperVolt, true);
    ExchangeVoltage(1057, &m_fMarkVolt, true);
    ExchangeVoltage(1032, &m_fNoPaperVolt, true);
    ExchangeVoltage(1056, &m_fVoltDiff, true);

    connect(ItemAs<QPushButton>(1025), &QPushButton::clicked, this, &CPage2::OnAdjustPaperVoltage);
    connect(ItemAs<QPushButton>(1045), &QPushButton::clicked, this, &CPage2::OnGetMarkVoltage);
    connect(ItemAs<QPushButton>(1026), &QPushButton::clicked, this, &CPage2::OnGetNoPaperVoltage);
    connect(ItemAs<QPushButton>(1059), &QPushButton::clicked, this, &CPage2::OnPaperCheck);
}

// The handlers test the port first. The exchanges with the printer are added with the
// adjustment and readings work.

void CPage2::OnAdjustPaperVoltage() {
    if (!CheckPortOpen())
        return;
    // The adjustment's start is added with the adjustment work.
}

void CPage2::OnGetMarkVoltage() {
    if (!CheckPortOpen())
        return;
    // The mark voltage reading is added with the readings work.
}

void CPage2::OnGetNoPaperVoltage() {
    if (!CheckPortOpen())
        return;
    // The no-paper voltage reading is added with the readings work.
}

void CPage2::OnPaperCheck() {
    if (!CheckPortOpen())
        return;
    // The paper check is added with the readings work.
}

void CPage2::OnAdjustUpdate() {
    // Showing the adjustment's reading is added with the adjustment work.
}
