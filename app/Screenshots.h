// --screenshots DIR: opens the port on the selected device, waits until the status group shows
// the monitor's values, saves a picture of the window with each page active (page1.png,
// page2.png, page3.png in DIR); then, with the port open, adjusts the reflective sensor to
// 2.5 V (page2-adjusting.png during the search, page2-adjusted.png after it), takes its two
// readings (page2-readings.png) and its paper check (page2-check.png), does the same on the
// transmissive page at 2.0 V (page3-readings.png, page3-check.png) and closes the window.
// With the virtual printer it first opens the port on a printer that refuses the handshake
// (page1-open-error.png: the box with its reason), and before the reflective adjustment
// searches for 5.0 V, which the printer's media cannot reach, until the search has been
// through all four levels (page2-out-of-reach.png), then stops it (page2-stopped.png); after the
// sensor pages it makes the printer's sensor dirty and adjusts again (page2-verdict-marginal.png:
// the verdict line amber), then gives it clear labels for a paper check
// (page2-verdict-fail.png: red). The
// sensor pages work on a copy of "parameterset.ini" in a temporary folder, so the pictures leave
// the file as it was. For the documentation.
//
// The run never waits for a click: the tool's message boxes are taken as text, and any of them,
// a port that does not open or a run longer than three minutes ends it with the reason on the
// error output and the window closed with 1 (0 when every picture was made).
//
// With the virtual printer of --simulate, each single reading is taken over the media it names
// (the reflective mark and no-paper readings over a mark and over no paper, the transmissive
// no-paper and paper readings over no paper and over a label), so that the pictures show
// distinct values; the media the adjustments work on is put back after the readings.
#pragma once

#include <QString>

class CTarvelloDlg;

namespace tarvello::sim {
class VirtualPrinter;
}

// Starts the sequence on a shown window; the end is reported through the window's closing
// (its result 0 or 1).
// printer: the virtual printer the selected port leads to, or nullptr (a real printer).
void StartScreenshots(CTarvelloDlg* dlg, const QString& dir,
                      tarvello::sim::VirtualPrinter* printer = nullptr);

// Puts the media that the reading button readingButton of the sensor page in tab (1
// reflective, 2 transmissive) measures under the virtual printer's sensor; readingButton 0
// puts back the media its adjustment works on (paper, liner). Nothing for other buttons.
void PutMediaForReading(tarvello::sim::VirtualPrinter& printer, int tab, int readingButton);
