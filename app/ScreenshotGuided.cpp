// The guided calibration's pictures for --screenshots: the wizard opened from the main window,
// driven with its Next button from the first page to the result, each page saved once its step
// has ended (guided-*.png).
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <cstdio>
#include <memory>

#include "app/GuidedEntry.h"
#include "app/ScreenshotSequence.h"
#include "app/TarvelloDlg.h"
#include "pages/BackgroundRun.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedStepPage.h"
#include "sensor/AdjustWorker.h"

namespace screenshots {
namespace {

bool SaveWizard(QWidget* wizard, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    const bool ok = wizard->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    std::fflush(stdout);
    return ok;
}

QString PictureName(const CGuidedStepPage* step) {
    const GuidedStepDef& def = step->Def();
    return QStringLiteral("guided-%1-%2.png")
        .arg(def.sensor == Sensor::Reflective ? QStringLiteral("reflective")
                                              : QStringLiteral("transmissive"),
             QString::fromLatin1(GuidedStepName(def.step)));
}

struct GuidedRun {
    QPointer<CGuidedCalibration> wizard;
    int savedId = -1; // the page whose picture has been saved
};

// One tick on the wizard's current page: start its step, wait for it, save its picture, Next.
bool DriveStepPage(Sequence& seq, GuidedRun& run) {
    auto* step = qobject_cast<CGuidedStepPage*>(run.wizard->currentPage());
    if (!step)
        return false;
    const int id = run.wizard->currentId();
    if (step->StepState() == CGuidedStepPage::State::Running || IsAdjustmentRunning() ||
        tarvello::ui::BackgroundRunActive())
        return false;
    const GuidedStep kind = step->Def().step;
    const bool pictureWhileIdle = kind != GuidedStep::Adjust && kind != GuidedStep::Check;
    if (step->StepState() == CGuidedStepPage::State::Idle) {
        // A reading step's picture shows its live reading before Next takes the reading.
        if (pictureWhileIdle && run.savedId != id) {
            if (seq.waited < 1500)
                return false;
            SaveWizard(run.wizard, seq.dir, PictureName(step));
            run.savedId = id;
        }
        if (kind != GuidedStep::Reload)
            run.wizard->next(); // starts the step
        return false;           // the reload step moves on by itself
    }
    if (step->StepState() == CGuidedStepPage::State::Failed)
        Fail(seq, QStringLiteral("guided step failed: ") + step->ResultText());
    if (run.savedId != id) {
        SaveWizard(run.wizard, seq.dir, PictureName(step));
        run.savedId = id;
    }
    if (run.wizard->currentId() == id)
        run.wizard->next();
    return false;
}

} // namespace

void AddGuidedSteps(Sequence& seq) {
    auto run = std::make_shared<GuidedRun>();
    Sequence* s = &seq;
    seq.steps.push_back([s, run] {
        run->wizard = OpenGuidedCalibration(*s->dlg);
        if (auto* id = run->wizard->findChild<QLineEdit*>())
            id->setText(QStringLiteral("P-0001"));
        run->wizard->resize(run->wizard->sizeHint().expandedTo(QSize(560, 520)));
        return true;
    });
    seq.steps.push_back([s, run] {
        if (!run->wizard) {
            Fail(*s, QStringLiteral("the guided calibration closed"));
            return true;
        }
        if (run->wizard->currentId() == CGuidedCalibration::kSetupPage) {
            SaveWizard(run->wizard, s->dir, QStringLiteral("guided-setup.png"));
            run->wizard->next();
            return false;
        }
        if (run->wizard->currentId() != CGuidedCalibration::kFinishPage)
            return DriveStepPage(*s, *run);
        SaveWizard(run->wizard, s->dir, QStringLiteral("guided-result.png"));
        run->wizard->accept();
        return true;
    });
}

} // namespace screenshots
