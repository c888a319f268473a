// The media profile chooser of the main window: a list in the header's left corner with every
// profile ("Standard" first; a plant profile marked as such and read-only), and in the window's
// menu "另存为介质配置…" (the current standards and criteria under a new name) and "判定限值…"
// (a small editor of the criteria, each limit with one line of meaning; a refused limit keeps it
// open), "导入介质配置…" (a JSON file's profiles, all or none; a name that exists replaced only
// after asking) and "导出当前介质配置…" / "导出全部介质配置…" (the chosen profile, or every one of
// the user's own, as one JSON file that tarvello-cli imports too). Choosing a profile sets
// both sensor pages' standards (saved as RBase/TBase as an adjustment's start saves them;
// "Standard" keeps what the file has) and the criteria their verdicts judge by; the choice is
// remembered for the next start.
#pragma once

class CTarvelloDlg;
class QComboBox;

// Installs the chooser and its commands on the window; the list is returned (nullptr when the
// window has no header to hold it).
QComboBox* InstallProfileChooser(CTarvelloDlg& dlg);
