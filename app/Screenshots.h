// --screenshots DIR: opens the port on the selected device, waits until the status group shows
// the monitor's values, saves a picture of the window with each page active (page1.png,
// page2.png, page3.png in DIR) and closes the window. For the documentation.
#pragma once

#include <QString>

class CTarvelloDlg;

// Starts the sequence on a shown window; done is reported through the window's closing.
void StartScreenshots(CTarvelloDlg* dlg, const QString& dir);
