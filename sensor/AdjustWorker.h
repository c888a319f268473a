// The automatic adjustment's worker thread and what the pages' start and update handlers do
// around it without widgets.
//
// A page's start handler, on the UI thread:
//   1. if !g_bPortOpen: show "串口未打开!" and return;
//   2. target = PrepareAdjustmentStart(sensor, m_ini, text of the standard edit);
//      nullopt: show the data exchange's message for the edit and return (nothing was saved,
//      sent or started); otherwise m_fVoltStandard = *target;
//   3. StartAdjustment(sensor, [page] { post an event of ParamsOf(sensor).updateEventType });
//   4. disable and hide the controls of the running state.
// The page's update handler, on the UI thread, once per posted event, for a run of its own
// sensor only (LatestAdjustRun(), AdjustRun.h): while the run's record has not ended in success
// it shows g_fAdjustResult, g_nSensitivity and g_nIntensity; once the record says success it
// shows the record's volts, level and intensity (the levels the successful frame carried),
// saves those levels (SaveAdjustedLevels) and enables the page; that run's later updates
// change nothing.
// The shared levels belong to whichever page was activated last (its activation loads the
// sensor's saved ones), so they never decide a success or a save.
// A page activation loads the saved levels, sets g_bAdjustStop through RequestAdjustmentStop
// (AdjustRun.h; the worker stops at its next pass) and never waits.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sensor/AdjustSearch.h"
#include "sensor/SensorParams.h"

class CIniFile;

// --- Worker ---------------------------------------------------------------------------------

// The worker bodies: run on the calling thread until success or stop request (0) or a port
// failure (1). They suspend the status monitor first and resume it exactly once on every end,
// and empty the input once before the first pass (a status reply the monitor asked for just
// before it was suspended is never taken as an adjustment reply; a stop request or a closing
// port ends that purge early, so a printer that keeps sending never holds the worker). The port
// counts as failed once g_bPortOpen is cleared or g_hCom is invalid, looked at before every
// port operation, so a worker never runs on into a later opening of the port. Each pass: the port
// check, the discarding read (255 or 30 bytes after 100 ms), the stop check, one 8-byte frame, up
// to 10 reply attempts 200 ms apart and one search step. After every reading the worker stores
// g_fAdjustResult and the new levels in the shared state and then calls postUpdate (which must only
// post, never block on the UI thread). Every frame, every reply and the end, with who asked for
// a stop, go into the record of the latest run (AdjustRun.h). Use StartAdjustment to run them;
// calling them directly bypasses the one-worker rule.
int ReflectiveAdjustThread(const std::function<void()>& postUpdate);
int TransmissiveAdjustThread(const std::function<void()>& postUpdate);

// Starts the sensor's worker on a thread of its own (above normal priority where the system
// allows it). At most one worker exists in the process: a previous worker that is still
// finishing is asked to end and waited for first (at most one pass, about 2.1 s). False when
// no thread could be started.
bool StartAdjustment(Sensor sensor, std::function<void()> postUpdate);

// Sets g_bAdjustStop and waits until the worker (if any) has ended: at most one pass. Used by
// the readings and paper checks before they take the line, and when the main window closes.
// Must not be called from postUpdate.
void StopAdjustmentAndWait();

// True from StartAdjustment until the worker has ended.
bool IsAdjustmentRunning();

// Passes completed by the latest run (for the page's progress indication).
uint32_t AdjustmentPasses();

// Exit code of the latest run: 0 success or stop, 1 port failure; nullopt while it runs or
// before the first run.
std::optional<int> LastAdjustmentExitCode();

// The levels the latest run's successful frame carried, stored by the worker (together with
// g_nSensitivity and g_nIntensity) before it posts the update of that reading. Taken once: the
// next call, and any call after a new start, gives nullopt until a run succeeds again. For
// callers that watch one run at a time (the command line); the pages read the run's record.
std::optional<AdjustLevels> TakeSuccessfulLevels();

// --- Start and update handlers ---------------------------------------------------------------

// The voltage standard's save: the text as typed under "RBase"/"TBase" (the adjustment's start
// and a media profile's choice both save it so).
void SaveStandardText(Sensor sensor, CIniFile& ini, const std::string& typed);

// The start handler's work after its port check. Validates the typed standard as the page's
// data exchange does (0.0..5.0); a refused text changes nothing and gives nullopt. Otherwise:
// waits for an earlier worker to end (StopAdjustmentAndWait), clears ini's save error, saves the
// text as typed under "RVoltage"/"RBase" or "TVoltage"/"TBase", reads it back and converts it as
// atof converts (the target is what the file yields; when the save failed, ini.SaveFailed() tells
// so and the target is the typed text converted the same way), sets g_fAdjustTarget to it,
// clears g_bAdjustStop and sets g_nSensitivity = 3, g_nIntensity = 0. Returns the target.
std::optional<float> PrepareAdjustmentStart(Sensor sensor, CIniFile& ini, const std::string& typed);

// The update handler's success test: the reading lies in the sensor's band around the standard
// (the run's target, g_fAdjustTarget, which the worker judges by).
bool InBand(Sensor sensor, float standard, float result);

// The update handler's save on success: "RConfig1"/"RConfig2" (or "TConfig1"/"TConfig2") in
// section "RConfig" (or "TConfig"), in that order, in "%d" form.
void SaveAdjustedLevels(Sensor sensor, CIniFile& ini, int comboIndex, int intensity);
