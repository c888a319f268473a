// CSensorPage: what the reflective and the transmissive page share. Each page is a template,
// a list of value fields bound to edits, a sensitivity combo and the names under which the
// parameter file keeps its voltage standard and levels; CPage2 and CPage3 supply these.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <vector>

#include "pages/PageBase.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

class QComboBox;

// What differs between the two sensor pages' shells.
struct SensorPageDesc {
    int templateId;
    int eventType;            // the adjustment's update event (QEvent::User + 101 / + 100)
    int standardEdit;         // the voltage standard, typed by the user
    int intensityEdit;        // the light intensity, typed by the user
    int adjustButton;         // starts the adjustment
    int activationEnables[3]; // edits enabled again by every activation
    const int* fontOrder;     // the controls that take the page font, in order
    int fontCount;
    SensorKeys keys;          // where the file keeps the standard and levels
    bool refreshBeforeEnable; // activation refreshes before it enables (transmissive)
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
    // Takes one field (by its control id) from its control as the data exchange does; a refused
    // text gets the same message and the focus, and the member keeps its value. The handlers
    // validate the standard and the intensity with it before anything is sent or saved.
    bool UpdateField(int id);

    // The sensitivity combo 1003.
    QComboBox* m_cbSensitivity = nullptr;

  protected:
    CSensorPage(const SensorPageDesc& desc, QWidget* parent);

    // Registers a member with its edit, in exchange order.
    void ExchangeIntensity(int id, int32_t* value);          // 0..255
    void ExchangeVoltage(int id, float* value, bool ranged); // 0.0..5.0 when ranged

    // "串口未打开!" when the port is closed; true when it is open.
    bool CheckPortOpen();

    bool event(QEvent* e) override;
    // The adjustment's update (the event the worker posts after each reading).
    virtual void OnAdjustUpdate() = 0;

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
        bool ranged;
        double minValue, maxValue;
    };
    // Takes one field from its control into its member; on failure returns the framework's
    // message for it and leaves the member.
    bool Take(const Field& f, QString* message);
    void Refuse(int id, const QString& message);

    const SensorPageDesc& m_desc;
    std::vector<Field> m_fields;
    int m_nRefusedId = 0;
    QString m_strRefusal;
};
