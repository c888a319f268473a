#include "app/Screenshots.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/BackgroundRun.h"
#include "app/TarvelloDlg.h"

namespace {

bool StatusFilled(CTarvelloDlg* dlg) {
    for (int id : {1021, 1042, 1048}) {
        auto* edit = qobject_cast<QLineEdit*>(dlg->Item(id));
        if (!edit || edit->text() == QLatin1String("0"))
            return false;
    }
    return true;
}

void SavePages(CTarvelloDlg* dlg, const QString& dir) {
    QDir().mkpath(dir);
    for (int i = 0; i < dlg->Sheet()->count(); ++i) {
        dlg->Sheet()->setCurrentIndex(i);
        const QString path = QDir(dir).filePath(QStringLiteral("page%1.png").arg(i + 1));
        const bool ok = dlg->grab().save(path);
        std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    }
    std::fflush(stdout);
    dlg->Sheet()->setCurrentIndex(0);
}

} // namespace

void StartScreenshots(CTarvelloDlg* dlg, const QString& dir) {
    QTimer::singleShot(200, dlg, [dlg, dir] {
        if (auto* page1 = qobject_cast<CPage1*>(dlg->Sheet()->widget(0)))
            page1->OnOpenPort();
        auto* timer = new QTimer(dlg);
        auto waited = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, dlg, [dlg, dir, timer, waited] {
            *waited += 100;
            if (tarvello::ui::BackgroundRunActive() || (!StatusFilled(dlg) && *waited < 10000))
                return;
            timer->stop();
            SavePages(dlg, dir);
            dlg->done(0);
        });
        timer->start(100);
    });
}
