// The sensor pages' handlers without a printer: the port check of every handler, the
// refusal of a typed standard or intensity before anything is saved, sent or started, the
// adjustment's update event (display on every event, enable and save on a reading in the
// band) and the place of the progress line and its stop control, with room for their texts.
#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <memory>

#include "app/Language.h"
#include "app/TarvelloDlg.h"
#include "device/StatusMonitor.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
#include "pages/PageAdjustProgress.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

using uitest::Find;
using uitest::ReadFile;
using uitest::WriteFile;

namespace {

class SensorPages : public uitest::UiTest {
  protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        g_fAdjustResult = 0.0f;
        dlg = std::make_unique<CTarvelloDlg>();
        dlg->show();
        p2 = qobject_cast<CPage2*>(dlg->Sheet()->widget(1));
        p3 = qobject_cast<CPage3*>(dlg->Sheet()->widget(2));
        ASSERT_TRUE(p2 && p3);
    }
    void TearDown() override {
        g_bPortOpen = false;
        dlg.reset();
        tarvello::app::InstallLanguage(tarvello::app::Language::Chinese);
        uitest::UiTest::TearDown();
    }
    QString Text(QWidget* page, int id) { return Find<QLineEdit>(page, id)->text(); }
    void Type(QWidget* page, int id, const QString& text) {
        Find<QLineEdit>(page, id)->setText(text);
    }
    QLabel* Progress(QWidget* page) { return page->findChild<QLabel*>("adjustProgress"); }
    // Posts the worker's update event to the page and lets the event loop deliver it: a reading
    // on the way of a run of the page's sensor, or (success) the reading of a successful frame.
    void PostUpdate(QWidget* page, int type, float result, int level, int intensity,
                    bool success = false) {
        const Sensor sensor = page == p2 ? Sensor::Reflective : Sensor::Transmissive;
        if (!m_runNoted || LatestAdjustRun().sensor != sensor)
            NoteAdjustRunStart(sensor); // this test's run
        m_runNoted = true;
        if (success) {
            NoteAdjustFrame(level, intensity);
            NoteAdjustReply(true, 3, 100, result);
            NoteAdjustEnd(AdjustEnd::kSuccess);
        }
        g_fAdjustResult = result;
        g_nSensitivity = level;
        g_nIntensity = intensity;
        QCoreApplication::postEvent(page, new QEvent(static_cast<QEvent::Type>(type)));
        QCoreApplication::sendPostedEvents(page);
    }
    bool m_runNoted = false;
    // Nothing was sent, saved or started.
    void ExpectNothingHappened() {
        EXPECT_FALSE(std::filesystem::exists("parameterset.ini"));
        EXPECT_FALSE(IsAdjustmentRunning());
        EXPECT_FALSE(tarvello::ui::BackgroundRunActive());
        EXPECT_EQ(CMonitorThread().SuspendCount(), 0);
    }

    // The progress line and its stop control on both sensor pages: below the controls, and
    // room for every text they show in the language installed.
    void ExpectProgressRowHoldsItsTexts() {
        for (int tab : {1, 2}) {
            dlg->Sheet()->setCurrentIndex(tab);
            QWidget* page = dlg->Sheet()->widget(tab);
            QLabel* label = Progress(page);
            ASSERT_NE(label, nullptr);
            EXPECT_FALSE(label->isVisible());
            EXPECT_TRUE(page->rect().contains(label->geometry()));
            for (QWidget* w : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (w == label || w->objectName().toInt() <= 0)
                    continue;
                EXPECT_FALSE(w->geometry().intersects(label->geometry()))
                    << w->objectName().toStdString();
            }
            const QFontMetrics fm(label->font());
            EXPECT_LE(fm.height(), label->contentsRect().height());

            // The stop control at the row's right end: on the page, over no control, its text
            // whole.
            auto* stop = page->findChild<QPushButton*>("adjustStop");
            ASSERT_NE(stop, nullptr);
            EXPECT_FALSE(stop->isVisible());
            EXPECT_TRUE(page->rect().contains(stop->geometry()));
            for (QWidget* w : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (w->objectName().toInt() > 0) {
                    EXPECT_FALSE(w->geometry().intersects(stop->geometry()))
                        << w->objectName().toStdString();
                }
            }
            EXPECT_LE(QFontMetrics(stop->font()).horizontalAdvance(stop->text()) + 4,
                      stop->width());
            // The longest texts: those of a running search beside the stop control, those of an
            // ended one across the row.
            g_nSensitivity = 3;
            g_nIntensity = 255;
            AdjustRunState run;
            run.passes = 99999;
            run.level = 3;
            run.intensity = 255;
            const int beside = stop->geometry().left() - label->geometry().left() -
                               (label->width() - label->contentsRect().width());
            std::vector<AdjustRunState> running(4, run);
            running[1].passesNoReading = 99999;
            running[1].lastReplyEmpty = true;
            running[2].passesNoReading = 99999;
            running[3].allLevelsTried = true;
            for (const AdjustRunState& r : running) {
                const QString text = AdjustProgressText(r, true, false, 0.0f);
                EXPECT_LT(fm.horizontalAdvance(text), beside) << text.toStdString();
            }
            for (AdjustEnd end :
                 {AdjustEnd::kSuccess, AdjustEnd::kStoppedByUser, AdjustEnd::kStoppedByPage,
                  AdjustEnd::kStopped, AdjustEnd::kPortClosed, AdjustEnd::kWriteFailed}) {
                run.end = end;
                const QString text = AdjustProgressText(run, false, false, 4.9999f);
                EXPECT_LE(fm.horizontalAdvance(text), label->contentsRect().width())
                    << text.toStdString();
            }
        }
    }

    std::unique_ptr<CTarvelloDlg> dlg;
    CPage2* p2 = nullptr;
    CPage3* p3 = nullptr;
};

TEST_F(SensorPages, EveryHandlerWithThePortClosedShowsOnlyTheBox) {
    for (int tab : {1, 2}) {
        dlg->Sheet()->setCurrentIndex(tab);
        QWidget* page = dlg->Sheet()->widget(tab);
        const int ids[] = {tab == 1 ? 1025 : 1027, tab == 1 ? 1045 : 1047, tab == 1 ? 1026 : 1028,
                           1059};
        for (int id : ids) {
            messages.clear();
            Find<QPushButton>(page, id)->click();
            ASSERT_EQ(messages.size(), 1u) << id;
            EXPECT_EQ(messages[0].text, QStringLiteral("串口未打开!"));
            ExpectNothingHappened();
            EXPECT_TRUE(Find<QPushButton>(page, ids[0])->isEnabled()) << id;
            EXPECT_FALSE(Progress(page)->isVisible()) << id;
        }
    }
}

TEST_F(SensorPages, RefusedStandardGetsTheLeavingMessageAndNothingIsSavedOrStarted) {
    // The port counts as open without a line: a refusal must come before anything uses it.
    for (int tab : {1, 2}) {
        QWidget* page = dlg->Sheet()->widget(tab);
        const int standard = tab == 1 ? 1031 : 1046;
        const int start = tab == 1 ? 1025 : 1027;
        dlg->Sheet()->setCurrentIndex(tab);
        for (const char* text : {"5.1", "abc", "", "-0.1", "2.5V"}) {
            SCOPED_TRACE(text);
            messages.clear();
            Type(page, standard, QString::fromLatin1(text));
            // Leaving the page refuses the text with the data exchange's message.
            dlg->Sheet()->setCurrentIndex(0);
            ASSERT_EQ(messages.size(), 1u);
            ASSERT_EQ(dlg->Sheet()->currentIndex(), tab);
            g_bPortOpen = true;
            Find<QPushButton>(page, start)->click();
            g_bPortOpen = false;
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_EQ(messages[1].caption, messages[0].caption);
            EXPECT_EQ(messages[1].text, messages[0].text);
            EXPECT_EQ(messages[1].icon, messages[0].icon);
            ExpectNothingHappened();
            EXPECT_TRUE(Find<QPushButton>(page, start)->isEnabled());
            EXPECT_FALSE(p2->IsAdjusting() || p3->IsAdjusting());
        }
        Type(page, standard, QStringLiteral("0"));
    }
}

TEST_F(SensorPages, RefusedIntensityGetsTheLeavingMessageAndNothingIsSent) {
    for (int tab : {1, 2}) {
        auto* page = qobject_cast<CSensorPage*>(dlg->Sheet()->widget(tab));
        const int intensity = tab == 1 ? 1033 : 1023;
        dlg->Sheet()->setCurrentIndex(tab);
        for (const char* text : {"256", "-1", "", "7x", "1e2"}) {
            SCOPED_TRACE(text);
            messages.clear();
            Type(page, intensity, QString::fromLatin1(text));
            dlg->Sheet()->setCurrentIndex(0);
            ASSERT_EQ(messages.size(), 1u);
            g_bPortOpen = true;
            if (tab == 1) {
                p2->OnGetMarkVoltage();
                p2->OnGetNoPaperVoltage();
            } else {
                p3->OnGetNoPaperVoltage();
                p3->OnGetPaperVoltage();
            }
            g_bPortOpen = false;
            ASSERT_EQ(messages.size(), 3u);
            for (size_t i : {1u, 2u}) {
                EXPECT_EQ(messages[i].text, messages[0].text);
                EXPECT_EQ(messages[i].caption, messages[0].caption);
            }
            ExpectNothingHappened();
            // The member keeps its value: the refresh shows it again.
            page->UpdateData(false);
            EXPECT_EQ(Text(page, intensity), QStringLiteral("0"));
        }
    }
}

TEST_F(SensorPages, ReflectiveUpdateShowsEveryReadingAndSavesOnlyInTheBand) {
    WriteFile("parameterset.ini", "[RVoltage]\r\nRBase=2.5\r\n");
    dlg->Sheet()->setCurrentIndex(1);
    ASSERT_EQ(p2->m_fVoltStandard, 2.5f);
    g_fAdjustTarget = 2.5f; // the run's target, as its start set it
    const std::string before = ReadFile("parameterset.ini");
    // Too high: shown (reading, level, intensity), nothing enabled or saved.
    Find<QPushButton>(p2, 1025)->setEnabled(false);
    PostUpdate(p2, QEvent::User + 101, 2.5001f, 2, 80);
    EXPECT_EQ(Text(p2, 1041), QStringLiteral("2.5001"));
    EXPECT_EQ(p2->m_cbSensitivity->currentIndex(), 2);
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("80"));
    EXPECT_FALSE(Find<QPushButton>(p2, 1025)->isEnabled());
    EXPECT_EQ(ReadFile("parameterset.ini"), before);
    // A level of 4 (the pass after an underflow) leaves the combo without a selection.
    PostUpdate(p2, QEvent::User + 101, 2.3999f, 4, 127);
    EXPECT_EQ(p2->m_cbSensitivity->currentIndex(), -1);
    EXPECT_EQ(ReadFile("parameterset.ini"), before);
    // The transmissive page's event does not reach the reflective handler.
    PostUpdate(p2, QEvent::User + 100, 2.45f, 2, 77);
    EXPECT_EQ(Text(p2, 1041), QStringLiteral("2.3999"));
    // In the band: enabled, the reading buttons shown, the levels saved in this order.
    PostUpdate(p2, QEvent::User + 101, 2.4f, 2, 77, true);
    EXPECT_EQ(Text(p2, 1041), QStringLiteral("2.4"));
    for (int id : {1025, 1041, 1032, 1057})
        EXPECT_TRUE(Find<QWidget>(p2, id)->isEnabled()) << id;
    EXPECT_TRUE(Find<QPushButton>(p2, 1045)->isVisible());
    EXPECT_TRUE(Find<QPushButton>(p2, 1026)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"), before + "[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n");
    // The other page activated as the run ends loads its levels into the shared ones: the
    // run's later updates change neither this page nor the file.
    dlg->Sheet()->setCurrentIndex(2);
    PostUpdate(p2, QEvent::User + 101, 2.4f, 1, 5);
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("77"));
    EXPECT_EQ(ReadFile("parameterset.ini"), before + "[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n");
}

TEST_F(SensorPages, TransmissiveUpdateUsesItsOwnBandMemberAndSection) {
    WriteFile("parameterset.ini",
              "[RConfig]\r\nRConfig1=1\r\nRConfig2=9\r\n[TVoltage]\r\nTBase=2.0\r\n");
    dlg->Sheet()->setCurrentIndex(2);
    g_fAdjustTarget = 2.0f; // the run's target, as its start set it
    const std::string before = ReadFile("parameterset.ini");
    PostUpdate(p3, QEvent::User + 100, 2.1001f, 1, 150);
    EXPECT_EQ(Text(p3, 1055), QStringLiteral("2.1001")); // the liner voltage edit
    EXPECT_EQ(Text(p3, 1023), QStringLiteral("150"));
    EXPECT_FALSE(Find<QPushButton>(p3, 1047)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"), before);
    // 2.1000 lies in the transmissive band (2.0 +- 0.1) but above the reflective one.
    PostUpdate(p3, QEvent::User + 100, 2.1f, 1, 140, true);
    EXPECT_EQ(Text(p3, 1055), QStringLiteral("2.1"));
    EXPECT_EQ(p3->m_cbSensitivity->currentText(), QStringLiteral("01"));
    EXPECT_TRUE(Find<QPushButton>(p3, 1047)->isVisible());
    EXPECT_TRUE(Find<QPushButton>(p3, 1028)->isVisible());
    EXPECT_EQ(ReadFile("parameterset.ini"),
              "[RConfig]\r\nRConfig1=1\r\nRConfig2=9\r\n[TVoltage]\r\nTBase=2.0\r\n"
              "[TConfig]\r\nTConfig1=1\r\nTConfig2=140\r\n");
}

// A standard typed during a run and taken by leaving the page changes nothing of the run's
// judgement: the page takes success from the run's record, as the worker judged it.
TEST_F(SensorPages, UpdatesAreJudgedByTheRunsTargetNotTheEditedStandard) {
    dlg->Sheet()->setCurrentIndex(1);
    g_fAdjustTarget = 2.5f;
    Type(p2, 1031, QStringLiteral("3.0"));
    dlg->Sheet()->setCurrentIndex(0); // taken into m_fVoltStandard; the port page stops nothing
    ASSERT_EQ(p2->m_fVoltStandard, 3.0f);
    PostUpdate(p2, QEvent::User + 101, 2.95f, 1, 30); // in 3.0's band, not in the run's
    EXPECT_TRUE(Find<QPushButton>(p2, 1045)->isHidden());
    EXPECT_FALSE(std::filesystem::exists("parameterset.ini"));
    PostUpdate(p2, QEvent::User + 101, 2.45f, 1, 40, true); // the worker's success
    EXPECT_FALSE(Find<QPushButton>(p2, 1045)->isHidden());
    EXPECT_EQ(ReadFile("parameterset.ini"), "[RConfig]\r\nRConfig1=1\r\nRConfig2=40\r\n");
}

TEST_F(SensorPages, ProgressLineAndStopControlSitBelowTheControlsAndHoldTheirLongestTexts) {
    ExpectProgressRowHoldsItsTexts();
    for (int tab : {1, 2}) {
        QLabel* label = Progress(dlg->Sheet()->widget(tab));
        EXPECT_LE(QFontMetrics(label->font())
                      .horizontalAdvance(
                          QStringLiteral("自动调节中: 第 99999 次  灵敏度 11  发光强度 255")),
                  label->contentsRect().width());
    }
}

TEST_F(SensorPages, ProgressLineAndStopControlHoldTheirEnglishTexts) {
    ASSERT_TRUE(tarvello::app::InstallLanguage(tarvello::app::Language::English));
    dlg = std::make_unique<CTarvelloDlg>();
    dlg->show();
    auto* stop = dlg->Sheet()->widget(1)->findChild<QPushButton*>("adjustStop");
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->text(), QStringLiteral("Stop"));
    ExpectProgressRowHoldsItsTexts();
}

} // namespace
