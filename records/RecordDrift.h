// Drift between a printer's calibrations: what one sensor ended on (level, intensity, the paper
// check's contrast) compared with the printer's previous pass, against the profile's limits.
#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

#include "records/Profile.h"
#include "records/Record.h"

namespace tarvello::records {

// What one sensor ended on in one record; what the record does not hold is empty.
struct SensorSnapshot {
    std::optional<int> level, intensity;
    std::optional<double> contrast; // volts between the paper check's samples
};

struct DriftFinding {
    QString sensor; // "reflective", "transmissive"
    QString what;   // "level", "intensity", "contrast"
    double before = 0, after = 0;
};

// Each sensor's snapshot in a record, by sensor name. A record of one sensor (a page's or the
// command line's adjustment) names it in its document; a calibration keeps each under its name.
QMap<QString, SensorSnapshot> RecordSnapshots(const RecordRow& row);

// The drift of one sensor: level or intensity moved by more than their limits, or the contrast
// fallen by more than the limit's share of what it was. Empty when nothing drifted or nothing
// can be compared.
QList<DriftFinding> SensorDrift(const QString& sensor, const SensorSnapshot& before,
                                const SensorSnapshot& after, const DriftLimits& limits);

// Every sensor's drift from previous to latest.
QList<DriftFinding> RecordDrift(const RecordRow& previous, const RecordRow& latest,
                                const DriftLimits& limits);

// One line for a person, in the current language ("Transmissive sensor: intensity 120 → 200").
QString DriftText(const DriftFinding& finding);

} // namespace tarvello::records
