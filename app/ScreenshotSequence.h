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

class CSensorPage;
class CTarvelloDlg;
class QLabel;
class QPixmap;

namespace tarvello::sim {
class VirtualPrinter;
}

namespace screenshots {

constexpr int kPollMs = 100;
constexpr int kStatusWaitMs = 10000;
constexpr int kWholeRunMs = 180000;
constexpr int kOpenWaitPictureMs = 500; // into the open's wait: page1-opening.png

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

// Saves picture as dir/name and says so on the standard output (or that it could not).
bool SavePicture(const QPixmap& picture, const QString& dir, const QString& name);
// A picture of the window as it is now.
bool Save(CTarvelloDlg* dlg, const QString& dir, const QString& name);
// A picture of the window with the box of record over it, as the technician sees it: the box
// ShowNote shows, with a caption bar of its own (no window manager draws one here).
void SaveWithBox(CTarvelloDlg* dlg, const QString& dir, const QString& name,
                 const tarvello::ui::MessageRecord& record);
// The same with a box that is open already: face is its picture, caption its title.
void SaveWithBoxFace(CTarvelloDlg* dlg, const QString& dir, const QString& name,
                     const QPixmap& face, const QString& caption);
// The sensor page of tab (1 reflective, 2 transmissive), a click on its control id, its
// progress line.
CSensorPage* SensorPage(CTarvelloDlg* dlg, int tab);
void Click(CSensorPage* page, int id);
QLabel* ProgressLine(CSensorPage* page);

// Opens the port, waits for the monitor's values and saves a picture of each page; on the way
// the page's line while the open waits for the printer (page1-opening.png).
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

// What the window says while it waits or before it closes (app/ScreenshotWaits.cpp). With the
// virtual printer, before the port opens: its label in the opened port list (page1-ports.png).
void AddPortListSteps(Sequence& seq);
// On the reflective page, with the virtual printer: the question before closing in the middle
// of a search (page2-close-question.png, answered No), a paper check started during a search
// (page2-check-stops-search.png while it feeds, page2-check-stopped-search.png after it), and
// the warning at the start of a search for a standard below the sensor's reach
// (page2-low-standard.png; the search is then stopped).
void AddWaitSteps(Sequence& seq);
// The screen with the diagnostics window placed beside the main window (diag-beside.png).
void AddDiagnosticsBesideSteps(Sequence& seq);

// The guided calibration from its first page to its result, a picture of each page
// (app/ScreenshotGuided.cpp).
void AddGuidedSteps(Sequence& seq);

} // namespace screenshots
