#include "cli/CliVerdict.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cmath>

#include "records/VerdictText.h"

namespace tarvello::cli {

namespace {

QJsonValue Number(const std::optional<double>& value) {
    if (!value)
        return QJsonValue(QJsonValue::Null);
    return std::round(*value * 10000.0) / 10000.0;
}

QJsonObject CriterionObject(const verdict::Criterion& c, Sensor sensor) {
    return QJsonObject{{"code", QString::fromStdString(c.code)},
                       {"name", records::CriterionName(c.code)},
                       {"value", Number(c.value)},
                       {"pass_limit", Number(c.passLimit)},
                       {"marginal_limit", Number(c.marginalLimit)},
                       {"outcome", QString::fromLatin1(verdict::OutcomeName(c.outcome))},
                       {"message", records::CriterionSentence(c, sensor)}};
}

} // namespace

verdict::AdjustResult AdjustResultOf(const AdjustRunState& run, int exitCode, double volts) {
    verdict::AdjustResult r;
    r.level = run.level;
    r.intensity = run.intensity;
    r.passes = static_cast<int>(run.passes);
    r.raw = run.raw;
    if (run.end == AdjustEnd::kSuccess) {
        r.outcome = verdict::AdjustOutcome::kReached;
        r.volts = volts;
    } else if (exitCode == kExitNotReached) {
        r.outcome = verdict::AdjustOutcome::kOutOfReach;
    } else if (exitCode == kExitLineFailed) {
        r.outcome = verdict::AdjustOutcome::kLineFailed;
    } else {
        r.outcome = verdict::AdjustOutcome::kStopped;
    }
    return r;
}

void NullVerdict(CliReport& report) {
    report.fields.insert("verdict", QJsonValue(QJsonValue::Null));
    report.fields.insert("complete", QJsonValue(QJsonValue::Null));
    report.fields.insert("criteria", QJsonArray());
}

void ReportVerdict(const verdict::Input& input, CliReport& report) {
    const verdict::Result result = verdict::Judge(input);
    QJsonArray criteria;
    for (const verdict::Criterion& c : result.criteria)
        criteria.append(CriterionObject(c, input.sensor));
    report.fields.insert("verdict", result.verdict == verdict::Outcome::kNotJudged
                                        ? QJsonValue(QJsonValue::Null)
                                        : QJsonValue(verdict::OutcomeName(result.verdict)));
    report.fields.insert("complete", result.complete);
    report.fields.insert("criteria", criteria);
    if (result.verdict == verdict::Outcome::kNotJudged)
        return;
    const QString reasons = records::FailingSentences(result, input.sensor).join(QLatin1Char(' '));
    report.lines << QCoreApplication::translate("tarvello-cli", "Verdict: %1%2%3")
                        .arg(records::OutcomeWord(result.verdict),
                             result.complete
                                 ? QString()
                                 : QCoreApplication::translate("tarvello-cli", " (partial)"),
                             reasons.isEmpty() ? QString() : QStringLiteral(". ") + reasons);
    if (result.verdict != verdict::Outcome::kFail)
        return;
    // A fail ranks after 130, 2, 3, 5, 4 and 1, before 6 (the file not saved), whose sentence
    // stays in front.
    const QString sentence =
        QCoreApplication::translate("tarvello-cli", "The verdict is fail: %1").arg(reasons);
    if (report.exitCode == kExitDone)
        report.Fail(kExitVerdictFail, sentence);
    else if (report.exitCode == kExitNotSaved)
        report.Fail(kExitVerdictFail, report.error + QLatin1Char(' ') + sentence);
}

} // namespace tarvello::cli
