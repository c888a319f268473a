// Media profiles: a named set of what a calibration of one kind of media needs (the two
// standards, the pass limit of the search, the verdict's criteria, the steps of a guided
// calibration, the drift limits of the records), with a schema version, its own version number,
// and when and by whom it was last changed. The supply is no part of a profile: it belongs to the
// printer.
//
// The built-in profile "Standard" holds what the tool does without one: the standards as the
// parameter file has them (RBase, TBase), no pass limit in the window (the command line's 200),
// the default criteria. It can be neither changed nor deleted; save a copy under another name.
//
// A profile as JSON (one object; profiles.json holds {"schema": 1, "profiles": [...]}):
//   {"schema": 1, "name": "Thermal 40 mm", "version": 3,
//    "changed": "2026-12-10T04:00:00Z", "changed_by": "li.wei",
//    "reflective_standard": 2.5,        null: from the parameter file (RBase)
//    "transmissive_standard": 2.0,      null: from the parameter file (TBase)
//    "max_passes": 200,                 null: the window has no pass limit, the CLI 200
//    "criteria": {"contrast_pass": 0.06, "contrast_marginal": 0.03, "headroom_steps": 32},
//    "steps": {"reflective": ["adjust", "mark", "no-paper", "reload", "check"],
//              "transmissive": ["adjust", "no-paper", "paper", "check"]},
//    "drift": {"levels": 1, "intensity": 32, "contrast_fall": 0.333}}
// Contrast limits are shares of the supply (0.06 is 0.30 V at 5.0 V).
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "sensor/Verdict.h"

namespace tarvello::records {

// Where a profile comes from: built in, this user's own file, or the plant database (the last
// fetched copy; read-only here, and winning over a local one of the same name).
enum class ProfileSource { kBuiltIn, kLocal, kPlant };

struct DriftLimits {
    int levels = 1;                  // the sensitivity level moved by more than this
    int intensity = 32;              // the intensity moved by more than this
    double contrastFall = 1.0 / 3.0; // the check's contrast fell by more than this share
};

struct Profile {
    QString name;
    int version = 1;
    QDateTime changed; // UTC
    QString changedBy;
    std::optional<double> reflectiveStandard;
    std::optional<double> transmissiveStandard;
    std::optional<int> maxPasses;
    verdict::Criteria criteria;
    QStringList reflectiveSteps{"adjust", "mark", "no-paper", "reload", "check"};
    QStringList transmissiveSteps{"adjust", "no-paper", "paper", "check"};
    DriftLimits drift;
    ProfileSource source = ProfileSource::kLocal;
};

constexpr int kProfileSchema = 1;
extern const char* const kBuiltInProfileName; // "Standard"

Profile BuiltInProfile();

QJsonObject ProfileToJson(const Profile& profile);
// Reads one profile; false with the reason (the field it stumbled on) when it is no profile.
bool ProfileFromJson(const QJsonObject& object, Profile& profile, QString* error);

// Line and column (from 1) of a byte offset in text, for a parse error.
void LineAndColumn(const QByteArray& text, int offset, int* line, int* column);

} // namespace tarvello::records
