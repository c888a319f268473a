#include "app/GuidedEntry.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>

#include "app/HeaderCommand.h"
#include "app/TarvelloDlg.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedCalibrationPages.h"
#include "res/ControlIds.h"
#include "sensor/GuidedSteps.h"
#include "sim/PrinterCommands.h"

namespace {

QString CommandText() {
    return QCoreApplication::translate("GuidedEntry", "引导校准…");
}

} // namespace

CGuidedCalibration* OpenGuidedCalibration(CTarvelloDlg& dlg) {
    static QPointer<CGuidedCalibration> s_open;
    if (s_open) {
        s_open->raise();
        s_open->activateWindow();
        return s_open;
    }
    auto* reflective = qobject_cast<CSensorPage*>(dlg.Sheet()->widget(1));
    auto* transmissive = qobject_cast<CSensorPage*>(dlg.Sheet()->widget(2));
    // A window of its own (the sensor pages' exchanges disable the main window, never the
    // wizard's Stop), modal over the tool, gone with the main window.
    auto* wizard = new CGuidedCalibration(reflective, transmissive, nullptr);
    // The profile chosen in the main window's header is the one the flow starts with.
    if (auto* chosen = dlg.findChild<QComboBox*>(QStringLiteral("profileChooser")))
        wizard->Setup()->SelectProfile(chosen->currentData().toString());
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setWindowModality(Qt::ApplicationModal);
    QObject::connect(&dlg, &QObject::destroyed, wizard, &QObject::deleteLater);
    wizard->show();
    s_open = wizard;
    return wizard;
}

QToolButton* InstallGuidedCalibration(CTarvelloDlg& dlg, QToolButton* diagnostics) {
    QToolButton* button = AddHeaderCommand(dlg, CommandText(), QStringLiteral("guidedCalibration"),
                                           [&dlg] { OpenGuidedCalibration(dlg); });
    if (!button)
        return nullptr;
    QWidget* header = dlg.Item(tarvello::res::ids::mainwindow::kHeader);
    // The header leaves little room beside its title: a short text of its own where a language
    // needs it, the whole command in the tooltip and for screen readers.
    button->setText(QCoreApplication::translate("GuidedEntry", "引导校准…", "header button"));
    button->setToolTip(CommandText());
    const int width = button->sizeHint().width() + 8;
    const QRect beside =
        diagnostics ? diagnostics->geometry()
                    : QRect(header->geometry().right() + 4, header->geometry().top() + 4, 0, 24);
    button->setGeometry(beside.left() - width - 4, beside.top(), width, beside.height());
    button->show();
    return button;
}

void PlaceMediaOnVirtualPrinter(tarvello::sim::VirtualPrinter* printer) {
    if (!printer) {
        SetMediaPlacer(nullptr);
        return;
    }
    SetMediaPlacer(tarvello::sim::LineApplier(*printer));
}
