#include "res/Templates.h"

#include <QtGlobal>

#include <cstring>

#include "res/ControlIds.h"

namespace tarvello::res {

namespace {

using namespace ids;

// Every text a person reads is marked for translation in the context "Templates"; the widgets
// take its translation where they are made (res/TemplateText.h). The texts here stay the tool's
// own.

// About box.
const ControlTemplate kAbout[] = {
    {kIdStatic, Kind::Icon, 11, 17, 20, 20, nullptr, kNone},
    {kIdStatic, Kind::Static, 40, 10, 119, 8, QT_TRANSLATE_NOOP("Templates", "Tarvello 1.5 版"),
     kNone},
    {kIdStatic, Kind::Static, 40, 25, 119, 8,
     QT_TRANSLATE_NOOP("Templates", "标签打印机介质传感器调试"), kNone},
    {about::kOkButton, Kind::Button, 178, 7, 50, 14, QT_TRANSLATE_NOOP("Templates", "确定"),
     kDefault},
};

// Main window.
const ControlTemplate kMain[] = {
    {mainwindow::kSupplyList, Kind::ComboList, 70, 250, 42, 122, nullptr, kNone},
    {mainwindow::kMicroSwitchEdit, Kind::Edit, 170, 250, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {mainwindow::kPresenceEdit, Kind::Edit, 70, 275, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {mainwindow::kRibbonEdit, Kind::Edit, 170, 277, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {mainwindow::kHeader, Kind::Static, 4, 0, 215, 33,
     QT_TRANSLATE_NOOP("Templates", "传感器调试工具"), kCentered | kVCentered | kSunken},
    {kIdStatic, Kind::Frame, 3, 234, 218, 70, nullptr, kNone},
    {mainwindow::kRibbonLabel, Kind::Static, 115, 279, 50, 10,
     QT_TRANSLATE_NOOP("Templates", "色带传感器"), kNone, mainwindow::kRibbonEdit},
    {mainwindow::kPresenceLabel, Kind::Static, 15, 278, 50, 10,
     QT_TRANSLATE_NOOP("Templates", "存在传感器"), kNone, mainwindow::kPresenceEdit},
    {mainwindow::kMicroSwitchLabel, Kind::Static, 120, 253, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "微动开关"), kNone, mainwindow::kMicroSwitchEdit},
    {mainwindow::kSupplyLabel, Kind::Static, 15, 253, 50, 10,
     QT_TRANSLATE_NOOP("Templates", "传感器电源"), kNone, mainwindow::kSupplyList},
};

// Port page.
const ControlTemplate kPortPage[] = {
    {port::kPortList, Kind::ComboList, 45, 45, 50, 129, nullptr, kNone},
    {port::kBaudRateList, Kind::ComboList, 145, 45, 50, 123, nullptr, kNone},
    {port::kDataBitsList, Kind::ComboList, 45, 75, 50, 128, nullptr, kNone},
    {port::kStopBitsList, Kind::ComboList, 145, 75, 50, 104, nullptr, kNone},
    {port::kParityList, Kind::ComboList, 45, 110, 50, 97, nullptr, kNone},
    {port::kHandshakeList, Kind::ComboList, 145, 110, 50, 89, nullptr, kNone},
    {port::kOpenButton, Kind::Button, 31, 143, 55, 20, QT_TRANSLATE_NOOP("Templates", "打开端口"),
     kFlat},
    {port::kCloseButton, Kind::Button, 123, 143, 55, 19, QT_TRANSLATE_NOOP("Templates", "关闭端口"),
     kFlat},
    {port::kPortLabel, Kind::Static, 10, 48, 30, 10, QT_TRANSLATE_NOOP("Templates", "串口号"),
     kCentered, port::kPortList},
    {port::kBaudRateLabel, Kind::Static, 105, 48, 30, 10, QT_TRANSLATE_NOOP("Templates", "波特率"),
     kCentered, port::kBaudRateList},
    {port::kDataBitsLabel, Kind::Static, 10, 78, 30, 10, QT_TRANSLATE_NOOP("Templates", "数据位"),
     kCentered, port::kDataBitsList},
    {port::kStopBitsLabel, Kind::Static, 105, 78, 30, 10, QT_TRANSLATE_NOOP("Templates", "停止位"),
     kCentered, port::kStopBitsList},
    {port::kParityLabel, Kind::Static, 10, 113, 30, 10, QT_TRANSLATE_NOOP("Templates", "校验位"),
     kCentered, port::kParityList},
    {port::kHandshakeLabel, Kind::Static, 100, 113, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "握手信号"), kCentered, port::kHandshakeList},
    {port::kTitle, Kind::Static, 59, 5, 100, 25, QT_TRANSLATE_NOOP("Templates", "端口配置"),
     kCentered},
};

// Reflective sensor page.
const ControlTemplate kReflectivePage[] = {
    {reflective::kStandardEdit, Kind::Edit, 20, 25, 40, 14, nullptr, kBorder},
    {reflective::kAdjustButton, Kind::Button, 15, 50, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "调节有纸电压"), kFlat | kCentered},
    {reflective::kMarkButton, Kind::Button, 15, 80, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "获取标记电压"), kFlat | kHidden},
    {reflective::kNoPaperButton, Kind::Button, 15, 110, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "获取无纸电压"), kFlat | kCentered | kHidden},
    {reflective::kSensitivityList, Kind::ComboList, 85, 25, 40, 81, nullptr, kNone},
    {reflective::kIntensityEdit, Kind::Edit, 145, 25, 40, 16, nullptr, kBorder},
    {reflective::kPaperEdit, Kind::Edit, 145, 53, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {reflective::kNoPaperEdit, Kind::Edit, 145, 113, 40, 14, nullptr, kReadOnly | kBorder},
    {reflective::kStandardLabel, Kind::Static, 23, 12, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "电压标准"), kNone, reflective::kStandardEdit},
    {reflective::kPaperLabel, Kind::Static, 95, 56, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "有纸电压"), kNone, reflective::kPaperEdit},
    {reflective::kNoPaperLabel, Kind::Static, 95, 116, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "无纸电压"), kNone, reflective::kNoPaperEdit},
    {reflective::kIntensityLabel, Kind::Static, 148, 12, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "发光强度"), kNone, reflective::kIntensityEdit},
    {reflective::kSensitivityLabel, Kind::Static, 90, 12, 35, 10,
     QT_TRANSLATE_NOOP("Templates", "灵敏度"), kNone, reflective::kSensitivityList},
    {reflective::kMarkLabel, Kind::Static, 95, 86, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "标记电压"), kNone, reflective::kMarkEdit},
    {reflective::kMarkEdit, Kind::Edit, 145, 83, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {reflective::kCheckButton, Kind::Button, 15, 140, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "纸张校验"), kFlat},
    {reflective::kDifferenceEdit, Kind::Edit, 145, 143, 40, 14, nullptr, kReadOnly | kBorder},
    {reflective::kDifferenceLabel, Kind::Static, 95, 146, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "电压差值"), kNone, reflective::kDifferenceEdit},
};

// Transmissive sensor page.
const ControlTemplate kTransmissivePage[] = {
    {transmissive::kStandardEdit, Kind::Edit, 20, 25, 40, 14, nullptr, kBorder},
    {transmissive::kPaperEdit, Kind::Edit, 145, 113, 40, 14, nullptr, kReadOnly | kBorder},
    {transmissive::kNoPaperEdit, Kind::Edit, 145, 83, 40, 14, nullptr, kReadOnly | kBorder},
    {transmissive::kAdjustButton, Kind::Button, 15, 50, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "调节衬纸电压"), kFlat | kCentered},
    {transmissive::kNoPaperButton, Kind::Button, 15, 80, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "获取无纸电压"), kFlat | kHidden},
    {transmissive::kPaperButton, Kind::Button, 15, 110, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "获取有纸电压"), kFlat | kCentered | kHidden},
    {transmissive::kSensitivityList, Kind::ComboList, 85, 25, 40, 95, nullptr, kNone},
    {transmissive::kIntensityEdit, Kind::Edit, 145, 25, 40, 16, nullptr, kBorder},
    {transmissive::kLinerEdit, Kind::Edit, 145, 53, 40, 14, nullptr, kReadOnly | kBorder},
    {transmissive::kPaperLabel, Kind::Static, 94, 115, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "有纸电压"), kNone, transmissive::kPaperEdit},
    {transmissive::kStandardLabel, Kind::Static, 23, 13, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "电压标准"), kNone, transmissive::kStandardEdit},
    {transmissive::kLinerLabel, Kind::Static, 95, 56, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "衬纸电压"), kNone, transmissive::kLinerEdit},
    {transmissive::kIntensityLabel, Kind::Static, 148, 12, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "发光强度"), kNone, transmissive::kIntensityEdit},
    {transmissive::kSensitivityLabel, Kind::Static, 90, 12, 35, 10,
     QT_TRANSLATE_NOOP("Templates", "灵敏度"), kNone, transmissive::kSensitivityList},
    {transmissive::kNoPaperLabel, Kind::Static, 94, 86, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "无纸电压"), kNone, transmissive::kNoPaperEdit},
    {transmissive::kDifferenceLabel, Kind::Static, 95, 146, 40, 10,
     QT_TRANSLATE_NOOP("Templates", "电压差值"), kNone, transmissive::kDifferenceEdit},
    {transmissive::kDifferenceEdit, Kind::Edit, 145, 143, 40, 14, nullptr,
     kReadOnly | kDigitsOnly | kBorder},
    {transmissive::kCheckButton, Kind::Button, 15, 140, 70, 20,
     QT_TRANSLATE_NOOP("Templates", "纸张校验"), kFlat},
};

template <size_t N> constexpr size_t Count(const ControlTemplate (&)[N]) {
    return N;
}

const DialogTemplate kTemplates[] = {
    {kIddAbout, 235, 55, QT_TRANSLATE_NOOP("Templates", "关于 Tarvello"), "宋体", 9, kAbout,
     Count(kAbout)},
    {kIddMain, 225, 310, "Tarvello Tool V1.5", "宋体", 9, kMain, Count(kMain)},
    {kIddPortPage, 205, 176, QT_TRANSLATE_NOOP("Templates", "端口配置"), "Tahoma", 10, kPortPage,
     Count(kPortPage)},
    {kIddReflectivePage, 205, 175, QT_TRANSLATE_NOOP("Templates", "反射传感器调节"), "Tahoma", 10,
     kReflectivePage, Count(kReflectivePage)},
    {kIddTransmissivePage, 205, 175, QT_TRANSLATE_NOOP("Templates", "透射传感器调节"), "Tahoma", 10,
     kTransmissivePage, Count(kTransmissivePage)},
};

// Combo box lists: template, control, items.
struct ComboList {
    int templateId;
    int controlId;
    std::vector<const char*> items;
};

const std::vector<ComboList>& ComboLists() {
    static const std::vector<ComboList> lists = {
        {kIddMain, mainwindow::kSupplyList, {"2.5V", "3.3V", "5.0V"}},
        {kIddPortPage,
         port::kPortList,
         {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}},
        {kIddPortPage, port::kBaudRateList, {"4800", "9600", "19200", "38400", "57600"}},
        {kIddPortPage, port::kDataBitsList, {"8", "7"}},
        {kIddPortPage, port::kStopBitsList, {"1", "2"}},
        {kIddPortPage,
         port::kParityList,
         {QT_TRANSLATE_NOOP("Templates", "无"), QT_TRANSLATE_NOOP("Templates", "奇"),
          QT_TRANSLATE_NOOP("Templates", "偶")}},
        {kIddPortPage, port::kHandshakeList, {"DSR/DTR", "CTS/RTS"}},
        {kIddReflectivePage, reflective::kSensitivityList, {"00", "01", "10", "11"}},
        {kIddTransmissivePage, transmissive::kSensitivityList, {"00", "01", "10", "11"}},
    };
    return lists;
}

} // namespace

const DialogTemplate* FindTemplate(int id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

const ControlTemplate* FindControl(const DialogTemplate& dlg, int controlId) {
    for (size_t i = 0; i < dlg.count; ++i) {
        if (dlg.controls[i].id == controlId)
            return &dlg.controls[i];
    }
    return nullptr;
}

std::vector<const char*> ComboItems(int templateId, int controlId) {
    for (const ComboList& l : ComboLists()) {
        if (l.templateId == templateId && l.controlId == controlId)
            return l.items;
    }
    return {};
}

const char* ResourceString(int id) {
    if (id == kIdsAboutBox)
        return QT_TRANSLATE_NOOP("Templates", "关于 Tarvello(&A)...");
    return "";
}

} // namespace tarvello::res
