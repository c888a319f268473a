#include "app/CloseQuestion.h"

#include <QCoreApplication>

namespace tarvello::app {

using tarvello::ui::RunKind;

RunKind RunningWork(bool adjusting, RunKind activeRun) {
    return adjusting ? RunKind::Adjustment : activeRun;
}

QString CloseQuestion(RunKind running) {
    switch (running) {
    case RunKind::Open:
        return QCoreApplication::translate("CTarvelloDlg", "正在打开端口。停止并关闭吗?");
    case RunKind::Adjustment:
        return QCoreApplication::translate("CTarvelloDlg", "正在进行自动调节。停止并关闭吗?");
    case RunKind::Reading:
        return QCoreApplication::translate("CTarvelloDlg", "正在读取电压。停止并关闭吗?");
    case RunKind::Check:
        return QCoreApplication::translate("CTarvelloDlg", "正在进行纸张检测。停止并关闭吗?");
    case RunKind::Other:
        break;
    }
    return QString();
}

} // namespace tarvello::app
