// CTarvelloDlg: the main window. A fixed header, the property sheet with the port page and the
// two sensor pages, and the status group: the sensor supply choice and the three values the
// status monitor shows while the port is open.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFont>

#include <string>

#include "app/Language.h"
#include "device/StatusMonitor.h"
#include "pages/Page1.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
#include "store/IniFile.h"

class QAction;
class QComboBox;
class QTabWidget;
namespace tarvello::res {
struct BaseUnits;
struct DialogTemplate;
} // namespace tarvello::res

class CTarvelloDlg : public QDialog, public DisplaySink {
    Q_OBJECT
  public:
    // initialPort: the nPort the port page selects at its first activation.
    explicit CTarvelloDlg(QWidget* parent = nullptr, int initialPort = 0);
    ~CTarvelloDlg() override;

    // DisplaySink, called on the monitor thread: posts the text to the window.
    void ShowStatus(int controlId, const std::string& text) override;

    // Closing ends any adjustment, the monitor and the port on a worker thread; the window
    // closes when they have ended.
    void done(int result) override;

    // The About box.
    void OnAboutBox();
    // The language chosen from the window's menu: remembered for the next start, which it
    // applies at; the window says so.
    void OnLanguage(tarvello::app::Language language);

    QTabWidget* Sheet() const { return m_sheet; }
    // The control of the window with the numeric id, or nullptr.
    QWidget* Item(int id) const;

  protected:
    bool event(QEvent* e) override;
    // A window that takes no input (a handler's exchange runs) offers no About box either.
    void changeEvent(QEvent* e) override;
#ifdef _WIN32
    // A language command of the system menu: true when command is one (taken or, while the
    // window takes no input, ignored).
    bool OnLanguageSysCommand(unsigned command);
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private slots:
    void OnSelchangeSupply();
    void OnSheetCurrentChanged(int index);

  private:
    // Builds the window from its template: the status edits, the About command, the icon and
    // fonts, the sheet with its pages, the port page active, the supply from the file.
    void OnInitDialog();
    // The language commands beside the About command.
    void AddLanguageCommands();
    // The About command: in the system menu where the platform has one, and everywhere in the
    // window's context menu and on F1.
    void AddAboutCommand();
    // The window's icon, the header's face and colour, the status group's font.
    void SetIconAndFonts();
    // The property sheet with the three pages, at (0, 50), as large as its pages need.
    void CreateSheet();
    // The window's size from the template, grown and its controls moved where the sheet needs
    // more room than the template leaves.
    void FitToSheet(const tarvello::res::DialogTemplate& dlg, const tarvello::res::BaseUnits& base);
    // Copies the status members into their edits ("%.6g").
    void UpdateStatusFields();
    // While an open, an adjustment, a reading or a check runs: asks whether to stop it and
    // close (the answer closes or not later) and returns true; false when nothing runs.
    bool AskBeforeClose();
    void FinishClose(int result);

    QTabWidget* m_sheet = nullptr;
    CPage1* m_page1 = nullptr;
    CPage2* m_page2 = nullptr;
    CPage3* m_page3 = nullptr;
    QFont m_fontTitle;
    QFont m_fontText;
    CIniFile m_ini;
    QComboBox* m_cbSupply = nullptr;
    QAction* m_actAbout = nullptr;
    QAction* m_actLanguage[2] = {nullptr, nullptr};                        // Chinese, English
    tarvello::app::Language m_langNext = tarvello::app::Language::Chinese; // checked in the menu
    float m_fRibbonSensor = 0.0f;
    float m_fPresenceSensor = 0.0f;
    float m_fMicroSwitch = 0.0f;

    int m_nInitialPort = 0;
    int m_nActivePage = -1;
    bool m_bSheetGuard = false;
    bool m_bClosing = false;
    bool m_bClosed = false;
    bool m_bCloseWaiting = false;
    bool m_bCloseAsking = false;    // the question before closing is open
    bool m_bCloseConfirmed = false; // the technician chose to stop the run and close
    int m_nCloseResult = 0;
};
