// The main window's language commands, beside its About command: the window's menu (and on
// Windows its system menu) offers both languages with the one of the next start checked; a
// choice is remembered in the settings store and applies from the next start.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>

#include "app/Language.h"
#include "app/TarvelloDlg.h"
#include "pages/NoteBox.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// The system menu commands of the two languages (the About box has 0x0010).
constexpr unsigned kIdmLanguageZh = 0x0020;
constexpr unsigned kIdmLanguageEn = 0x0030;

} // namespace
#endif

void CTarvelloDlg::AddLanguageCommands() {
    using tarvello::app::Language;
    // Each entry names its language in a way a reader of either one finds it.
    const char* const texts[] = {QT_TRANSLATE_NOOP("TarvelloDlg", "界面: 中文"),
                                 QT_TRANSLATE_NOOP("TarvelloDlg", "界面: English")};
    m_langNext = tarvello::app::InstalledLanguage();
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    auto* group = new QActionGroup(this);
    for (int i = 0; i < 2; ++i) {
        const Language language = i == 0 ? Language::Chinese : Language::English;
        auto* action = new QAction(QCoreApplication::translate("TarvelloDlg", texts[i]), group);
        action->setObjectName(QStringLiteral("language-") + tarvello::app::LanguageCode(language));
        action->setCheckable(true);
        action->setChecked(language == m_langNext);
        connect(action, &QAction::triggered, this, [this, language] { OnLanguage(language); });
        addAction(action);
        m_actLanguage[i] = action;
    }
#ifdef _WIN32
    if (HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (int i = 0; i < 2; ++i) {
            const QString text = m_actLanguage[i]->text();
            ::AppendMenuW(menu, MF_STRING, i == 0 ? kIdmLanguageZh : kIdmLanguageEn,
                          reinterpret_cast<const wchar_t*>(text.utf16()));
        }
        ::CheckMenuRadioItem(menu, kIdmLanguageZh, kIdmLanguageEn,
                             m_langNext == Language::English ? kIdmLanguageEn : kIdmLanguageZh,
                             MF_BYCOMMAND);
    }
#endif
}

#ifdef _WIN32
bool CTarvelloDlg::OnLanguageSysCommand(unsigned command) {
    if (command != kIdmLanguageZh && command != kIdmLanguageEn)
        return false;
    if (isEnabled())
        OnLanguage(command == kIdmLanguageEn ? tarvello::app::Language::English
                                             : tarvello::app::Language::Chinese);
    return true;
}
#endif

void CTarvelloDlg::OnLanguage(tarvello::app::Language language) {
    using tarvello::app::Language;
    if (!tarvello::app::RememberLanguage(language)) {
        // Nothing changes: the menu keeps the language of the next start as it was.
        m_actLanguage[m_langNext == Language::English ? 1 : 0]->setChecked(true);
        tarvello::ui::ShowNote(
            this, QCoreApplication::translate("TarvelloDlg", "无法保存界面语言的选择。"));
        return;
    }
    m_langNext = language;
    m_actLanguage[language == Language::English ? 1 : 0]->setChecked(true);
#ifdef _WIN32
    if (HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE))
        ::CheckMenuRadioItem(menu, kIdmLanguageZh, kIdmLanguageEn,
                             language == Language::English ? kIdmLanguageEn : kIdmLanguageZh,
                             MF_BYCOMMAND);
#endif
    if (language != tarvello::app::InstalledLanguage()) {
        tarvello::ui::ShowNote(
            this, QCoreApplication::translate("TarvelloDlg", "界面语言在下次启动时切换。"));
    }
}
