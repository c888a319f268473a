#include "app/RecordsEntry.h"

#include <QCoreApplication>
#include <QToolButton>

#include "app/HeaderCommand.h"
#include "app/RecordsWindow.h"
#include "app/TarvelloDlg.h"
#include "res/ControlIds.h"

QToolButton* InstallRecordsView(CTarvelloDlg& dlg) {
    QToolButton* button =
        AddHeaderCommand(dlg, QCoreApplication::translate("RecordsEntry", "校准记录"),
                         QStringLiteral("records"), [&dlg] { OpenRecordsWindow(&dlg); });
    if (!button)
        return nullptr;
    // On the profile chooser's row at the header's right end, clear of the title above it.
    const QRect h = dlg.Item(tarvello::res::ids::mainwindow::kHeader)->geometry();
    button->setGeometry(h.right() - button->width() - 2, h.bottom() - 23, button->width(), 21);
    return button;
}
