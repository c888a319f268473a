// The verdict for a person: each criterion's name, its outcome as a word and one sentence made
// from its code and numbers, in the current language (made when shown, never stored).
#pragma once

#include <QString>
#include <QStringList>

#include "sensor/Verdict.h"

namespace tarvello::records {

// "反射式传感器" / "Reflective sensor" in the current language; the same for a sensor's key in a
// record ("reflective", "transmissive"; any other key is shown as it stands).
QString SensorName(Sensor sensor);
QString SensorName(const QString& key);

// "Pass", "Marginal", "Fail", "Not judged" in the current language.
QString OutcomeWord(verdict::Outcome outcome);

// The criterion's name ("Contrast of the paper check").
QString CriterionName(const std::string& code);

// One sentence: what was measured against what, and what to do when it did not pass, e.g. "The
// mark differs from the paper by 0.09 V; this media needs at least 0.30 V: check that the
// reflective sensor is the right one for this media".
QString CriterionSentence(const verdict::Criterion& criterion, Sensor sensor);

// The sentences of the criteria judged fail, then of those judged marginal, each in the
// criteria's order: the first one says why the verdict is what it is.
QStringList FailingSentences(const verdict::Result& result, Sensor sensor);

} // namespace tarvello::records
