// The verdict of an adjustment or a paper check run from the command line: its keys in the
// JSON object ("verdict", "complete", "criteria"), a line of the plain output, and exit 7 when
// the verdict is a fail and no earlier code applies.
#pragma once

#include "cli/CliReport.h"
#include "sensor/AdjustRun.h"
#include "sensor/Verdict.h"

namespace tarvello::cli {

// The verdict's input of an adjustment that ended with this record and this report so far.
verdict::AdjustResult AdjustResultOf(const AdjustRunState& run, int exitCode, double volts);

// Judges and reports. Nothing is judged for a run that was refused, stopped or never reached
// the printer: the keys are then null.
void ReportVerdict(const verdict::Input& input, CliReport& report);

// The keys as null, for a run that ends before it is judged.
void NullVerdict(CliReport& report);

} // namespace tarvello::cli
