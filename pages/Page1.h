// CPage1: the port page. The user picks the serial port and its line settings in six lists and
// opens or closes the port. Opening configures the port, shakes hands with the printer and
// starts the status monitor; closing ends the monitor and releases the port.
#pragma once

#include <QFont>
#include <QString>

#include <string>

#include "pages/PageBase.h"

class CAdjustProgress;
class QComboBox;
class QPushButton;
class DisplaySink;
struct PortOpenResult;

class CPage1 : public CPropertyPage {
    Q_OBJECT
  public:
    // sink receives the status monitor's texts; initialPort is the nPort selected at the first
    // activation (0 for "COM1"; a --port or --simulate device otherwise).
    CPage1(DisplaySink* sink, int initialPort = 0, QWidget* parent = nullptr);

    bool OnSetActive() override;

    // The port list's item for an nPort (-1 when the list has none).
    int PortItemOf(int nPort) const;

    // Names a device the port list shows by its path (the virtual printer): the label stands
    // beside the path in the opened list, its tooltip and the open's error box. label is a
    // source text of the context "Page1", translated where it is shown.
    static void LabelDevice(const std::string& device, const char* label);
    // The label of a device, translated, or empty.
    static QString DeviceLabel(const std::string& device);

    // Marks the next activation of any port page as the first one of the run (tests).
    static void ResetFirstActivation() { s_bFirstActivation = true; }

  public slots:
    void OnOpenPort();
    void OnClosePort();

  private:
    void FillPortList();
    // The opened port list wide enough for every item's text and detail.
    void FitPortPopup();
    // The buttons swapped, posted by the open sequence's worker once the port is open.
    void OnPortOpened();
    // The end of the open sequence on the UI thread: the error box with the reason, and the
    // beep after a failed handshake. port: the chosen item's text.
    void OnOpenFinished(const PortOpenResult& result, const QString& port);
    // Looked at every kLineWatchMs: a lost line (LineGone) while the port is open is said once
    // and closes the port.
    void CheckConnection();
    static constexpr int kLineWatchMs = 200;

    QFont m_font;
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnOpen = nullptr;
    QComboBox* m_cbHandshake = nullptr;
    QComboBox* m_cbParity = nullptr;
    QComboBox* m_cbStopBits = nullptr;
    QComboBox* m_cbDataBits = nullptr;
    QComboBox* m_cbBaudRate = nullptr;
    QComboBox* m_cbPort = nullptr;

    CAdjustProgress* m_pWait = nullptr; // the line that says what the open waits for
    DisplaySink* m_pSink = nullptr;
    int m_nInitialPort = 0;

    // Set at process start, cleared by the page's first activation.
    static bool s_bFirstActivation;
};
