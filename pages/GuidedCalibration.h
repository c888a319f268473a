// The guided calibration "引导校准…": a wizard that takes a technician through every physical
// step of both sensors, from the loaded media to the result. First the profile, the printer ID
// (a barcode scanner types into it and ends with Enter), the operator (the login name unless
// changed), which sensors and their standards; then one page per step (GuidedStepPage.h), each
// run by the sensor page's own button; last what every step gave and what was saved to the
// parameter file, with "Repeat step".
//
// Esc stops a running step; with none running it asks, then closes. Closing never closes the
// port or ends the monitor.
#pragma once

#include <QString>
#include <QWizard>

#include <map>
#include <string>
#include <vector>

#include "records/Profile.h"
#include "sensor/Verdict.h"

class CSensorPage;
class CGuidedStepPage;
class CGuidedSetupPage;
class CGuidedFinishPage;

// The printer ID of the calibration in hand: set by the wizard's first page, kept by the main
// window for what its pages do afterwards (UI thread only).
QString CurrentPrinterId();
void SetCurrentPrinterId(const QString& id);

class CGuidedCalibration : public QWizard {
    Q_OBJECT
  public:
    enum { kSetupPage = 0, kFirstStepPage = 1, kFinishPage = 100 };

    CGuidedCalibration(CSensorPage* reflective, CSensorPage* transmissive,
                       QWidget* parent = nullptr);

    int nextId() const override;
    // Esc and the window's close: stop a running step; with none running, ask, then close.
    void reject() override;

    const std::vector<CGuidedStepPage*>& Steps() const { return m_steps; }
    CGuidedSetupPage* Setup() const { return m_setup; }
    // The parameter file's values of both sensors as they stand now, by key.
    std::map<std::string, std::string> SavedValues() const;
    // The keys the steps that ended well saved, in the order of the steps.
    std::vector<std::string> KeysSaved() const;
    // Goes back to the step page with id, for "Repeat step".
    void ReturnToStep(int id);
    // The profile chosen on the first page ("Standard" when none could be read).
    const tarvello::records::Profile& ChosenProfile() const;
    // What the sensor's steps measured, for its verdict.
    verdict::Input VerdictInput(Sensor sensor) const;
    // True for a step of a sensor chosen on the first page.
    bool StepWanted(const CGuidedStepPage* step) const;

  private:
    void OnCurrentIdChanged(int id);

    CSensorPage* m_pages[2];
    CGuidedSetupPage* m_setup = nullptr;
    CGuidedFinishPage* m_finish = nullptr;
    std::vector<CGuidedStepPage*> m_steps;
    QList<tarvello::records::Profile> m_profiles;
};
