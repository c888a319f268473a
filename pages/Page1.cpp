#include "pages/Page1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QSerialPortInfo>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/BackgroundRun.h"
#include "app/NoteBox.h"
#include "app/SharedState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "res/DialogLayout.h"
#include "res/Templates.h"

using tarvello::res::kIddPortPage;

bool CPage1::s_bFirstActivation = true;

namespace {

constexpr int kIdPort = 1003;
constexpr int kIdBaudRate = 1004;
constexpr int kIdDataBits = 1005;
constexpr int kIdStopBits = 1006;
constexpr int kIdParity = 1007;
constexpr int kIdHandshake = 1008;
constexpr int kIdOpen = 1016;
constexpr int kIdClose = 1017;

// The page's controls that take its font.
constexpr int kFontControls[] = {1034, 1035, 1036, 1037, 1038, 1039, 1040, 1016,
                                 1017, 1003, 1004, 1005, 1006, 1007, 1008};

constexpr uint32_t kBaudRates[] = {4800, 9600, 19200, 38400, 57600};

// Whether a port the system reports is one of the first eight the list already holds.
bool IsOneOfTheFirstEight(const QSerialPortInfo& info) {
    for (int i = 0; i < 8; ++i) {
#ifdef _WIN32
        if (info.portName().compare(QStringLiteral("COM%1").arg(i + 1), Qt::CaseInsensitive) == 0)
            return true;
#else
        if (info.systemLocation() == QString::fromStdString(PortDeviceName(i)))
            return true;
#endif
    }
    return false;
}

// Steps 2 to 8 of the open sequence on the worker thread. Returns the step that failed, 0 when
// the monitor runs. portOpened is called (on this thread) right after the port has opened.
template <typename Opened>
int OpenSequence(PortSettings settings, DisplaySink* sink, Opened portOpened) {
    g_nPortResult = OpenPort(settings);
    if (g_nPortResult != 0)
        return 2;
    portOpened();

    const std::vector<uint8_t> connect = BuildConnectFrame();
    g_nPortResult = WritePort(connect.data(), connect.size());
    if (g_nPortResult != 0)
        return 4;

    tarvello::Sleep(1000);

    uint8_t reply[10];
    std::memset(reply, 0, sizeof reply);
    uint32_t count = 0;
    g_nPortResult = ReadPort(reply, sizeof reply, count);
    if (g_nPortResult != 0 || reply[0] != 'Y') {
        ClosePort();
        return 6;
    }

    const std::vector<uint8_t> access = BuildAccessFrame(); // 11 frame bytes and a 0x00
    g_nPortResult = WritePort(access.data(), access.size());
    if (g_nPortResult != 0)
        return 7;

    StartStatusMonitor(sink);
    return 0;
}

} // namespace

CPage1::CPage1(DisplaySink* sink, int initialPort, QWidget* parent)
    : CPropertyPage(kIddPortPage, parent), m_pSink(sink), m_nInitialPort(initialPort) {
    m_font = tarvello::res::MakeFont("Tahoma", 16, 400);
    // Control binding.
    m_btnClose = ItemAs<QPushButton>(kIdClose);
    m_btnOpen = ItemAs<QPushButton>(kIdOpen);
    m_cbHandshake = ItemAs<QComboBox>(kIdHandshake);
    m_cbParity = ItemAs<QComboBox>(kIdParity);
    m_cbStopBits = ItemAs<QComboBox>(kIdStopBits);
    m_cbDataBits = ItemAs<QComboBox>(kIdDataBits);
    m_cbBaudRate = ItemAs<QComboBox>(kIdBaudRate);
    m_cbPort = ItemAs<QComboBox>(kIdPort);
    FillPortList();
    connect(m_btnOpen, &QPushButton::clicked, this, &CPage1::OnOpenPort);
    connect(m_btnClose, &QPushButton::clicked, this, &CPage1::OnClosePort);
}

void CPage1::FillPortList() {
    // Items 0..7 ("COM1".."COM8") come from the template; each item carries its nPort.
    for (int i = 0; i < m_cbPort->count(); ++i)
        m_cbPort->setItemData(i, i);
    // Then the other serial ports the system reports (USB adapters), then the devices given on
    // the command line.
    std::vector<int> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (IsOneOfTheFirstEight(info))
            continue;
        const int nPort = AddExtraPort(info.systemLocation().toStdString());
        m_cbPort->addItem(info.systemLocation(), nPort);
        listed.push_back(nPort);
    }
    const std::vector<std::string> extras = ExtraPorts();
    for (size_t i = 0; i < extras.size(); ++i) {
        const int nPort = 8 + static_cast<int>(i);
        if (std::find(listed.begin(), listed.end(), nPort) != listed.end())
            continue;
        m_cbPort->addItem(QString::fromStdString(extras[i]), nPort);
    }
    m_cbPort->setCurrentIndex(-1);
    // Long device paths stay readable in the opened list.
    int widest = 0;
    for (int i = 0; i < m_cbPort->count(); ++i)
        widest = std::max(widest, m_cbPort->fontMetrics().horizontalAdvance(m_cbPort->itemText(i)));
    m_cbPort->view()->setMinimumWidth(widest + 24);
}

int CPage1::PortItemOf(int nPort) const {
    return m_cbPort->findData(nPort);
}

bool CPage1::OnSetActive() {
    for (int id : kFontControls) {
        if (QWidget* w = Item(id)) {
            w->setFont(m_font);
            tarvello::res::FitTextToFont(w);
        }
    }
    if (s_bFirstActivation) {
        const int portItem = PortItemOf(m_nInitialPort);
        m_cbPort->setCurrentIndex(portItem >= 0 ? portItem : 0);
        m_cbBaudRate->setCurrentIndex(3);
        m_cbDataBits->setCurrentIndex(0);
        m_cbStopBits->setCurrentIndex(0);
        m_cbParity->setCurrentIndex(0);
        m_cbHandshake->setCurrentIndex(0);
        m_btnOpen->setEnabled(true);
        m_btnClose->setEnabled(false);
        s_bFirstActivation = false;
    }
    return CPropertyPage::OnSetActive();
}

void CPage1::OnOpenPort() {
    // 1. The selections into g_PortSettings: port, handshake, baud rate, data bits, stop bits,
    //    parity. A list without a selection leaves its field, except port and handshake.
    PortSettings settings = g_PortSettings.load();
    const int portItem = m_cbPort->currentIndex();
    settings.nPort = portItem >= 0 ? m_cbPort->itemData(portItem).toInt() : -1;
    settings.nHandshake = m_cbHandshake->currentIndex();
    const int baud = m_cbBaudRate->currentIndex();
    if (baud >= 0 && baud < 5)
        settings.dwBaudRate = kBaudRates[baud];
    const int dataBits = m_cbDataBits->currentIndex();
    if (dataBits >= 0)
        settings.byByteSize = dataBits == 0 ? 8 : 7;
    const int stopBits = m_cbStopBits->currentIndex();
    if (stopBits >= 0)
        settings.byStopBits = stopBits == 0 ? 0 : 2;
    const int parity = m_cbParity->currentIndex();
    if (parity >= 0)
        settings.byParity = static_cast<uint8_t>(parity);
    g_PortSettings = settings;

    // 2.-8. on a worker thread: the handshake takes more than a second, and the window keeps
    // painting while it takes no input.
    auto failedStep = std::make_shared<int>(0);
    DisplaySink* sink = m_pSink;
    tarvello::ui::RunInBackground(
        this, window(),
        [this, settings, sink, failedStep] {
            *failedStep = OpenSequence(settings, sink, [this] {
                tarvello::ui::PostToUi(this, [this] { OnPortOpened(); });
            });
        },
        [this, failedStep] { OnOpenFinished(*failedStep); });
}

void CPage1::OnPortOpened() {
    // 3. The port is open.
    m_btnOpen->setEnabled(false);
    m_btnClose->setEnabled(true);
}

void CPage1::OnOpenFinished(int failedStep) {
    if (failedStep == 0)
        return;
    tarvello::ui::ShowNote(this, QString::fromUtf8(tarvello::ui::kPortOpenErrorText));
    if (failedStep == 6)
        tarvello::ui::SoundBeep(1000, 1000);
}

void CPage1::OnClosePort() {
    // 1. Disable "关闭端口"; 2. close the port (the monitor sees the cleared flag and ends)
    //    on a worker thread; 3. enable "打开端口".
    m_btnClose->setEnabled(false);
    tarvello::ui::RunInBackground(
        this, window(),
        [] {
            ClosePort();
            WaitStatusMonitorEnd();
        },
        [this] { m_btnOpen->setEnabled(true); });
}
