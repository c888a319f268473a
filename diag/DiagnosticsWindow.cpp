#include "diag/DiagnosticsWindow.h"

#include <QCloseEvent>
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
#include "device/TraceFile.h"
#include "diag/CurveChart.h"
#include "diag/TraceModel.h"
#include "diag/TraceView.h"

namespace {

constexpr const char* kWindowProperty = "tarvelloDiagnostics";

// Places the window by the pure rule below, the decoration taken from the main window's.
void PlaceBeside(QWidget* window, QWidget* mainWindow) {
    const QRect main = mainWindow->frameGeometry();
    const QRect inner = mainWindow->geometry();
    QScreen* screen =
        mainWindow->screen() != nullptr ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QMargins decoration(inner.left() - main.left(), inner.top() - main.top(),
                        main.right() - inner.right(), main.bottom() - inner.bottom());
    if (decoration.isNull())
        decoration = QMargins(1, 30, 1, 1); // not shown yet: a usual title bar and border
    // The window cannot be made narrower than its layout allows: the place must hold that.
    const QRect frame = DiagnosticsPlace(
        main, room, decoration, window->minimumSizeHint().expandedTo(window->minimumSize()));
    window->resize(frame.size().shrunkBy(decoration));
    window->move(frame.topLeft());
}

} // namespace

QRect DiagnosticsPlace(const QRect& main, const QRect& room, const QMargins& decoration,
                       const QSize& least) {
    constexpr int kGap = 8, kMaxWidth = 900, kMaxHeight = 700;
    const int kMinWidth = std::clamp(least.width(), 560, kMaxWidth);
    const int frameX = decoration.left() + decoration.right();
    const int frameY = decoration.top() + decoration.bottom();
    const int right = room.right() - main.right() - kGap; // room right of the main window
    const int left = main.left() - room.left() - kGap;    // and left of it
    const int height = std::min(kMaxHeight + frameY, room.height());
    int width = 0;
    int x = 0;
    if (right >= kMinWidth + frameX) {
        width = std::min(kMaxWidth + frameX, right);
        x = main.right() + 1 + kGap;
    } else if (left >= kMinWidth + frameX) {
        width = std::min(kMaxWidth + frameX, left);
        x = main.left() - kGap - width;
    } else {
        // No room beside it: on the same screen, whole, on the side with more room.
        width = std::min(kMaxWidth + frameX, room.width());
        x = right >= left ? room.right() + 1 - width : room.left();
    }
    const int y = std::clamp(main.top(), room.top(), room.bottom() + 1 - height);
    return QRect(x, y, width, height);
}

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

void DiagnosticsWindow::showEvent(QShowEvent* event) {
    SetLineTraceEnabled(true);
    QWidget::showEvent(event);
}

void DiagnosticsWindow::closeEvent(QCloseEvent* event) {
    // The exchanges go back to their speed without the trace; what the ring holds stays for
    // the next opening.
    if (!TraceFileWriting()) {
        SetLineTraceEnabled(false);
    }
    QWidget::closeEvent(event);
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
