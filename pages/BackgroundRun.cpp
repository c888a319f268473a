#include "pages/BackgroundRun.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <thread>
#include <utility>

namespace tarvello::ui {

namespace {

struct Run {
    uint64_t id = 0;
    std::thread thread;
    QPointer<QObject> context;
    QPointer<QWidget> blockInput;
    QPointer<QWidget> focus; // the control that had the focus inside blockInput
    std::function<void()> done;
    RunKind kind = RunKind::Other;
};

RunKind s_nextKind = RunKind::Other; // UI thread only

// Takes blockInput's input away (or gives it back, with the focus where it was).
void BlockInput(Run& run, bool block) {
    if (!run.blockInput)
        return;
    if (block) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == run.blockInput || run.blockInput->isAncestorOf(focus)))
            run.focus = focus;
        run.blockInput->setEnabled(false);
        return;
    }
    run.blockInput->setEnabled(true);
    if (run.focus && run.focus->isEnabled() && run.focus->isVisible())
        run.focus->setFocus();
}

// UI thread only.
std::list<std::unique_ptr<Run>>& Runs() {
    static std::list<std::unique_ptr<Run>> runs;
    return runs;
}

void Finish(uint64_t id) {
    auto& runs = Runs();
    for (auto it = runs.begin(); it != runs.end(); ++it) {
        if ((*it)->id != id)
            continue;
        std::unique_ptr<Run> owned = std::move(*it);
        runs.erase(it);
        // The work has ended before it posted this call: the join returns at once.
        owned->thread.join();
        BlockInput(*owned, false);
        if (owned->context && owned->done)
            owned->done();
        if (Runs().empty())
            emit CBackgroundRunNotifier::Instance()->idle();
        return;
    }
    // Not found: the run was joined by WaitBackgroundRuns; nothing to apply.
}

} // namespace

CBackgroundRunNotifier* CBackgroundRunNotifier::Instance() {
    static CBackgroundRunNotifier* notifier = new CBackgroundRunNotifier;
    return notifier;
}

namespace {
std::atomic<unsigned> g_postedEvents{0};

void PublishPosted() {
    g_postedEvents.fetch_add(1, std::memory_order_release);
}

// Qt copies a posted call into memory it allocates itself, after the caller let go of it. Each
// copy ends with a release and the call begins with the matching acquire, so the captures are
// ordered for every checker (Qt's own queue lock orders them too, out of ThreadSanitizer's sight).
class CHandedCall {
  public:
    explicit CHandedCall(std::function<void()> fn) : m_fn(std::move(fn)) { PublishPosted(); }
    CHandedCall(const CHandedCall& other) : m_fn(other.m_fn) { PublishPosted(); }
    CHandedCall(CHandedCall&& other) noexcept : m_fn(std::move(other.m_fn)) { PublishPosted(); }

    void operator()() const {
        AcceptPostedEvents();
        m_fn();
    }

  private:
    std::function<void()> m_fn;
};
} // namespace

void PostToUi(QObject* receiver, std::function<void()> fn) {
    QMetaObject::invokeMethod(receiver, CHandedCall(std::move(fn)), Qt::QueuedConnection);
}

void PostEventToUi(QObject* receiver, QEvent* event) {
    PublishPosted();
    QCoreApplication::postEvent(receiver, event);
}

void AcceptPostedEvents() {
    (void)g_postedEvents.load(std::memory_order_acquire);
}

void RunInBackground(QObject* context, QWidget* blockInput, std::function<void()> work,
                     std::function<void()> done) {
    auto run = std::make_unique<Run>();
    static uint64_t s_nextId = 0;
    Run* raw = run.get();
    raw->id = ++s_nextId;
    raw->context = context;
    raw->blockInput = blockInput;
    raw->done = std::move(done);
    raw->kind = std::exchange(s_nextKind, RunKind::Other);
    BlockInput(*raw, true);
    QObject* notifier = CBackgroundRunNotifier::Instance();
    Runs().push_back(std::move(run));
    raw->thread = std::thread([id = raw->id, notifier, work = std::move(work)] {
        if (work)
            work();
        PostToUi(notifier, [id] { Finish(id); });
    });
}

void LabelNextRun(RunKind kind) {
    s_nextKind = kind;
}

RunKind ActiveRunKind() {
    for (const auto& run : Runs()) {
        if (run->kind != RunKind::Other)
            return run->kind;
    }
    return RunKind::Other;
}

bool BackgroundRunActive() {
    return !Runs().empty();
}

void WaitBackgroundRuns() {
    auto& runs = Runs();
    while (!runs.empty()) {
        std::unique_ptr<Run> run = std::move(runs.front());
        runs.pop_front();
        run->thread.join();
        BlockInput(*run, false);
    }
}

} // namespace tarvello::ui
