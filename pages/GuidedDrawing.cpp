#include "pages/GuidedDrawing.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

CGuidedMediaDrawing::CGuidedMediaDrawing(Sensor sensor, GuidedMedia media, QWidget* parent)
    : QWidget(parent), m_sensor(sensor), m_media(media) {
    setMinimumSize(200, 100);
}

void CGuidedMediaDrawing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = width(), h = height(), cx = w / 2;
    const QRect strip(10, h / 2 - 6, w - 20, 12);
    // The light: from above onto the media (reflective), or from below through it.
    p.setPen(QPen(QColor(230, 170, 0), 3));
    if (m_sensor == Sensor::Reflective) {
        p.drawLine(cx - 12, 26, cx - 2, strip.top());
        p.drawLine(cx + 2, strip.top(), cx + 12, 26);
    } else {
        p.drawLine(cx, h - 26, cx, 26);
    }
    // The sensor's housings.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(QRect(cx - 30, 6, 60, 20), 4, 4);
    if (m_sensor == Sensor::Transmissive)
        p.drawRoundedRect(QRect(cx - 30, h - 26, 60, 20), 4, 4);
    // The media.
    p.setPen(QPen(QColor(120, 120, 120), 1));
    switch (m_media) {
    case GuidedMedia::NoPaper:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
        p.drawRect(strip);
        break;
    case GuidedMedia::Paper:
    case GuidedMedia::Mark:
        p.setBrush(Qt::white);
        p.drawRect(strip);
        if (m_media == GuidedMedia::Mark) {
            p.setBrush(Qt::black);
            p.drawRect(QRect(cx - 16, strip.top(), 32, strip.height()));
        }
        break;
    case GuidedMedia::LabelStock:
    case GuidedMedia::Label: {
        p.setBrush(QColor(235, 215, 170)); // the liner
        p.drawRect(QRect(strip.left(), strip.top() + 3, strip.width(), strip.height() - 6));
        p.setBrush(Qt::white);
        // Labels with a gap under the sensor, or one label under it.
        const int shift = m_media == GuidedMedia::LabelStock ? 40 : 0;
        p.setClipRect(strip);
        for (int x = cx - 30 + shift - 80 * 3; x < w; x += 80)
            p.drawRoundedRect(QRect(x, strip.top(), 60, strip.height()), 3, 3);
        break;
    }
    }
}

CGuidedCurve::CGuidedCurve(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 100);
}

void CGuidedCurve::SetBand(float low, float high, float supply) {
    m_low = low;
    m_high = high;
    m_supply = supply > 0.0f ? supply : 5.0f;
    update();
}

void CGuidedCurve::SetPoints(std::vector<float> volts) {
    m_volts = std::move(volts);
    update();
}

void CGuidedCurve::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    p.fillRect(area, Qt::white);
    const auto y = [&](float v) {
        return area.bottom() - area.height() * std::clamp(v / m_supply, 0.0f, 1.0f);
    };
    p.fillRect(QRectF(area.left(), y(m_high), area.width(), y(m_low) - y(m_high)),
               QColor(120, 200, 120, 90));
    p.setPen(QColor(150, 150, 150));
    p.drawRect(area);
    if (m_volts.empty())
        return;
    const double step = area.width() / std::max<size_t>(m_volts.size(), 10);
    QPainterPath path;
    for (size_t i = 0; i < m_volts.size(); ++i) {
        const QPointF point(area.left() + step * (static_cast<double>(i) + 0.5), y(m_volts[i]));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(point, 2.5, 2.5);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 90, 200), 1.5));
    p.drawPath(path);
}
