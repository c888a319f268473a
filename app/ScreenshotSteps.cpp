// The steps of --screenshots that make its pictures, in groups (app/ScreenshotSequence.h).
#include "app/ScreenshotSequence.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include <cstdio>
#include <memory>
#include <system_error>

#include "app/Screenshots.h"
#include "app/TarvelloDlg.h"
#include "device/PortState.h"
#include "device/SerialPort.h"
#include "pages/BackgroundRun.h"
#include "records/VerdictText.h"
#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "sensor/AdjustRun.h"
#include "sensor/AdjustWorker.h"
#include "sim/VirtualPrinter.h"

using namespace tarvello::res::ids;

namespace screenshots {
namespace {

bool StatusFilled(CTarvelloDlg* dlg) {
    namespace id = tarvello::res::ids::mainwindow;
    for (int control : {id::kMicroSwitchEdit, id::kPresenceEdit, id::kRibbonEdit}) {
        auto* edit = qobject_cast<QLineEdit*>(dlg->Item(control));
        if (!edit || edit->text() == QLatin1String("0"))
            return false;
    }
    return true;
}

void SavePages(CTarvelloDlg* dlg, const QString& dir) {
    for (int i = 0; i < dlg->Sheet()->count(); ++i) {
        dlg->Sheet()->setCurrentIndex(i);
        Save(dlg, dir, QStringLiteral("page%1.png").arg(i + 1));
    }
    dlg->Sheet()->setCurrentIndex(0);
}

} // namespace

bool SavePicture(const QPixmap& picture, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    const bool ok = !picture.isNull() && picture.save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    std::fflush(stdout);
    return ok;
}

bool Save(CTarvelloDlg* dlg, const QString& dir, const QString& name) {
    return SavePicture(dlg->grab(), dir, name);
}

CSensorPage* SensorPage(CTarvelloDlg* dlg, int tab) {
    return qobject_cast<CSensorPage*>(dlg->Sheet()->widget(tab));
}

void Click(CSensorPage* page, int id) {
    if (auto* button = tarvello::res::Control<QPushButton>(page, id))
        button->click();
}

void SaveWithBox(CTarvelloDlg* dlg, const QString& dir, const QString& name,
                 const tarvello::ui::MessageRecord& record) {
    std::unique_ptr<QMessageBox> box(tarvello::ui::CreateNoteBox(dlg, record));
    box->show(); // lays the box out at its size
    const QPixmap face = box->grab();
    box->hide();
    SaveWithBoxFace(dlg, dir, name, face, record.caption);
}

void SaveWithBoxFace(CTarvelloDlg* dlg, const QString& dir, const QString& name,
                     const QPixmap& face, const QString& caption) {
    const QPixmap window = dlg->grab();
    const int bar = QFontMetrics(dlg->font()).height() + 8;
    // The box over the window's upper third, centred; a box wider than the window widens the
    // picture, as it stands out past the window on the screen.
    const QRect frame((window.width() - face.width()) / 2,
                      (window.height() - face.height() - bar) / 3, face.width(),
                      face.height() + bar);
    const QRect whole = QRect(QPoint(), window.size()).united(frame);
    QPixmap shot(whole.size());
    shot.fill(dlg->palette().color(QPalette::Window));
    QPainter painter(&shot);
    painter.translate(-whole.topLeft());
    painter.drawPixmap(0, 0, window);
    painter.fillRect(frame, dlg->palette().color(QPalette::Mid));
    painter.setPen(dlg->palette().color(QPalette::BrightText));
    painter.drawText(frame.adjusted(8, 0, 0, -face.height()), Qt::AlignVCenter, caption);
    painter.drawPixmap(frame.left(), frame.top() + bar, face);
    painter.setPen(dlg->palette().color(QPalette::Shadow));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.end();
    SavePicture(shot, dir, name);
}

QLabel* ProgressLine(CSensorPage* page) {
    return page->findChild<QLabel*>(QStringLiteral("adjustProgress"));
}

void AddOpenPortSteps(Sequence& seq) {
    CTarvelloDlg* dlg = seq.dlg;
    seq.steps.push_back([dlg] {
        if (auto* page1 = qobject_cast<CPage1*>(dlg->Sheet()->widget(0)))
            page1->OnOpenPort();
        return true;
    });
    Sequence* s = &seq; // the steps live in the sequence: no owning capture
    // The page's line while the open waits for the printer's answer (a printer that answers
    // within half a second leaves no picture of it).
    seq.steps.push_back([s] {
        if (!tarvello::ui::BackgroundRunActive())
            return true;
        if (s->waited < kOpenWaitPictureMs)
            return false;
        Save(s->dlg, s->dir, QStringLiteral("page1-opening.png"));
        return true;
    });
    seq.steps.push_back([s] {
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
}

void AddWorkFolderStep(Sequence& seq) {
    Sequence* s = &seq;
    seq.steps.push_back([s] {
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
}

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

void AddVerdictSteps(Sequence& seq) {
    Sequence* s = &seq;
    // Waits for the page to be idle, then saves its picture once the verdict line says word.
    const auto saveVerdict = [s](const QString& name, verdict::Outcome outcome) {
        return [s, name, outcome] {
            if (tarvello::ui::BackgroundRunActive() || IsAdjustmentRunning())
                return false;
            auto* line = SensorPage(s->dlg, 1)->findChild<QLabel*>(QStringLiteral("verdictLine"));
            if (!line || !line->isVisible() ||
                !line->text().contains(tarvello::records::OutcomeWord(outcome))) {
                Fail(*s, QStringLiteral("the verdict line shows \"%1\" for %2")
                             .arg(line ? line->text() : QString(), name));
                return true;
            }
            Save(s->dlg, s->dir, name);
            return true;
        };
    };
    // A dirty sensor: the search ends close to full light.
    auto before = std::make_shared<tarvello::sim::Conditions>();
    seq.steps.push_back([s, before] {
        if (tarvello::ui::BackgroundRunActive())
            return false;
        *before = s->printer->GetConditions();
        s->printer->SetConditions(tarvello::sim::Conditions{60, tarvello::sim::Stock::Standard});
        s->dlg->Sheet()->setCurrentIndex(1);
        CSensorPage* page = SensorPage(s->dlg, 1);
        if (auto* edit = tarvello::res::Control<QLineEdit>(page, reflective::kStandardEdit))
            edit->setText(QStringLiteral("2.5"));
        Click(page, reflective::kAdjustButton);
        return true;
    });
    seq.steps.push_back(
        saveVerdict(QStringLiteral("page2-verdict-marginal.png"), verdict::Outcome::kMarginal));
    // Then clear labels: the paper check's samples hardly differ.
    seq.steps.push_back([s] {
        s->printer->SetConditions(tarvello::sim::Conditions{60, tarvello::sim::Stock::Clear});
        Click(SensorPage(s->dlg, 1), sensorpage::kCheckButton);
        return true;
    });
    seq.steps.push_back(
        saveVerdict(QStringLiteral("page2-verdict-fail.png"), verdict::Outcome::kFail));
    seq.steps.push_back([s, before] {
        s->printer->SetConditions(*before);
        return true;
    });
}

} // namespace screenshots

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
