// One physical step of the guided calibration: a drawing of what goes under the sensor, one
// sentence, the live reading, and the step's result as it arrives (progress and curve for an
// adjustment). The step itself is the sensor page's own button (CSensorPage::Run...Button), on
// the same core, gates and saves; this page only starts it and follows it.
//
// Next starts the step; a reading step moves on by itself once its reading is taken, an
// adjustment and a paper check stay to show their result (Next again moves on). "reload" moves
// on by itself once three readings 0.5 s apart lie in the adjustment's band. Back never loses a
// result; "Repeat step" takes the step again. Stop ends a running adjustment or reload at once;
// a reading or a paper check in flight is a bounded exchange whose end the page waits for.
#pragma once

#include <QString>
#include <QWizardPage>

#include <optional>
#include <vector>

#include "sensor/GuidedSteps.h"
#include "sensor/Verdict.h"

class CSensorPage;
class CGuidedCurve;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CGuidedStepPage : public QWizardPage {
    Q_OBJECT
  public:
    enum class State { Idle, Running, Done, Failed };

    CGuidedStepPage(const GuidedStepDef& def, CSensorPage* page, QWidget* parent = nullptr);

    const GuidedStepDef& Def() const { return m_def; }
    State StepState() const { return m_state; }
    // The result's line ("" while none): the values taken, or why the step ended without one.
    QString ResultText() const { return m_result; }
    // The paper check's two samples, once it has run (0.0: none).
    float FirstSample() const { return m_first; }
    float SecondSample() const { return m_second; }
    // What the step measured, for the verdict: how the adjustment ended (none before it has),
    // a reading's value.
    const std::optional<verdict::AdjustResult>& Adjusted() const { return m_adjusted; }
    const std::optional<double>& Reading() const { return m_reading; }

    // The standard an adjustment step types into the sensor page's edit before it starts.
    void SetStandardText(const QString& text) { m_standardText = text; }
    // Stops what runs now (a step, the live reading); true when something was running.
    bool Stop();
    bool Busy() const { return m_state == State::Running || m_bPolling; }

    // The step's name and the sentence of what to do, in the window's language.
    static QString StepTitle(const GuidedStepDef& def);
    static QString StepSentence(const GuidedStepDef& def);
    // Why a reading (a ReadingEnd) or a paper check (a PaperCheckEnd) gave no result.
    static QString ReadingEndText(int end);
    static QString CheckEndText(int end);

    void initializePage() override;
    void cleanupPage() override; // Back keeps the result
    bool isComplete() const override;
    bool validatePage() override;

  signals:
    void busyChanged();

  private:
    void Start();
    void StartAdjust();
    void StartReading();
    void StartCheck();
    void Finish(bool ok, const QString& text);
    void OnTick();
    void OnReadingEnded(int reading, int end);
    void OnCheckEnded(int end, float first, float second);
    // The live reading: one single reading through the gate and the line lock, every 0.5 s
    // while the page is shown and no step runs (the reload step judges its readings).
    void PollLive();
    void OnLiveReading(float volts, int end);
    void ShowState();

    GuidedStepDef m_def;
    CSensorPage* m_page;
    State m_state = State::Idle;
    QString m_result;
    QString m_standardText;
    float m_first = 0.0f, m_second = 0.0f;
    std::optional<verdict::AdjustResult> m_adjusted;
    std::optional<double> m_reading;
    bool m_bPolling = false; // a live reading's exchange is in flight
    bool m_bLive = false;    // live readings are wanted
    bool m_bAdvance = false; // Next started the step: move on when it succeeds
    bool m_bOutOfReach = false;
    std::vector<float> m_liveReadings; // reload: the readings since the page was shown
    std::vector<float> m_curve;
    uint32_t m_nCurvePasses = 0;

    QLabel* m_lblLive = nullptr;
    QLabel* m_lblResult = nullptr;
    QProgressBar* m_progress = nullptr;
    CGuidedCurve* m_curveView = nullptr;
    QPushButton* m_btnRepeat = nullptr;
    QPushButton* m_btnStop = nullptr;
    QTimer* m_tick = nullptr;
    QTimer* m_live = nullptr;
};
