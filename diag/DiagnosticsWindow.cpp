#include "diag/DiagnosticsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <functional>

#include "device/LineTrace.h"
#include "diag/CurveChart.h"
#include "diag/TraceModel.h"
#include "diag/TraceView.h"

namespace {

constexpr const char* kWindowProperty = "tarvelloDiagnostics";

// Beside the main window, as wide as the screen leaves room for (at least 560 pixels; on a small
// screen it goes where it fits, over the main window's side if it must).
void PlaceBeside(QWidget* window, QWidget* mainWindow) {
    const QRect main = mainWindow->frameGeometry();
    QScreen* screen =
        mainWindow->screen() != nullptr ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int width = std::clamp(room.right() - main.right() - 16, 560, 900);
    const int height = std::min(700, room.height() - 40);
    int x = main.right() + 8;
    if (x + width > room.right()) {
        x = std::max(room.left(), room.right() - width);
    }
    window->resize(width, height);
    window->move(x, std::max(room.top(), std::min(main.top(), room.bottom() - height - 30)));
}

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
        PlaceBeside(window, mainWindow);
    }
    return window;
}

bool SaveDiagnosticsPictures(const QString& dir, QString* failed) {
    DiagnosticsWindow window;
    window.resize(900, 680);
    window.ShowTab(DiagnosticsWindow::kTraceTab);
    QCoreApplication::processEvents();
    window.Trace()->PullNow();
    window.Trace()->Table()->scrollToBottom();
    QCoreApplication::processEvents();
    const auto save = [&](const QString& name, const std::function<bool(const QString&)>& how) {
        const QString path = QDir(dir).filePath(name);
        if (!how(path)) {
            if (failed != nullptr) {
                *failed = path;
            }
            return false;
        }
        return true;
    };
    if (!save(QStringLiteral("diag-trace.png"),
              [&](const QString& path) { return window.grab().save(path); })) {
        return false;
    }
    window.ShowTab(DiagnosticsWindow::kCurveTab);
    QCoreApplication::processEvents();
    return save(QStringLiteral("diag-curves.png"),
                [&](const QString& path) { return window.grab().save(path); }) &&
           save(QStringLiteral("diag-curve-reflective.png"),
                [&](const QString& path) {
                    return window.Chart(Sensor::Reflective)->ExportPng(path);
                }) &&
           save(QStringLiteral("diag-curve-transmissive.png"), [&](const QString& path) {
               return window.Chart(Sensor::Transmissive)->ExportPng(path);
           });
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
    way->setText(QCoreApplication::translate("DiagnosticsWindow", "诊断"));
    way->setToolTip(QCoreApplication::translate(
        "DiagnosticsWindow", "诊断: 线路跟踪 (Ctrl+T) 与调整曲线 (Ctrl+G); 窗口 Ctrl+D"));
    way->setAccessibleName(QCoreApplication::translate("DiagnosticsWindow", "诊断"));
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
