// The window's settings store: one per user, named "Tarvello" for both the organization and the
// program (on Linux ~/.config/Tarvello/Tarvello.conf, on Windows the registry's
// HKEY_CURRENT_USER\Software\Tarvello\Tarvello). Every setting of the window lives there: the
// language, the records file, the plant database, the chosen media profile.
#pragma once

#include <QSettings>

namespace tarvello::ui {

// The store. On its first use in a process, settings that earlier versions kept in the store
// Qt names for a program without an organization ("Unknown Organization") move into it: a key
// the store already holds keeps its value, and the old store is emptied.
QSettings ToolSettings();
// That move, on its own (ToolSettings does it once per process).
void MoveUnnamedOrganizationSettings();

} // namespace tarvello::ui
