// The tool's message boxes and its beep. Tests (and --screenshots) install hooks that record
// them instead of showing a box or sounding the speaker.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class CIniFile;
class QWidget;

namespace tarvello::ui {

// The caption of every message of the tool.
inline const char kNoteCaption[] = "Note:";
// "串口未打开!": a sensor page handler found the port closed.
inline const char kPortNotOpenText[] = QT_TRANSLATE_NOOP("NoteBox", "串口未打开!");
// "串口打开错误!": the port page could not open the port or the printer did not answer.
inline const char kPortOpenErrorText[] = QT_TRANSLATE_NOOP("NoteBox", "串口打开错误!");
// One of the texts above as the box shows it: in the installed language.
QString NoteText(const char* text);

struct MessageRecord {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString informativeText; // below the text, in the box's smaller type; empty: none
};

// A message box owned by owner with the caption "Note:", an information icon and an OK button;
// returns after the user has closed it. informativeText, when given, stands below the text
// (why it happened, what to look at).
void ShowNote(QWidget* owner, const QString& text, const QString& informativeText = QString());
// The box ShowNote shows for a record, not yet shown; the caller owns it (--screenshots takes
// its picture).
QMessageBox* CreateNoteBox(QWidget* owner, const MessageRecord& record);
// The message of a data exchange that refuses a field: caption "Tarvello", exclamation icon.
void ShowValidationMessage(QWidget* owner, const QString& text);

// A warning that does not hold up what goes on: the box opens and the caller carries on.
void ShowWarningWithoutWaiting(QWidget* owner, const QString& text);
// "参数文件保存失败!" with the file's full path and the reason, when a save through ini has failed
// since its last ClearSaveError (nothing otherwise): caption "Note:", a warning icon and an OK
// button. The box is modal to owner's window but returns at once, so that no handler waits
// for the technician and the adjustment's updates go on arriving.
void ReportSaveFailure(QWidget* owner, const CIniFile& ini);
// The text of that box.
QString SaveFailureText(const CIniFile& ini);
// A tone of frequency Hz for durationMs through the sound system where one exists (pages/Tone.h);
// where there is none, Beep on Windows and the system bell elsewhere. Never blocks the calling
// thread.
void SoundBeep(unsigned frequency, unsigned durationMs);

// A hook that receives every message instead of a box (nullptr: boxes again); returns the hook
// it replaces.
using MessageHook = std::function<void(const MessageRecord&)>;
MessageHook SetMessageHook(MessageHook hook);
// Tests: a hook that receives every beep instead of the speaker (nullptr: the speaker again).
using BeepHook = std::function<void(unsigned frequency, unsigned durationMs)>;
void SetBeepHook(BeepHook hook);

} // namespace tarvello::ui
