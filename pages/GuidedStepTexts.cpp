// The guided calibration's texts of a step: its title, its sentence, and why it ended without
// a result.
#include "pages/GuidedStepPage.h"

#include "sensor/PaperCheck.h"
#include "sensor/SensorReadings.h"

QString CGuidedStepPage::ReadingEndText(int end) {
    switch (static_cast<ReadingEnd>(end)) {
    case ReadingEnd::kPortNotOpen:
        return CGuidedStepPage::tr("串口未打开。");
    case ReadingEnd::kRefusedText:
        return CGuidedStepPage::tr("光强度无效 (0..255)，读数未发送。");
    case ReadingEnd::kWriteFailed:
        return CGuidedStepPage::tr("读数帧无法写出：线路故障。");
    case ReadingEnd::kNoReading:
    case ReadingEnd::kReading:
        break;
    }
    return CGuidedStepPage::tr("打印机没有给出读数。");
}

QString CGuidedStepPage::CheckEndText(int end) {
    switch (static_cast<PaperCheckEnd>(end)) {
    case PaperCheckEnd::PortNotOpen:
        return CGuidedStepPage::tr("串口未打开。");
    case PaperCheckEnd::Stopped:
        return CGuidedStepPage::tr("纸张校验已停止。");
    case PaperCheckEnd::PortFailed:
        return CGuidedStepPage::tr("纸张校验的帧无法写出或串口已关闭：线路故障。");
    case PaperCheckEnd::BadValue:
        return CGuidedStepPage::tr("纸张校验的回复不是四位十六进制数，校验提前结束。");
    case PaperCheckEnd::BadWait:
    case PaperCheckEnd::Completed:
        break;
    }
    return CGuidedStepPage::tr("打印机的值给不出可用的校验等待时间，校验没有测量。");
}

QString CGuidedStepPage::StepTitle(const GuidedStepDef& def) {
    const QString sensor =
        def.sensor == Sensor::Reflective ? tr("反射式传感器") : tr("透射式传感器");
    QString step;
    switch (def.step) {
    case GuidedStep::Adjust:
        step = tr("自动调节");
        break;
    case GuidedStep::Mark:
        step = tr("标记读数");
        break;
    case GuidedStep::NoPaper:
        step = tr("无纸读数");
        break;
    case GuidedStep::Paper:
        step = tr("有纸读数");
        break;
    case GuidedStep::Reload:
        step = tr("重新装纸");
        break;
    case GuidedStep::Check:
        step = tr("纸张校验");
        break;
    }
    return tr("%1: %2").arg(sensor, step);
}

QString CGuidedStepPage::StepSentence(const GuidedStepDef& def) {
    switch (def.media) {
    case GuidedMedia::Mark:
        return tr("把一个黑色标记放在传感器下，然后按“下一步”取读数。");
    case GuidedMedia::NoPaper:
        return tr("取出传感器下的所有介质，然后按“下一步”取读数。");
    case GuidedMedia::Label:
        return tr("把一张标签（连同底纸）放在传感器下，然后按“下一步”取读数。");
    case GuidedMedia::LabelStock:
        return def.step == GuidedStep::Adjust
                   ? tr("装上标签纸，使传感器下是标签间隙，然后按“下一步”开始调节。")
                   : tr("装上标签纸，然后按“下一步”开始纸张校验。");
    case GuidedMedia::Paper:
        break;
    }
    switch (def.step) {
    case GuidedStep::Adjust:
        return tr("把纸放在传感器下，然后按“下一步”开始调节。");
    case GuidedStep::Reload:
        return tr("把纸重新放回传感器下。读数回到调节的范围内（连续三次）后自动继续。");
    default:
        break;
    }
    return tr("纸放在传感器下，然后按“下一步”开始纸张校验。");
}
