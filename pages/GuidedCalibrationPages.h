// The first and the last page of the guided calibration.
#pragma once

#include <QWizardPage>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class CGuidedCalibration;

namespace tarvello::records {
struct Profile;
}

// Profile, printer ID, operator, which sensors and their standards.
class CGuidedSetupPage : public QWizardPage {
    Q_OBJECT
  public:
    // standards: each sensor's standard as its page's edit holds it.
    CGuidedSetupPage(const QString& reflectiveStandard, const QString& transmissiveStandard,
                     QWidget* parent = nullptr);

    QString PrinterId() const;
    QString Operator() const;
    QString Profile() const;
    // The profiles to choose from (the first is chosen), and why the file of the user's own
    // could not be read ("" when it could).
    void SetProfiles(const QList<tarvello::records::Profile>& profiles, const QString& damage);
    // Chooses the profile of that name where there is one (the main window's choice).
    void SelectProfile(const QString& name);
    bool SensorWanted(int sensor) const; // 0 reflective, 1 transmissive
    QString StandardText(int sensor) const;

    bool isComplete() const override;
    bool validatePage() override;
    void cleanupPage() override {} // Back keeps what was typed
    // The printer ID's field takes the keys first, all of it selected: a barcode scanner's
    // input lands there (not in the profile list, whose item it could change) and a new scan
    // replaces the last printer's ID.
    void initializePage() override;

  private:
    // Why Next stays disabled ("" when it need not).
    QString WhyNotComplete() const;

    QComboBox* m_cbProfile = nullptr;
    QLineEdit* m_edPrinterId = nullptr;
    QLineEdit* m_edOperator = nullptr;
    QCheckBox* m_chkSensor[2] = {nullptr, nullptr};
    QLineEdit* m_edStandard[2] = {nullptr, nullptr};
    QLabel* m_lblWhy = nullptr;
    QLabel* m_lblProfileNote = nullptr;
    QList<tarvello::records::Profile> m_profiles;
};

// What each step gave, what was saved to the parameter file, and "Repeat step".
class CGuidedFinishPage : public QWizardPage {
    Q_OBJECT
  public:
    explicit CGuidedFinishPage(CGuidedCalibration* wizard);
    void initializePage() override;
    // The line that says whether the flow's record was stored.
    QLabel* RecordLine() const { return m_lblRecord; }
    // Writes the PDF report of the flow's record to path; false with the reason in *error.
    bool SaveReport(const QString& path, QString* error);

  private:
    // Each chosen sensor's verdict and the whole one, with the sentences of the criteria that
    // did not pass.
    QString VerdictText() const;
    // "保存报告…": asks for a file and writes the flow's report to it.
    void OnSaveReport();

    CGuidedCalibration* m_wizard;
    QLabel* m_lblVerdict = nullptr;
    QLabel* m_lblSteps = nullptr;
    QLabel* m_lblSaved = nullptr;
    QLabel* m_lblRecord = nullptr;
    QComboBox* m_cbRepeat = nullptr;
    QPushButton* m_btnRepeat = nullptr;
    QPushButton* m_btnReport = nullptr;
};
