#include "app/Language.h"
#include "pages/ToolSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTranslator>

#include <memory>

namespace tarvello::app {

namespace {

constexpr char kKey[] = "language";
constexpr char kQmName[] = "tarvello_en.qm";

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// The installed translation (share/tarvello/translations beside the program's bin folder)
// first, so that an updated file replaces the built-in one; then the built-in one.
std::unique_ptr<QTranslator> LoadEnglish() {
    const QString installed =
        QDir(QCoreApplication::applicationDirPath())
            .absoluteFilePath(QStringLiteral("../share/tarvello/translations/") +
                              QLatin1String(kQmName));
    auto translator = std::make_unique<QTranslator>();
    if (QFileInfo::exists(installed) && translator->load(installed))
        return translator;
    if (translator->load(QStringLiteral(":/i18n/") + QLatin1String(kQmName)))
        return translator;
    return nullptr;
}

} // namespace

std::optional<Language> LanguageFromCode(const QString& code) {
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("zh"))
        return Language::Chinese;
    if (c == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

QString LanguageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

Language RememberedLanguage() {
    const std::optional<Language> stored =
        LanguageFromCode(tarvello::ui::ToolSettings().value(QLatin1String(kKey)).toString());
    return stored.value_or(Language::Chinese);
}

bool RememberLanguage(Language language) {
    QSettings settings = tarvello::ui::ToolSettings();
    settings.setValue(QLatin1String(kKey), LanguageCode(language));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

Language StartLanguage(std::optional<Language> commandLine) {
    return commandLine ? *commandLine : RememberedLanguage();
}

bool InstallLanguage(Language language) {
    std::unique_ptr<QTranslator>& installed = Installed();
    if (language == Language::Chinese) {
        if (installed)
            QCoreApplication::removeTranslator(installed.get());
        installed.reset();
        return true;
    }
    if (installed)
        return true;
    std::unique_ptr<QTranslator> english = LoadEnglish();
    if (!english || !QCoreApplication::installTranslator(english.get()))
        return false;
    installed = std::move(english);
    return true;
}

Language InstalledLanguage() {
    return Installed() ? Language::English : Language::Chinese;
}

} // namespace tarvello::app
