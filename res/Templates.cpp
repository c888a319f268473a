#include "res/Templates.h"

#include <cstring>

namespace tarvello::res {

namespace {

// About box.
const ControlTemplate kAbout[] = {
    {kIdStatic, Kind::Icon, 11, 17, 20, 20, nullptr, kNone},
    {kIdStatic, Kind::Static, 40, 10, 119, 8, "Tarvello 1.5 版", kNone},
    {kIdStatic, Kind::Static, 40, 25, 119, 8, "标签打印机介质传感器调试", kNone},
    {1, Kind::Button, 178, 7, 50, 14, "确定", kDefault},
};

// Main window.
const ControlTemplate kMain[] = {
    {1030, Kind::ComboList, 70, 250, 42, 122, nullptr, kNone},
    {1021, Kind::Edit, 170, 250, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1042, Kind::Edit, 70, 275, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1048, Kind::Edit, 170, 277, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1002, Kind::Static, 4, 0, 215, 33, "传感器调试工具", kCentered | kVCentered | kSunken},
    {kIdStatic, Kind::Frame, 3, 234, 218, 70, nullptr, kNone},
    {1034, Kind::Static, 115, 279, 50, 10, "色带传感器", kNone, 1048},
    {1035, Kind::Static, 15, 278, 50, 10, "存在传感器", kNone, 1042},
    {1036, Kind::Static, 120, 253, 40, 10, "微动开关", kNone, 1021},
    {1037, Kind::Static, 15, 253, 50, 10, "传感器电源", kNone, 1030},
};

// Port page.
const ControlTemplate kPortPage[] = {
    {1003, Kind::ComboList, 45, 45, 50, 129, nullptr, kNone},
    {1004, Kind::ComboList, 145, 45, 50, 123, nullptr, kNone},
    {1005, Kind::ComboList, 45, 75, 50, 128, nullptr, kNone},
    {1006, Kind::ComboList, 145, 75, 50, 104, nullptr, kNone},
    {1007, Kind::ComboList, 45, 110, 50, 97, nullptr, kNone},
    {1008, Kind::ComboList, 145, 110, 50, 89, nullptr, kNone},
    {1016, Kind::Button, 31, 143, 55, 20, "打开端口", kFlat},
    {1017, Kind::Button, 123, 143, 55, 19, "关闭端口", kFlat},
    {1034, Kind::Static, 10, 48, 30, 10, "串口号", kCentered, 1003},
    {1035, Kind::Static, 105, 48, 30, 10, "波特率", kCentered, 1004},
    {1036, Kind::Static, 10, 78, 30, 10, "数据位", kCentered, 1005},
    {1037, Kind::Static, 105, 78, 30, 10, "停止位", kCentered, 1006},
    {1038, Kind::Static, 10, 113, 30, 10, "校验位", kCentered, 1007},
    {1039, Kind::Static, 100, 113, 40, 10, "握手信号", kCentered, 1008},
    {1040, Kind::Static, 59, 5, 100, 25, "端口配置", kCentered},
};

// Reflective sensor page.
const ControlTemplate kReflectivePage[] = {
    {1031, Kind::Edit, 20, 25, 40, 14, nullptr, kBorder},
    {1025, Kind::Button, 15, 50, 70, 20, "调节有纸电压", kFlat | kCentered},
    {1045, Kind::Button, 15, 80, 70, 20, "获取标记电压", kFlat | kHidden},
    {1026, Kind::Button, 15, 110, 70, 20, "获取无纸电压", kFlat | kCentered | kHidden},
    {1003, Kind::ComboList, 85, 25, 40, 81, nullptr, kNone},
    {1033, Kind::Edit, 145, 25, 40, 16, nullptr, kBorder},
    {1041, Kind::Edit, 145, 53, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1032, Kind::Edit, 145, 113, 40, 14, nullptr, kReadOnly | kBorder},
    {1036, Kind::Static, 23, 12, 40, 10, "电压标准", kNone, 1031},
    {1037, Kind::Static, 95, 56, 40, 10, "有纸电压", kNone, 1041},
    {1040, Kind::Static, 95, 116, 40, 10, "无纸电压", kNone, 1032},
    {1035, Kind::Static, 148, 12, 40, 10, "发光强度", kNone, 1033},
    {1034, Kind::Static, 90, 12, 35, 10, "灵敏度", kNone, 1003},
    {1039, Kind::Static, 95, 86, 40, 10, "标记电压", kNone, 1057},
    {1057, Kind::Edit, 145, 83, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1059, Kind::Button, 15, 140, 70, 20, "纸张校验", kFlat},
    {1056, Kind::Edit, 145, 143, 40, 14, nullptr, kReadOnly | kBorder},
    {1038, Kind::Static, 95, 146, 40, 10, "电压差值", kNone, 1056},
};

// Transmissive sensor page.
const ControlTemplate kTransmissivePage[] = {
    {1046, Kind::Edit, 20, 25, 40, 14, nullptr, kBorder},
    {1019, Kind::Edit, 145, 113, 40, 14, nullptr, kReadOnly | kBorder},
    {1020, Kind::Edit, 145, 83, 40, 14, nullptr, kReadOnly | kBorder},
    {1027, Kind::Button, 15, 50, 70, 20, "调节衬纸电压", kFlat | kCentered},
    {1047, Kind::Button, 15, 80, 70, 20, "获取无纸电压", kFlat | kHidden},
    {1028, Kind::Button, 15, 110, 70, 20, "获取有纸电压", kFlat | kCentered | kHidden},
    {1003, Kind::ComboList, 85, 25, 40, 95, nullptr, kNone},
    {1023, Kind::Edit, 145, 25, 40, 16, nullptr, kBorder},
    {1055, Kind::Edit, 145, 53, 40, 14, nullptr, kReadOnly | kBorder},
    {1039, Kind::Static, 94, 115, 40, 10, "有纸电压", kNone, 1019},
    {1036, Kind::Static, 23, 13, 40, 10, "电压标准", kNone, 1046},
    {1037, Kind::Static, 95, 56, 40, 10, "衬纸电压", kNone, 1055},
    {1035, Kind::Static, 148, 12, 40, 10, "发光强度", kNone, 1023},
    {1034, Kind::Static, 90, 12, 35, 10, "灵敏度", kNone, 1003},
    {1040, Kind::Static, 94, 86, 40, 10, "无纸电压", kNone, 1020},
    {1038, Kind::Static, 95, 146, 40, 10, "电压差值", kNone, 1054},
    {1054, Kind::Edit, 145, 143, 40, 14, nullptr, kReadOnly | kDigitsOnly | kBorder},
    {1059, Kind::Button, 15, 140, 70, 20, "纸张校验", kFlat},
};

template <size_t N> constexpr size_t Count(const ControlTemplate (&)[N]) {
    return N;
}

const DialogTemplate kTemplates[] = {
    {kIddAbout, 235, 55, "关于 Tarvello", "宋体", 9, kAbout, Count(kAbout)},
    {kIddMain, 225, 310, "Tarvello Tool V1.5", "宋体", 9, kMain, Count(kMain)},
    {kIddPortPage, 205, 176, "端口配置", "Tahoma", 10, kPortPage, Count(kPortPage)},
    {kIddReflectivePage, 205, 175, "反射传感器调节", "Tahoma", 10, kReflectivePage,
     Count(kReflectivePage)},
    {kIddTransmissivePage, 205, 175, "透射传感器调节", "Tahoma", 10, kTransmissivePage,
     Count(kTransmissivePage)},
};

// Combo box lists: template, control, items.
struct ComboList {
    int templateId;
    int controlId;
    std::vector<const char*> items;
};

const std::vector<ComboList>& ComboLists() {
    static const std::vector<ComboList> lists = {
        {kIddMain, 1030, {"2.5V", "3.3V", "5.0V"}},
        {kIddPortPage, 1003, {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}},
        {kIddPortPage, 1004, {"4800", "9600", "19200", "38400", "57600"}},
        {kIddPortPage, 1005, {"8", "7"}},
        {kIddPortPage, 1006, {"1", "2"}},
        {kIddPortPage, 1007, {"无", "奇", "偶"}},
        {kIddPortPage, 1008, {"DSR/DTR", "CTS/RTS"}},
        {kIddReflectivePage, 1003, {"00", "01", "10", "11"}},
        {kIddTransmissivePage, 1003, {"00", "01", "10", "11"}},
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
        return "关于 Tarvello(&A)...";
    return "";
}

} // namespace tarvello::res
