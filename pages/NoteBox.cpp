#include "pages/NoteBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QSpacerItem>

#include <cerrno>
#include <memory>
#include <thread>
#include <utility>

#include "pages/Tone.h"
#include "store/IniFile.h"

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
    std::unique_ptr<QMessageBox> box(CreateNoteBox(owner, record));
    box->exec();
}

// Why a save failed, in the window's language where the reason is a common one (the system's
// own text otherwise).
QString SaveFailureReason(const CIniFile& ini) {
    switch (ini.SaveErrorNumber()) {
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("NoteBox", "文件只读或没有写入权限");
    case EROFS:
        return QCoreApplication::translate("NoteBox", "文件系统只读");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QCoreApplication::translate("NoteBox", "磁盘空间不足");
    case ENOENT:
    case ENOTDIR:
        return QCoreApplication::translate("NoteBox", "文件夹不存在");
    case EISDIR:
        return QCoreApplication::translate("NoteBox", "不是普通文件");
    case 0:
        return QCoreApplication::translate("NoteBox", "无法写入文件");
    default:
        return QString::fromLocal8Bit(ini.SaveErrorText().c_str());
    }
}

} // namespace

QString NoteText(const char* text) {
    return QCoreApplication::translate("NoteBox", text);
}

QMessageBox* CreateNoteBox(QWidget* owner, const MessageRecord& record) {
    auto* box = new QMessageBox(record.icon, record.caption, record.text, QMessageBox::Ok, owner);
    if (!record.informativeText.isEmpty()) {
        box->setInformativeText(record.informativeText);
        // A reason of a few sentences reads better in lines of some length than in the narrow
        // column a short text would give the box.
        if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
            grid->addItem(
                new QSpacerItem(kInformativeWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

QString SaveFailureText(const CIniFile& ini) {
    return QCoreApplication::translate("NoteBox", "参数文件保存失败!\n文件: %1\n原因: %2")
        .arg(QFileInfo(QString::fromLocal8Bit(ini.GetFileName().c_str())).absoluteFilePath(),
             SaveFailureReason(ini));
}

void ReportSaveFailure(QWidget* owner, const CIniFile& ini) {
    if (!ini.SaveFailed())
        return;
    const MessageRecord record{QString::fromLatin1(kNoteCaption), SaveFailureText(ini),
                               QMessageBox::Warning, QString()};
    if (Hook()) {
        Hook()(record);
        return;
    }
    auto* box = new QMessageBox(record.icon, record.caption, record.text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ShowWarningWithoutWaiting(QWidget* owner, const QString& text) {
    const MessageRecord record{QString::fromLatin1(kNoteCaption), text, QMessageBox::Warning,
                               QString()};
    if (Hook()) {
        Hook()(record);
        return;
    }
    auto* box = new QMessageBox(record.icon, record.caption, record.text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

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
    if (PlayTone(frequency, durationMs))
        return;
#ifdef _WIN32
    // Beep blocks for its duration: sound it on a thread of its own.
    std::thread([frequency, durationMs] { ::Beep(frequency, durationMs); }).detach();
#else
    QApplication::beep(); // no sound system: the bell is all there is
#endif
}

MessageHook SetMessageHook(MessageHook hook) {
    MessageHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

void SetBeepHook(BeepHook hook) {
    Beeper() = std::move(hook);
}

} // namespace tarvello::ui
