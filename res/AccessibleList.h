// What assistive technology learns about the templates' drop-down lists: the name of the label
// that stands before a list (its accessible name, "传感器电源", "波特率" ...), its current item as
// its value. Qt's own interface for a combo box names it by its current item on Linux and leaves
// the label to a relation, so a screen reader or a UI test finds the supply list as "5.0V".
#pragma once

namespace tarvello::res {

// Installs, once, the accessibility interface for every drop-down list (QComboBox without an
// edit field) created from then on: role combo box; name the list's accessible name (its current
// item when it has none); value the current item; the opened list as its child; the action that
// opens and closes it.
void InstallListAccessibility();

} // namespace tarvello::res
