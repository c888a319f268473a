// CSensorPage: what the reflective and the transmissive page share. Each page is its sensor's
// description (SensorParams: frames, band, keys, which value each reading and check fills), a
// template with the edits of those values (SensorPageDesc) and a list of value fields bound to
// the edits; CPage2 and CPage3 supply these.
//
// The handlers live here once, parameterised by the sensor:
//   - the adjustment's start, its stop control and its update event (the worker runs on its own
//     thread and posts the page's update event after every reading; the progress line
//     "adjustProgress" below the page's controls follows the run and then says how it ended,
//     with the stop control "adjustStop" beside it while it runs, PageAdjustProgress.h);
//   - the single readings and the paper check, whose exchanges run on a worker thread while
//     the window takes no input; their results are applied on the UI thread, in the order the
//     page shows and saves them. A running adjustment is stopped first (off the UI thread),
//     and the page then shows its idle state.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageBase.h"
#include "sensor/AdjustRun.h"
#include "sensor/SensorParams.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

class CAdjustProgress;
class CVerdictLine;
class QComboBox;

// How a voltage edit is taken from its control: in 0.0..5.0, or any number.
enum class VoltageRange { ZeroToFive, Unchecked };
// The order of an activation's last two steps: the controls an adjustment disables enabled
// and the refresh.
enum class ActivationOrder { EnableThenRefresh, RefreshThenEnable };

// What differs between the two sensor pages' widgets; what differs between the sensors
// themselves is the page's SensorParams.
struct SensorPageDesc {
    const SensorParams& params;
    int templateId;
    // The edit of each SensorValue, indexed by it (Standard, Paper, Mark, NoPaper, Liner,
    // Difference); 0 for a value the page does not show.
    int valueEdits[kSensorValueCount];
    int intensityEdit;        // the light intensity, typed by the user
    int adjustButton;         // starts the adjustment
    int activationEnables[3]; // edits enabled again by every activation (0: none)
    int readingButtons[2];    // the buttons of params.readings: hidden by an adjustment start,
                              // shown by a success or a reading
    const int* fontOrder;     // the controls that take the page font, in order
    int fontCount;
    ActivationOrder activationOrder;

    int EditOf(SensorValue value) const { return valueEdits[static_cast<int>(value)]; }
};

class CSensorPage : public CPropertyPage {
    Q_OBJECT
  public:
    bool OnSetActive() override;
    // Leaving the page takes only the fields a person can type into (standard and intensity)
    // from their controls; a refused field keeps the page.
    bool OnKillActive() override;
    void ShowKillActiveRefusal() override;

    // Dialog data exchange: toward the controls ("%d" for integers, "%.6g" for floats) or, with
    // bSaveAndValidate, from them (parsed and range-checked in exchange order; the first field
    // that fails is refused with the framework's message, gets the focus, and the exchange stops).
    bool UpdateData(bool bSaveAndValidate = true);
    // The paper check's feed has begun and lasts ms: the page's line counts it.
    void ShowCheckWait(int ms);
    // Takes one field (by its control id) from its control as the data exchange does; a refused
    // text gets the same message and the focus, and the member keeps its value. The handlers
    // validate the standard and the intensity with it before anything is sent or saved.
    bool UpdateField(int id);

    // The sensitivity combo 1003.
    QComboBox* m_cbSensitivity = nullptr;

    // True from an adjustment start on this page until its success, the next activation of the
    // page, or a reading or check that stopped it.
    bool IsAdjusting() const { return m_bAdjusting; }

    // The update event of the adjustment (QEvent::User + 101 / + 100), posted by the worker.
    virtual void OnAdjustUpdate();

    // The page's own buttons, for the guided calibration, which runs each step exactly as the
    // button runs it: the adjustment's start, a single reading (an index of the sensor's
    // readings), the paper check and the stop control beside the progress line.
    void RunAdjustButton() { OnAdjustStart(); }
    void RunReadingButton(int reading) { OnSingleReading(reading); }
    void RunCheckButton() { OnCheckPaper(); }
    void RunStopControl() { OnAdjustStop(); }
    const SensorParams& Params() const { return m_desc.params; }
    // The standard's edit, where a profile's standard is typed before an adjustment.
    void SetStandardText(const QString& text);
    // The intensity as the edit holds it: what a reading sends.
    std::string IntensityText() const;
    // A value as the page displays it ("" for a value the page does not show).
    QString ValueText(SensorValue value) const { return QString::fromStdString(TextOf(value)); }

  signals:
    // A single reading's exchange has ended and its result is applied (end: a ReadingEnd).
    void readingEnded(int reading, int end);
    // A paper check has ended (end: a PaperCheckEnd) with the samples it took (0.0: none).
    void checkEnded(int end, float first, float second);

  public:
    // The verdict line below the progress line (shown after an adjustment and a paper check).
    CVerdictLine* Verdict() const { return m_pVerdict; }
    // A media profile's standard: saved as the adjustment's start saves it, and shown; a
    // running adjustment keeps its own target.
    void ApplyStandard(const std::string& text);

  protected:
    CSensorPage(const SensorPageDesc& desc, QWidget* parent);
    // A worker started from this page still posts to it: the page waits for it to end.
    ~CSensorPage() override;

    // The adjustment's start button.
    void OnAdjustStart();
    // The stop control beside the progress line: what an activation does to the run (the stop
    // request) and to the page (saved standard and levels loaded, controls enabled, refresh).
    void OnAdjustStop();
    // A single reading button: the reading (an index of the sensor's readings) goes into the
    // member of the value it measures; then the save with the edits' texts as displayed after
    // the refresh.
    void OnSingleReading(int reading);
    // The paper check button.
    void OnCheckPaper();

    // Registers a member with its edit, in exchange order: the intensity (0..255), or the
    // member that shows one of the sensor's values.
    void ExchangeIntensity(int32_t* value);
    void ExchangeVoltage(SensorValue value, float* member, VoltageRange range);

    // "串口未打开!" when the port is closed; true when it is open.
    bool CheckPortOpen();
    // Validates one field as UpdateField does (same message, focus) without taking its value.
    bool ValidateField(int id);

    bool event(QEvent* e) override;

  public:
    QFont m_font;
    CIniFile m_ini;
    int32_t m_nIntensity = 0;
    float m_fVoltStandard = 0.0f;
    float m_fPaperVolt = 0.0f;
    float m_fNoPaperVolt = 0.0f;
    float m_fVoltDiff = 0.0f;

  private:
    struct Field {
        int id;
        int32_t* intValue; // an integer field, or
        float* floatValue; // a float field
        VoltageRange range;
        double minValue, maxValue;
    };
    // The member that shows a value; nullptr when the page has none.
    float* Member(SensorValue value) const { return m_values[static_cast<int>(value)]; }
    // The text of a value's edit as displayed.
    std::string TextOf(SensorValue value) const;
    // Takes one field from its control into its member; on failure returns the framework's
    // message for it and leaves the member.
    bool Take(const Field& f, QString* message);
    void Refuse(int id, const QString& message);

    // The adjustment's start after the port check and the validation of the standard.
    void BeginAdjustment(const std::string& typed);
    // Enables or disables the controls an adjustment disables.
    void EnableAdjustControls(bool enable);
    void ShowReadingButtons(bool show);
    // The page leaves its adjusting state without a success: controls enabled, progress
    // hidden, reading buttons as they are.
    void ShowIdleState();
    // What an activation does after the font: the saved standard and levels loaded, the stop
    // request with its cause, the controls an adjustment disables enabled, the refresh.
    void ReloadLevelsAndStop(AdjustStopCause cause);
    // The stop request of a running adjustment (of either page), and its page's progress line
    // told (pages/PageSensorAdjust.cpp).
    void StopRunningAdjustment(AdjustStopCause cause);
    // The window takes no input while a handler's exchange runs.
    QWidget* InputBlock();

    const SensorPageDesc& m_desc;
    float* m_values[kSensorValueCount] = {};
    bool m_bAdjusting = false;
    // The number of the latest run of this page's sensor whose success the page has taken: the
    // run's later updates, like those of the other sensor's runs, change nothing here.
    uint32_t m_uTakenRun = 0;
    CAdjustProgress* m_pProgress = nullptr;
    CVerdictLine* m_pVerdict = nullptr;
    std::vector<Field> m_fields;
    int m_nRefusedId = 0;
    QString m_strRefusal;
};
