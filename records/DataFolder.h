// The folder the window and tarvello-cli share for what they keep per user (the records file,
// the media profiles): "Tarvello" in the user's data folder, whatever the program's own
// application name is, so the command-line tool never ends up in a folder of its own.
//   Linux:   $XDG_DATA_HOME/Tarvello, else ~/.local/share/Tarvello
//   Windows: %APPDATA%\Tarvello (the roaming application data folder)
#pragma once

#include <QString>

namespace tarvello::records {

// The folder's path; it may not exist yet.
QString DataFolder();

// The path of a file in that folder ("records.sqlite", "profiles.json").
QString DataFilePath(const QString& fileName);

// Makes the folder if it is missing. False with the reason when it cannot be made.
bool EnsureDataFolder(QString* error);

} // namespace tarvello::records
