// --screenshots never waits for a click: a port that does not open ends the run at once with
// the reason and the window's result 1, no picture made, the tool's boxes as they were after.
#include "UiTestSupport.h"

#include <QDir>

#include <filesystem>
#include <memory>

#include "app/Screenshots.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"

namespace {

class Screenshots : public uitest::UiTest {};

TEST_F(Screenshots, APortThatDoesNotOpenEndsTheRunWithTheReason) {
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort("/dev/tarvello-no-port"));
    dlg->show();
    testing::internal::CaptureStderr();
    StartScreenshots(dlg.get(), QStringLiteral("pictures"));
    const bool ended = uitest::WaitFor([&] { return !dlg->isVisible(); }, 3000);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended) << "the run waits instead of ending";
    EXPECT_EQ(dlg->result(), 1);
    EXPECT_NE(err.find("--screenshots stopped: the tool showed \"串口打开错误!\" (port "
                       "/dev/tarvello-no-port): 设备 /dev/tarvello-no-port 不存在。"),
              std::string::npos)
        << err;
    EXPECT_TRUE(QDir(QStringLiteral("pictures")).isEmpty());
    EXPECT_TRUE(messages.empty()) << "the run took the box as text";
    // The tool's boxes go where they went before the run.
    tarvello::ui::ShowNote(nullptr, QStringLiteral("x"));
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace
