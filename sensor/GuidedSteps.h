// The steps of a guided calibration, in the order a technician takes them, and what each one
// needs under its sensor. The window's guided flow and the command line's calibrate take their
// steps from here, so both ask for the same media at the same moment.
//
//   reflective   adjust (paper), mark reading (a black mark), no-paper reading (nothing),
//                reload (paper again), paper check (the stock with its marks)
//   transmissive adjust (the label stock), no-paper reading (nothing), paper reading (a label),
//                paper check (the label stock)
//
// Each step is run by the sensor page's own handler (or the command that matches it); nothing
// here does I/O.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sensor/SensorParams.h"

enum class GuidedStep { Adjust, Mark, NoPaper, Paper, Reload, Check };

// What lies under the sensor during a step.
enum class GuidedMedia {
    Paper,      // plain paper (reflective), the printer's usual stock
    Mark,       // a black mark (reflective)
    NoPaper,    // nothing at all
    LabelStock, // labels on their liner, the sensor at a gap (transmissive)
    Label,      // a label on its liner (transmissive)
};

struct GuidedStepDef {
    Sensor sensor;
    GuidedStep step;
    GuidedMedia media;
};

// The sensor's steps in their order.
std::vector<GuidedStepDef> GuidedStepsOf(Sensor sensor);

// True when the step needs the media changed by hand from what the previous step of the same
// sensor had (or, for the first step, from the stock loaded in the printer). Adjust and check
// run on the stock as loaded; a production fixture runs only those.
bool NeedsMediaChange(const GuidedStepDef& def, const GuidedStepDef* previous);

// The index of the single reading (SensorParams::readings) that a reading step takes; nullopt
// for the adjust, reload and check steps.
std::optional<int> ReadingIndexOf(Sensor sensor, GuidedStep step);

// The names of the command line's --steps ("adjust", "mark", "no-paper", "paper", "check";
// reload is no step of its own there: the prompt before the check asks for the paper back).
const char* GuidedStepName(GuidedStep step);
// A comma-separated list of those names into the steps; nullopt with the unknown name in
// *unknown when one is not a step name. Empty names (",,") are refused too.
std::optional<std::vector<GuidedStep>> ParseGuidedSteps(const std::string& text,
                                                        std::string* unknown);

// The reload step moves on once the paper is back: the latest three readings (taken 0.5 s
// apart) all lie in the adjustment's band around the standard. Worked examples (reflective,
// standard 2.5, band 2.4..2.5): {2.45, 2.47, 2.46} settled; {0.1, 2.45, 2.47} not yet (two in
// the band); {2.45, 2.47} not yet (two readings); {2.45, 2.6, 2.46} not (one above the band).
bool ReloadSettled(Sensor sensor, float standard, const std::vector<float>& readings);
constexpr int kReloadReadings = 3;
// How many of the latest readings in a row lie in the band (the reload's progress): {0.1, 2.45,
// 2.47} 2; {2.45, 2.6} 0.
int ReloadReadingsInBand(Sensor sensor, float standard, const std::vector<float>& readings);

// The stock as loaded in the printer: what the adjustment and the paper check run on.
GuidedMedia LoadedStock(Sensor sensor);
// What a single reading (an index of SensorParams::readings) measures over.
GuidedMedia MediaOfReading(Sensor sensor, int reading);

// On the virtual printer the tool itself puts under the sensor what a step or a button asks
// for; with a real printer no placer is set and the technician does it. Set once at start-up
// (nullptr: none); PlaceMedia is called before each adjustment, reading and paper check and
// hands the placer the line of the virtual printer's command language that a person would type
// for it (MediaCommand), so the program and a scripted technician change the media alike.
void SetMediaPlacer(std::function<void(const std::string& command)> placer);
// "reflective paper", "reflective mark", "reflective none", "transmissive liner" (the label
// stock at a gap), "transmissive label", "transmissive none".
std::string MediaCommand(Sensor sensor, GuidedMedia media);
void PlaceMedia(Sensor sensor, GuidedMedia media);

// A printer ID as a person or a barcode scanner types it: not empty or blank, no control
// character (a scanner's tab or carriage return, an escape sequence). UTF-8.
bool PrinterIdAcceptable(const std::string& id);

// The login name of the user running the tool (the operator unless changed); "" when the
// system gives none.
std::string LoginName();
