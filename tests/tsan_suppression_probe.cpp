// Proof that tests/tsan.supp does not hide the tool's own races: a plain int raced between a
// worker thread and the UI thread, through a posted call (tarvello::ui::PostToUi) or through a
// posted event (QCoreApplication::postEvent), must be reported with the suppressions on. It is
// racy on purpose, so it is in no build and no test run; to run the check by hand after
// `cmake --preset tsan && cmake --build --preset tsan`:
//
//   moc=/usr/lib/qt6/libexec/moc; $moc -I. pages/BackgroundRun.h -o /tmp/moc_probe.cpp
//   g++ -std=c++17 -g -fsanitize=thread -fPIC -I. $(pkg-config --cflags Qt6Widgets) \
//     tests/tsan_suppression_probe.cpp pages/BackgroundRun.cpp /tmp/moc_probe.cpp \
//     $(pkg-config --libs Qt6Widgets) -o /tmp/tsan_probe
//   export QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=suppressions=$PWD/tests/tsan.supp
//   /tmp/tsan_probe; /tmp/tsan_probe event     # each: "WARNING: ThreadSanitizer: data race"
//
// With "race:libQt6Core.so" in the file instead, both runs report nothing.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <thread>

#include "pages/BackgroundRun.h"

namespace {

int g_plain = 0; // deliberately unsynchronised

class Receiver : public QObject {
  protected:
    void customEvent(QEvent*) override { g_plain += 1; } // the UI thread
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Receiver receiver;
    const bool viaEvent = argc > 1;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            if (viaEvent)
                QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
            else
                tarvello::ui::PostToUi(&receiver, [] { g_plain += 1; });
            g_plain += 2; // after posting: races with the UI thread's access
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QTimer::singleShot(500, &app, &QCoreApplication::quit);
    app.exec();
    worker.join();
    return 0;
}
