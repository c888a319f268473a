// The dialog templates against the tool's own description of its windows: every id, kind,
// rectangle (dialog units), text, style, label and list item written out here by hand; then
// the window as a person uses it: a real mouse click at the centre of every control reaches
// that control, and assistive technology finds each edit and list by its label.
#include "UiTestSupport.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>
#include <QTest>

#include <memory>

#include "app/TarvelloDlg.h"
#include "res/Templates.h"

using namespace tarvello::res;
using uitest::Find;

namespace {

constexpr int kAny = -2;              // a size the description leaves open (the About icon)
constexpr const char* kAnyText = "*"; // a text the description leaves open
// The styles the description states; borders of the pages' edits are the implementer's.
constexpr unsigned kStated =
    kFlat | kCentered | kVCentered | kReadOnly | kHidden | kDigitsOnly | kSunken | kDefault;

struct Control {
    int id;
    Kind kind;
    int x, y, cx, cy;
    const char* text;
    unsigned style;
    int labelOf;
};
struct Dialog {
    int id, cx, cy;
    const char* caption;
    const char* face;
    int points;
    std::vector<Control> controls; // in template order
};
constexpr Kind S = Kind::Static, E = Kind::Edit, B = Kind::Button, L = Kind::ComboList;

const Dialog kDialogs[] = {
    {100,
     235,
     55,
     "关于 Tarvello",
     "宋体",
     9,
     {{kIdStatic, Kind::Icon, 11, 17, kAny, kAny, nullptr, kNone, 0},
      {kIdStatic, S, 40, 10, 119, 8, "Tarvello 1.5 版", kNone, 0},
      {kIdStatic, S, 40, 25, 119, 8, kAnyText, kNone, 0},
      {1, B, 178, 7, 50, 14, "确定", kDefault, 0}}},
    {102,
     225,
     310,
     "Tarvello Tool V1.5",
     "宋体",
     9,
     {{1030, L, 70, 250, 42, 122, nullptr, kNone, 0},
      {1021, E, 170, 250, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1042, E, 70, 275, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1048, E, 170, 277, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1002, S, 4, 0, 215, 33, "传感器调试工具", kCentered | kVCentered | kSunken, 0},
      {kIdStatic, Kind::Frame, 3, 234, 218, 70, nullptr, kNone, 0},
      {1034, S, 115, 279, 50, 10, "色带传感器", kNone, 1048},
      {1035, S, 15, 278, 50, 10, "存在传感器", kNone, 1042},
      {1036, S, 120, 253, 40, 10, "微动开关", kNone, 1021},
      {1037, S, 15, 253, 50, 10, "传感器电源", kNone, 1030}}},
    {106,
     205,
     176,
     "端口配置",
     "Tahoma",
     10,
     {{1003, L, 45, 45, 50, 129, nullptr, kNone, 0},
      {1004, L, 145, 45, 50, 123, nullptr, kNone, 0},
      {1005, L, 45, 75, 50, 128, nullptr, kNone, 0},
      {1006, L, 145, 75, 50, 104, nullptr, kNone, 0},
      {1007, L, 45, 110, 50, 97, nullptr, kNone, 0},
      {1008, L, 145, 110, 50, 89, nullptr, kNone, 0},
      {1016, B, 31, 143, 55, 20, "打开端口", kFlat, 0},
      {1017, B, 123, 143, 55, 19, "关闭端口", kFlat, 0},
      {1034, S, 10, 48, 30, 10, "串口号", kCentered, 1003},
      {1035, S, 105, 48, 30, 10, "波特率", kCentered, 1004},
      {1036, S, 10, 78, 30, 10, "数据位", kCentered, 1005},
      {1037, S, 105, 78, 30, 10, "停止位", kCentered, 1006},
      {1038, S, 10, 113, 30, 10, "校验位", kCentered, 1007},
      {1039, S, 100, 113, 40, 10, "握手信号", kCentered, 1008},
      {1040, S, 59, 5, 100, 25, "端口配置", kCentered, 0}}},
    {107,
     205,
     175,
     "反射传感器调节",
     "Tahoma",
     10,
     {{1031, E, 20, 25, 40, 14, nullptr, kNone, 0},
      {1025, B, 15, 50, 70, 20, "调节有纸电压", kFlat | kCentered, 0},
      {1045, B, 15, 80, 70, 20, "获取标记电压", kFlat | kHidden, 0},
      {1026, B, 15, 110, 70, 20, "获取无纸电压", kFlat | kCentered | kHidden, 0},
      {1003, L, 85, 25, 40, 81, nullptr, kNone, 0},
      {1033, E, 145, 25, 40, 16, nullptr, kNone, 0},
      {1041, E, 145, 53, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1032, E, 145, 113, 40, 14, nullptr, kReadOnly, 0},
      {1036, S, 23, 12, 40, 10, "电压标准", kNone, 1031},
      {1037, S, 95, 56, 40, 10, "有纸电压", kNone, 1041},
      {1040, S, 95, 116, 40, 10, "无纸电压", kNone, 1032},
      {1035, S, 148, 12, 40, 10, "发光强度", kNone, 1033},
      {1034, S, 90, 12, 35, 10, "灵敏度", kNone, 1003},
      {1039, S, 95, 86, 40, 10, "标记电压", kNone, 1057},
      {1057, E, 145, 83, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1059, B, 15, 140, 70, 20, "纸张校验", kFlat, 0},
      {1056, E, 145, 143, 40, 14, nullptr, kReadOnly, 0},
      {1038, S, 95, 146, 40, 10, "电压差值", kNone, 1056}}},
    {108,
     205,
     175,
     "透射传感器调节",
     "Tahoma",
     10,
     {{1046, E, 20, 25, 40, 14, nullptr, kNone, 0},
      {1019, E, 145, 113, 40, 14, nullptr, kReadOnly, 0},
      {1020, E, 145, 83, 40, 14, nullptr, kReadOnly, 0},
      {1027, B, 15, 50, 70, 20, "调节衬纸电压", kFlat | kCentered, 0},
      {1047, B, 15, 80, 70, 20, "获取无纸电压", kFlat | kHidden, 0},
      {1028, B, 15, 110, 70, 20, "获取有纸电压", kFlat | kCentered | kHidden, 0},
      {1003, L, 85, 25, 40, 95, nullptr, kNone, 0},
      {1023, E, 145, 25, 40, 16, nullptr, kNone, 0},
      {1055, E, 145, 53, 40, 14, nullptr, kReadOnly, 0},
      {1039, S, 94, 115, 40, 10, "有纸电压", kNone, 1019},
      {1036, S, 23, 13, 40, 10, "电压标准", kNone, 1046},
      {1037, S, 95, 56, 40, 10, "衬纸电压", kNone, 1055},
      {1035, S, 148, 12, 40, 10, "发光强度", kNone, 1023},
      {1034, S, 90, 12, 35, 10, "灵敏度", kNone, 1003},
      {1040, S, 94, 86, 40, 10, "无纸电压", kNone, 1020},
      {1038, S, 95, 146, 40, 10, "电压差值", kNone, 1054},
      {1054, E, 145, 143, 40, 14, nullptr, kReadOnly | kDigitsOnly, 0},
      {1059, B, 15, 140, 70, 20, "纸张校验", kFlat, 0}}},
};

struct Items {
    int dialog, control;
    std::vector<const char*> items;
};
const Items kItems[] = {
    {102, 1030, {"2.5V", "3.3V", "5.0V"}},
    {106, 1003, {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}},
    {106, 1004, {"4800", "9600", "19200", "38400", "57600"}},
    {106, 1005, {"8", "7"}},
    {106, 1006, {"1", "2"}},
    {106, 1007, {"无", "奇", "偶"}},
    {106, 1008, {"DSR/DTR", "CTS/RTS"}},
    {107, 1003, {"00", "01", "10", "11"}},
    {108, 1003, {"00", "01", "10", "11"}},
};

std::string Str(const char* s) {
    return s ? s : "";
}

TEST(Templates, AreTheWindowsOfTheDescription) {
    for (const Dialog& want : kDialogs) {
        SCOPED_TRACE(want.id);
        const DialogTemplate* got = FindTemplate(want.id);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->cx, want.cx);
        EXPECT_EQ(got->cy, want.cy);
        EXPECT_EQ(Str(got->caption), want.caption);
        EXPECT_EQ(Str(got->fontFace), want.face);
        EXPECT_EQ(got->fontPoints, want.points);
        ASSERT_EQ(got->count, want.controls.size());
        for (size_t i = 0; i < got->count; ++i) {
            const ControlTemplate& c = got->controls[i];
            const Control& w = want.controls[i];
            SCOPED_TRACE(w.id);
            EXPECT_EQ(c.id, w.id);
            EXPECT_EQ(c.kind, w.kind);
            EXPECT_EQ(c.x, w.x);
            EXPECT_EQ(c.y, w.y);
            EXPECT_TRUE(w.cx == kAny || (c.cx == w.cx && c.cy == w.cy)) << c.cx << "x" << c.cy;
            if (Str(w.text) != kAnyText) {
                EXPECT_EQ(Str(c.text), Str(w.text));
            }
            EXPECT_EQ(c.style & kStated, w.style);
            EXPECT_EQ(c.labelOf, w.labelOf);
        }
    }
    for (const Items& want : kItems) {
        const std::vector<const char*> got = ComboItems(want.dialog, want.control);
        ASSERT_EQ(got.size(), want.items.size()) << want.dialog << "/" << want.control;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(Str(got[i]), Str(want.items[i])) << want.dialog << "/" << want.control;
    }
}

class TemplateWindow : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        dlg = std::make_unique<CTarvelloDlg>();
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    // The controls a person works with on parent (edits, lists, buttons), the hidden reading
    // buttons shown; each must be the widget under its centre and take a real click there.
    void ClickEveryControl(const DialogTemplate& t, QWidget* parent) {
        for (size_t i = 0; i < t.count; ++i) {
            const ControlTemplate& c = t.controls[i];
            if (c.kind != Kind::Edit && c.kind != Kind::Button && c.kind != Kind::ComboList)
                continue;
            SCOPED_TRACE(c.id);
            QWidget* control = Find<QWidget>(parent, c.id);
            ASSERT_NE(control, nullptr);
            control->setVisible(true);
            const QPoint centre = control->rect().center();
            QWidget* hit = dlg->childAt(control->mapTo(dlg.get(), centre));
            ASSERT_EQ(hit, control) << (hit ? hit->metaObject()->className() : "nothing");
            if (auto* list = qobject_cast<QComboBox*>(hit)) {
                QTest::mouseClick(hit, Qt::LeftButton, {}, centre);
                EXPECT_TRUE(list->view()->isVisible()) << "the list opens";
                list->hidePopup();
            } else if (auto* button = qobject_cast<QPushButton*>(hit)) {
                if (!button->isEnabled())
                    continue;
                // Pressed by the mouse, released off the button: no click, no handler.
                QTest::mousePress(hit, Qt::LeftButton, {}, centre);
                EXPECT_TRUE(button->isDown());
                QTest::mouseRelease(hit, Qt::LeftButton, {}, QPoint(-5, -5));
                EXPECT_FALSE(button->isDown());
            } else {
                QTest::mouseClick(hit, Qt::LeftButton, {}, centre);
                EXPECT_TRUE(hit->hasFocus()) << "the edit takes the focus";
            }
        }
    }
    std::unique_ptr<CTarvelloDlg> dlg;
};

TEST_F(TemplateWindow, AMouseClickAtEachControlsCentreReachesIt) {
    ClickEveryControl(*FindTemplate(kIddMain), dlg.get());
    const int pages[] = {kIddPortPage, kIddReflectivePage, kIddTransmissivePage};
    for (int tab = 0; tab < 3; ++tab) {
        dlg->Sheet()->setCurrentIndex(tab);
        ClickEveryControl(*FindTemplate(pages[tab]), dlg->Sheet()->widget(tab));
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(tarvello::ui::BackgroundRunActive());
}

TEST_F(TemplateWindow, EditsAndListsAreNamedByTheirLabels) {
    const std::pair<QWidget*, int> parents[] = {{dlg.get(), kIddMain},
                                                {dlg->Sheet()->widget(0), kIddPortPage},
                                                {dlg->Sheet()->widget(1), kIddReflectivePage},
                                                {dlg->Sheet()->widget(2), kIddTransmissivePage}};
    int named = 0;
    for (const auto& [parent, id] : parents) {
        const DialogTemplate& t = *FindTemplate(id);
        for (size_t i = 0; i < t.count; ++i) {
            if (t.controls[i].labelOf == 0)
                continue;
            QWidget* control = Find<QWidget>(parent, t.controls[i].labelOf);
            ASSERT_NE(control, nullptr);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->text(QAccessible::Name).toStdString(), t.controls[i].text)
                << t.controls[i].labelOf;
            ++named;
        }
    }
    EXPECT_EQ(named, 4 + 6 + 7 + 7);
    // The supply list: its label as name, its current item as value.
    QAccessibleInterface* supply =
        QAccessible::queryAccessibleInterface(Find<QComboBox>(dlg.get(), 1030));
    EXPECT_EQ(supply->role(), QAccessible::ComboBox);
    EXPECT_EQ(supply->text(QAccessible::Name), QStringLiteral("传感器电源"));
    EXPECT_EQ(supply->text(QAccessible::Value), QStringLiteral("5.0V"));
}

} // namespace
