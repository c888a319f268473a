#include "app/NoteBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QSpacerItem>

#include <thread>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tarvello::ui {

namespace {

MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

// The least width of a box with an informative text, in pixels.
constexpr int kInformativeWidth = 340;

BeepHook& Beeper() {
    static BeepHook hook;
    return hook;
}

void Show(QWidget* owner, const MessageRecord& record) {
    if (Hook()) {
        Hook()(record);
        return;
    }
    QMessageBox box(record.icon, record.caption, record.text, QMessageBox::Ok, owner);
    if (!record.informativeText.isEmpty()) {
        box.setInformativeText(record.informativeText);
        // A reason of a few sentences reads better in lines of some length than in the narrow
        // column a short text would give the box.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
            grid->addItem(
                new QSpacerItem(kInformativeWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

} // namespace

void ShowNote(QWidget* owner, const QString& text, const QString& informativeText) {
    Show(owner,
         {QString::fromLatin1(kNoteCaption), text, QMessageBox::Information, informativeText});
}

void ShowValidationMessage(QWidget* owner, const QString& text) {
    Show(owner, {QStringLiteral("Tarvello"), text, QMessageBox::Warning, QString()});
}

void SoundBeep(unsigned frequency, unsigned durationMs) {
    if (Beeper()) {
        Beeper()(frequency, durationMs);
        return;
    }
#ifdef _WIN32
    // Beep blocks for its duration: sound it on a thread of its own.
    std::thread([frequency, durationMs] { ::Beep(frequency, durationMs); }).detach();
#else
    (void)frequency;
    (void)durationMs;
    QApplication::beep();
#endif
}

void SetMessageHook(MessageHook hook) {
    Hook() = std::move(hook);
}

void SetBeepHook(BeepHook hook) {
    Beeper() = std::move(hook);
}

} // namespace tarvello::ui
