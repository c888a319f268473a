// Media profiles on the command line: --profile of adjust and check, and the profiles command.
#pragma once

#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "records/Profile.h"

#include <optional>

class CIniFile;

namespace tarvello::cli {

// Takes the asked profile ("Standard" when none): its criteria into the request, and its
// standard and pass limit where the command line gave none ("Standard": the standard of the
// parameter file). A profile that does not exist, or an adjustment left without a standard, is a
// usage error. Adds "profile" to the report. A damaged profiles.json is said on standard error;
// the run goes on with "Standard" unless it asked for another profile.
bool ApplyProfile(CliRequest& request, CIniFile& ini, CliReport& report);

// The asked profile ("Standard" when name is empty), a damaged file said on standard error;
// nullopt with the reason when there is no such profile.
std::optional<records::Profile> FindProfile(const QString& name, QString* error);

// profiles list | show NAME | export [NAME] FILE | import FILE [--replace] | delete NAME.
void RunProfiles(const CliRequest& request, CliReport& report);

} // namespace tarvello::cli
