// Runs a handler's exchanges on a worker thread while the window takes no input, and applies
// the result on the user-interface thread through a posted call. The window keeps painting
// during the exchange; no processEvents loop runs on the UI thread.
#pragma once

#include <QObject>

#include <functional>

class QEvent;
class QWidget;

namespace tarvello::ui {

// What a run does, for the window that asks before closing in the middle of one.
enum class RunKind { Other, Open, Adjustment, Reading, Check };

// Starts work on a worker thread with blockInput disabled (nullptr: nothing disabled; the pages
// pass their window, so that nothing of it takes input). When the work has ended, blockInput is
// enabled again, the control that had the focus in it gets it back, and done runs on the UI
// thread, unless context has been destroyed meanwhile. Call on the UI thread only.
void RunInBackground(QObject* context, QWidget* blockInput, std::function<void()> work,
                     std::function<void()> done);
// The kind of the next run RunInBackground starts (one run only; then Other again).
void LabelNextRun(RunKind kind);
// The kind of the first active run that has one, or Other.
RunKind ActiveRunKind();
// Posts fn to run on the UI thread in the context of receiver (dropped if it is destroyed
// first). Safe from any thread; never waits.
void PostToUi(QObject* receiver, std::function<void()> fn);
// Posts an event made on a worker thread to receiver. The event's handler calls
// AcceptPostedEvents() before it reads the event: the pair orders the event's construction
// before its use with an atomic of our own, so the handover is proven without relying on the
// ordering inside Qt's event queue, which the thread checker cannot see.
void PostEventToUi(QObject* receiver, QEvent* event);
void AcceptPostedEvents();
// True while a run has not finished (its done has not run yet).
bool BackgroundRunActive();
// Joins every worker thread (blocking). For destructors only; their done calls are dropped.
void WaitBackgroundRuns();

// Emits idle() on the UI thread each time the last active run has finished.
class CBackgroundRunNotifier : public QObject {
    Q_OBJECT
  public:
    static CBackgroundRunNotifier* Instance();
  signals:
    void idle();
};

} // namespace tarvello::ui
