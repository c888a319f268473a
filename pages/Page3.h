// CPage3: the transmissive sensor page. Its voltage standard, sensitivity level and light
// intensity, and the voltages the adjustment and the readings measure.
#pragma once

#include "pages/PageSensor.h"

class CPage3 : public CSensorPage {
    Q_OBJECT
  public:
    explicit CPage3(QWidget* parent = nullptr);

    float m_fLinerVolt = 0.0f;

  public slots:
    void OnAdjustLinerVoltage(); // 1027 "调节衬纸电压"
    void OnGetNoPaperVoltage();  // 1047 "获取无纸电压"
    void OnGetPaperVoltage();    // 1028 "获取有纸电压"
    void OnPaperCheck();         // 1059 "纸张校验"
};
