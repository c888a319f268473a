// test-labels: threaded
// The port page's open sequence on a scripted line with virtual time: for every step that can
// fail, the step and its reason, what was sent and waited, and whether the port stays open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeLine.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/PortOpenSequence.h"

namespace {

class NullSink : public DisplaySink {
  public:
    void ShowStatus(int, const std::string&) override {}
};

const std::string kHandshake = "^k\r";
const std::string kAccess = std::string("^&58203716<DC3>") + '\0';

class PortOpenSequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        line.Install();
        settings.dwBaudRate = 38400;
        settings.byByteSize = 8;
    }
    void TearDown() override {
        g_bPortOpen = false;
        WaitStatusMonitorEnd();
        EXPECT_EQ(line.CallsOnClosedHandle(), 0);
        g_hCom = kInvalidPortHandle;
        line.Uninstall();
    }
    // The printer answers the handshake frame with reply.
    void AnswerHandshake(const std::string& reply) {
        line.OnWrite([reply](const FakeLine::Bytes& bytes) {
            std::vector<FakeLine::Reply> replies;
            if (bytes == FakeLine::Bytes{0x02, 'k', '\r'})
                replies.push_back({reply, 5});
            return replies;
        });
    }
    PortOpenResult Run() {
        opened = 0;
        return RunPortOpenSequence(settings, &sink, [this] { ++opened; });
    }

    FakeLine line;
    NullSink sink;
    PortSettings settings;
    int opened = 0;
};

TEST_F(PortOpenSequenceTest, AFailedOpenGivesItsReasonAndSendsNothing) {
    for (PortOpenError why : {PortOpenError::kNoDevice, PortOpenError::kBusy,
                              PortOpenError::kNoAccess, PortOpenError::kSettingsRefused}) {
        line.SetOpenFails(true, why);
        const PortOpenResult r = Run();
        EXPECT_EQ(r.failedStep, PortOpenStep::kOpen);
        EXPECT_EQ(r.openError, why);
        EXPECT_EQ(r.device, PortDeviceName(0));
        EXPECT_FALSE(r.HandshakeFailed());
        EXPECT_EQ(g_nPortResult.load(), 1);
        EXPECT_EQ(opened, 0);
    }
    // No port chosen: no device is asked for at all.
    settings.nPort = -1;
    const PortOpenResult r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kOpen);
    EXPECT_EQ(r.openError, PortOpenError::kNoDevice);
    EXPECT_EQ(r.device, "");
    EXPECT_EQ(line.Opened().size(), 4u);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_TRUE(line.Sleeps().empty());
}

TEST_F(PortOpenSequenceTest, AHandshakeFrameThatCannotBeWrittenLeavesThePortOpen) {
    line.SetShortWrites(1);
    const PortOpenResult r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kHandshakeWrite);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(line.WrittenFrames(), std::vector<std::string>{kHandshake});
    EXPECT_TRUE(g_bPortOpen.load());
    EXPECT_EQ(line.Closes(), 0);
    EXPECT_FALSE(CMonitorThread().IsRunning());
}

// Silence, an answer other than 'Y' (its bytes kept, at most the ten the read takes), and the
// answer 'Yes': the second, the ten polls, and for a failure the close with its second.
TEST_F(PortOpenSequenceTest, TheHandshakeAnswerDecides) {
    const std::vector<unsigned> tenPolls(10, 50);
    std::vector<unsigned> silent{1000};
    silent.insert(silent.end(), tenPolls.begin(), tenPolls.end());
    silent.push_back(1000); // the close

    PortOpenResult r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kNoAnswer);
    EXPECT_TRUE(r.HandshakeFailed());
    EXPECT_TRUE(r.received.empty());
    EXPECT_EQ(line.Sleeps(), silent);
    EXPECT_FALSE(g_bPortOpen.load());
    EXPECT_EQ(line.Closes(), 1);

    AnswerHandshake("N");
    r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kNotY);
    EXPECT_TRUE(r.HandshakeFailed());
    EXPECT_EQ(DescribeBytes(r.received), "4E (\"N\")");
    EXPECT_EQ(line.Closes(), 2);

    AnswerHandshake("\x01no answer here");
    r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kNotY);
    EXPECT_EQ(DescribeBytes(r.received), "01 6E 6F 20 61 6E 73 77 65 72 (\".no answer\")");
    EXPECT_EQ(line.CountWrites(FakeLine::Bytes(kAccess.begin(), kAccess.end())), 0u);

    AnswerHandshake("Yes");
    const size_t before = line.WriteCount();
    r = Run();
    EXPECT_TRUE(r.Succeeded());
    EXPECT_TRUE(CMonitorThread().IsRunning());
    EXPECT_EQ(g_nPortResult.load(), 0);
    const std::vector<std::string> frames = line.WrittenFrames(); // then the monitor's polls
    ASSERT_GE(frames.size(), before + 2);
    EXPECT_EQ(frames[before], kHandshake);
    EXPECT_EQ(frames[before + 1], kAccess);
}

TEST_F(PortOpenSequenceTest, AnAccessFrameThatCannotBeWrittenLeavesThePortOpenWithoutMonitor) {
    AnswerHandshake("Y");
    line.At(1000, [this] { line.SetShortWrites(1); }); // during the handshake's second
    const PortOpenResult r = Run();
    EXPECT_EQ(r.failedStep, PortOpenStep::kAccessWrite);
    EXPECT_FALSE(r.HandshakeFailed());
    EXPECT_EQ(line.WrittenFrames(), (std::vector<std::string>{kHandshake, kAccess}));
    EXPECT_TRUE(g_bPortOpen.load());
    EXPECT_EQ(line.Closes(), 0);
    EXPECT_FALSE(CMonitorThread().IsRunning());
    EXPECT_EQ(DescribeBytes({}), "");
}

} // namespace
