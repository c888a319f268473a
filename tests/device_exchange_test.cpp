// The voltage exchange on a scripted line with virtual time: replies, failures and waits.
#include <gtest/gtest.h>

#include "LineFixture.h"
#include "device/ExchangeVoltage.h"
#include "device/SerialPort.h"

namespace {

class ExchangeTest : public LineFixture {
  protected:
    // The printer answers every write with reply, afterMs later.
    void Answer(const std::string& reply, uint64_t afterMs = 5) {
        line.OnWrite([reply, afterMs](const FakeLine::Bytes&) {
            return std::vector<FakeLine::Reply>{{reply, afterMs}};
        });
    }
    float Exchange(float scale) { return ExchangeVoltage("128", 3, scale); }
};

TEST_F(ExchangeTest, ReadingsBecomeVolts) {
    Answer("128/");
    EXPECT_FLOAT_EQ(Exchange(5.0f), 2.5098f);
    Answer("12/");
    EXPECT_FLOAT_EQ(Exchange(3.3f), 0.1553f);
    Answer("x5/");
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0980f);
    Answer("255/");
    EXPECT_FLOAT_EQ(Exchange(2.5f), 2.5f);
    Answer("12/34/");
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.2353f);
}

TEST_F(ExchangeTest, SendsTheBytesOnceAfterAFlush) {
    Answer("7/");
    EXPECT_FLOAT_EQ(ExchangeVoltage("042", 3, 5.0f), 0.1373f);
    ASSERT_EQ(line.Writes().size(), 1u);
    EXPECT_EQ(line.Writes()[0], (FakeLine::Bytes{'0', '4', '2'}));
    // Flush: 100 ms, then the write, then the first 50 ms poll finds the reply.
    EXPECT_EQ(line.Sleeps(), (std::vector<unsigned>{100, 50}));
    EXPECT_EQ(line.WriteTimes()[0], 100u);
    // Open and purge; the flush's clear, wait and read; the write; the poll's clear, wait and
    // read: the line errors are cleared before every read.
    EXPECT_EQ(line.Calls(), "OPESRWQESR");
}

TEST_F(ExchangeTest, StaleBytesAreFlushedBeforeTheWrite) {
    line.Arrive("200/");
    Answer("7/");
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.1373f);
}

TEST_F(ExchangeTest, NoReplyGivesZeroAfterTenPolls) {
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f);
    std::vector<unsigned> expected{100};
    expected.insert(expected.end(), 10, 50);
    EXPECT_EQ(line.Sleeps(), expected);
}

TEST_F(ExchangeTest, RepliesWithoutAReadingGiveZero) {
    for (const char* reply : {"/12", "128", "999/", "1x/", "exist/", "256/"}) {
        Answer(reply);
        EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f) << reply;
    }
}

TEST_F(ExchangeTest, ReplyIsTakenAsItStandsAtTheFirstPollWithBytes) {
    // The first piece is there at the first poll, the rest only later: no '/' yet.
    line.OnWrite([](const FakeLine::Bytes&) {
        return std::vector<FakeLine::Reply>{{"12", 10}, {"8/", 70}};
    });
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f);
    // Both pieces before the poll: the whole reading.
    line.OnWrite([](const FakeLine::Bytes&) {
        return std::vector<FakeLine::Reply>{{"12", 10}, {"8/", 30}};
    });
    EXPECT_FLOAT_EQ(Exchange(5.0f), 2.5098f);
}

TEST_F(ExchangeTest, FailedWriteOrClosedPortGiveZero) {
    Answer("128/");
    line.SetShortWrites(1);
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f);
    EXPECT_EQ(line.Sleeps(), std::vector<unsigned>{100}); // no reply was awaited

    ClosePort();
    const size_t sleeps = line.Sleeps().size();
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f);
    EXPECT_EQ(line.Sleeps().size(), sleeps);
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
}

TEST_F(ExchangeTest, CloseBetweenTheAttemptsEndsTheExchange) {
    line.At(175, [] { ClosePort(); }); // during the wait of the second attempt
    EXPECT_FLOAT_EQ(Exchange(5.0f), 0.0f);
    EXPECT_EQ(line.Sleeps(), (std::vector<unsigned>{100, 50, 50, 1000}));
    EXPECT_EQ(line.ReadCount(), 2u); // the flush's and the first attempt's; no read after
    EXPECT_EQ(line.CallsOnClosedHandle(), 0);
}

} // namespace
