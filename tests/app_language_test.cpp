// The interface's language: the codes, the choice remembered in the platform's settings store
// (never in the parameter file), and the English interface: no Chinese character left in any
// text a person or a screen reader meets, the messages in English.
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QSettings>

#include <memory>

#include "app/AboutDlg.h"
#include "app/Language.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "pages/PageSensor.h"
#include "pages/ToolSettings.h"
#include "res/TemplateText.h"

using namespace tarvello::app;
using uitest::Find;

namespace {

bool HasCjk(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // CJK symbols and punctuation, kana, ideographs, full-width forms.
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
            (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// Every text of the window and its pages that a person sees or a screen reader announces,
// each with where it was found.
std::vector<std::pair<QString, QString>> VisibleTexts(QWidget* window) {
    std::vector<std::pair<QString, QString>> texts;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        const QString where = w->metaObject()->className() + QStringLiteral(" ") + w->objectName();
        texts.push_back({w->windowTitle(), where + QStringLiteral(" title")});
        texts.push_back({w->toolTip(), where + QStringLiteral(" tooltip")});
        texts.push_back({w->accessibleName(), where + QStringLiteral(" accessible name")});
        texts.push_back({w->accessibleDescription(), where + QStringLiteral(" description")});
        if (auto* label = qobject_cast<QLabel*>(w))
            texts.push_back({label->text(), where});
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts.push_back({button->text(), where});
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts.push_back({edit->text() + edit->placeholderText(), where});
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                texts.push_back({list->itemText(i), where + QStringLiteral(" item")});
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts.push_back({tabs->tabText(i), where + QStringLiteral(" tab")});
        }
        for (QAction* action : w->actions())
            texts.push_back({action->text(), where + QStringLiteral(" action")});
    }
    return texts;
}

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
    // The command line wins over it.
    EXPECT_EQ(StartLanguage(std::nullopt), Language::English);
    EXPECT_EQ(StartLanguage(Language::Chinese), Language::Chinese);
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

TEST_F(InterfaceLanguage, SettingsKeptWithoutAnOrganizationMoveIntoTheStore) {
    // Earlier versions kept the plant database and the chosen profile there.
    QSettings old(QSettings::NativeFormat, QSettings::UserScope, QString(), "Tarvello");
    old.setValue("plant/conninfo", "host=plant dbname=tarvello");
    old.setValue("language", "en");
    old.sync();
    ASSERT_TRUE(RememberLanguage(Language::Chinese)); // the store's own value stays
    tarvello::ui::MoveUnnamedOrganizationSettings();
    QSettings store = tarvello::ui::ToolSettings();
    EXPECT_EQ(store.value("plant/conninfo").toString(), "host=plant dbname=tarvello");
    EXPECT_EQ(RememberedLanguage(), Language::Chinese);
    old.sync();
    EXPECT_TRUE(old.allKeys().isEmpty());
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

TEST_F(InterfaceLanguage, MenuChoiceIsRememberedAndAppliesAtTheNextStart) {
    auto dlg = std::make_unique<CTarvelloDlg>();
    dlg->show();
    auto* zh = dlg->findChild<QAction*>(QStringLiteral("language-zh"));
    auto* en = dlg->findChild<QAction*>(QStringLiteral("language-en"));
    ASSERT_TRUE(zh && en);
    EXPECT_TRUE(dlg->actions().contains(zh) && dlg->actions().contains(en)); // beside About
    EXPECT_TRUE(zh->isChecked());
    EXPECT_FALSE(en->isChecked());
    en->trigger();
    EXPECT_EQ(RememberedLanguage(), Language::English);
    EXPECT_TRUE(en->isChecked());
    EXPECT_EQ(InstalledLanguage(), Language::Chinese); // this run stays as it started
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("界面语言在下次启动时切换。"));
    zh->trigger(); // back to the language shown: nothing to say
    EXPECT_EQ(RememberedLanguage(), Language::Chinese);
    EXPECT_EQ(messages.size(), 1u);

    // A settings store that cannot be written: the choice is not taken, and the window says so.
    std::filesystem::remove_all("Tarvello");
    uitest::WriteFile("Tarvello", "not a folder");
    en->trigger();
    EXPECT_TRUE(zh->isChecked());
    EXPECT_EQ(RememberedLanguage(), Language::Chinese);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("无法保存界面语言的选择。"));
}

TEST_F(InterfaceLanguage, EnglishWindowHasNoChineseText) {
    ASSERT_TRUE(InstallLanguage(Language::English));
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, 0);
    dlg->show();
    for (int i = 0; i < dlg->Sheet()->count(); ++i)
        dlg->Sheet()->setCurrentIndex(i);
    int checked = 0;
    for (const auto& [text, where] : VisibleTexts(dlg.get())) {
        EXPECT_FALSE(HasCjk(text)) << where.toStdString() << ": " << text.toStdString();
        checked += text.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(checked, 60); // the walk found the pages' texts
}

TEST_F(InterfaceLanguage, EnglishAboutBoxShowsItsWholeTexts) {
    ASSERT_TRUE(InstallLanguage(Language::English));
    CAboutDlg about;
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tarvello"));
    for (const auto& [text, where] : VisibleTexts(&about))
        EXPECT_FALSE(HasCjk(text)) << where.toStdString() << ": " << text.toStdString();
    for (QLabel* label : about.findChildren<QLabel*>()) {
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << label->text().toStdString();
    }
}

TEST_F(InterfaceLanguage, MessagesInEnglish) {
    ASSERT_TRUE(InstallLanguage(Language::English));
    CPage1::ResetFirstActivation();
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort("/dev/tarvello-no-such-port"));
    dlg->show();
    // A sensor page's handler with the port closed.
    dlg->Sheet()->setCurrentIndex(1);
    auto* page = qobject_cast<CSensorPage*>(dlg->Sheet()->widget(1));
    Find<QPushButton>(page, 1059)->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Note:"));
    EXPECT_EQ(messages[0].text, QStringLiteral("Port not open!"));
    // A refused field.
    Find<QLineEdit>(page, 1033)->setText(QStringLiteral("256"));
    EXPECT_FALSE(page->UpdateData(true));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("Enter an integer from 0 to 255."));
    Find<QLineEdit>(page, 1033)->setText(QStringLiteral("0"));
    // A port that does not open: the box and its reason.
    dlg->Sheet()->setCurrentIndex(0);
    Find<QPushButton>(dlg->Sheet()->widget(0), 1016)->click();
    ASSERT_TRUE(uitest::WaitIdle());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].text, QStringLiteral("Port open error!"));
    EXPECT_EQ(messages[2].informativeText,
              QStringLiteral("The device /dev/tarvello-no-such-port does not exist. Check the "
                             "port, and that the USB serial adapter is plugged in."));
}

} // namespace
