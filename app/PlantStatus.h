// The plant database in the window: a background sender (a thread of its own, never the UI
// thread) that sends the records file's waiting records to the plant database and fetches the
// plant's profiles, and a line in the window saying how many records wait and why.
//
// The plant database is the --plant-db of this run, else the setting "plant/conninfo", which
// the window's context menu sets. A connection string that holds a password is refused and
// never kept.
#pragma once

#include <QString>

class CTarvelloDlg;
class QLabel;

namespace tarvello::app {

// The setting's key.
extern const char* const kPlantSettingKey; // "plant/conninfo"

// The sentence of the status line for waiting records and the last error (pure: the window's
// language applies).
QString PlantStatusText(int waiting, const QString& lastError);

// Places the status line in dlg, adds the command that sets the plant database and starts the
// sender where one is set. commandLine: --plant-db of this run (empty: the setting).
QLabel* InstallPlantStatus(CTarvelloDlg& dlg, const QString& commandLine);

} // namespace tarvello::app
