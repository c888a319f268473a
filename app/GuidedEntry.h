// The ways into the guided calibration from the main window: the button "引导校准…" in the
// header beside the diagnostics button, and the same command in the window's menu.
#pragma once

class CTarvelloDlg;
class CGuidedCalibration;
class QToolButton;

namespace tarvello::sim {
class VirtualPrinter;
}

// The button (left of diagnostics, or at the header's right end when there is none) and the
// menu command. Returns the button (nullptr when the header leaves no room for it).
QToolButton* InstallGuidedCalibration(CTarvelloDlg& dlg, QToolButton* diagnostics);
// Opens the wizard on the window's sensor pages (one at a time; a second call shows the first).
CGuidedCalibration* OpenGuidedCalibration(CTarvelloDlg& dlg);
// On the virtual printer, what a step or a sensor page's button asks for is put under the
// sensor (nullptr: no placer, the technician does it).
void PlaceMediaOnVirtualPrinter(tarvello::sim::VirtualPrinter* printer);
