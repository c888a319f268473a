#include "diag/DiagnosticsWindow.h"

#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>

#include "device/LineTrace.h"
#include "diag/CurveChart.h"
#include "diag/TraceView.h"

namespace {

constexpr const char* kWindowProperty = "tarvelloDiagnostics";

} // namespace

DiagnosticsWindow::DiagnosticsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    SetLineTraceEnabled(true);
    setWindowTitle(tr("诊断"));
    setObjectName(QStringLiteral("diagnostics"));
    tabs_ = new QTabWidget(this);
    trace_ = new TraceView(tabs_);
    auto* curves = new QSplitter(Qt::Vertical, tabs_);
    reflective_ = new CurveChart(Sensor::Reflective, curves);
    transmissive_ = new CurveChart(Sensor::Transmissive, curves);
    curves->addWidget(reflective_);
    curves->addWidget(transmissive_);
    tabs_->addTab(trace_, tr("线路跟踪 (Ctrl+T)"));
    tabs_->addTab(curves, tr("调整曲线 (Ctrl+G)"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tabs_);
    resize(900, 700);
}

void DiagnosticsWindow::ShowTab(Tab tab) {
    tabs_->setCurrentIndex(tab);
    show();
    raise();
    activateWindow();
}

CurveChart* DiagnosticsWindow::Chart(Sensor sensor) const {
    return sensor == Sensor::Reflective ? reflective_ : transmissive_;
}

DiagnosticsWindow* DiagnosticsOf(QWidget* mainWindow) {
    auto* window = mainWindow->property(kWindowProperty).value<DiagnosticsWindow*>();
    if (window == nullptr) {
        window = new DiagnosticsWindow(mainWindow);
        mainWindow->setProperty(kWindowProperty, QVariant::fromValue(window));
        // Beside the main window where the screen has room.
        window->move(mainWindow->frameGeometry().topRight() + QPoint(8, 0));
    }
    return window;
}

QToolButton* InstallDiagnostics(QWidget* mainWindow, const QRect& button) {
    const struct {
        QKeySequence keys;
        DiagnosticsWindow::Tab tab;
        bool keepTab;
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_D), DiagnosticsWindow::kTraceTab, true},
        {QKeySequence(Qt::CTRL | Qt::Key_T), DiagnosticsWindow::kTraceTab, false},
        {QKeySequence(Qt::CTRL | Qt::Key_G), DiagnosticsWindow::kCurveTab, false},
    };
    for (const auto& s : shortcuts) {
        auto* shortcut = new QShortcut(s.keys, mainWindow);
        shortcut->setContext(Qt::ApplicationShortcut);
        const DiagnosticsWindow::Tab tab = s.tab;
        const bool keepTab = s.keepTab;
        QObject::connect(shortcut, &QShortcut::activated, mainWindow, [mainWindow, tab, keepTab] {
            DiagnosticsWindow* window = DiagnosticsOf(mainWindow);
            window->ShowTab(
                keepTab ? static_cast<DiagnosticsWindow::Tab>(window->Tabs()->currentIndex())
                        : tab);
        });
    }
    if (button.isEmpty()) {
        return nullptr;
    }
    auto* way = new QToolButton(mainWindow);
    way->setObjectName(QStringLiteral("diagnosticsButton"));
    way->setText(QObject::tr("诊断"));
    way->setToolTip(QObject::tr("诊断: 线路跟踪 (Ctrl+T) 与调整曲线 (Ctrl+G); 窗口 Ctrl+D"));
    way->setAccessibleName(QObject::tr("诊断"));
    way->setAutoRaise(false);
    way->setFocusPolicy(Qt::NoFocus); // keeps the templates' tab order as it is
    way->setGeometry(button);
    QObject::connect(way, &QToolButton::clicked, mainWindow, [mainWindow] {
        DiagnosticsWindow* window = DiagnosticsOf(mainWindow);
        window->ShowTab(static_cast<DiagnosticsWindow::Tab>(window->Tabs()->currentIndex()));
    });
    way->show();
    return way;
}
