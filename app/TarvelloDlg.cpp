#include "app/TarvelloDlg.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QTabWidget>

#include <algorithm>
#include <utility>

#include "app/AboutDlg.h"
#include "app/CloseQuestion.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "res/TemplateText.h"
#include "res/Templates.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"
#include "store/ParameterSet.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

// The icon and other resources live in the UI library; make sure they are linked in.
static void InitTarvelloResources() {
    Q_INIT_RESOURCE(tarvello);
}

using namespace tarvello::res;

namespace {

namespace id = tarvello::res::ids::mainwindow;

// The status monitor fills the edits by these ids.
static_assert(id::kPresenceEdit == kIdPresenceSensor && id::kMicroSwitchEdit == kIdMicroSwitch &&
              id::kRibbonEdit == kIdRibbonSensor);
#ifdef _WIN32
// The system menu command of the About box.
constexpr unsigned kIdmAboutBox = 0x0010;
#endif
// Status group: the frame's top edge in dialog units; every control at or below it moves with
// the group when the sheet needs more room than the template leaves.
constexpr int kStatusGroupTop = 234;
// Pixels between the sheet and the status group at least.
constexpr int kSheetGap = 4;

// The status monitor's text for one edit, posted from the monitor thread.
class CStatusEvent : public QEvent {
  public:
    static QEvent::Type Kind() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    CStatusEvent(int id, QString text) : QEvent(Kind()), controlId(id), text(std::move(text)) {}
    int controlId;
    QString text;
};

QString FormatG(float v) {
    return QString::fromStdString(ShownValue(static_cast<double>(v)));
}

} // namespace

CTarvelloDlg::CTarvelloDlg(QWidget* parent, int initialPort)
    : QDialog(parent), m_nInitialPort(initialPort) {
    InitTarvelloResources();
    m_fontTitle = MakeFont("楷体_GB2312", 20, 700);
    m_fontText = MakeFont("Tahoma", 16, 400);
    OnInitDialog();
}

CTarvelloDlg::~CTarvelloDlg() {
    // The pages go with the window: no activation while they are destroyed.
    if (m_sheet)
        disconnect(m_sheet, nullptr, this, nullptr);
    // Destroyed without closing (the close ends all this on a worker thread): end it here.
    if (!m_bClosed) {
        g_bAdjustStop = true;
        tarvello::ui::WaitBackgroundRuns();
        StopAdjustmentAndWait();
        if (g_bPortOpen || g_hCom.load() != kInvalidPortHandle)
            ClosePort();
        WaitStatusMonitorEnd();
    }
}

QWidget* CTarvelloDlg::Item(int id) const {
    return FindControlWidget(this, id);
}

void CTarvelloDlg::OnInitDialog() {
    const DialogTemplate* dlg = FindTemplate(kIddMain);
    const BaseUnits base = BuildDialog(*dlg, this);
    setWindowTitle(QString::fromUtf8(dlg->caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_cbSupply = qobject_cast<QComboBox*>(Item(id::kSupplyList));

    // The status members into their edits: each reads "0".
    UpdateStatusFields();
    AddAboutCommand();
    AddLanguageCommands();
    SetIconAndFonts();
    CreateSheet();
    FitToSheet(*dlg, base);

    // The port page first.
    connect(m_sheet, &QTabWidget::currentChanged, this, &CTarvelloDlg::OnSheetCurrentChanged);
    m_sheet->setCurrentIndex(0);
    m_nActivePage = 0;
    m_page1->OnSetActive();

    // The port counts as closed.
    g_bPortOpen = false;

    // The supply voltage from the file.
    const int supply = ReadSupplyIndex(m_ini);
    m_cbSupply->setCurrentIndex(supply);
    g_fSensorSupply = SupplyVoltageOfIndex(supply);
    connect(m_cbSupply, &QComboBox::currentIndexChanged, this, &CTarvelloDlg::OnSelchangeSupply);
}

void CTarvelloDlg::AddAboutCommand() {
    const QString aboutText = TemplateText(ResourceString(kIdsAboutBox));
    if (!aboutText.isEmpty()) {
#ifdef _WIN32
        HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
        if (menu) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, kIdmAboutBox,
                          reinterpret_cast<const wchar_t*>(aboutText.utf16()));
        }
#endif
        auto* about = new QAction(aboutText, this);
        about->setObjectName(QStringLiteral("aboutAction"));
        about->setShortcut(QKeySequence(Qt::Key_F1));
        connect(about, &QAction::triggered, this, &CTarvelloDlg::OnAboutBox);
        addAction(about);
        m_actAbout = about;
        setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

void CTarvelloDlg::SetIconAndFonts() {
    // The icon, large and small.
    QIcon icon;
    icon.addFile(QString::fromLatin1(kIconPath32), QSize(32, 32));
    icon.addFile(QString::fromLatin1(kIconPath16), QSize(16, 16));
    setWindowIcon(icon);

    // The header: bold Kai face, blue on the normal background.
    if (auto* header = qobject_cast<QLabel*>(Item(id::kHeader))) {
        header->setFont(m_fontTitle);
        QPalette pal = header->palette();
        pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
        header->setPalette(pal);
    }
    // The status group's font.
    for (int control :
         {id::kRibbonLabel, id::kPresenceLabel, id::kMicroSwitchLabel, id::kSupplyLabel,
          id::kRibbonEdit, id::kPresenceEdit, id::kMicroSwitchEdit, id::kSupplyList}) {
        if (QWidget* w = Item(control)) {
            w->setFont(m_fontText);
            FitTextToFont(w);
        }
    }
}

void CTarvelloDlg::CreateSheet() {
    m_sheet = new QTabWidget(this);
    m_sheet->setObjectName(QStringLiteral("sheet"));
    m_page1 = new CPage1(this, m_nInitialPort);
    m_page2 = new CPage2;
    m_page3 = new CPage3;
    for (CPropertyPage* page :
         {static_cast<CPropertyPage*>(m_page1), static_cast<CPropertyPage*>(m_page2),
          static_cast<CPropertyPage*>(m_page3)})
        m_sheet->addTab(page, page->Caption());
    m_sheet->move(0, 50);
    m_sheet->resize(m_sheet->sizeHint());
}

void CTarvelloDlg::FitToSheet(const DialogTemplate& dlg, const BaseUnits& base) {
    // The window's size from the template; where the substituted faces make the sheet larger
    // than the template's room, the status group moves down and the window grows, so that
    // nothing overlaps.
    QSize size = DialogPixelSize(dlg, base);
    // Qualified: the Windows headers declare a MulDiv of their own.
    const int groupTop = tarvello::res::MulDiv(kStatusGroupTop, base.y, 8);
    const int shift = std::max(0, m_sheet->geometry().bottom() + 1 + kSheetGap - groupTop);
    if (shift > 0) {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w != m_sheet && w->y() >= groupTop - 2)
                w->move(w->x(), w->y() + shift);
        }
        size.setHeight(size.height() + shift);
    }
    if (m_sheet->width() > size.width()) {
        // A wider sheet: the header and the status group stay centred over it.
        const int dx = (m_sheet->width() - size.width()) / 2;
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w != m_sheet)
                w->move(w->x() + dx, w->y());
        }
        size.setWidth(m_sheet->width());
    }
    setFixedSize(size);
}

void CTarvelloDlg::UpdateStatusFields() {
    const std::pair<int, float> fields[] = {{id::kRibbonEdit, m_fRibbonSensor},
                                            {id::kPresenceEdit, m_fPresenceSensor},
                                            {id::kMicroSwitchEdit, m_fMicroSwitch}};
    for (const auto& [control, value] : fields) {
        if (auto* edit = qobject_cast<QLineEdit*>(Item(control)))
            edit->setText(FormatG(value));
    }
}

void CTarvelloDlg::OnSelchangeSupply() {
    // The choice is not saved: the next start shows the file's value again.
    const int index = m_cbSupply->currentIndex();
    if (index >= 0 && index <= 2)
        g_fSensorSupply = SupplyVoltageOfIndex(index);
}

void CTarvelloDlg::OnSheetCurrentChanged(int index) {
    if (m_bSheetGuard)
        return;
    auto* leaving = qobject_cast<CPropertyPage*>(m_sheet->widget(m_nActivePage));
    if (leaving && index != m_nActivePage && !leaving->OnKillActive()) {
        // Back to the page before anything of the new one is painted, then say why.
        m_bSheetGuard = true;
        m_sheet->setCurrentIndex(m_nActivePage);
        m_bSheetGuard = false;
        leaving->ShowKillActiveRefusal();
        return;
    }
    m_nActivePage = index;
    if (auto* page = qobject_cast<CPropertyPage*>(m_sheet->widget(index)))
        page->OnSetActive();
}

void CTarvelloDlg::OnAboutBox() {
    CAboutDlg about(this);
    about.exec();
}

void CTarvelloDlg::ShowStatus(int controlId, const std::string& text) {
    tarvello::ui::PostEventToUi(this, new CStatusEvent(controlId, QString::fromStdString(text)));
}

bool CTarvelloDlg::event(QEvent* e) {
    tarvello::ui::AcceptPostedEvents();
    if (e->type() == CStatusEvent::Kind()) {
        auto* status = static_cast<CStatusEvent*>(e);
        if (auto* edit = qobject_cast<QLineEdit*>(Item(status->controlId)))
            edit->setText(status->text);
        return true;
    }
    return QDialog::event(e);
}

void CTarvelloDlg::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        for (QAction* action : {m_actAbout, m_actLanguage[0], m_actLanguage[1]}) {
            if (action)
                action->setEnabled(isEnabled());
        }
    }
    QDialog::changeEvent(e);
}

#ifdef _WIN32
bool CTarvelloDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    MSG* msg = static_cast<MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kIdmAboutBox) {
        if (isEnabled())
            OnAboutBox();
        *result = 0;
        return true;
    }
    if (msg->message == WM_SYSCOMMAND && OnLanguageSysCommand(msg->wParam & 0xFFF0)) {
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CTarvelloDlg::done(int result) {
    if (m_bClosed) {
        QDialog::done(result);
        return;
    }
    m_nCloseResult = result;
    if (m_bClosing || m_bCloseAsking)
        return;
    if (!m_bCloseConfirmed && AskBeforeClose())
        return;
    if (tarvello::ui::BackgroundRunActive()) {
        // A handler's exchange runs: close when it has ended.
        if (!m_bCloseWaiting) {
            m_bCloseWaiting = true;
            connect(
                tarvello::ui::CBackgroundRunNotifier::Instance(),
                &tarvello::ui::CBackgroundRunNotifier::idle, this,
                [this] {
                    m_bCloseWaiting = false;
                    done(m_nCloseResult);
                },
                Qt::SingleShotConnection);
        }
        return;
    }
    // Stop any adjustment, close the port and wait for the monitor's end on a worker thread;
    // the window keeps painting meanwhile.
    m_bClosing = true;
    g_bAdjustStop = true;
    m_cbSupply->setEnabled(false);
    tarvello::ui::RunInBackground(
        this, m_sheet,
        [] {
            StopAdjustmentAndWait();
            if (g_bPortOpen || g_hCom.load() != kInvalidPortHandle)
                ClosePort();
            WaitStatusMonitorEnd();
        },
        [this] { FinishClose(m_nCloseResult); });
}

bool CTarvelloDlg::AskBeforeClose() {
    using namespace tarvello::app;
    const QString question =
        CloseQuestion(RunningWork(IsAdjustmentRunning(), tarvello::ui::ActiveRunKind()));
    if (question.isEmpty())
        return false;
    // Asked without a nested loop: the run goes on while the box is open.
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Tarvello"), question,
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_bCloseAsking = true;
    connect(box, &QMessageBox::finished, this, [this, box] {
        m_bCloseAsking = false;
        if (box->clickedButton() != box->button(QMessageBox::Yes))
            return;
        m_bCloseConfirmed = true;
        done(m_nCloseResult);
    });
    box->open();
    return true;
}

void CTarvelloDlg::FinishClose(int result) {
    m_bClosing = false;
    m_bClosed = true;
    QDialog::done(result);
}
