// CPage2: the reflective sensor page. Its voltage standard, sensitivity level and light
// intensity, and the voltages the adjustment and the readings measure.
#pragma once

#include "pages/PageSensor.h"

class CPage2 : public CSensorPage {
    Q_OBJECT
  public:
    explicit CPage2(QWidget* parent = nullptr);

    float m_fMarkVolt = 0.0f;

  public slots:
    void OnAdjustPaperVoltage(); // 1025 "调节有纸电压"
    void OnGetMarkVoltage();     // 1045 "获取标记电压"
    void OnGetNoPaperVoltage();  // 1026 "获取无纸电压"
    void OnPaperCheck();         // 1059 "纸张校验"
};
