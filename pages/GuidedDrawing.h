// The pictures of the guided calibration: what goes under the sensor in a step, and the
// adjustment's readings as they arrive with the band they must reach.
#pragma once

#include <QWidget>

#include <vector>

#include "sensor/GuidedSteps.h"

// The sensor seen from the side: its light and receiver, and the media under it (paper, a
// black mark, nothing, labels on their liner with a gap or a label under the sensor).
class CGuidedMediaDrawing : public QWidget {
    Q_OBJECT
  public:
    CGuidedMediaDrawing(Sensor sensor, GuidedMedia media, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {260, 120}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Sensor m_sensor;
    GuidedMedia m_media;
};

// Volts per pass of an adjustment, the band shaded.
class CGuidedCurve : public QWidget {
    Q_OBJECT
  public:
    explicit CGuidedCurve(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {260, 120}; }
    void SetBand(float low, float high, float supply);
    void SetPoints(std::vector<float> volts);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<float> m_volts;
    float m_low = 0.0f, m_high = 0.0f, m_supply = 5.0f;
};
