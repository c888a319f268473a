// The numeric ids of the templates' controls by name, one namespace per template: the same
// number names different controls in different templates (1003 is the port list on the port
// page and the sensitivity list on the sensor pages, 1034 a different label on every page).
// Every control carries its number as its objectName ("1003"), so that code and tests find it
// by its documented id; the product uses these names, the tests of the templates the numbers.
#pragma once

namespace tarvello::res::ids {

// The About box (kIddAbout).
namespace about {
constexpr int kOkButton = 1; // "确定"
} // namespace about

// The main window (kIddMain): the header and the status group.
namespace mainwindow {
constexpr int kHeader = 1002;           // "传感器调试工具"
constexpr int kSupplyList = 1030;       // the sensor supply: "2.5V", "3.3V", "5.0V"
constexpr int kMicroSwitchEdit = 1021;  // the monitor's "headpos" value
constexpr int kPresenceEdit = 1042;     // the monitor's "exist" value
constexpr int kRibbonEdit = 1048;       // the monitor's "ribbon" value
constexpr int kRibbonLabel = 1034;      // "色带传感器"
constexpr int kPresenceLabel = 1035;    // "存在传感器"
constexpr int kMicroSwitchLabel = 1036; // "微动开关"
constexpr int kSupplyLabel = 1037;      // "传感器电源"
} // namespace mainwindow

// The port page (kIddPortPage).
namespace port {
constexpr int kPortList = 1003;       // "COM1" .. "COM8", then further devices
constexpr int kBaudRateList = 1004;   // 4800 .. 57600
constexpr int kDataBitsList = 1005;   // 8, 7
constexpr int kStopBitsList = 1006;   // 1, 2
constexpr int kParityList = 1007;     // none, odd, even
constexpr int kHandshakeList = 1008;  // "DSR/DTR", "CTS/RTS"
constexpr int kOpenButton = 1016;     // "打开端口"
constexpr int kCloseButton = 1017;    // "关闭端口"
constexpr int kPortLabel = 1034;      // "串口号"
constexpr int kBaudRateLabel = 1035;  // "波特率"
constexpr int kDataBitsLabel = 1036;  // "数据位"
constexpr int kStopBitsLabel = 1037;  // "停止位"
constexpr int kParityLabel = 1038;    // "校验位"
constexpr int kHandshakeLabel = 1039; // "握手信号"
constexpr int kTitle = 1040;          // "端口配置"
} // namespace port

// What both sensor pages' templates give the same id.
namespace sensorpage {
constexpr int kSensitivityList = 1003; // "00", "01", "10", "11"
constexpr int kCheckButton = 1059;     // "纸张校验"
} // namespace sensorpage

// The reflective sensor page (kIddReflectivePage).
namespace reflective {
constexpr int kStandardEdit = 1031;                            // the voltage standard
constexpr int kAdjustButton = 1025;                            // "调节有纸电压"
constexpr int kMarkButton = 1045;                              // "获取标记电压"
constexpr int kNoPaperButton = 1026;                           // "获取无纸电压"
constexpr int kSensitivityList = sensorpage::kSensitivityList; // the sensitivity level
constexpr int kIntensityEdit = 1033;                           // the light intensity
constexpr int kPaperEdit = 1041;                               // the paper voltage
constexpr int kNoPaperEdit = 1032;                             // the no-paper voltage
constexpr int kMarkEdit = 1057;                                // the mark voltage
constexpr int kCheckButton = sensorpage::kCheckButton;         // "纸张校验"
constexpr int kDifferenceEdit = 1056;                          // the voltage difference
constexpr int kSensitivityLabel = 1034;                        // "灵敏度"
constexpr int kIntensityLabel = 1035;                          // "发光强度"
constexpr int kStandardLabel = 1036;                           // "电压标准"
constexpr int kPaperLabel = 1037;                              // "有纸电压"
constexpr int kDifferenceLabel = 1038;                         // "电压差值"
constexpr int kMarkLabel = 1039;                               // "标记电压"
constexpr int kNoPaperLabel = 1040;                            // "无纸电压"
} // namespace reflective

// The transmissive sensor page (kIddTransmissivePage).
namespace transmissive {
constexpr int kStandardEdit = 1046;                            // the voltage standard
constexpr int kAdjustButton = 1027;                            // "调节衬纸电压"
constexpr int kNoPaperButton = 1047;                           // "获取无纸电压"
constexpr int kPaperButton = 1028;                             // "获取有纸电压"
constexpr int kSensitivityList = sensorpage::kSensitivityList; // the sensitivity level
constexpr int kIntensityEdit = 1023;                           // the light intensity
constexpr int kPaperEdit = 1019;                               // the paper voltage
constexpr int kNoPaperEdit = 1020;                             // the no-paper voltage
constexpr int kLinerEdit = 1055;                               // the liner voltage
constexpr int kCheckButton = sensorpage::kCheckButton;         // "纸张校验"
constexpr int kDifferenceEdit = 1054;                          // the voltage difference
constexpr int kSensitivityLabel = 1034;                        // "灵敏度"
constexpr int kIntensityLabel = 1035;                          // "发光强度"
constexpr int kStandardLabel = 1036;                           // "电压标准"
constexpr int kLinerLabel = 1037;                              // "衬纸电压"
constexpr int kDifferenceLabel = 1038;                         // "电压差值"
constexpr int kPaperLabel = 1039;                              // "有纸电压"
constexpr int kNoPaperLabel = 1040;                            // "无纸电压"
} // namespace transmissive

} // namespace tarvello::res::ids
