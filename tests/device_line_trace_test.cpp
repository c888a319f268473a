// The line trace: the line format on worked examples, the ring's count of what it overwrote,
// what the primitives record (directions and parties) on a scripted line, and a trace file
// that keeps every whole line through a SIGKILL of its writer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "FakeLine.h"
#include "device/LineTrace.h"
#include "device/SerialPort.h"
#include "device/TraceFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::vector<TraceEntry> EntriesAfter(uint64_t after, uint64_t* dropped = nullptr) {
    std::vector<TraceEntry> out;
    ReadTraceSince(after, out, dropped);
    return out;
}

TEST(LineTraceFormat, WorkedExamples) {
    EXPECT_EQ(
        FormatTraceLine({1, 1234567, TraceDirection::kToPrinter, TraceParty::kMonitor, B("\x02Y")}),
        "    1.234 -> monitor  02 59 | <STX>Y");
    EXPECT_EQ(FormatTraceLine(
                  {2, 999, TraceDirection::kFromPrinter, TraceParty::kAdjustment, B("128/\r")}),
              "    0.000 <- adjust   31 32 38 2F 0D | 128/<CR>");
    EXPECT_EQ(FormatTraceLine({3, 61000500, TraceDirection::kDiscarded, TraceParty::kUntagged,
                               Bytes{0x02, 'J', 'C', 0x13, 0x00, 0x7F, 0xB5, '<'}}),
              "   61.000 x  untagged 02 4A 43 13 00 7F B5 3C | <STX>JC<DC3><NUL><DEL><B5><");
    EXPECT_EQ(FormatTraceLine({4, 2000, TraceDirection::kDiscardedOutput, TraceParty::kAdjustment,
                               B("\x02JR")}),
              "    0.002 x  adjust   02 4A 52 | <STX>JR | output queue");
    EXPECT_EQ(FormatTraceDropped(17), "# 17 entries dropped");
    EXPECT_STREQ(TracePartyName(TraceParty::kPortOpen), "open");
    EXPECT_STREQ(TracePartyName(TraceParty::kPaperCheck), "check");
    EXPECT_STREQ(TracePartyName(TraceParty::kReading), "reading");
    EXPECT_STREQ(TracePartyName(TraceParty::kCommandLine), "cli");
}

TEST(LineTraceRing, CountsWhatItOverwroteAndKeepsLongWritesWhole) {
    SetLineTraceEnabled(true);
    const uint64_t start = LatestTraceSequence();
    uint8_t byte = 0;
    for (size_t k = 0; k < kTraceRingEntries + 10; ++k, ++byte) {
        TraceLine(TraceDirection::kToPrinter, &byte, 1);
    }
    uint64_t dropped = 0;
    std::vector<TraceEntry> entries = EntriesAfter(start, &dropped);
    EXPECT_EQ(dropped, 10u);
    ASSERT_EQ(entries.size(), kTraceRingEntries);
    EXPECT_EQ(entries.front().bytes, Bytes{10});
    EXPECT_EQ(entries.front().sequence, start + 11);
    // A reader that is up to date misses nothing.
    const uint64_t latest = LatestTraceSequence();
    EXPECT_TRUE(EntriesAfter(latest, &dropped).empty());
    EXPECT_EQ(dropped, 0u);
    // 600 bytes: three consecutive entries, nothing cut off.
    Bytes big(600);
    for (size_t k = 0; k < big.size(); ++k) {
        big[k] = static_cast<uint8_t>(k);
    }
    TraceLine(TraceDirection::kToPrinter, big.data(), big.size());
    entries = EntriesAfter(latest);
    ASSERT_EQ(entries.size(), 3u);
    Bytes joined;
    for (const TraceEntry& e : entries) {
        joined.insert(joined.end(), e.bytes.begin(), e.bytes.end());
    }
    EXPECT_EQ(joined, big);
    EXPECT_GE(TraceRingMemoryBytes(), kTraceRingEntries * kTraceEntryBytes);
    // Off: nothing is recorded.
    SetLineTraceEnabled(false);
    TraceLine(TraceDirection::kToPrinter, big.data(), 1);
    EXPECT_EQ(LatestTraceSequence(), latest + 3);
}

TEST(LineTracePrimitives, DirectionsAndPartiesOfWhatWentOverTheLine) {
    FakeLine line;
    line.Install();
    g_hCom = kInvalidPortHandle;
    g_bPortOpen = false;
    SetLineTraceEnabled(true);
    const uint64_t start = LatestTraceSequence();
    line.OnWrite([](const Bytes& frame) {
        return frame == B("\x02Y") ? std::vector<FakeLine::Reply>{{"0/1/2/\r", 30}}
                                   : std::vector<FakeLine::Reply>{};
    });
    PortSettings settings;
    settings.nPort = 0;
    {
        ScopedTraceParty open(TraceParty::kPortOpen);
        line.Arrive("ZZ"); // waiting in the driver at the open: seen, then purged
        ASSERT_EQ(OpenPort(settings), 0);
    }
    {
        ScopedTraceParty monitor(TraceParty::kMonitor);
        EXPECT_EQ(CurrentTraceParty(), TraceParty::kMonitor);
        {
            ScopedTraceParty inner(TraceParty::kReading);
            EXPECT_EQ(CurrentTraceParty(), TraceParty::kReading);
        }
        EXPECT_EQ(CurrentTraceParty(), TraceParty::kMonitor);
        line.Arrive("old");
        FlushInput(255);
        ASSERT_EQ(WritePort("\x02Y", 2), 0);
        uint8_t reply[255];
        uint32_t count = 0;
        ASSERT_EQ(ReadPort(reply, sizeof reply, count), 0);
        ASSERT_EQ(count, 7u);
    }
    line.Arrive("tail");
    PurgeInput(); // on an untagged thread
    // A write the handshake holds past its timeout never left: discarded from the output queue.
    line.SetOutputHeld(true);
    EXPECT_EQ(WritePort("\x02JR", 3), 1);
    line.SetOutputHeld(false);
    const std::vector<TraceEntry> entries = EntriesAfter(start);
    ASSERT_EQ(entries.size(), 6u);
    const TraceDirection x = TraceDirection::kDiscarded;
    const std::vector<std::tuple<TraceDirection, TraceParty, Bytes>> expected = {
        {x, TraceParty::kPortOpen, B("ZZ")},
        {x, TraceParty::kMonitor, B("old")},
        {TraceDirection::kToPrinter, TraceParty::kMonitor, B("\x02Y")},
        {TraceDirection::kFromPrinter, TraceParty::kMonitor, B("0/1/2/\r")},
        {x, TraceParty::kUntagged, B("tail")},
        {TraceDirection::kDiscardedOutput, TraceParty::kUntagged, B("\x02JR")},
    };
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(entries[k].direction, std::get<0>(expected[k])) << k;
        EXPECT_EQ(entries[k].party, std::get<1>(expected[k])) << k;
        EXPECT_EQ(entries[k].bytes, std::get<2>(expected[k])) << k;
    }
    // Times count from the open and never go back.
    for (size_t k = 1; k < entries.size(); ++k) {
        EXPECT_GE(entries[k].micros, entries[k - 1].micros);
    }
    EXPECT_GE(entries.front().micros, 0);
    SetLineTraceEnabled(false);
    tarvello::SetSleepHook([](unsigned) {});
    ClosePort();
    line.Uninstall();
}

// A child writes numbered entries through the trace file until it is killed; every line before
// the kill is whole and the entries are all there, in order.
TEST(LineTraceFile, KeepsEveryWholeLineThroughAKill) {
    char path[] = "/tmp/tarvello-trace-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        if (!StartTraceFile(path, &error)) {
            ::_exit(2);
        }
        for (uint32_t n = 0;; ++n) {
            char text[16];
            const int len = std::snprintf(text, sizeof text, "%u/", n);
            TraceLine(TraceDirection::kFromPrinter, text, static_cast<size_t>(len));
            if (n % 64 == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }
    // Kill it once the file holds a few thousand lines.
    for (int k = 0; k < 5000; ++k) {
        std::ifstream in(path);
        const long lines =
            std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
        if (lines > 3000) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::ifstream in(path, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ::unlink(path);
    const std::regex entry(R"( *\d+\.\d{3} <- untagged ([0-9A-F]{2}( [0-9A-F]{2})*) \| (\d+)/)");
    size_t begin = 0;
    long expected = 0;
    long dropped = 0;
    for (size_t end; (end = all.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const std::string line = all.substr(begin, end - begin);
        std::smatch m;
        if (line.rfind("# ", 0) == 0) {
            long n = 0;
            if (std::sscanf(line.c_str(), "# %ld entries dropped", &n) == 1) {
                expected += n;
                dropped += n;
            }
            continue;
        }
        ASSERT_TRUE(std::regex_match(line, m, entry)) << "line " << expected << ": " << line;
        ASSERT_EQ(std::stol(m[3].str()), expected);
        ++expected;
    }
    EXPECT_GT(expected - dropped, 3000);
    // What follows the last line end is at most the start of one line cut by the kill.
    EXPECT_LT(all.size() - begin, 80u);
}

} // namespace
