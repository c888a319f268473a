// A command of the main window: an action in the window's menu (right click) and, where the
// window has its header, a tool button on it that triggers the same action.
#pragma once

#include <QString>

#include <functional>

class CTarvelloDlg;
class QToolButton;

// The action (objectName name + "Action") runs run; the button (name + "Button") shows the
// action's text, carries it as its accessible name and is shown, with its width the text's
// and a margin; the caller places it. nullptr when the window has no header.
QToolButton* AddHeaderCommand(CTarvelloDlg& dlg, const QString& text, const QString& name,
                              std::function<void()> run);
