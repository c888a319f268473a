// The plant database on the command line: --plant-db CONNINFO, records sync, records
// init-plant, profiles publish, and the send that follows a run of adjust, read, check or
// calibrate.
#pragma once

#include <QString>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"

class QCommandLineParser;

namespace tarvello::cli {

void DeclarePlantOptions(QCommandLineParser& parser);
// --plant-db: refused with the reason when it holds a password or does not parse, when the
// command takes none, or when the command needs one and none is given. An empty text when fine.
QString TakePlantOptions(const QCommandLineParser& parser, CliRequest& request);

// records sync (exit 9 while some still wait) and records init-plant.
void RunPlantRecords(const CliRequest& request, CliReport& report);
// profiles publish NAME: the local profile of that name onto the plant database.
void PublishProfile(const CliRequest& request, CliReport& report);
// After a run's record is stored: sends what waits and fetches the plant's profiles, bounded by
// the connection's time-out and a short statement limit; says what still waits. Never changes
// the run's exit code: a record that was not sent waits in the records file.
void SendAfterRun(const CliRequest& request, CliReport& report);

} // namespace tarvello::cli
