// --screenshots DIR: opens the port on the selected device, waits until the status group shows
// the monitor's values, saves a picture of the window with each page active (page1.png,
// page2.png, page3.png in DIR); then, with the port open, adjusts the reflective sensor to
// 2.5 V (page2-adjusting.png during the search, page2-adjusted.png after it), takes its two
// readings (page2-readings.png) and its paper check (page2-check.png), does the same on the
// transmissive page at 2.0 V (page3-readings.png, page3-check.png) and closes the window. The
// sensor pages work on a copy of "parameterset.ini" in a temporary folder, so the pictures leave
// the file as it was. For the documentation.
#pragma once

#include <QString>

class CTarvelloDlg;

// Starts the sequence on a shown window; done is reported through the window's closing.
void StartScreenshots(CTarvelloDlg* dlg, const QString& dir);
