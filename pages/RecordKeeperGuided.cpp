// The guided calibration's record: the whole flow, each chosen sensor's steps with their results,
// its verdict with the criteria and its curve, the whole verdict, what the steps saved and how
// the flow ended.
#include <QLabel>
#include <QPointer>

#include <cmath>

#include "pages/GuidedCalibration.h"
#include "pages/GuidedCalibrationPages.h"
#include "pages/GuidedStepPage.h"
#include "pages/RecordKeeper.h"
#include "records/Profile.h"

namespace tarvello::ui {

namespace {

const char* StateName(CGuidedStepPage::State state) {
    switch (state) {
    case CGuidedStepPage::State::Idle:
        return "not_taken";
    case CGuidedStepPage::State::Running:
        return "running";
    case CGuidedStepPage::State::Done:
        return "done";
    case CGuidedStepPage::State::Failed:
        break;
    }
    return "failed";
}

QJsonValue Volts(double volts) {
    return std::round(volts * 10000.0) / 10000.0;
}

QJsonObject StepJson(const CGuidedStepPage& step) {
    QJsonObject object{{"step", QLatin1String(GuidedStepName(step.Def().step))},
                       {"state", QLatin1String(StateName(step.StepState()))},
                       {"result", step.ResultText()}};
    if (const auto& a = step.Adjusted())
        object.insert("adjust", QJsonObject{{"level", a->level},
                                            {"intensity", a->intensity},
                                            {"passes", a->passes},
                                            {"raw", a->raw},
                                            {"volts", Volts(a->volts)}});
    if (step.Reading())
        object.insert("volts", Volts(*step.Reading()));
    if (step.Def().step == GuidedStep::Check && step.StepState() == CGuidedStepPage::State::Done)
        object.insert("samples", QJsonArray{Volts(step.FirstSample()), Volts(step.SecondSample())});
    return object;
}

bool AnyStepTaken(const CGuidedCalibration& wizard) {
    for (const CGuidedStepPage* step : wizard.Steps())
        if (step->StepState() != CGuidedStepPage::State::Idle)
            return true;
    return false;
}

} // namespace

void CRecordKeeper::GuidedEnded(const CGuidedCalibration* wizard, bool reachedResult,
                                QLabel* line) {
    if (!reachedResult && !AnyStepTaken(*wizard))
        return; // closed before anything was done
    QJsonObject sensors, curves;
    std::vector<verdict::Result> results;
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        const QString name = sensor == Sensor::Reflective ? QStringLiteral("reflective")
                                                          : QStringLiteral("transmissive");
        QJsonArray steps;
        bool adjusted = false;
        for (const CGuidedStepPage* step : wizard->Steps()) {
            if (step->Def().sensor != sensor || !wizard->StepWanted(step))
                continue;
            steps.append(StepJson(*step));
            adjusted = adjusted || step->Adjusted().has_value();
        }
        if (steps.isEmpty())
            continue; // a sensor not chosen
        const verdict::Result judged = verdict::Judge(wizard->VerdictInput(sensor));
        results.push_back(judged);
        sensors.insert(name,
                       QJsonObject{{"steps", steps},
                                   {"verdict", QLatin1String(verdict::OutcomeName(judged.verdict))},
                                   {"complete", judged.complete},
                                   {"criteria", CriteriaJson(judged)}});
        if (adjusted)
            curves.insert(name, CurveJson(LatestCurveRun(sensor)));
    }
    const verdict::Result whole = verdict::Combine(results);
    const CGuidedSetupPage* setup = wizard->Setup();
    records::RecordRow row =
        WindowRecord(QStringLiteral("guided"), setup->PrinterId(), setup->Operator(), &whole);
    row.started = wizard->property("startedUtc").toDateTime();
    if (!row.started.isValid())
        row.started = row.finished;
    const records::Profile& profile = wizard->ChosenProfile();
    row.profile = profile.name;
    row.profileVersion = profile.version;
    QJsonObject saved;
    const auto values = wizard->SavedValues();
    for (const std::string& key : wizard->KeysSaved()) {
        const auto it = values.find(key);
        if (it != values.end())
            saved.insert(QString::fromStdString(key), QString::fromStdString(it->second));
    }
    row.doc.insert("profile", records::ProfileToJson(profile));
    row.doc.insert("connection", ConnectionJson());
    row.doc.insert("sensors", sensors);
    row.doc.insert("curves", curves);
    row.doc.insert("saved", saved);
    row.doc.insert("ended", reachedResult ? QStringLiteral("completed") : QStringLiteral("closed"));
    m_lastGuided = row;
    QPointer<QLabel> target(line);
    Keep(row, line ? static_cast<QObject*>(line) : this, [target](const QString& note) {
        if (target)
            target->setText(note);
    });
}

} // namespace tarvello::ui
