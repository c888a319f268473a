// The record of a calibrate run: everything the flow did, kept as one calibration record.
#pragma once

#include <QJsonArray>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "records/Profile.h"
#include "store/IniGrammar.h"

namespace tarvello::cli {

// The parameter file's lines as they are on the disk now (none when it cannot be read).
IniLines ParameterFileLines(const QString& path);

// The sensors' keys of the parameter file whose values differ between two states of it, in the
// order of the file's table: [{"section", "key", "before" (null: missing), "after"}].
QJsonArray ParameterChanges(const IniLines& before, const IniLines& after);

// Stores the record of the flow (kind "calibrate") unless --no-record: the printer ID, the
// operator, the profile as used (its version and criteria), each sensor's steps with their
// results, verdict and criteria, the adjustments' curves, what the run changed in the parameter
// file, how the run ended and the trace of --trace. profile is null when none was found.
void StoreCalibrateRecord(const CliRequest& request, const records::Profile* profile,
                          const IniLines& iniBefore, CliReport& report);

} // namespace tarvello::cli
