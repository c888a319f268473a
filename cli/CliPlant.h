// The plant database on the command line: --plant-db CONNINFO, records sync, records
// init-plant, profiles publish, and the send that follows a run of adjust, read, check or
// calibrate.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"

class QCommandLineParser;

namespace tarvello::cli {

void DeclarePlantOptions(QCommandLineParser& parser);
// The plant database's section of --help (the manual page), with the SQL that gives the roles.
QString PlantHelpText();
// --plant-db: refused with the reason when it holds a password or does not parse, when the
// command takes none, or when the command needs one and none is given. An empty text when fine.
QString TakePlantOptions(const QCommandLineParser& parser, CliRequest& request);

// records sync (exit 9 while some still wait) and records init-plant.
void RunPlantRecords(const CliRequest& request, CliReport& report);
// profiles publish NAME: the local profile of that name onto the plant database.
void PublishProfile(const CliRequest& request, CliReport& report);
// The plant database of a run of adjust, read, check or calibrate, on a thread of its own:
// it connects while the run works (so a slow or hanging server costs the run nothing), and
// once the run's record is stored sends what waits and fetches the plant's profiles, bounded by
// the connection's time-out and a short statement limit. It never changes the run's exit code:
// a record that was not sent waits in the records file.
class PlantAfterRun {
  public:
    explicit PlantAfterRun(const CliRequest& request); // starts where --plant-db is given
    ~PlantAfterRun();
    PlantAfterRun(const PlantAfterRun&) = delete;
    PlantAfterRun& operator=(const PlantAfterRun&) = delete;
    // After the record is stored: waits for the send and puts "plant" and its lines in report
    // (nothing after a usage error).
    void Finish(CliReport& report);

  private:
    void Run();
    void Tell(bool send);

    CliRequest request_;
    std::mutex mutex_;
    std::condition_variable told_cv_;
    bool told_ = false;
    bool send_ = false;
    QJsonObject fields_; // written by the thread, read after it has been joined
    QStringList lines_;
    std::thread thread_;
};

} // namespace tarvello::cli
