#include "app/Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "app/TarvelloDlg.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "pages/NoteBox.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

using namespace tarvello::res::ids;

namespace {

constexpr int kPollMs = 100;
constexpr int kStatusWaitMs = 10000;
constexpr int kWholeRunMs = 180000;

bool StatusFilled(CTarvelloDlg* dlg) {
    namespace id = tarvello::res::ids::mainwindow;
    for (int control : {id::kMicroSwitchEdit, id::kPresenceEdit, id::kRibbonEdit}) {
        auto* edit = qobject_cast<QLineEdit*>(dlg->Item(control));
        if (!edit || edit->text() == QLatin1String("0"))
            return false;
    }
    return true;
}

bool Save(CTarvelloDlg* dlg, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    const bool ok = dlg->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    std::fflush(stdout);
    return ok;
}

void SavePages(CTarvelloDlg* dlg, const QString& dir) {
    for (int i = 0; i < dlg->Sheet()->count(); ++i) {
        dlg->Sheet()->setCurrentIndex(i);
        Save(dlg, dir, QStringLiteral("page%1.png").arg(i + 1));
    }
    dlg->Sheet()->setCurrentIndex(0);
}

CSensorPage* SensorPage(CTarvelloDlg* dlg, int tab) {
    return qobject_cast<CSensorPage*>(dlg->Sheet()->widget(tab));
}

void Click(CSensorPage* page, int id) {
    if (auto* button = tarvello::res::Control<QPushButton>(page, id))
        button->click();
}

// The sequence: steps run one after the other on a timer; a step returns true when it is done.
struct Sequence {
    CTarvelloDlg* dlg = nullptr;
    QString dir;
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    bool stop = false; // the remaining steps are skipped
    bool busy = false; // a tick is running its steps (a tick never re-enters)
    int waited = 0;    // in the current step
    int elapsed = 0;   // in the whole run
    // Why the sequence gave up (empty: it did not). The tool's message boxes are taken as
    // text instead of being shown, so no box can hold the run; any of them ends it, except the
    // one box a step asks for (its picture is made from the record).
    QString error;
    bool expectBox = false;
    std::optional<tarvello::ui::MessageRecord> shownBox;
    tarvello::ui::MessageHook previousHook;
    // The sensor pages work on a copy of the parameter file in a temporary folder, so that
    // the pictures never change the technician's file.
    std::unique_ptr<QTemporaryDir> workDir;
    std::filesystem::path startDir;
    // The virtual printer of --simulate, whose media each reading switches; or nullptr.
    tarvello::sim::VirtualPrinter* printer = nullptr;
};

// The picture steps of one sensor page: adjust to the standard (pictures while adjusting and
// after, for the reflective page), take both readings (picture), run the paper check (picture).
void AddSensorSteps(Sequence& seq, int tab, const QString& standard, int startButton,
                    const int (&readings)[2], bool adjustPictures) {
    CTarvelloDlg* dlg = seq.dlg;
    const QString dir = seq.dir;
    seq.steps.push_back([dlg, tab, standard, startButton] {
        dlg->Sheet()->setCurrentIndex(tab);
        CSensorPage* page = SensorPage(dlg, tab);
        const int standardEdit = tab == 1 ? reflective::kStandardEdit : transmissive::kStandardEdit;
        if (auto* edit = tarvello::res::Control<QLineEdit>(page, standardEdit))
            edit->setText(standard);
        Click(page, startButton);
        return true;
    });
    if (adjustPictures) {
        seq.steps.push_back([dlg, dir, tab] {
            CSensorPage* page = SensorPage(dlg, tab);
            if (page->IsAdjusting() && AdjustmentPasses() < 4)
                return false;
            Save(dlg, dir, QStringLiteral("page%1-adjusting.png").arg(tab + 1));
            return true;
        });
    }
    seq.steps.push_back([dlg, dir, tab, adjustPictures] {
        if (SensorPage(dlg, tab)->IsAdjusting() || IsAdjustmentRunning())
            return false;
        if (adjustPictures)
            Save(dlg, dir, QStringLiteral("page%1-adjusted.png").arg(tab + 1));
        return true;
    });
    // The two readings, each over its own media, a picture, the paper check, a picture.
    tarvello::sim::VirtualPrinter* printer = seq.printer;
    auto clickWhenIdle = [dlg, tab, printer](int id) {
        return [dlg, tab, printer, id] {
            if (tarvello::ui::BackgroundRunActive())
                return false;
            if (printer)
                PutMediaForReading(*printer, tab, id);
            Click(SensorPage(dlg, tab), id);
            return true;
        };
    };
    auto saveWhenIdle = [dlg, dir, tab, printer](const QString& name) {
        return [dlg, dir, tab, printer, name] {
            if (tarvello::ui::BackgroundRunActive())
                return false;
            if (printer)
                PutMediaForReading(*printer, tab, 0);
            Save(dlg, dir, name);
            return true;
        };
    };
    seq.steps.push_back(clickWhenIdle(readings[0]));
    seq.steps.push_back(clickWhenIdle(readings[1]));
    seq.steps.push_back(saveWhenIdle(QStringLiteral("page%1-readings.png").arg(tab + 1)));
    seq.steps.push_back(clickWhenIdle(sensorpage::kCheckButton));
    seq.steps.push_back(saveWhenIdle(QStringLiteral("page%1-check.png").arg(tab + 1)));
}

// Stops the sequence with a reason (the first one counts).
void Fail(Sequence& seq, const QString& why) {
    if (seq.error.isEmpty())
        seq.error = why;
    seq.stop = true;
}

// A picture of the window with the box of record over it, as the technician sees it: the box
// ShowNote shows, with a caption bar of its own (no window manager draws one here).
void SaveWithBox(CTarvelloDlg* dlg, const QString& dir, const QString& name,
                 const tarvello::ui::MessageRecord& record) {
    std::unique_ptr<QMessageBox> box(tarvello::ui::CreateNoteBox(dlg, record));
    box->show(); // lays the box out at its size
    const QPixmap face = box->grab();
    box->hide();
    QPixmap shot = dlg->grab();
    QPainter painter(&shot);
    const int bar = painter.fontMetrics().height() + 8;
    const QRect frame((shot.width() - face.width()) / 2, (shot.height() - face.height() - bar) / 3,
                      face.width(), face.height() + bar);
    painter.fillRect(frame, dlg->palette().color(QPalette::Mid));
    painter.setPen(dlg->palette().color(QPalette::BrightText));
    painter.drawText(frame.adjusted(8, 0, 0, -face.height()), Qt::AlignVCenter, record.caption);
    painter.drawPixmap(frame.left(), frame.top() + bar, face);
    painter.setPen(dlg->palette().color(QPalette::Shadow));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.end();
    const QString path = QDir(dir).filePath(name);
    const bool ok = shot.save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    std::fflush(stdout);
}

QLabel* ProgressLine(CSensorPage* page) {
    return page->findChild<QLabel*>(QStringLiteral("adjustProgress"));
}

// With the virtual printer: a printer that refuses the handshake (the box with its reason:
// page1-open-error.png), and the "关闭端口" that the page then asks for.
void AddOpenErrorSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        s->printer->SetRejectHandshake(true);
        s->expectBox = true;
        if (auto* page1 = qobject_cast<CPage1*>(s->dlg->Sheet()->widget(0)))
            page1->OnOpenPort();
        return true;
    });
    seq.steps.push_back([s] {
        if (tarvello::ui::BackgroundRunActive())
            return false;
        s->printer->SetRejectHandshake(false);
        if (!s->shownBox)
            Fail(*s, QStringLiteral("a refused handshake showed no box"));
        else
            SaveWithBox(s->dlg, s->dir, QStringLiteral("page1-open-error.png"), *s->shownBox);
        if (auto* page1 = qobject_cast<CPage1*>(s->dlg->Sheet()->widget(0)))
            page1->OnClosePort();
        return true;
    });
    seq.steps.push_back([] { return !tarvello::ui::BackgroundRunActive(); });
}

// A standard the virtual printer's media cannot reach (5.0 V on the reflective page): the
// search once it has been through all four levels (page2-out-of-reach.png), then stopped with
// the stop control (page2-stopped.png).
void AddStoppedSearchSteps(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
        s->dlg->Sheet()->setCurrentIndex(1);
        CSensorPage* page = SensorPage(s->dlg, 1);
        if (auto* edit = tarvello::res::Control<QLineEdit>(page, reflective::kStandardEdit))
            edit->setText(QStringLiteral("5.0"));
        Click(page, reflective::kAdjustButton);
        return true;
    });
    seq.steps.push_back([s] {
        CSensorPage* page = SensorPage(s->dlg, 1);
        if (!IsAdjustmentRunning()) {
            Fail(*s, QStringLiteral("the search for 5.0 V ended by itself"));
            return true;
        }
        QLabel* line = ProgressLine(page);
        // The line says so (in the installed language) once the run has been through them.
        if (!LatestAdjustRun().allLevelsTried || !line ||
            !line->text().endsWith(
                QCoreApplication::translate("AdjustProgress", "此介质可能达不到该电压标准")))
            return false;
        Save(s->dlg, s->dir, QStringLiteral("page2-out-of-reach.png"));
        if (auto* stop = page->findChild<QPushButton*>(QStringLiteral("adjustStop")))
            stop->click();
        return true;
    });
    seq.steps.push_back([s] {
        QLabel* line = ProgressLine(SensorPage(s->dlg, 1));
        if (IsAdjustmentRunning() || !line ||
            !line->text().startsWith(
                QCoreApplication::translate("AdjustProgress", "自动调节已停止")))
            return false;
        Save(s->dlg, s->dir, QStringLiteral("page2-stopped.png"));
        return true;
    });
}

// Ends the run: the folder and the message boxes as they were, the reason on the error output,
// and the window closed with 0 (every picture made) or 1.
void Finish(Sequence& seq) {
    if (!seq.startDir.empty()) {
        std::error_code ec;
        std::filesystem::current_path(seq.startDir, ec);
    }
    seq.workDir.reset();
    tarvello::ui::SetMessageHook(std::move(seq.previousHook));
    if (!seq.error.isEmpty()) {
        std::fprintf(stderr, "tarvello: --screenshots stopped: %s\n", qPrintable(seq.error));
        std::fflush(stderr);
    }
    seq.dlg->done(seq.error.isEmpty() ? 0 : 1);
}

// One tick of the timer: the steps that are ready, then the end once nothing runs any more.
// Returns true when the sequence has finished.
bool Tick(Sequence& seq) {
    seq.waited += kPollMs;
    seq.elapsed += kPollMs;
    if (seq.elapsed > kWholeRunMs)
        Fail(seq, QStringLiteral("gave up after %1 s").arg(kWholeRunMs / 1000));
    while (!seq.stop && seq.next < seq.steps.size() && seq.steps[seq.next]()) {
        ++seq.next;
        seq.waited = 0;
    }
    if (!seq.stop && seq.next < seq.steps.size())
        return false;
    if (tarvello::ui::BackgroundRunActive())
        return false; // a handler's exchange still runs
    Finish(seq);
    return true;
}

} // namespace

void PutMediaForReading(tarvello::sim::VirtualPrinter& printer, int tab, int readingButton) {
    using tarvello::sim::Media;
    using tarvello::sim::Sensor;
    // The media each reading names; button 0 stands for the adjustment's own media.
    struct Entry {
        int tab;
        int button;
        Sensor sensor;
        Media media;
    };
    static constexpr Entry kMedia[] = {
        {1, 0, Sensor::Reflective, Media::Paper},
        {1, reflective::kMarkButton, Sensor::Reflective, Media::Mark},
        {1, reflective::kNoPaperButton, Sensor::Reflective, Media::NoPaper},
        {2, 0, Sensor::Transmissive, Media::Liner},
        {2, transmissive::kNoPaperButton, Sensor::Transmissive, Media::NoPaper},
        {2, transmissive::kPaperButton, Sensor::Transmissive, Media::Paper},
    };
    for (const Entry& e : kMedia) {
        if (e.tab == tab && e.button == readingButton)
            printer.SetMedia(e.sensor, e.media);
    }
}

void StartScreenshots(CTarvelloDlg* dlg, const QString& dir,
                      tarvello::sim::VirtualPrinter* printer) {
    auto seq = std::make_shared<Sequence>();
    seq->dlg = dlg;
    seq->printer = printer;
    seq->dir = QDir(dir).absolutePath(); // the sensor pages work in another folder
    QDir().mkpath(seq->dir);

    // 1. A failed open and its reason (virtual printer only); then open the port, wait for the
    //    monitor's values, picture each page.
    if (printer)
        AddOpenErrorSteps(*seq);
    seq->steps.push_back([dlg] {
        if (auto* page1 = qobject_cast<CPage1*>(dlg->Sheet()->widget(0)))
            page1->OnOpenPort();
        return true;
    });
    Sequence* s = seq.get(); // the steps live in the sequence: no owning capture
    seq->steps.push_back([s] {
        if (tarvello::ui::BackgroundRunActive())
            return false;
        if (!g_bPortOpen) {
            Fail(*s, QStringLiteral("the port %1 could not be opened or the printer did not "
                                    "answer")
                         .arg(QString::fromStdString(PortDeviceName(g_PortSettings.load().nPort))));
            return true;
        }
        if (!StatusFilled(s->dlg) && s->waited < kStatusWaitMs)
            return false;
        SavePages(s->dlg, s->dir);
        return true;
    });
    // 2. With the port open: the sensor pages in a folder of their own, with a copy of the
    //    parameter file.
    seq->steps.push_back([s] {
        s->workDir = std::make_unique<QTemporaryDir>();
        std::error_code ec;
        const std::filesystem::path start = std::filesystem::current_path(ec);
        if (!g_bPortOpen || !s->workDir->isValid() || ec) {
            Fail(*s, g_bPortOpen ? QStringLiteral("no temporary folder for the parameter file")
                                 : QStringLiteral("the port closed"));
            return true;
        }
        const QString file = QStringLiteral("parameterset.ini");
        if (QFile::exists(file))
            QFile::copy(file, s->workDir->filePath(file));
        std::filesystem::current_path(s->workDir->path().toStdString(), ec);
        if (ec) {
            Fail(*s, QStringLiteral("no temporary folder for the parameter file"));
            return true;
        }
        s->startDir = start;
        return true;
    });
    if (printer)
        AddStoppedSearchSteps(*seq);
    AddSensorSteps(*seq, 1, QStringLiteral("2.5"), reflective::kAdjustButton,
                   {reflective::kMarkButton, reflective::kNoPaperButton}, true);
    AddSensorSteps(*seq, 2, QStringLiteral("2.0"), transmissive::kAdjustButton,
                   {transmissive::kNoPaperButton, transmissive::kPaperButton}, false);

    // Every box the tool would show ends the run with its text instead of waiting for a click.
    seq->previousHook = tarvello::ui::SetMessageHook([s](const tarvello::ui::MessageRecord& r) {
        if (s->expectBox) {
            s->expectBox = false;
            s->shownBox = r;
            return;
        }
        const QString port = QString::fromStdString(PortDeviceName(g_PortSettings.load().nPort));
        QString what = QStringLiteral("the tool showed \"%1\" (port %2)").arg(r.text, port);
        if (!r.informativeText.isEmpty())
            what += QStringLiteral(": ") + r.informativeText;
        Fail(*s, what);
    });
    QTimer::singleShot(200, dlg, [dlg, seq] {
        auto* timer = new QTimer(dlg);
        QObject::connect(timer, &QTimer::timeout, dlg, [seq, timer] {
            if (seq->busy)
                return;
            seq->busy = true;
            const bool finished = Tick(*seq);
            seq->busy = false;
            if (finished)
                timer->stop();
        });
        timer->start(kPollMs);
    });
}
