// What the pages do in the soak, on the driving thread as on the window's: an adjustment from
// the page's start handler to its end (a success saved as the update handler saves it, or a
// page activation, a reading or a paper check that stops it), a single reading with its save,
// a paper check. The counts of each, and whether the parameter file holds the last save.
#pragma once

#include <random>
#include <string>

#include "SoakSupport.h"
#include "sensor/SensorParams.h"
#include "store/IniFile.h"

namespace soak {

class SoakPages {
  public:
    // flood: whether the printer's flood (64 KiB replies) may still be in the line.
    SoakPages(std::mt19937& random, Tally& tally, const bool& flood, const std::string& iniPath);

    void Adjust(Sensor sensor);
    void Reading(Sensor sensor);
    void Check(Sensor sensor);
    // The update events the worker has posted so far, handled as the page handles them.
    int Updates();

    bool FileHoldsLastSave() const;
    void ReportFile() const;

    int adjustments = 0, reached = 0, readings = 0, checks = 0;
    double adjustingMs = 0;

  private:
    void Activate(Sensor sensor);
    void Saved();
    bool Chance(double p);
    int Pick(int n);

    std::mt19937& random_;
    Tally& tally_;
    const bool& flood_;
    CIniFile ini_;
    Posted posted_;
    IniLines lastSaved_;
};

} // namespace soak
