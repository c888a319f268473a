#include "app/NoteBox.h"

#include <QApplication>

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
    if (!record.informativeText.isEmpty())
        box.setInformativeText(record.informativeText);
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
