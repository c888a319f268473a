// The progress line of a sensor page's automatic adjustment, below the template's controls:
// while the page's run goes on, its passes and levels (or that the printer does not answer,
// or that the standard may be out of reach for this media) and a stop control beside it; once
// the run has ended, how it ended. The line keeps its last text until the next run starts,
// on either page, or a reading or paper check takes the line from a run of its page.
#pragma once

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>

#include "sensor/AdjustRun.h"

class QLabel;
class QPushButton;
class QTimer;
class QWidget;

namespace tarvello::res {
struct DialogTemplate;
}

// The line's text for the latest run: running (stopping: a stop has been asked for), or its
// end. volts is the run's last reading (g_fAdjustResult).
QString AdjustProgressText(const AdjustRunState& run, bool running, bool stopping, float volts);

// The line during a wait of the page's own: what happens, with the seconds it has taken so far
// ("纸张检测: 打印机走纸中, 5.5 s…"), and of how many when its length is known (totalMs > 0:
// "…, 2.0 / 5.5 s…"; the seconds shown never pass the total).
QString WaitText(const QString& what, qint64 elapsedMs, qint64 totalMs = 0);
// The line after a paper check that stopped the page's adjustment, at the run's last pass.
QString StoppedForCheckText(int passes);

class CAdjustProgress : public QObject {
    Q_OBJECT
  public:
    // The line and the stop control as children of page, placed by the page's template.
    CAdjustProgress(QWidget* page, const tarvello::res::DialogTemplate* pageTemplate);

    // A run of the page has started: the line follows it, the stop control shows.
    void Follow();
    // A stop has been asked for: the line says so until the worker has ended, then how it ended.
    void Stopping();
    // The page's update handler found a reading in the band: the levels found and the reading.
    void Succeeded(int level, int intensity, float volts);
    // The line and the stop control go away (another page's run, a reading that took the line).
    void Hide();
    // A wait of the page's own (a paper check) has begun: the line says what, with its time,
    // until ShowText.
    void Wait(const QString& what);
    // The wait's length has become known (the paper check's feed): the time counts from now,
    // out of totalMs. Nothing when the line no longer waits.
    void WaitFor(int totalMs);
    // The line shows text, without the stop control, until the next run (empty: no line).
    void ShowText(const QString& text);
    // The line may wrap over this many lines (a page with room below its line).
    void WrapOver(int lines);
    // Follows the run, or its last text: what the timer and the update events call.
    void Refresh();

    bool Following() const { return m_bFollowing; }

  signals:
    // The stop control was clicked.
    void stopClicked();

  private:
    void ShowStop(bool show);

    QLabel* m_lblLine = nullptr;
    QPushButton* m_btnStop = nullptr;
    QTimer* m_timer = nullptr;
    QFont m_font;
    QRect m_lineWide;   // the whole row
    QRect m_lineBeside; // the row beside the stop control
    bool m_bFollowing = false;
    bool m_bStopping = false;
    QString m_strWait;       // what the page waits for; empty: no wait
    qint64 m_nWaitStart = 0; // when it began (ms of a monotonic clock)
    qint64 m_nWaitTotal = 0; // how long it lasts; 0: not known
};
