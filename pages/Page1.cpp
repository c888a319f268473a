#include "pages/Page1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "device/PortState.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "pages/PageAdjustProgress.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "res/Templates.h"
#include "sensor/PortOpenSequence.h"

using tarvello::res::kIddPortPage;

bool CPage1::s_bFirstActivation = true;

namespace {

using namespace tarvello::res::ids::port;

// The page's controls that take its font.
constexpr int kFontControls[] = {kPortLabel,    kBaudRateLabel,  kDataBitsLabel, kStopBitsLabel,
                                 kParityLabel,  kHandshakeLabel, kTitle,         kOpenButton,
                                 kCloseButton,  kPortList,       kBaudRateList,  kDataBitsList,
                                 kStopBitsList, kParityList,     kHandshakeList};

constexpr uint32_t kBaudRates[] = {4800, 9600, 19200, 38400, 57600};

// The item role that holds what the opened list shows after an item's text: the device the
// item opens and what the system reports about it.
constexpr int kPortDetailRole = Qt::UserRole + 1;

// Whether a port the system reports is one of the first eight the list already holds; its index.
int FirstEightIndexOf(const QSerialPortInfo& info) {
    for (int i = 0; i < 8; ++i) {
#ifdef _WIN32
        if (info.portName().compare(QStringLiteral("COM%1").arg(i + 1), Qt::CaseInsensitive) == 0)
            return i;
#else
        if (info.systemLocation() == QString::fromStdString(PortDeviceName(i)))
            return i;
#endif
    }
    return -1;
}

// What the system reports about a port, as a person recognises the adapter:
// "USB-Serial Controller (Prolific)".
QString Reported(const QSerialPortInfo& info) {
    const QString description = info.description().trimmed();
    const QString manufacturer = info.manufacturer().trimmed();
    if (manufacturer.isEmpty() || description.contains(manufacturer, Qt::CaseInsensitive))
        return description;
    if (description.isEmpty())
        return manufacturer;
    return QStringLiteral("%1 (%2)").arg(description, manufacturer);
}

QString JoinDetail(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() ? b : a;
    return a + QStringLiteral(" — ") + b;
}

// The opened port list shows each item's detail after its text; the closed list shows only the
// text.
class PortItemDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = JoinDetail(option->text, index.data(kPortDetailRole).toString());
    }
};

// A button that had the keys and was disabled by the run leaves them nowhere: they go to next,
// the button that can be pressed now, unless the technician has put them elsewhere.
void KeepKeysOn(QPushButton* next) {
    const QWidget* focus = QApplication::focusWidget();
    if (next->isEnabled() &&
        (focus == nullptr || !focus->isEnabled() || focus->window() != next->window()))
        next->setFocus(Qt::OtherFocusReason);
}

// The port as the technician chose it: the item's text, and the device it opens when the text
// does not name it ("COM1 (/dev/ttyS0)").
QString PortShownName(const QString& itemText, const std::string& device) {
    const QString path = QString::fromStdString(device);
    const QString label = CPage1::DeviceLabel(device);
    const QString named =
        label.isEmpty() ? itemText : QStringLiteral("%1 (%2)").arg(itemText, label);
#ifdef _WIN32
    (void)path;
    return named;
#else
    if (path.isEmpty() || path == itemText)
        return named;
    return QStringLiteral("%1 (%2)").arg(named, path);
#endif
}

std::map<std::string, const char*>& DeviceLabels() {
    static std::map<std::string, const char*> labels; // UI thread only
    return labels;
}

// Why the open failed, for the informative text of the "串口打开错误!" box.
QString OpenFailureReason(const PortOpenResult& r, const QString& port) {
    const QString closeFirst = QCoreApplication::translate("Page1", "请按“关闭端口”后再试。");
    switch (r.failedStep) {
    case PortOpenStep::kNone:
        return QString();
    case PortOpenStep::kOpen:
        break;
    case PortOpenStep::kHandshakeWrite:
        return QCoreApplication::translate("Page1", "握手命令无法写入 %1。").arg(port) + closeFirst;
    case PortOpenStep::kNoAnswer:
        return QCoreApplication::translate(
                   "Page1", "打印机在 1 秒内没有应答握手命令。请检查打印机电源、连接线和波特率。") +
               closeFirst;
    case PortOpenStep::kNotY:
        return QCoreApplication::translate(
                   "Page1", "打印机的应答不是 “Y”，收到：%1。请检查波特率和其他设置。")
                   .arg(QString::fromStdString(DescribeBytes(r.received))) +
               closeFirst;
    case PortOpenStep::kAccessWrite:
        return QCoreApplication::translate("Page1", "访问码命令无法写入 %1。").arg(port) +
               closeFirst;
    }
    if (r.device.empty())
        return QCoreApplication::translate("Page1", "没有选择串口。");
    switch (r.openError) {
    case PortOpenError::kNoDevice:
        return QCoreApplication::translate(
                   "Page1", "设备 %1 不存在。请检查串口号，以及 USB 转串口线是否已插好。")
            .arg(port);
    case PortOpenError::kBusy:
        return QCoreApplication::translate("Page1",
                                           "%1 已被另一个程序占用。请关闭正在使用它的程序后再试。")
            .arg(port);
    case PortOpenError::kNoAccess:
#if defined(__linux__)
        return QCoreApplication::translate("Page1",
                                           "没有打开 %1 的权限。在 Linux 上，用户须属于 dialout 组"
                                           "（sudo usermod -aG dialout 用户名，然后重新登录）。")
            .arg(port);
#else
        return QCoreApplication::translate("Page1", "没有打开 %1 的权限。").arg(port);
#endif
    case PortOpenError::kSettingsRefused:
        return QCoreApplication::translate(
                   "Page1", "%1 无法按所选设置配置（波特率、数据位、停止位、校验位或握手信号）。")
            .arg(port);
    case PortOpenError::kNone:
    case PortOpenError::kOther:
        break;
    }
    return QCoreApplication::translate("Page1", "系统拒绝打开 %1。").arg(port);
}

} // namespace

CPage1::CPage1(DisplaySink* sink, int initialPort, QWidget* parent)
    : CPropertyPage(kIddPortPage, parent), m_pSink(sink), m_nInitialPort(initialPort) {
    m_font = tarvello::res::MakeFont("Tahoma", 16, 400);
    // Control binding.
    m_btnClose = ItemAs<QPushButton>(kCloseButton);
    m_btnOpen = ItemAs<QPushButton>(kOpenButton);
    m_cbHandshake = ItemAs<QComboBox>(kHandshakeList);
    m_cbParity = ItemAs<QComboBox>(kParityList);
    m_cbStopBits = ItemAs<QComboBox>(kStopBitsList);
    m_cbDataBits = ItemAs<QComboBox>(kDataBitsList);
    m_cbBaudRate = ItemAs<QComboBox>(kBaudRateList);
    m_cbPort = ItemAs<QComboBox>(kPortList);
    FillPortList();
    // The page's line below the buttons says what the open waits for, and for how long.
    m_pWait = new CAdjustProgress(this, m_pTemplate);
    m_pWait->WrapOver(2); // the port's name and label may be long; the page has room below
    connect(m_btnOpen, &QPushButton::clicked, this, &CPage1::OnOpenPort);
    connect(m_btnClose, &QPushButton::clicked, this, &CPage1::OnClosePort);
    // A line that went away (a pulled adapter, a printer that hung up) is noticed within a
    // fifth of a second, whichever exchange met it.
    auto* lineWatch = new QTimer(this);
    lineWatch->setInterval(kLineWatchMs);
    connect(lineWatch, &QTimer::timeout, this, &CPage1::CheckConnection);
    lineWatch->start();
}

void CPage1::CheckConnection() {
    // Once the exchange that met the lost line has ended (the window takes input again), the
    // technician is told and the port is closed as "关闭端口" closes it.
    if (!g_bPortOpen.load() || !LineGone() || !m_btnClose->isEnabled() ||
        tarvello::ui::BackgroundRunActive())
        return;
    tarvello::ui::ShowWarningWithoutWaiting(
        this,
        QCoreApplication::translate("Page1", "连接已断开: 打印机或串口适配器已不在线路上。"
                                             "端口已关闭; 请检查电缆和适配器, 然后重新打开端口。"));
    OnClosePort();
}

void CPage1::FillPortList() {
    // Items 0..7 ("COM1".."COM8") come from the template; each item carries its nPort. The
    // opened list (and each item's tooltip) shows the device an item opens where its text does
    // not name it, and what the system reports about the device (a USB adapter's description).
    std::vector<QString> reported(8);
    std::vector<QSerialPortInfo> others;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const int first = FirstEightIndexOf(info);
        if (first >= 0)
            reported[static_cast<size_t>(first)] = Reported(info);
        else
            others.push_back(info);
    }
    for (int i = 0; i < m_cbPort->count(); ++i) {
        m_cbPort->setItemData(i, i);
#ifdef _WIN32
        const QString device;
#else
        const QString device = QString::fromStdString(PortDeviceName(i));
#endif
        const QString detail =
            JoinDetail(device, i < 8 ? reported[static_cast<size_t>(i)] : QString());
        m_cbPort->setItemData(i, detail, kPortDetailRole);
        m_cbPort->setItemData(i, detail, Qt::ToolTipRole);
    }
    // Then the other serial ports the system reports (USB adapters), then the devices given on
    // the command line.
    std::vector<int> listed;
    for (const QSerialPortInfo& info : others) {
        const int nPort = AddExtraPort(info.systemLocation().toStdString());
        m_cbPort->addItem(info.systemLocation(), nPort);
        const int item = m_cbPort->count() - 1;
        m_cbPort->setItemData(item, Reported(info), kPortDetailRole);
        m_cbPort->setItemData(item, JoinDetail(info.systemLocation(), Reported(info)),
                              Qt::ToolTipRole);
        listed.push_back(nPort);
    }
    const std::vector<std::string> extras = ExtraPorts();
    for (size_t i = 0; i < extras.size(); ++i) {
        const int nPort = 8 + static_cast<int>(i);
        if (std::find(listed.begin(), listed.end(), nPort) != listed.end())
            continue;
        const QString path = QString::fromStdString(extras[i]);
        const QString label = DeviceLabel(extras[i]);
        m_cbPort->addItem(path, nPort);
        m_cbPort->setItemData(m_cbPort->count() - 1, label, kPortDetailRole);
        m_cbPort->setItemData(m_cbPort->count() - 1, JoinDetail(path, label), Qt::ToolTipRole);
    }
    m_cbPort->setCurrentIndex(-1);
    m_cbPort->setItemDelegate(new PortItemDelegate(m_cbPort));
    FitPortPopup();
}

void CPage1::LabelDevice(const std::string& device, const char* label) {
    DeviceLabels()[device] = label;
}

QString CPage1::DeviceLabel(const std::string& device) {
    const auto it = DeviceLabels().find(device);
    return it == DeviceLabels().end() ? QString()
                                      : QCoreApplication::translate("Page1", it->second);
}

void CPage1::FitPortPopup() {
    // The opened list is wide enough for the longest text and detail in the list's font.
    const QFontMetrics fm(m_cbPort->view()->font());
    int widest = 0;
    for (int i = 0; i < m_cbPort->count(); ++i) {
        const QString shown =
            JoinDetail(m_cbPort->itemText(i), m_cbPort->itemData(i, kPortDetailRole).toString());
        widest = std::max(widest, fm.horizontalAdvance(shown));
    }
    m_cbPort->view()->setMinimumWidth(widest + 32);
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
    FitPortPopup();
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
    // The selections into g_PortSettings: port, handshake, baud rate, data bits, stop bits,
    // parity. A list without a selection leaves its field, except port and handshake.
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

    // The open sequence on a worker thread: the handshake takes more than a second, and the
    // window keeps painting while it takes no input.
    auto result = std::make_shared<PortOpenResult>();
    const QString port = portItem >= 0 ? m_cbPort->itemText(portItem) : QString();
    DisplaySink* sink = m_pSink;
    tarvello::ui::LabelNextRun(tarvello::ui::RunKind::Open);
    m_pWait->Wait(QCoreApplication::translate("Page1", "正在打开 %1: 等待打印机应答")
                      .arg(PortShownName(port, settings.nPort >= 0 ? PortDeviceName(settings.nPort)
                                                                   : std::string())));
    tarvello::ui::RunInBackground(
        this, window(),
        [this, settings, sink, result] {
            *result = RunPortOpenSequence(settings, sink, [this] {
                tarvello::ui::PostToUi(this, [this] { OnPortOpened(); });
            });
        },
        [this, result, port] { OnOpenFinished(*result, port); });
}

void CPage1::OnPortOpened() {
    // The port is open: only "关闭端口" can be clicked.
    m_btnOpen->setEnabled(false);
    m_btnClose->setEnabled(true);
}

void CPage1::OnOpenFinished(const PortOpenResult& result, const QString& port) {
    m_pWait->ShowText(QString());
    KeepKeysOn(m_btnClose); // what can be pressed next, after an open or a failed one
    if (result.Succeeded())
        return;
    // The box keeps its text and caption; the reason stands below the text.
    tarvello::ui::ShowNote(this, tarvello::ui::NoteText(tarvello::ui::kPortOpenErrorText),
                           OpenFailureReason(result, PortShownName(port, result.device)));
    if (result.HandshakeFailed())
        tarvello::ui::SoundBeep(1000, 1000);
}

void CPage1::OnClosePort() {
    // "关闭端口" disabled, the port closed on a worker thread (the monitor sees the cleared
    // flag and ends), then "打开端口" enabled.
    m_btnClose->setEnabled(false);
    tarvello::ui::RunInBackground(
        this, window(),
        [] {
            ClosePort();
            WaitStatusMonitorEnd();
        },
        [this] {
            m_btnOpen->setEnabled(true);
            KeepKeysOn(m_btnOpen);
        });
}
