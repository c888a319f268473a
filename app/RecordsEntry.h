// "校准记录" in the main window: an action in the window's menu and a header button on the
// profile chooser's row, opening the history view.
#pragma once

class CTarvelloDlg;
class QToolButton;

QToolButton* InstallRecordsView(CTarvelloDlg& dlg);
