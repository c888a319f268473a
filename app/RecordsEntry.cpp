#include "app/RecordsEntry.h"

#include <QAction>
#include <QCoreApplication>
#include <QToolButton>

#include "app/RecordsWindow.h"
#include "app/TarvelloDlg.h"
#include "res/ControlIds.h"

QToolButton* InstallRecordsView(CTarvelloDlg& dlg) {
    const QString text = QCoreApplication::translate("RecordsEntry", "校准记录");
    auto* action = new QAction(text, &dlg);
    action->setObjectName(QStringLiteral("recordsAction"));
    QObject::connect(action, &QAction::triggered, &dlg, [&dlg] { OpenRecordsWindow(&dlg); });
    dlg.addAction(action); // the window's menu
    QWidget* header = dlg.Item(tarvello::res::ids::mainwindow::kHeader);
    if (!header)
        return nullptr;
    auto* button = new QToolButton(&dlg);
    button->setObjectName(QStringLiteral("recordsButton"));
    button->setDefaultAction(action);
    button->setAccessibleName(text);
    // On the profile chooser's row at the header's right end, clear of the title above it.
    const int width = button->sizeHint().width() + 8;
    const QRect h = header->geometry();
    button->setGeometry(h.right() - width - 2, h.bottom() - 23, width, 21);
    button->show();
    return button;
}
