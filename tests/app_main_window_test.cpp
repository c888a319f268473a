// The main window and its pages without a printer: layout from the templates, the supply
// choice, the port page's lists and defaults, the sensor pages' loading and data exchange,
// leaving a page, the handlers' port check and the About box.
#include "UiTestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

#include "app/AboutDlg.h"
#include "app/CloseQuestion.h"
#include "app/Language.h"
#include "app/TarvelloDlg.h"
#include "device/SerialPort.h"
#include "pages/Page2.h"
#include "pages/Page3.h"
#include "sensor/AdjustState.h"

using tarvello::app::InstallLanguage;
using uitest::Find;
using uitest::ReadFile;
using uitest::WriteFile;

namespace {

class MainWindow : public uitest::UiTest {
  protected:
    void TearDown() override {
        InstallLanguage(tarvello::app::Language::Chinese); // the next test starts in Chinese
        uitest::UiTest::TearDown();
    }
    std::unique_ptr<CTarvelloDlg> Open(int initialPort = 0) {
        auto dlg = std::make_unique<CTarvelloDlg>(nullptr, initialPort);
        dlg->show();
        return dlg;
    }
    CPage2* Reflective(CTarvelloDlg& dlg) { return qobject_cast<CPage2*>(dlg.Sheet()->widget(1)); }
    CPage3* Transmissive(CTarvelloDlg& dlg) {
        return qobject_cast<CPage3*>(dlg.Sheet()->widget(2));
    }
    QString Text(QWidget* parent, int id) { return Find<QLineEdit>(parent, id)->text(); }
};

// --- Dialog units ------------------------------------------------------------------------

TEST(DialogUnits, ConvertedAsTheDialogManagerDoes) {
    using namespace tarvello::res;
    EXPECT_EQ(MulDiv(145, 6, 4), 218); // 217.5 rounds away from zero
    EXPECT_EQ(MulDiv(-145, 6, 4), -218);
    EXPECT_EQ(MulDiv(5, 13, 8), 8);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    const QRect r = MapDialogRect(145, 25, 40, 14, BaseUnits{6, 13});
    EXPECT_EQ(r, QRect(218, 41, 60, 23));
}

TEST_F(MainWindow, BaseUnitsComeFromTheDialogFont) {
    using namespace tarvello::res;
    const QFont font = DialogFont(*FindTemplate(kIddReflectivePage));
    const BaseUnits base = DialogBaseUnits(font);
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(base.x, (width / 26 + 1) / 2);
    EXPECT_EQ(base.y, fm.height());
    // Every control of the page sits where its dialog units say.
    CPage2 page;
    const DialogTemplate* t = FindTemplate(kIddReflectivePage);
    for (size_t i = 0; i < t->count; ++i) {
        const ControlTemplate& c = t->controls[i];
        QWidget* w = Find<QWidget>(&page, c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->pos(), MapDialogRect(c.x, c.y, c.cx, c.cy, base).topLeft()) << c.id;
    }
}

TEST_F(MainWindow, ChineseTextsHaveAnInstalledFace) {
    // Each of the tool's faces is mapped to an installed face that writes Simplified Chinese,
    // so the texts render instead of boxes.
    tarvello::res::InstallFontSubstitutions();
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const char* face : {"楷体_GB2312", "宋体", "Tahoma"}) {
        QStringList candidates = QFont::substitutes(QString::fromUtf8(face));
        candidates.prepend(QString::fromUtf8(face));
        bool found = false;
        for (const QString& family : candidates)
            found = found || chinese.contains(family, Qt::CaseInsensitive);
        EXPECT_TRUE(found) << face;
    }
    // The cell height: the font's line fits into the height the tool gives.
    EXPECT_LE(QFontMetrics(tarvello::res::MakeFont("Tahoma", 16, 400)).height(), 16);
    EXPECT_LE(QFontMetrics(tarvello::res::MakeFont("楷体_GB2312", 20, 700)).height(), 20);
    EXPECT_GE(QFontMetrics(tarvello::res::MakeFont("Tahoma", 16, 400)).height(), 12);
}

// --- Main window ---------------------------------------------------------------------------

TEST_F(MainWindow, LayoutTitleHeaderAndSheet) {
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tarvello Tool V1.5"));
    EXPECT_FALSE(dlg->windowIcon().isNull());
    auto* header = Find<QLabel>(dlg.get(), 1002);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text(), QStringLiteral("传感器调试工具"));
    EXPECT_EQ(header->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(header->font().bold());
    // The other labels keep the default text colour.
    EXPECT_NE(Find<QLabel>(dlg.get(), 1037)->palette().color(QPalette::WindowText),
              QColor(0, 0, 255));

    QTabWidget* sheet = dlg->Sheet();
    EXPECT_EQ(sheet->pos(), QPoint(0, 50));
    ASSERT_EQ(sheet->count(), 3);
    EXPECT_EQ(sheet->tabText(0), QStringLiteral("端口配置"));
    EXPECT_EQ(sheet->tabText(1), QStringLiteral("反射传感器调节"));
    EXPECT_EQ(sheet->tabText(2), QStringLiteral("透射传感器调节"));
    EXPECT_EQ(sheet->currentIndex(), 0);

    // The sheet lies between the header and the status group and inside the window; every
    // status control lies inside the window.
    EXPECT_GE(sheet->y(), header->geometry().bottom());
    for (int id : {1030, 1021, 1042, 1048, 1034, 1035, 1036, 1037}) {
        QWidget* w = Find<QWidget>(dlg.get(), id);
        ASSERT_NE(w, nullptr) << id;
        EXPECT_GT(w->y(), sheet->geometry().bottom()) << id;
        EXPECT_TRUE(dlg->rect().contains(w->geometry())) << id;
    }
    EXPECT_TRUE(dlg->rect().contains(sheet->geometry()));

    // Status edits: read-only, "0" at start, named by their labels.
    const std::pair<int, const char*> status[] = {
        {1021, "微动开关"}, {1042, "存在传感器"}, {1048, "色带传感器"}};
    for (const auto& [id, label] : status) {
        auto* edit = Find<QLineEdit>(dlg.get(), id);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_EQ(edit->text(), QStringLiteral("0"));
        EXPECT_EQ(edit->accessibleName(), QString::fromUtf8(label));
    }
    auto* supply = Find<QComboBox>(dlg.get(), 1030);
    EXPECT_EQ(supply->accessibleName(), QStringLiteral("传感器电源"));
    ASSERT_EQ(supply->count(), 3);
    EXPECT_EQ(supply->itemText(0), QStringLiteral("2.5V"));
    EXPECT_EQ(supply->itemText(2), QStringLiteral("5.0V"));
}

// No two controls of a page or of the window overlap, and every label and button shows its
// whole text in the font it is given (the substituted faces are wider than the original ones).
void ExpectNothingOverlapsOrIsClipped(const std::unique_ptr<CTarvelloDlg>& dlg) {
    std::vector<QWidget*> parents = {dlg.get()};
    for (int i = 0; i < dlg->Sheet()->count(); ++i) {
        dlg->Sheet()->setCurrentIndex(i); // applies the page's font
        parents.push_back(dlg->Sheet()->widget(i));
    }
    for (QWidget* parent : parents) {
        std::vector<QWidget*> controls;
        for (QWidget* w : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!w->objectName().isEmpty() && w->objectName().toInt() > 0)
                controls.push_back(w);
        }
        for (size_t a = 0; a < controls.size(); ++a) {
            QWidget* w = controls[a];
            EXPECT_TRUE(parent->rect().contains(w->geometry())) << w->objectName().toStdString();
            for (size_t b = a + 1; b < controls.size(); ++b) {
                EXPECT_FALSE(w->geometry().intersects(controls[b]->geometry()))
                    << w->objectName().toStdString() << " and "
                    << controls[b]->objectName().toStdString();
            }
            const QFontMetrics fm(w->font());
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_LE(fm.horizontalAdvance(label->text()), label->contentsRect().width())
                    << w->objectName().toStdString();
                EXPECT_LE(fm.height(), label->contentsRect().height())
                    << w->objectName().toStdString();
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                EXPECT_LE(fm.horizontalAdvance(button->text()) + 4, button->width())
                    << w->objectName().toStdString();
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                // The widest texts: the monitor's "%6.4f" volts, the pages' "%.6g" values.
                const QString widest =
                    parent == dlg.get() ? QStringLiteral("5.0000") : QStringLiteral("0.333333");
                EXPECT_LE(fm.horizontalAdvance(widest) + 6, edit->width())
                    << w->objectName().toStdString();
                EXPECT_LE(fm.height() + 4, edit->height()) << w->objectName().toStdString();
            }
        }
    }
}

TEST_F(MainWindow, NothingOverlapsAndNoTextIsClipped) {
    ExpectNothingOverlapsOrIsClipped(Open());
}

TEST_F(MainWindow, NothingOverlapsAndNoTextIsClippedInEnglish) {
    ASSERT_TRUE(InstallLanguage(tarvello::app::Language::English));
    auto dlg = Open();
    EXPECT_EQ(Find<QPushButton>(dlg->Sheet()->widget(0), 1016)->text(),
              QStringLiteral("Open port"));
    ExpectNothingOverlapsOrIsClipped(dlg);
}

TEST_F(MainWindow, SupplyWithoutFileIsFiveVolts) {
    auto dlg = Open();
    EXPECT_EQ(Find<QComboBox>(dlg.get(), 1030)->currentIndex(), 2);
    EXPECT_FLOAT_EQ(g_fSensorSupply, 5.0f);
    EXPECT_FALSE(std::filesystem::exists("parameterset.ini")); // nothing written at start
}

TEST_F(MainWindow, SupplyFromTheFileComparedExactlyAfterTrimming) {
    const std::pair<const char*, int> cases[] = {
        {"Voltage = 2.5 ", 0}, {"Voltage=3.3", 1}, {"Voltage=2.50", 2}, {"Voltage=2.5V", 2}};
    for (const auto& [line, index] : cases) {
        WriteFile("parameterset.ini", std::string("[BaseVoltage]\r\n") + line + "\r\n");
        auto dlg = Open();
        EXPECT_EQ(Find<QComboBox>(dlg.get(), 1030)->currentIndex(), index) << line;
        const float expected[] = {2.5f, 3.3f, 5.0f};
        EXPECT_FLOAT_EQ(g_fSensorSupply, expected[index]) << line;
    }
}

TEST_F(MainWindow, SupplyChoiceChangesTheSupplyButNotTheFile) {
    const std::string file = "[BaseVoltage]\r\nVoltage=3.3\r\n";
    WriteFile("parameterset.ini", file);
    auto dlg = Open();
    auto* supply = Find<QComboBox>(dlg.get(), 1030);
    EXPECT_FLOAT_EQ(g_fSensorSupply, 3.3f);
    supply->setCurrentIndex(0);
    EXPECT_FLOAT_EQ(g_fSensorSupply, 2.5f);
    supply->setCurrentIndex(2);
    EXPECT_FLOAT_EQ(g_fSensorSupply, 5.0f);
    supply->setCurrentIndex(-1); // no selection leaves the supply
    EXPECT_FLOAT_EQ(g_fSensorSupply, 5.0f);
    EXPECT_EQ(ReadFile("parameterset.ini"), file);
    // The next start shows the file's value again.
    dlg.reset();
    dlg = Open();
    EXPECT_EQ(Find<QComboBox>(dlg.get(), 1030)->currentIndex(), 1);
}

TEST_F(MainWindow, AboutBoxFromTheWindowsMenuAndF1) {
    auto dlg = Open();
    QAction* about = dlg->findChild<QAction*>(QStringLiteral("aboutAction"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QStringLiteral("关于 Tarvello(&A)..."));
    EXPECT_EQ(about->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(dlg->actions().contains(about));
    EXPECT_EQ(dlg->contextMenuPolicy(), Qt::ActionsContextMenu);

    QString caption;
    QStringList texts;
    bool closedByOk = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        for (QLabel* l : box->findChildren<QLabel*>())
            texts << l->text();
        auto* ok = Find<QPushButton>(box, 1);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("确定"));
        ok->click();
        closedByOk = !box->isVisible();
    });
    about->trigger(); // returns when the box has closed
    EXPECT_EQ(caption, QStringLiteral("关于 Tarvello"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Tarvello 1.5 版")));
    EXPECT_TRUE(closedByOk);
}

TEST_F(MainWindow, ClosingWithoutAPortEndsTheWindow) {
    auto dlg = Open();
    dlg->close();
    ASSERT_TRUE(uitest::WaitFor([&] { return !dlg->isVisible(); }));
    EXPECT_FALSE(g_bPortOpen);
}

TEST_F(MainWindow, ClosingDuringARunAsksFirstAndOnlyYesCloses) {
    using namespace tarvello::ui;
    EXPECT_EQ(tarvello::app::RunningWork(true, RunKind::Check), RunKind::Adjustment);
    EXPECT_TRUE(tarvello::app::CloseQuestion(RunKind::Other).isEmpty());
    auto dlg = Open();
    std::atomic<bool> release{false};
    LabelNextRun(RunKind::Check);
    RunInBackground(nullptr, nullptr,
                    [&] {
                        while (!release)
                            std::this_thread::yield();
                    },
                    {});
    EXPECT_EQ(ActiveRunKind(), RunKind::Check);
    const auto question = [] {
        return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    };
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        dlg->reject(); // Esc
        ASSERT_TRUE(uitest::WaitFor([&] { return question() != nullptr; }));
        EXPECT_EQ(question()->text(), tarvello::app::CloseQuestion(RunKind::Check));
        question()->button(answer)->click();
        ASSERT_TRUE(uitest::WaitFor([&] { return question() == nullptr; }));
        EXPECT_TRUE(dlg->isVisible()); // No: stays; Yes: waits for the run's end
    }
    release = true;
    ASSERT_TRUE(uitest::WaitFor([&] { return !dlg->isVisible(); }));
    EXPECT_EQ(ActiveRunKind(), RunKind::Other);
}

// --- Port page ---------------------------------------------------------------------------

TEST_F(MainWindow, PortPageFirstActivationDefaultsAndKeptSelections) {
    auto dlg = Open();
    QWidget* page = dlg->Sheet()->widget(0);
    const std::pair<int, const char*> defaults[] = {
        {1003, "COM1"}, {1004, "38400"}, {1005, "8"}, {1006, "1"}, {1007, "无"}, {1008, "DSR/DTR"}};
    for (const auto& [id, text] : defaults)
        EXPECT_EQ(Find<QComboBox>(page, id)->currentText(), QString::fromUtf8(text)) << id;
    EXPECT_TRUE(Find<QPushButton>(page, 1016)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(page, 1017)->isEnabled());
    EXPECT_EQ(Find<QComboBox>(page, 1004)->accessibleName(), QStringLiteral("波特率"));

    const QStringList lists[] = {{"4800", "9600", "19200", "38400", "57600"},
                                 {"8", "7"},
                                 {"1", "2"},
                                 {"无", "奇", "偶"},
                                 {"DSR/DTR", "CTS/RTS"}};
    for (int i = 0; i < 5; ++i) {
        auto* combo = Find<QComboBox>(page, 1004 + i);
        QStringList items;
        for (int j = 0; j < combo->count(); ++j)
            items << combo->itemText(j);
        EXPECT_EQ(items, lists[i]) << 1004 + i;
    }

    // Leaving the page and coming back keeps a changed selection.
    Find<QComboBox>(page, 1004)->setCurrentIndex(4);
    dlg->Sheet()->setCurrentIndex(1);
    dlg->Sheet()->setCurrentIndex(0);
    EXPECT_EQ(Find<QComboBox>(page, 1004)->currentText(), QStringLiteral("57600"));
}

TEST_F(MainWindow, PortListHasTheEightPortsThenFurtherDevices) {
    const int nPort = AddExtraPort("/dev/tarvello-test-device");
    ASSERT_GE(nPort, 8);
    auto dlg = Open(nPort);
    auto* page1 = qobject_cast<CPage1*>(dlg->Sheet()->widget(0));
    auto* ports = Find<QComboBox>(page1, 1003);
    ASSERT_GE(ports->count(), 9);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
        EXPECT_EQ(ports->itemData(i).toInt(), i);
    }
    // Every further item opens the device its text names.
    for (int i = 8; i < ports->count(); ++i)
        EXPECT_EQ(ports->itemText(i).toStdString(), PortDeviceName(ports->itemData(i).toInt()));
    // The device given at start is selected at the first activation.
    EXPECT_EQ(ports->currentText(), QStringLiteral("/dev/tarvello-test-device"));
    EXPECT_EQ(page1->PortItemOf(nPort), ports->currentIndex());
    // A labelled device (the virtual printer) carries its label beside its path.
    CPage1::LabelDevice("/dev/tarvello-test-device", "虚拟打印机");
    auto labelled = Open(nPort);
    page1 = qobject_cast<CPage1*>(labelled->Sheet()->widget(0));
    ports = Find<QComboBox>(page1, 1003);
    EXPECT_EQ(ports->itemData(page1->PortItemOf(nPort), Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/tarvello-test-device — 虚拟打印机"));
}

// --- Sensor pages ------------------------------------------------------------------------

TEST_F(MainWindow, SensorPagesWithoutFileShowZerosAndHideTheReadingButtons) {
    auto dlg = Open();
    dlg->Sheet()->setCurrentIndex(1);
    CPage2* p2 = Reflective(*dlg);
    for (int id : {1031, 1033, 1041, 1057, 1032, 1056})
        EXPECT_EQ(Text(p2, id), QStringLiteral("0")) << id;
    EXPECT_EQ(p2->m_cbSensitivity->currentText(), QStringLiteral("00"));
    EXPECT_FALSE(Find<QPushButton>(p2, 1045)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(p2, 1026)->isVisible());
    EXPECT_TRUE(Find<QPushButton>(p2, 1025)->isVisible());
    EXPECT_EQ(Find<QLineEdit>(p2, 1031)->accessibleName(), QStringLiteral("电压标准"));
    EXPECT_TRUE(Find<QLineEdit>(p2, 1041)->isReadOnly());
    EXPECT_FALSE(Find<QLineEdit>(p2, 1031)->isReadOnly());

    dlg->Sheet()->setCurrentIndex(2);
    CPage3* p3 = Transmissive(*dlg);
    for (int id : {1046, 1019, 1020, 1023, 1054, 1055})
        EXPECT_EQ(Text(p3, id), QStringLiteral("0")) << id;
    EXPECT_FALSE(Find<QPushButton>(p3, 1047)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(p3, 1028)->isVisible());
    EXPECT_EQ(Find<QLineEdit>(p3, 1055)->accessibleName(), QStringLiteral("衬纸电压"));
}

TEST_F(MainWindow, ReflectivePageLoadsItsLevelsAtEveryActivation) {
    WriteFile("parameterset.ini",
              "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=2\r\nRConfig2=140\r\n"
              "[TConfig]\r\nTConfig1=3\r\nTConfig2=96\r\n");
    auto dlg = Open();
    g_bAdjustStop = false;
    dlg->Sheet()->setCurrentIndex(1);
    CPage2* p2 = Reflective(*dlg);
    EXPECT_EQ(p2->m_cbSensitivity->currentText(), QStringLiteral("10"));
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("140"));
    EXPECT_EQ(Text(p2, 1031), QStringLiteral("2.5"));
    EXPECT_EQ(g_nSensitivity, 2);
    EXPECT_EQ(g_nIntensity, 140);
    EXPECT_TRUE(g_bAdjustStop); // a running adjustment is asked to stop

    // An unsaved change is replaced by the saved values at the next activation.
    p2->m_cbSensitivity->setCurrentIndex(0);
    Find<QLineEdit>(p2, 1033)->setText(QStringLiteral("17"));
    dlg->Sheet()->setCurrentIndex(0);
    WriteFile("parameterset.ini", "[RConfig]\r\nRConfig1=7\r\nRConfig2=140\r\n");
    dlg->Sheet()->setCurrentIndex(1);
    EXPECT_EQ(p2->m_cbSensitivity->currentIndex(), -1); // out of 0..3: no selection
    EXPECT_EQ(g_nSensitivity, 7);
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("140"));
    EXPECT_EQ(Text(p2, 1031), QStringLiteral("0"));
}

TEST_F(MainWindow, TransmissivePageReadsOnlyItsOwnKeys) {
    WriteFile("parameterset.ini",
              "[RConfig]\r\nRConfig1=2\r\nRConfig2=140\r\n"
              "[TVoltage]\r\nTBase=abc\r\n[TConfig]\r\nTConfig1=3\r\nTConfig2=96\r\n");
    auto dlg = Open();
    dlg->Sheet()->setCurrentIndex(2);
    CPage3* p3 = Transmissive(*dlg);
    EXPECT_EQ(p3->m_cbSensitivity->currentText(), QStringLiteral("11"));
    EXPECT_EQ(Text(p3, 1023), QStringLiteral("96"));
    EXPECT_EQ(Text(p3, 1046), QStringLiteral("0")); // not a number reads as 0
    EXPECT_EQ(g_nSensitivity, 3);
    EXPECT_EQ(g_nIntensity, 96);
}

TEST_F(MainWindow, ActivationEnablesWhatAnAdjustmentDisables) {
    auto dlg = Open();
    CPage2* p2 = Reflective(*dlg);
    for (int id : {1025, 1041, 1032, 1057})
        Find<QWidget>(p2, id)->setEnabled(false);
    dlg->Sheet()->setCurrentIndex(1);
    for (int id : {1025, 1041, 1032, 1057})
        EXPECT_TRUE(Find<QWidget>(p2, id)->isEnabled()) << id;
    CPage3* p3 = Transmissive(*dlg);
    for (int id : {1027, 1020, 1019})
        Find<QWidget>(p3, id)->setEnabled(false);
    dlg->Sheet()->setCurrentIndex(2);
    for (int id : {1027, 1020, 1019})
        EXPECT_TRUE(Find<QWidget>(p3, id)->isEnabled()) << id;
}

TEST_F(MainWindow, RefreshWritesIntegersAndSixSignificantDigits) {
    auto dlg = Open();
    CPage2* p2 = Reflective(*dlg);
    p2->m_fPaperVolt = 2.5098f;
    p2->m_fMarkVolt = 2.98045f;
    p2->m_fNoPaperVolt = 0.0f;
    p2->m_fVoltDiff = 1.0f / 3.0f;
    p2->m_nIntensity = 255;
    p2->UpdateData(false);
    EXPECT_EQ(Text(p2, 1041), QStringLiteral("2.5098"));
    EXPECT_EQ(Text(p2, 1057), QStringLiteral("2.98045"));
    EXPECT_EQ(Text(p2, 1032), QStringLiteral("0"));
    EXPECT_EQ(Text(p2, 1056), QStringLiteral("0.333333"));
    EXPECT_EQ(Text(p2, 1033), QStringLiteral("255"));
}

TEST_F(MainWindow, TakingDataRefusesTextsAndRangesWithTheFrameworksMessage) {
    auto dlg = Open();
    CPage3* p3 = Transmissive(*dlg);
    dlg->Sheet()->setCurrentIndex(2);
    // The no-paper voltage has no range; the others 0..5 and 0..255.
    Find<QLineEdit>(p3, 1020)->setText(QStringLiteral("7.5"));
    EXPECT_TRUE(p3->UpdateData(true));
    EXPECT_FLOAT_EQ(p3->m_fNoPaperVolt, 7.5f);
    EXPECT_TRUE(messages.empty());

    Find<QLineEdit>(p3, 1023)->setText(QStringLiteral("256"));
    EXPECT_FALSE(p3->UpdateData(true));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("请输入一个介于 0 和 255 之间的整数。"));
    EXPECT_EQ(messages[0].icon, QMessageBox::Warning);

    Find<QLineEdit>(p3, 1023)->setText(QStringLiteral(" 12 "));
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("2,5"));
    EXPECT_FALSE(p3->UpdateData(true));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("请输入一个数字。"));
    EXPECT_EQ(p3->m_nIntensity, 12); // fields before the refused one are taken
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("5.01"));
    EXPECT_FALSE(p3->UpdateData(true));
    EXPECT_EQ(messages.back().text, QStringLiteral("请输入一个介于 0 和 5 之间的数字。"));
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("5"));
    EXPECT_TRUE(p3->UpdateData(true));
    EXPECT_FLOAT_EQ(p3->m_fVoltStandard, 5.0f);

    // One field alone, as a handler takes it before it sends anything.
    messages.clear();
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral(".0"));
    EXPECT_FALSE(p3->UpdateField(1046));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("请输入一个数字。"));
    EXPECT_FLOAT_EQ(p3->m_fVoltStandard, 5.0f);
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("  1.25 "));
    EXPECT_TRUE(p3->UpdateField(1046));
    EXPECT_FLOAT_EQ(p3->m_fVoltStandard, 1.25f);
    EXPECT_FALSE(p3->UpdateField(4711)); // no such field
}

TEST_F(MainWindow, LeavingAPageChecksOnlyWhatAPersonTypes) {
    auto dlg = Open();
    QTabWidget* sheet = dlg->Sheet();
    sheet->setCurrentIndex(1);
    CPage2* p2 = Reflective(*dlg);

    // A read-only result out of range (a negative difference) never keeps the user.
    p2->m_fVoltDiff = -0.25f;
    p2->UpdateData(false);
    sheet->setCurrentIndex(0);
    EXPECT_EQ(sheet->currentIndex(), 0);
    EXPECT_TRUE(messages.empty());

    // A typed standard that is no number keeps the page, with the message, and focus on it.
    sheet->setCurrentIndex(1);
    Find<QLineEdit>(p2, 1031)->setText(QStringLiteral("abc"));
    sheet->setCurrentIndex(2);
    EXPECT_EQ(sheet->currentIndex(), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("请输入一个数字。"));
    EXPECT_EQ(Find<QLineEdit>(p2, 1031)->text(), QStringLiteral("abc")); // not reloaded

    // So does an intensity out of range; a valid pair is taken into the members on leaving.
    Find<QLineEdit>(p2, 1031)->setText(QStringLiteral("2.4"));
    Find<QLineEdit>(p2, 1033)->setText(QStringLiteral("-1"));
    sheet->setCurrentIndex(0);
    EXPECT_EQ(sheet->currentIndex(), 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("请输入一个介于 0 和 255 之间的整数。"));
    Find<QLineEdit>(p2, 1033)->setText(QStringLiteral("200"));
    sheet->setCurrentIndex(0);
    EXPECT_EQ(sheet->currentIndex(), 0);
    EXPECT_FLOAT_EQ(p2->m_fVoltStandard, 2.4f);
    EXPECT_EQ(p2->m_nIntensity, 200);
}

TEST_F(MainWindow, SensorHandlersSayThePortIsNotOpen) {
    auto dlg = Open();
    CPage2* p2 = Reflective(*dlg);
    CPage3* p3 = Transmissive(*dlg);
    const std::pair<QWidget*, int> buttons[] = {{p2, 1025}, {p2, 1045}, {p2, 1026}, {p2, 1059},
                                                {p3, 1027}, {p3, 1047}, {p3, 1028}, {p3, 1059}};
    for (const auto& [page, id] : buttons) {
        messages.clear();
        Find<QPushButton>(page, id)->click();
        ASSERT_EQ(messages.size(), 1u) << id;
        EXPECT_EQ(messages[0].caption, QStringLiteral("Note:"));
        EXPECT_EQ(messages[0].text, QStringLiteral("串口未打开!"));
        EXPECT_EQ(messages[0].icon, QMessageBox::Information);
    }
}

} // namespace
