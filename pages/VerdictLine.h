// The verdict line of a sensor page, below the progress line (the page grows to hold it): after an
// adjustment and after a paper check, the page's verdict as a coloured line with its word beside
// the colour (green "合格", amber "勉强", red "不合格"; never the colour alone), then the sentences
// of the criteria that did not pass (all of them in the tooltip and the accessible description).
// The page keeps what the verdict judges: the adjustment's end, the readings and the check's
// samples, each replaced when it is taken again.
#pragma once

#include <QObject>
#include <QRect>

#include "sensor/AdjustRun.h"
#include "sensor/Verdict.h"

class QLabel;
class QWidget;

namespace tarvello::res {
struct DialogTemplate;
}

class CVerdictLine : public QObject {
    Q_OBJECT
  public:
    CVerdictLine(QWidget* page, const tarvello::res::DialogTemplate* pageTemplate, Sensor sensor);

    // What the verdict is given; nothing is shown until Judge.
    void NoteAdjustment(const AdjustRunState& run, float volts);
    void NoteReading(SensorValue measured, float volts);
    void NoteCheck(float first, float second);
    // The profile's criteria; a line already shown is judged again by them.
    void SetCriteria(const verdict::Criteria& criteria);

    // Judges what the page has, with the supply in use, and shows the line.
    void Judge(float supply);
    void Hide();

    const verdict::Result& Last() const { return m_last; }
    QLabel* Label() const { return m_label; }

  private:
    QLabel* m_label = nullptr;
    verdict::Input m_input;
    verdict::Result m_last;
};
