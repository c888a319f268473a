// The pictures of what the window says while it waits or before it closes, and of where the
// diagnostics window goes (app/ScreenshotSequence.h).
#include "app/ScreenshotSequence.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>

#include "app/TarvelloDlg.h"
#include "diag/DiagnosticsWindow.h"
#include "pages/BackgroundRun.h"
#include "pages/Page1.h"
#include "pages/PageAdjustProgress.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustWorker.h"

using namespace tarvello::res::ids;

namespace screenshots {
namespace {

constexpr int kSearchPassesFirst = 3; // passes of the search before the close is asked
constexpr int kFeedPictureMs = 400;   // into the paper check's feed, once its length is known
constexpr int kPopupWaitMs = 2000;    // for the port list to drop down
constexpr int kScreenMargin = 16;     // around the two windows on diag-beside.png

QComboBox* PortList(CTarvelloDlg* dlg) {
    return tarvello::res::Control<QComboBox>(dlg->Sheet()->widget(0), port::kPortList);
}

// The window with the opened list drawn where it drops down, the picture grown to hold it.
void SaveWithPopup(CTarvelloDlg* dlg, QWidget* popup, const QString& dir, const QString& name) {
    const QPixmap window = dlg->grab();
    const QPixmap list = popup->grab();
    const QPoint at = popup->mapToGlobal(QPoint()) - dlg->mapToGlobal(QPoint());
    const QRect whole = QRect(QPoint(), window.size()).united(QRect(at, list.size()));
    QPixmap shot(whole.size());
    shot.fill(dlg->palette().color(QPalette::Window));
    QPainter painter(&shot);
    painter.drawPixmap(-whole.topLeft(), window);
    painter.drawPixmap(at - whole.topLeft(), list);
    painter.setPen(dlg->palette().color(QPalette::Shadow));
    painter.drawRect(QRect(at - whole.topLeft(), list.size()).adjusted(0, 0, -1, -1));
    painter.end();
    SavePicture(shot, dir, name);
}

void SetStandard(CSensorPage* page, const QString& volts) {
    if (auto* edit = tarvello::res::Control<QLineEdit>(page, reflective::kStandardEdit))
        edit->setText(volts);
}

// A search on the reflective page for a standard its media cannot reach: it runs until stopped.
std::function<bool()> StartLongSearch(Sequence* s) {
    return [s] {
        if (tarvello::ui::BackgroundRunActive() || IsAdjustmentRunning())
            return false;
        s->dlg->Sheet()->setCurrentIndex(1);
        SetStandard(SensorPage(s->dlg, 1), QStringLiteral("5.0"));
        Click(SensorPage(s->dlg, 1), reflective::kAdjustButton);
        return true;
    };
}

void AddCloseQuestionSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back(StartLongSearch(s));
    seq.steps.push_back([s] {
        if (!IsAdjustmentRunning()) {
            Fail(*s, QStringLiteral("the search for 5.0 V ended by itself"));
            return true;
        }
        if (AdjustmentPasses() < kSearchPassesFirst)
            return false;
        s->dlg->reject(); // what Esc does
        return true;
    });
    seq.steps.push_back([s] {
        auto* box = s->dlg->findChild<QMessageBox*>();
        if (!box || !box->isVisible()) {
            Fail(*s, QStringLiteral("closing during a search asked nothing"));
            return true;
        }
        SaveWithBoxFace(s->dlg, s->dir, QStringLiteral("page2-close-question.png"), box->grab(),
                        box->windowTitle());
        box->button(QMessageBox::No)->click(); // the search goes on
        return true;
    });
}

void AddCheckDuringSearchSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        if (!IsAdjustmentRunning()) {
            Fail(*s, QStringLiteral("the search did not go on after the close was refused"));
            return true;
        }
        Click(SensorPage(s->dlg, 1), sensorpage::kCheckButton);
        return true;
    });
    seq.steps.push_back([s] {
        if (!tarvello::ui::BackgroundRunActive()) {
            Fail(*s, QStringLiteral("the paper check ended before its picture"));
            return true;
        }
        // The line counts the feed out of its length once the printer's values gave it.
        QLabel* line = ProgressLine(SensorPage(s->dlg, 1));
        static const QRegularExpression twoTimes(QStringLiteral("\\d\\.\\d\\D+\\d+\\.\\d s"));
        if (!line || !line->text().contains(twoTimes))
            s->waited = 0;
        if (s->waited < kFeedPictureMs)
            return false;
        Save(s->dlg, s->dir, QStringLiteral("page2-check-stops-search.png"));
        return true;
    });
    seq.steps.push_back([s] {
        if (tarvello::ui::BackgroundRunActive() || IsAdjustmentRunning())
            return false;
        QLabel* line = ProgressLine(SensorPage(s->dlg, 1));
        if (!line || line->text() != StoppedForCheckText(LatestAdjustRun().passes)) {
            Fail(*s, QStringLiteral("after the check the line says \"%1\"")
                         .arg(line ? line->text() : QString()));
            return true;
        }
        Save(s->dlg, s->dir, QStringLiteral("page2-check-stopped-search.png"));
        return true;
    });
}

void AddLowStandardSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        if (tarvello::ui::BackgroundRunActive() || IsAdjustmentRunning())
            return false;
        s->shownBox.reset();
        s->expectBox = true;
        SetStandard(SensorPage(s->dlg, 1), QStringLiteral("0.05"));
        Click(SensorPage(s->dlg, 1), reflective::kAdjustButton);
        return true;
    });
    seq.steps.push_back([s] {
        if (!s->shownBox) {
            Fail(*s, QStringLiteral("a search for 0.05 V gave no warning"));
            return true;
        }
        SaveWithBox(s->dlg, s->dir, QStringLiteral("page2-low-standard.png"), *s->shownBox);
        if (auto* stop =
                SensorPage(s->dlg, 1)->findChild<QPushButton*>(QStringLiteral("adjustStop")))
            stop->click();
        return true;
    });
    seq.steps.push_back([] { return !IsAdjustmentRunning(); });
}

} // namespace

void AddPortListSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        QComboBox* ports = PortList(s->dlg);
        if (!ports) {
            Fail(*s, QStringLiteral("the port page has no port list"));
            return true;
        }
        s->dlg->Sheet()->setCurrentIndex(0);
        ports->showPopup();
        return true;
    });
    seq.steps.push_back([s] {
        QComboBox* ports = PortList(s->dlg);
        QWidget* popup = ports->view()->window();
        if (!popup->isVisible()) {
            if (s->waited < kPopupWaitMs)
                return false;
            Fail(*s, QStringLiteral("the port list did not drop down"));
            return true;
        }
        SaveWithPopup(s->dlg, popup, s->dir, QStringLiteral("page1-ports.png"));
        ports->hidePopup();
        return true;
    });
}

void AddWaitSteps(Sequence& seq) {
    AddCloseQuestionSteps(seq);
    AddCheckDuringSearchSteps(seq);
    AddLowStandardSteps(seq);
}

void AddDiagnosticsBesideSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        // The main window at the screen's left edge, where a technician might have put it.
        const QRect room = s->dlg->screen()->availableGeometry();
        s->dlg->move(room.left() + kScreenMargin, room.top() + kScreenMargin);
        DiagnosticsOf(s->dlg)->ShowTab(DiagnosticsWindow::kCurveTab);
        return true;
    });
    seq.steps.push_back([s] {
        if (s->waited < 3 * kPollMs)
            return false; // drawn and placed
        DiagnosticsWindow* diag = DiagnosticsOf(s->dlg);
        QScreen* screen = s->dlg->screen();
        const QRect both =
            s->dlg->frameGeometry()
                .united(diag->frameGeometry())
                .adjusted(-kScreenMargin, -kScreenMargin, kScreenMargin, kScreenMargin)
                .intersected(screen->geometry());
        SavePicture(screen->grabWindow(0, both.x(), both.y(), both.width(), both.height()), s->dir,
                    QStringLiteral("diag-beside.png"));
        diag->hide(); // hidden, not closed: the trace stays on for the run's last pictures
        return true;
    });
}

} // namespace screenshots
