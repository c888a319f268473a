// The tool's resources as data: the dialog templates (controls with their numeric ids, kinds,
// dialog-unit rectangles, texts and styles), the combo box lists, the string table and the
// icon's resource name. The layout builder (res/DialogLayout.h) turns a template into widgets.
#pragma once

#include <cstddef>
#include <vector>

namespace tarvello::res {

// Template ids.
constexpr int kIddAbout = 100;
constexpr int kIddMain = 102;
constexpr int kIddPortPage = 106;
constexpr int kIddReflectivePage = 107;
constexpr int kIddTransmissivePage = 108;

// String table.
constexpr int kIdsAboutBox = 101; // the About command of the system menu
// The icon group (32x32 and 16x16 images), as a Qt resource path.
constexpr int kIdrMainFrame = 128;
constexpr const char* kIconPath32 = ":/tarvello/icon32.png";
constexpr const char* kIconPath16 = ":/tarvello/icon16.png";

// A control without its own id (a frame, the About box's texts) carries this one.
constexpr int kIdStatic = -1;

enum class Kind {
    Static,   // a text label
    Frame,    // a static black frame
    Icon,     // a static icon (the application icon)
    Edit,     // a one-line edit
    Button,   // a push button
    ComboList // a drop-down list combo box (no edit field)
};

// Style flags of a control.
enum Style : unsigned {
    kNone = 0,
    kFlat = 1u << 0,       // flat push button
    kCentered = 1u << 1,   // text centred horizontally
    kVCentered = 1u << 2,  // text centred vertically
    kReadOnly = 1u << 3,   // read-only edit
    kHidden = 1u << 4,     // not visible when the dialog is created
    kDigitsOnly = 1u << 5, // an edit that accepts only digits from the keyboard
    kSunken = 1u << 6,     // sunken border
    kBorder = 1u << 7,     // thin border
    kDefault = 1u << 8     // the default push button
};

struct ControlTemplate {
    int id;
    Kind kind;
    int x, y, cx, cy; // dialog units
    const char* text; // UTF-8; nullptr for none
    unsigned style;
    int labelOf = 0; // a label: the id of the control it names (its accessible name)
};

struct DialogTemplate {
    int id;
    int cx, cy;          // dialog units
    const char* caption; // UTF-8
    const char* fontFace;
    int fontPoints;
    const ControlTemplate* controls; // in template (tab) order
    size_t count;
};

// The template with the given id; nullptr for an unknown id.
const DialogTemplate* FindTemplate(int id);
// The control of a template with the given id; nullptr when it has none.
const ControlTemplate* FindControl(const DialogTemplate& dlg, int controlId);
// The items of a combo box list, in order (empty for a control without a list).
std::vector<const char*> ComboItems(int templateId, int controlId);
// A string of the string table; "" for an unknown id.
const char* ResourceString(int id);

} // namespace tarvello::res
