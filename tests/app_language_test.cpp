// The interface's language: the codes, the choice remembered in the platform's settings store
// (never in the parameter file), and the English interface: no Chinese character left in any
// text a person or a screen reader meets, the messages in English.
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QSettings>

#include <memory>

#include "app/Language.h"
#include "app/TarvelloDlg.h"
#include "res/TemplateText.h"

using namespace tarvello::app;

namespace {

class InterfaceLanguage : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        // The settings store in this test's working directory, never the user's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(std::filesystem::current_path().string()));
    }
    void TearDown() override {
        InstallLanguage(Language::Chinese);
        uitest::UiTest::TearDown();
    }
};

TEST(LanguageCodes, OnlyZhAndEn) {
    EXPECT_EQ(LanguageFromCode(QStringLiteral("en")), Language::English);
    EXPECT_EQ(LanguageFromCode(QStringLiteral(" EN ")), Language::English);
    EXPECT_EQ(LanguageFromCode(QStringLiteral("zh")), Language::Chinese);
    for (const char* refused : {"", "de", "english", "zh_CN", "e"})
        EXPECT_EQ(LanguageFromCode(QString::fromLatin1(refused)), std::nullopt) << refused;
    EXPECT_EQ(LanguageCode(Language::English), QStringLiteral("en"));
    EXPECT_EQ(LanguageCode(Language::Chinese), QStringLiteral("zh"));
}

TEST_F(InterfaceLanguage, RememberedInTheSettingsStoreNotTheParameterFile) {
    EXPECT_EQ(RememberedLanguage(), Language::Chinese); // nothing stored yet
    ASSERT_TRUE(RememberLanguage(Language::English));
    EXPECT_EQ(RememberedLanguage(), Language::English);
    EXPECT_TRUE(std::filesystem::exists("Tarvello/Tarvello.conf"));
    EXPECT_FALSE(std::filesystem::exists("parameterset.ini"));
    ASSERT_TRUE(RememberLanguage(Language::Chinese));
    EXPECT_EQ(RememberedLanguage(), Language::Chinese);
    // A value the tool does not know (edited by hand) falls back to the default.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarvello"),
              QStringLiteral("Tarvello"))
        .setValue(QStringLiteral("language"), QStringLiteral("fr"));
    EXPECT_EQ(RememberedLanguage(), Language::Chinese);
}

TEST_F(InterfaceLanguage, InstallingEnglishTranslatesAndChineseRestoresTheToolsOwnTexts) {
    EXPECT_EQ(InstalledLanguage(), Language::Chinese);
    ASSERT_TRUE(InstallLanguage(Language::English));
    EXPECT_TRUE(InstallLanguage(Language::English)); // twice is once
    EXPECT_EQ(InstalledLanguage(), Language::English);
    EXPECT_EQ(tarvello::res::TemplateText("打开端口"), QStringLiteral("Open port"));
    EXPECT_EQ(tarvello::res::TemplateText("偶"), QStringLiteral("Even"));
    ASSERT_TRUE(InstallLanguage(Language::Chinese));
    EXPECT_EQ(InstalledLanguage(), Language::Chinese);
    EXPECT_EQ(tarvello::res::TemplateText("打开端口"), QStringLiteral("打开端口"));
}

} // namespace
