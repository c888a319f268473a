#include "app/HeaderCommand.h"

#include <QAction>
#include <QToolButton>

#include "app/TarvelloDlg.h"
#include "res/ControlIds.h"

QToolButton* AddHeaderCommand(CTarvelloDlg& dlg, const QString& text, const QString& name,
                              std::function<void()> run) {
    auto* action = new QAction(text, &dlg);
    action->setObjectName(name + QStringLiteral("Action"));
    QObject::connect(action, &QAction::triggered, &dlg, std::move(run));
    dlg.addAction(action); // the window's menu
    if (!dlg.Item(tarvello::res::ids::mainwindow::kHeader))
        return nullptr;
    auto* button = new QToolButton(&dlg);
    button->setObjectName(name + QStringLiteral("Button"));
    button->setDefaultAction(action);
    button->setAccessibleName(text);
    button->resize(button->sizeHint().width() + 8, button->sizeHint().height());
    button->show();
    return button;
}
