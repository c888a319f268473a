// Builds the widgets of a dialog template and converts dialog units into pixels the way the
// Windows dialog manager does: the base units come from the dialog font (the average width of
// the 52 letters and the font height), and x px = MulDiv(x, baseX, 4), y px = MulDiv(y, baseY, 8).
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "res/Templates.h"

namespace tarvello::res {

struct BaseUnits {
    int x = 0;
    int y = 0;
};

// Maps the tool's font faces ("楷体_GB2312", "宋体", "Tahoma") to faces installed on the machine
// so that the Chinese texts render where the original faces are missing. Idempotent.
void InstallFontSubstitutions();

// A font by face, cell height in pixels (the tool's logical units: character height plus
// internal leading) and weight (400 normal, 700 bold).
QFont MakeFont(const char* face, int cellHeight, int weight);
// The dialog font of a template: its face at its point size, as pixels at 96 dots per inch.
QFont DialogFont(const DialogTemplate& dlg);

// a * b / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c);
BaseUnits DialogBaseUnits(const QFont& font);
QRect MapDialogRect(int x, int y, int cx, int cy, BaseUnits base);
QSize DialogPixelSize(const DialogTemplate& dlg, BaseUnits base);

// Creates the template's controls as children of parent, in template (tab) order, each with its
// numeric id as objectName (controls without an id get none), its text, style and pixel
// geometry; edits and lists get the text of their label as accessible name (res/AccessibleList.h
// makes the lists report it); the combo lists are filled; frames lie beneath the other controls
// and let the mouse through. Sets the dialog font on parent and returns the base units used.
BaseUnits BuildDialog(const DialogTemplate& dlg, QWidget* parent);

// After a control has been given its font: a label grows to show its whole text (a centred one
// on both sides, keeping its centre), so a substituted face that is larger than the original
// one clips nothing. Other controls are left as they are.
void FitTextToFont(QWidget* control);

// The child of parent whose objectName is the id, as type T; nullptr when there is none.
QWidget* FindControlWidget(const QWidget* parent, int id);
template <typename T> T* Control(const QWidget* parent, int id) {
    return qobject_cast<T*>(FindControlWidget(parent, id));
}

} // namespace tarvello::res
