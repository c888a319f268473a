// The language of the user interface. The tool's own texts are Chinese and are the default;
// English comes from the translation built from i18n/tarvello_en.ts. The choice is given with
// --lang en|zh or taken from the window's menu; the menu's choice is remembered between runs in
// the platform's settings store (QSettings: organisation and application "Tarvello", key
// "language"), never in parameterset.ini. A choice from the menu applies at the next start.
#pragma once

#include <QString>

#include <optional>

namespace tarvello::app {

enum class Language { Chinese, English };

// "zh" and "en" (any case); nullopt for anything else.
std::optional<Language> LanguageFromCode(const QString& code);
QString LanguageCode(Language language);
// The language remembered from an earlier run; Chinese when none or an unknown one is stored.
Language RememberedLanguage();
// Remembers the language for the next runs; false when the settings store could not be written.
bool RememberLanguage(Language language);

// The language of a start: the one of the command line when it names one, else the remembered
// one.
Language StartLanguage(std::optional<Language> commandLine);

// Makes the language the one of every text created from now on: English installs its
// translation into the application (the installed .qm file next to the program when there is
// one, the one built into the program otherwise), Chinese removes it. False when English was
// asked for and no translation could be loaded (the texts stay Chinese).
bool InstallLanguage(Language language);
// The language whose texts are shown now.
Language InstalledLanguage();

} // namespace tarvello::app
