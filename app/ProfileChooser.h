// The media profile chooser of the main window: a list in the header's left corner with every
// profile ("Standard" first; a plant profile marked as such and read-only), and in the window's
// menu "另存为介质配置…" (the current standards and criteria under a new name) and "判定限值…"
// (a small editor of the criteria, each limit with one line of meaning). Choosing a profile sets
// both sensor pages' standards (saved as RBase/TBase as an adjustment's start saves them;
// "Standard" keeps what the file has) and the criteria their verdicts judge by; the choice is
// remembered for the next start.
#pragma once

class CTarvelloDlg;
class QComboBox;

// Installs the chooser and its commands on the window; the list is returned (nullptr when the
// window has no header to hold it).
QComboBox* InstallProfileChooser(CTarvelloDlg& dlg);
