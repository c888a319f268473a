#include "app/Screenshots.h"

#include <QDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/ScreenshotSequence.h"
#include "app/TarvelloDlg.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "res/ControlIds.h"

using namespace tarvello::res::ids;

namespace screenshots {

void Fail(Sequence& seq, const QString& why) {
    if (seq.error.isEmpty())
        seq.error = why;
    seq.stop = true;
}

namespace {

// Ends the run: the folder and the message boxes as they were, the reason on the error output,
// and the window closed with 0 (every picture made) or 1.
void Finish(Sequence& seq) {
    if (!seq.startDir.empty()) {
        std::error_code ec;
        std::filesystem::current_path(seq.startDir, ec);
    }
    seq.workDir.reset();
    tarvello::ui::SetMessageHook(std::move(seq.previousHook));
    if (!seq.error.isEmpty()) {
        std::fprintf(stderr, "tarvello: --screenshots stopped: %s\n", qPrintable(seq.error));
        std::fflush(stderr);
    }
    seq.dlg->done(seq.error.isEmpty() ? 0 : 1);
}

// One tick of the timer: the steps that are ready, then the end once nothing runs any more.
// Returns true when the sequence has finished.
bool Tick(Sequence& seq) {
    seq.waited += kPollMs;
    seq.elapsed += kPollMs;
    if (seq.elapsed > kWholeRunMs)
        Fail(seq, QStringLiteral("gave up after %1 s").arg(kWholeRunMs / 1000));
    while (!seq.stop && seq.next < seq.steps.size() && seq.steps[seq.next]()) {
        ++seq.next;
        seq.waited = 0;
    }
    if (!seq.stop && seq.next < seq.steps.size())
        return false;
    if (tarvello::ui::BackgroundRunActive())
        return false; // a handler's exchange still runs
    Finish(seq);
    return true;
}

// Every box the tool would show ends the run with its text instead of waiting for a click,
// except the one box a step asks for.
void TakeMessageBoxes(Sequence& seq) {
    Sequence* s = &seq;
    seq.previousHook = tarvello::ui::SetMessageHook([s](const tarvello::ui::MessageRecord& r) {
        if (s->expectBox) {
            s->expectBox = false;
            s->shownBox = r;
            return;
        }
        const QString port = QString::fromStdString(PortDeviceName(g_PortSettings.load().nPort));
        QString what = QStringLiteral("the tool showed \"%1\" (port %2)").arg(r.text, port);
        if (!r.informativeText.isEmpty())
            what += QStringLiteral(": ") + r.informativeText;
        Fail(*s, what);
    });
}

// Runs the steps on a timer from shortly after the window is shown.
void StartTimer(const std::shared_ptr<Sequence>& seq) {
    CTarvelloDlg* dlg = seq->dlg;
    QTimer::singleShot(200, dlg, [dlg, seq] {
        auto* timer = new QTimer(dlg);
        QObject::connect(timer, &QTimer::timeout, dlg, [seq, timer] {
            if (seq->busy)
                return;
            seq->busy = true;
            const bool finished = Tick(*seq);
            seq->busy = false;
            if (finished)
                timer->stop();
        });
        timer->start(kPollMs);
    });
}

} // namespace
} // namespace screenshots

void StartScreenshots(CTarvelloDlg* dlg, const QString& dir,
                      tarvello::sim::VirtualPrinter* printer) {
    using namespace screenshots;
    auto seq = std::make_shared<Sequence>();
    seq->dlg = dlg;
    seq->printer = printer;
    seq->dir = QDir(dir).absolutePath(); // the sensor pages work in another folder
    QDir().mkpath(seq->dir);

    // The virtual printer's label in the port list and a failed open with its reason (virtual
    // printer only); the port opened and each page's picture; then, in a folder with a copy of
    // the parameter file, the stopped search and the window's waits (virtual printer only) and
    // both sensor pages; last the diagnostics window beside the main window.
    if (printer) {
        AddPortListSteps(*seq);
        AddOpenErrorSteps(*seq);
    }
    AddOpenPortSteps(*seq);
    AddRecordsSteps(*seq); // before the run's own actions add records
    AddWorkFolderStep(*seq);
    if (printer) {
        AddStoppedSearchSteps(*seq);
        AddWaitSteps(*seq);
    }
    AddSensorSteps(*seq, 1, QStringLiteral("2.5"), reflective::kAdjustButton,
                   {reflective::kMarkButton, reflective::kNoPaperButton}, true);
    AddSensorSteps(*seq, 2, QStringLiteral("2.0"), transmissive::kAdjustButton,
                   {transmissive::kNoPaperButton, transmissive::kPaperButton}, false);
    if (printer)
        AddVerdictSteps(*seq);
    AddGuidedSteps(*seq);
    AddDiagnosticsBesideSteps(*seq);
    TakeMessageBoxes(*seq);
    StartTimer(seq);
}
