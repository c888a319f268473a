// The port page without a printer: the port list as a person reads it (the device each item
// opens, wide enough to read), and the reasons the box gives for the open sequence's write
// failures, on a scripted line.
#include "UiTestSupport.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStyleOptionViewItem>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FakeLine.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"

using uitest::Find;

namespace {

class PortPage : public uitest::UiTest {
  protected:
    std::unique_ptr<CTarvelloDlg> Open(int initialPort = 0) {
        auto dlg = std::make_unique<CTarvelloDlg>(nullptr, initialPort);
        dlg->show();
        return dlg;
    }
};

// The opened list shows, after each item's text, the device it opens (on Linux, where "COM1"
// does not name it) and is wide enough for it; the item's tooltip says the same.
TEST_F(PortPage, PortListShowsTheDeviceEachItemOpens) {
    const int nPort = AddExtraPort("/dev/tarvello-a-rather-long-device-name-for-the-list");
    auto dlg = Open(nPort);
    auto* ports = Find<QComboBox>(dlg->Sheet()->widget(0), 1003);
    const QFontMetrics fm(ports->view()->font());
    QStyleOptionViewItem option;
    option.initFrom(ports->view());
    option.rect = QRect(0, 0, 2000, 40); // no narrower than the opened list may be
    option.font = ports->view()->font();
    for (int i = 0; i < ports->count(); ++i) {
        const QString text = ports->itemText(i);
        const QString tip = ports->itemData(i, Qt::ToolTipRole).toString();
        const int shown =
            ports->view()->itemDelegate()->sizeHint(option, ports->model()->index(i, 0)).width();
#ifndef _WIN32
        if (i < 8) {
            EXPECT_EQ(text, QStringLiteral("COM%1").arg(i + 1));
            EXPECT_TRUE(tip.startsWith(QStringLiteral("/dev/ttyS%1").arg(i))) << i;
            EXPECT_GE(shown, fm.horizontalAdvance(text + QStringLiteral(" — ") + tip)) << i;
        }
#endif
        if (i >= 8) {
            EXPECT_TRUE(tip.startsWith(text)) << i;
        }
        EXPECT_GE(ports->view()->minimumWidth(), shown) << i;
    }
    EXPECT_EQ(ports->currentText(),
              QStringLiteral("/dev/tarvello-a-rather-long-device-name-for-the-list"));
}

// The open sequence's write failures on a scripted line: the box names the frame that could not
// be written, no beep, and the port stays open for "关闭端口".
TEST_F(PortPage, OpenSequenceWriteFailuresSayWhichFrame) {
    FakeLine line;
    line.Install();
    line.OnWrite([](const FakeLine::Bytes& bytes) {
        return bytes.size() == 3 ? std::vector<FakeLine::Reply>{{"Y", 5}}
                                 : std::vector<FakeLine::Reply>{};
    });
    auto dlg = Open();
    QWidget* page = dlg->Sheet()->widget(0);
    const std::pair<const char*, QString> cases[] = {
        {"handshake", QStringLiteral("握手命令无法写入 COM1 (/dev/ttyS0)。请按“关闭端口”后再试。")},
        {"access code",
         QStringLiteral("访问码命令无法写入 COM1 (/dev/ttyS0)。请按“关闭端口”后再试。")}};
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        messages.clear();
        if (std::string(name) == "handshake") {
            line.SetShortWrites(1);
        } else {
            line.At(line.NowMs() + 1000, [&line] { line.SetShortWrites(1); });
        }
        Find<QPushButton>(page, 1016)->click();
        ASSERT_TRUE(uitest::WaitIdle());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("串口打开错误!"));
#ifndef _WIN32
        EXPECT_EQ(messages[0].informativeText, reason);
#endif
        EXPECT_TRUE(beeps.empty());
        EXPECT_TRUE(g_bPortOpen);
        EXPECT_TRUE(Find<QPushButton>(page, 1017)->isEnabled());
        Find<QPushButton>(page, 1017)->click();
        ASSERT_TRUE(uitest::WaitIdle());
        EXPECT_FALSE(g_bPortOpen);
    }
    dlg.reset();
    line.Uninstall();
}

} // namespace
