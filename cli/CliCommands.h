// The commands of tarvello-cli, each on the Qt-free core the window uses: the port page's open
// sequence, the status monitor, the adjustment worker, the single readings and the paper check,
// and the parameter file as the window writes it.
#pragma once

#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "sensor/Verdict.h"

#include <optional>

class CIniFile;

namespace tarvello::cli {

// Runs the request (checked by ParseCommandLine) and gives its report.
CliReport RunRequest(const CliRequest& request);

// The commands; ini is the run's parameter file, g_fSensorSupply already set.
void RunPorts(CliReport& report);
void RunStatus(const CliRequest& request, CliReport& report);
void RunAdjust(const CliRequest& request, CIniFile& ini, CliReport& report);
// The keys of adjust as they are before it works (all null, no passes).
void AdjustKeys(const CliRequest& request, CliReport& report);
void RunRead(const CliRequest& request, CIniFile& ini, CliReport& report);
void RunCheck(const CliRequest& request, CliReport& report);
void RunCalibrate(const CliRequest& request, CIniFile& ini, CliReport& report);

// The work of adjust, read and check once the port is open (the calibrate command runs them in
// turn on one opening): the same exchanges, saves and report keys.
void AdjustOnOpenPort(const CliRequest& request, CIniFile& ini, CliReport& report);
void ReadOnOpenPort(const CliRequest& request, CIniFile& ini, CliReport& report);
// samples, when given, receives the check's two samples once it has completed.
void CheckOnOpenPort(const CliRequest& request, CliReport& report,
                     std::optional<verdict::CheckSamples>* samples = nullptr);

// The sentence of a run stopped by a signal, with its exit code.
void ReportStopped(CliReport& report);
// The sentence of a parameter file that could not be saved, with its exit code.
void ReportNotSaved(const CIniFile& ini, CliReport& report);

} // namespace tarvello::cli
