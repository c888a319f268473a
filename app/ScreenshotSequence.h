// The run of --screenshots (app/Screenshots.h): the sequence its steps run in, and the groups of
// steps that make the pictures (app/ScreenshotSteps.cpp). Used by app/Screenshots.cpp only.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "pages/NoteBox.h"

class CTarvelloDlg;

namespace tarvello::sim {
class VirtualPrinter;
}

namespace screenshots {

constexpr int kPollMs = 100;
constexpr int kStatusWaitMs = 10000;
constexpr int kWholeRunMs = 180000;

// The sequence: steps run one after the other on a timer; a step returns true when it is done.
struct Sequence {
    CTarvelloDlg* dlg = nullptr;
    QString dir;
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    bool stop = false; // the remaining steps are skipped
    bool busy = false; // a tick is running its steps (a tick never re-enters)
    int waited = 0;    // in the current step
    int elapsed = 0;   // in the whole run
    // Why the sequence gave up (empty: it did not). The tool's message boxes are taken as
    // text instead of being shown, so no box can hold the run; any of them ends it, except the
    // one box a step asks for (its picture is made from the record).
    QString error;
    bool expectBox = false;
    std::optional<tarvello::ui::MessageRecord> shownBox;
    tarvello::ui::MessageHook previousHook;
    // The sensor pages work on a copy of the parameter file in a temporary folder, so that
    // the pictures never change the technician's file.
    std::unique_ptr<QTemporaryDir> workDir;
    std::filesystem::path startDir;
    // The virtual printer of --simulate, whose media each reading switches; or nullptr.
    tarvello::sim::VirtualPrinter* printer = nullptr;
};

// Stops the sequence with a reason (the first one counts).
void Fail(Sequence& seq, const QString& why);

// Opens the port, waits for the monitor's values and saves a picture of each page.
void AddOpenPortSteps(Sequence& seq);
// With the port open: the sensor pages in a folder of their own, with a copy of the parameter
// file.
void AddWorkFolderStep(Sequence& seq);
// With the virtual printer: a printer that refuses the handshake (the box with its reason:
// page1-open-error.png), and the "关闭端口" that the page then asks for.
void AddOpenErrorSteps(Sequence& seq);
// A standard the virtual printer's media cannot reach (5.0 V on the reflective page): the
// search once it has been through all four levels (page2-out-of-reach.png), then stopped with
// the stop control (page2-stopped.png).
void AddStoppedSearchSteps(Sequence& seq);
// The picture steps of one sensor page: adjust to the standard (pictures while adjusting and
// after, for the reflective page), take both readings (picture), run the paper check (picture).
void AddSensorSteps(Sequence& seq, int tab, const QString& standard, int startButton,
                    const int (&readings)[2], bool adjustPictures);

// The history view of the window's records file: the newest record and its comparison
// (app/ScreenshotRecords.cpp).
void AddRecordsSteps(Sequence& seq);

// With the virtual printer: the reflective page's verdict line when it is marginal (a dirty
// sensor: page2-verdict-marginal.png) and when it fails (clear labels in the paper check:
// page2-verdict-fail.png); the printer clean and its stock standard again after them.
void AddVerdictSteps(Sequence& seq);

// The guided calibration from its first page to its result, a picture of each page
// (app/ScreenshotGuided.cpp).
void AddGuidedSteps(Sequence& seq);

} // namespace screenshots
