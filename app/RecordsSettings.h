// Where the window keeps its calibration records: --records PATH when given, else the setting
// "records/path", else records.sqlite in the data folder the window shares with tarvello-cli
// (the record keeper's rule, pages/RecordKeeper.h).
#pragma once

#include <QString>

QString WindowRecordsPath();
// Saves the setting (an empty path: the data folder's file again).
void SaveRecordsPathSetting(const QString& path);
