// test-labels: threaded e2e
// The whole road a technician takes, on the virtual printer in real time, through the window's
// buttons only: open the port, adjust the reflective sensor to 2.5 V, take its mark and
// no-paper readings, run its paper check, do the same on the transmissive page at 2.0 V, close
// the port. The frames of both searches, what the pages show and the final "parameterset.ini"
// are written out below, worked by hand from the virtual printer's sensor model (at level 3 a
// reflective reading over paper is 240 - 0.8 x intensity counts, a transmissive one through
// liner 15 + 0.8 x intensity, each rounded) and the search's rules.
#include "SensorPageE2E.h"

using namespace uitest;
namespace sim = tarvello::sim;
using sim::Media;

namespace {

class Road : public UiTest {};

TEST_F(Road, OpenAdjustReadCheckCloseLeavesTheExpectedParameterFile) {
    VirtualPrinter printer;
    ASSERT_TRUE(printer.Start());
    auto dlg = std::make_unique<CTarvelloDlg>(nullptr, AddExtraPort(printer.DevicePath()));
    dlg->show();
    auto* p2 = qobject_cast<CPage2*>(dlg->Sheet()->widget(1));
    auto* p3 = qobject_cast<CPage3*>(dlg->Sheet()->widget(2));
    QWidget* p1 = dlg->Sheet()->widget(0);
    auto text = [](QWidget* page, int id) {
        return Find<QLineEdit>(page, id)->text().toStdString();
    };
    auto click = [&](QWidget* page, int id) {
        QPushButton* button = Find<QPushButton>(page, id);
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << id;
        button->click();
    };
    auto frames = [&](sim::FrameKind kind) {
        std::vector<std::string> out;
        for (const auto& f : printer.FrameLog()) {
            if (f.kind == kind)
                out.push_back(f.bytes.substr(1)); // without the STX
        }
        return out;
    };
    const int baseline = CMonitorThread().SuspendCount();
    EXPECT_EQ(g_fSensorSupply.load(), 5.0f); // no file: the 5.0 V supply

    // Open the port; the monitor fills the status group.
    click(p1, 1016);
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(g_bPortOpen);
    ASSERT_TRUE(WaitFor([&] { return text(dlg.get(), 1042) == "2.5098"; }));

    // Reflective page: adjust to 2.5 over paper. Too high (4.7059, 4.1961, 3.7059, 3.1961,
    // 2.7059 V) up to 128, too low at 160 (2.1961 V), halfway back to 144: 2.4510 V.
    dlg->Sheet()->setCurrentIndex(1);
    Find<QLineEdit>(p2, 1031)->setText(QStringLiteral("2.5"));
    click(p2, 1025);
    ASSERT_TRUE(WaitFor([&] { return !p2->IsAdjusting() && !IsAdjustmentRunning(); }, 60000));
    EXPECT_EQ(frames(sim::FrameKind::ReflectiveReading),
              (std::vector<std::string>{"JF11000", "JF11032", "JF11064", "JF11096", "JF11128",
                                        "JF11160", "JF11144"}));
    EXPECT_EQ(p2->m_cbSensitivity->currentText(), QStringLiteral("11"));
    EXPECT_EQ(text(p2, 1033), "144");
    EXPECT_EQ(text(p2, 1041), "2.451");

    // The mark (17 counts of light: 223) and no-paper (3: 237) readings at 3 / 144.
    printer.SetMedia(sim::Sensor::Reflective, Media::Mark);
    click(p2, 1045);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(text(p2, 1057), "4.3725");
    printer.SetMedia(sim::Sensor::Reflective, Media::NoPaper);
    click(p2, 1026);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(text(p2, 1032), "4.6471");

    // Its paper check: a mark (2.8431 V) and a paper (2.4510 V) sample, a few tenths apart; nothing saved.
    const std::string beforeCheck = ReadFile("parameterset.ini");
    click(p2, 1059);
    ASSERT_TRUE(WaitIdle(15000));
    EXPECT_EQ(text(p2, 1057), "2.8431");
    EXPECT_EQ(text(p2, 1056), "0.98025");
    EXPECT_EQ(text(p2, 1041), "1.86285");
    EXPECT_EQ(ReadFile("parameterset.ini"), beforeCheck);

    // Transmissive page: adjust to 2.0 through the liner. Too high up to 160 (2.1961 V), then
    // +16 to 176: 156 counts, 1.9412 V.
    dlg->Sheet()->setCurrentIndex(2);
    ASSERT_EQ(dlg->Sheet()->currentIndex(), 2);
    Find<QLineEdit>(p3, 1046)->setText(QStringLiteral("2.0"));
    click(p3, 1027);
    ASSERT_TRUE(WaitFor([&] { return !p3->IsAdjusting() && !IsAdjustmentRunning(); }, 60000));
    EXPECT_EQ(frames(sim::FrameKind::TransmissiveReading),
              (std::vector<std::string>{"JT11000", "JT11032", "JT11064", "JT11096", "JT11128",
                                        "JT11160", "JT11176"}));
    EXPECT_EQ(p3->m_cbSensitivity->currentText(), QStringLiteral("11"));
    EXPECT_EQ(text(p3, 1023), "176");
    EXPECT_EQ(text(p3, 1055), "1.9412");

    // No paper (226 counts: 5.0 - 4.4314) and paper (78: 5.0 - 1.5294).
    printer.SetMedia(sim::Sensor::Transmissive, Media::NoPaper);
    click(p3, 1047);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(text(p3, 1020), "0.5686");
    printer.SetMedia(sim::Sensor::Transmissive, Media::Paper);
    click(p3, 1028);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(text(p3, 1019), "3.4706");

    // Its paper check: liner (2.9608 V) and label samples, inverted; nothing saved.
    const std::string beforeCheck3 = ReadFile("parameterset.ini");
    click(p3, 1059);
    ASSERT_TRUE(WaitIdle(15000));
    EXPECT_EQ(text(p3, 1055), "2.9608");
    EXPECT_EQ(text(p3, 1054), "1.2745");
    EXPECT_EQ(text(p3, 1020), "4.2353");
    EXPECT_EQ(ReadFile("parameterset.ini"), beforeCheck3);

    // Close the port from the port page.
    dlg->Sheet()->setCurrentIndex(0);
    ASSERT_EQ(dlg->Sheet()->currentIndex(), 0);
    click(p1, 1017);
    ASSERT_TRUE(WaitIdle());
    EXPECT_FALSE(g_bPortOpen);
    EXPECT_EQ(CMonitorThread().SuspendCount(), baseline);
    EXPECT_TRUE(messages.empty());

    // Every key in the order of its first write; each reading rewrote the levels; the
    // transmissive readings saved the standard's text and the other edit's text.
    EXPECT_EQ(ReadFile("parameterset.ini"), "[RVoltage]\r\nRBase=2.5\r\nRMid=4.3725\r\n"
                                            "RLow=2.451\r\nRHeigh=4.6471\r\n"
                                            "[RConfig]\r\nRConfig1=3\r\nRConfig2=144\r\n"
                                            "[TVoltage]\r\nTBase=2.0\r\nTLow=0\r\nTMid=2\r\n"
                                            "THeigh=0.5686\r\n"
                                            "[TConfig]\r\nTConfig1=3\r\nTConfig2=176\r\n");

    dlg.reset();
    printer.Stop();
}

} // namespace
