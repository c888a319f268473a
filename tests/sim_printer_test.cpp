// The virtual printer over a real pseudo-terminal: a client opens the device as the tool opens a
// serial port (raw, non-blocking), writes frames in the tool's splits and reads the replies.
// test-labels: threaded e2e
#include <gtest/gtest.h>

#ifndef _WIN32 // pseudo-terminals

#include <climits>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "sim/SensorModel.h"
#include "sim/VirtualPrinter.h"

using namespace std::chrono_literals;
using tarvello::sim::FrameKind;
using tarvello::sim::Media;
using tarvello::sim::Sensor;
using tarvello::sim::SensorModel;
using tarvello::sim::VirtualPrinter;

namespace {

using Clock = std::chrono::steady_clock;

const std::string kHandshake("\x02k\r", 3);
const std::string kAccess("\x02&58203716\x13\0", 12);
const std::string kStatus("\x02Y", 2);

// The tool's side of the line.
class Client {
  public:
    explicit Client(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            cfsetispeed(&tio, B38400);
            cfsetospeed(&tio, B38400);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Client() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }

    ssize_t Write(const std::string& bytes) { return write(fd_, bytes.data(), bytes.size()); }
    // Writes the pieces with a pause between them.
    void WritePieces(const std::vector<std::string>& pieces, std::chrono::milliseconds gap) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            ASSERT_EQ(Write(pieces[i]), static_cast<ssize_t>(pieces[i].size()));
            if (i + 1 < pieces.size()) {
                std::this_thread::sleep_for(gap);
            }
        }
    }
    // Reads until `want` bytes have come or `limit` has passed; then waits `settle` more for
    // stragglers when want is 0 (read whatever comes).
    std::string Read(std::size_t want, std::chrono::milliseconds limit) {
        std::string got;
        const auto end = Clock::now() + limit;
        while (got.size() < want || want == 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd pfd{fd_, POLLIN, 0};
            if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buffer[4096];
            ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                lastError_ = n < 0 ? errno : 0;
                eof_ = true;
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
            ++reads_;
        }
        return got;
    }
    // Everything that arrives within the time given.
    std::string ReadAll(std::chrono::milliseconds limit) { return Read(0, limit); }
    std::string Exchange(const std::string& frame, std::size_t want) {
        Write(frame);
        return Read(want, 1000ms);
    }
    // A decimal reading: everything up to and including the '/'.
    std::string ExchangeReading(const std::string& frame) {
        Write(frame);
        std::string got;
        while (got.find('/') == std::string::npos) {
            std::string more = Read(1, 1000ms);
            if (more.empty()) {
                break;
            }
            got += more;
        }
        return got;
    }
    int reads() const { return reads_; }
    bool eof() const { return eof_; }
    int lastError() const { return lastError_; }
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
    int reads_ = 0;
    bool eof_ = false;
    int lastError_ = 0;
};

std::string Reading(char sensor, const char* code, const char* digits) {
    return std::string("\x02J") + sensor + code + digits;
}

std::string Decimal(int value) {
    return std::to_string(value) + "/";
}

class PrinterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(printer.Start());
        client = std::make_unique<Client>(printer.DevicePath());
        ASSERT_TRUE(client->ok());
    }
    VirtualPrinter printer;
    std::unique_ptr<Client> client;
};

TEST_F(PrinterTest, ConnectionFramesAndStatus) {
    // The reply is exactly 'Y': nothing of what the client wrote comes back (no echo).
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    EXPECT_EQ(client->ReadAll(50ms), "");
    // The access code and its trailing NUL get no reply and leave no stray frame.
    client->Write(kAccess);
    EXPECT_EQ(client->ReadAll(100ms), "");
    EXPECT_EQ(client->Exchange(kStatus, 31), "exist 128/headpos 7/ribbon 255/");

    printer.SetStatus(0, 42, 199);
    EXPECT_EQ(client->Exchange(kStatus, 29), "exist 0/headpos 42/ribbon 199/");
    printer.SetStatusReply("exist/headpos 12");
    EXPECT_EQ(client->Exchange(kStatus, 16), "exist/headpos 12");

    EXPECT_EQ(printer.Frames(), (std::vector<std::string>{"STX \"k\" CR", "STX \"&58203716\" DC3",
                                                          "STX \"Y\"", "STX \"Y\"", "STX \"Y\""}));
    EXPECT_EQ(printer.FrameCount(FrameKind::Status), 3);
    EXPECT_EQ(printer.FrameCount(FrameKind::Unknown), 0);
    EXPECT_EQ(printer.RawReceived(), kHandshake + kAccess + kStatus + kStatus + kStatus);
    EXPECT_EQ(printer.RawSent(), "Y"
                                 "exist 128/headpos 7/ribbon 255/"
                                 "exist 0/headpos 42/ribbon 199/"
                                 "exist/headpos 12");
}

TEST_F(PrinterTest, ReadingsInAnySplitOfWrites) {
    const int paper = SensorModel::Reading(Sensor::Reflective, 3, 128, Media::Paper);
    // The adjustment's one write of 8 bytes.
    EXPECT_EQ(client->ExchangeReading(Reading('F', "11", "128")), Decimal(paper));
    // The single reading's 3 + 2 + 3 bytes, the intensity 100 ms after the code.
    client->WritePieces({"\x02JF", "10", "007"}, 100ms);
    EXPECT_EQ(client->Read(4, 1000ms),
              Decimal(SensorModel::Reading(Sensor::Reflective, 2, 7, Media::Paper)));
    EXPECT_EQ(printer.Level(Sensor::Reflective), 2);
    EXPECT_EQ(printer.Intensity(Sensor::Reflective), 7);
    // One byte at a time.
    const std::string frame = Reading('T', "01", "200");
    for (char c : frame) {
        client->Write(std::string(1, c));
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(client->Read(4, 1000ms),
              Decimal(SensorModel::Reading(Sensor::Transmissive, 1, 200, Media::Liner)));
    // No code at all: a reading at the sensor's last level (here 1) once the line is quiet.
    client->WritePieces({"\x02JT", "064"}, 100ms);
    EXPECT_EQ(client->Read(4, 1000ms),
              Decimal(SensorModel::Reading(Sensor::Transmissive, 1, 64, Media::Liner)));
    EXPECT_EQ(printer.Frames(), (std::vector<std::string>{"STX \"JF11128\"", "STX \"JF10007\"",
                                                          "STX \"JT01200\"", "STX \"JT064\""}));
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 2);
    EXPECT_EQ(printer.FrameCount(FrameKind::TransmissiveReading), 2);
}

TEST_F(PrinterTest, MediaAndOverridesChangeTheReading) {
    printer.SetMedia(Sensor::Reflective, Media::Mark);
    EXPECT_EQ(printer.GetMedia(Sensor::Reflective), Media::Mark);
    EXPECT_EQ(client->ExchangeReading(Reading('F', "11", "200")),
              Decimal(SensorModel::Reading(Sensor::Reflective, 3, 200, Media::Mark)));
    printer.SetReadingOverride(Sensor::Reflective, 7);
    EXPECT_EQ(client->ExchangeReading(Reading('F', "11", "200")), "7/");
    // The override belongs to one sensor only.
    EXPECT_EQ(client->ExchangeReading(Reading('T', "11", "000")), Decimal(15));
    printer.SetReadingOverride(Sensor::Reflective, std::nullopt);
    printer.SetMedia(Sensor::Reflective, Media::NoPaper);
    EXPECT_EQ(client->ExchangeReading(Reading('F', "00", "255")),
              Decimal(SensorModel::Reading(Sensor::Reflective, 0, 255, Media::NoPaper)));
}

TEST_F(PrinterTest, MalformedAndCutOffFramesGetNoReply) {
    // An unknown code, a non-digit intensity and an unknown command: logged, not answered.
    client->Write(Reading('F', "21", "128"));
    client->Write(Reading('F', "11", "1x8"));
    client->Write(std::string("\x02Q", 2));
    EXPECT_EQ(client->ReadAll(150ms), "");
    // A frame cut off by the next STX, then a good frame that is answered.
    client->Write(std::string("\x02Ke", 3));
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    // Stray bytes before a frame.
    client->Write("xyz");
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(client->Exchange(kStatus, 31), "exist 128/headpos 7/ribbon 255/");
    EXPECT_EQ(printer.FrameCount(FrameKind::Unknown), 5);
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 0);
    auto frames = printer.Frames();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[3], "STX \"Ke\"");
    EXPECT_EQ(frames[4], "STX \"k\" CR");
    EXPECT_EQ(frames[5], "\"xyz\"");
    // A stream of stray bytes is cut into pieces, not gathered without end.
    printer.ClearLog();
    client->Write(std::string(300, 'z'));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    const auto log = printer.FrameLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes.size() + log[1].bytes.size(), 300u);
    EXPECT_LT(log[0].bytes.size(), 300u);
    EXPECT_EQ(log[2].kind, FrameKind::Handshake);
}

TEST_F(PrinterTest, PaperCheckValuesAndSamples) {
    // The three values of the check wait: upper-case hex, four characters each.
    client->Write(std::string("\x02r", 2));
    EXPECT_EQ(client->Exchange(std::string("\x02Ke0f", 5), 4), "0050");
    EXPECT_EQ(client->Exchange(std::string("\x02Ke02", 5), 4), "0064");
    EXPECT_EQ(client->Exchange(std::string("\x02Ke0e", 5), 4), "000A");
    // The samples of a reflective check at the last reading's settings: mark, then paper.
    client->ExchangeReading(Reading('F', "10", "150"));
    client->Write(std::string("\x02r", 2));
    client->Write(std::string("\x02JC\x13", 4));
    EXPECT_EQ(client->ReadAll(80ms), "");
    const auto reflective = SensorModel::CheckSamples(Sensor::Reflective, 2, 150);
    EXPECT_EQ(std::stoi(client->Exchange(std::string("\x02Ke14", 5), 4), nullptr, 16),
              reflective.first);
    EXPECT_EQ(std::stoi(client->Exchange(std::string("\x02Ke13", 5), 4), nullptr, 16),
              reflective.second);
    // A transmissive check: liner (the gap), then a label.
    client->ExchangeReading(Reading('T', "11", "100"));
    client->Write(std::string("\x02"
                              "e",
                              2));
    client->Write(std::string("\x02JC\x13", 4));
    std::this_thread::sleep_for(50ms);
    const auto transmissive = SensorModel::CheckSamples(Sensor::Transmissive, 3, 100);
    EXPECT_EQ(std::stoi(client->Exchange(std::string("\x02Ke14", 5), 4), nullptr, 16),
              transmissive.first);
    EXPECT_EQ(std::stoi(client->Exchange(std::string("\x02Ke13", 5), 4), nullptr, 16),
              transmissive.second);
    // Configured values, and an unknown selector.
    printer.SetKeValue("0e", 0);
    printer.SetKeValue("14", 0xC0);
    EXPECT_EQ(client->Exchange(std::string("\x02Ke0e", 5), 4), "0000");
    EXPECT_EQ(client->Exchange(std::string("\x02Ke14", 5), 4), "00C0");
    EXPECT_EQ(client->Exchange(std::string("\x02Ke77", 5), 4), "0000");
    printer.SetKeValue("0e", std::nullopt);
    EXPECT_EQ(client->Exchange(std::string("\x02Ke0e", 5), 4), "000A");
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveCheck), 2);
    EXPECT_EQ(printer.FrameCount(FrameKind::TransmissiveCheck), 1);
    EXPECT_EQ(printer.FrameCount(FrameKind::CheckMeasure), 2);
    EXPECT_EQ(printer.FrameCount(FrameKind::KeValue), 11);
}

TEST_F(PrinterTest, ClientMayOpenAndCloseTheDeviceAgain) {
    for (int round = 0; round < 5; ++round) {
        client.reset();
        client = std::make_unique<Client>(printer.DevicePath());
        ASSERT_TRUE(client->ok());
        EXPECT_EQ(client->Exchange(kHandshake, 1), "Y") << "round " << round;
    }
    EXPECT_TRUE(printer.Running());
    EXPECT_FALSE(printer.HungUp());
}

TEST_F(PrinterTest, SilenceForAllOrForOneKind) {
    printer.SetSilentFor(FrameKind::Status, true);
    client->Write(kStatus);
    EXPECT_EQ(client->ReadAll(200ms), "");
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    printer.SetSilent(true);
    client->Write(kHandshake);
    client->Write(Reading('F', "11", "000"));
    EXPECT_EQ(client->ReadAll(200ms), "");
    printer.SetSilent(false);
    printer.SetSilentFor(FrameKind::Status, false);
    EXPECT_EQ(client->Exchange(kStatus, 31), "exist 128/headpos 7/ribbon 255/");
    // Silent frames are still received and logged.
    EXPECT_TRUE(printer.WaitForFrames(FrameKind::Status, 2, 1000));
    EXPECT_EQ(printer.FrameCount(FrameKind::Handshake), 2);
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 1);
}

TEST_F(PrinterTest, GarbageRepliesMatchNoGrammar) {
    printer.SetGarbage(true);
    // Garbage as long as the reply, at least 8 bytes.
    const std::pair<std::string, std::size_t> cases[] = {{kHandshake, 8},
                                                         {kStatus, 31},
                                                         {Reading('F', "11", "128"), 8},
                                                         {std::string("\x02Ke0f", 5), 8}};
    for (const auto& [frame, size] : cases) {
        client->Write(frame);
        const std::string reply = client->Read(size, 1000ms);
        ASSERT_EQ(reply.size(), size);
        for (char c : reply) {
            EXPECT_EQ(std::string("/0123456789ABCDEFabcdefY\x11\x13").find(c), std::string::npos)
                << "byte " << static_cast<int>(static_cast<unsigned char>(c));
        }
    }
    EXPECT_EQ(client->ReadAll(50ms), "");
    printer.SetGarbage(false);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
}

TEST_F(PrinterTest, SplitRepliesComeInPieces) {
    printer.SetSplit(8, 100);
    client->Write(kStatus);
    // Pieces of 8 bytes 100 ms apart: the first read gets only the start of the reply.
    const std::string reply = "exist 128/headpos 7/ribbon 255/";
    const std::string first = client->Read(1, 1000ms);
    ASSERT_FALSE(first.empty());
    EXPECT_LT(first.size(), reply.size());
    EXPECT_EQ(reply.compare(0, first.size(), first), 0);
    EXPECT_EQ(first + client->Read(reply.size() - first.size(), 2000ms), reply);
    EXPECT_GE(client->reads(), 2);
    EXPECT_EQ(printer.RawSent(), reply);
}

TEST_F(PrinterTest, SlowRepliesWaitBeforeTheFirstByte) {
    printer.SetReplyDelayMs(300);
    client->Write(kHandshake);
    EXPECT_EQ(client->ReadAll(100ms), "");
    EXPECT_EQ(client->Read(1, 2000ms), "Y");
    // Replies keep their order behind a slow one.
    client->Write(kStatus);
    ASSERT_TRUE(printer.WaitForFrames(FrameKind::Status, 1, 1000));
    printer.SetReplyDelayMs(0);
    client->Write(kHandshake);
    EXPECT_EQ(client->Read(32, 2000ms), "exist 128/headpos 7/ribbon 255/Y");
}

TEST_F(PrinterTest, OversizedRepliesArriveWhole) {
    printer.SetOversize(65536);
    client->Write(Reading('F', "11", "128"));
    const std::string reply = client->Read(65536, 5000ms);
    ASSERT_EQ(reply.size(), 65536u);
    EXPECT_EQ(reply.substr(0, 4),
              Decimal(SensorModel::Reading(Sensor::Reflective, 3, 128, Media::Paper)));
    EXPECT_EQ(reply.find_first_not_of('.', 4), std::string::npos);
    // The printer keeps listening while it writes: the next frame is answered in turn.
    printer.SetOversize(0);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
}

TEST_F(PrinterTest, RefusedHandshake) {
    printer.SetRejectHandshake(true);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "N");
    printer.SetRejectHandshake(false);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
}

TEST_F(PrinterTest, HangUpEndsTheLine) {
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    printer.HangUp();
    EXPECT_TRUE(printer.HungUp());
    EXPECT_FALSE(printer.Running());
    // The client sees the end of the line: a read that ends (EOF or EIO), a write that fails.
    client->Read(1, 500ms);
    EXPECT_TRUE(client->eof());
    EXPECT_EQ(client->Write(kHandshake), -1);
    // A client opening the old device afterwards gets no printer (open fails or the line is
    // dead); either way nothing is answered.
    Client late(printer.DevicePath());
    if (late.ok()) {
        late.Write(kHandshake);
        EXPECT_EQ(late.Read(1, 200ms), "");
    }
    printer.Stop();
}

TEST_F(PrinterTest, HangUpAfterAGivenFrame) {
    printer.SetHangUpAfterFrames(3);
    EXPECT_EQ(client->Exchange(kHandshake, 1), "Y");
    EXPECT_EQ(client->Exchange(kStatus, 31), "exist 128/headpos 7/ribbon 255/");
    // The third frame is received, not answered; the line goes down.
    client->Write(Reading('F', "11", "128"));
    EXPECT_EQ(client->Read(1, 500ms), "");
    EXPECT_TRUE(client->eof());
    EXPECT_TRUE(printer.HungUp());
    EXPECT_EQ(printer.FrameCount(FrameKind::ReflectiveReading), 1);
}

TEST(VirtualPrinter, StopsPromptlyAndRestartsOnANewTerminal) {
    VirtualPrinter printer;
    EXPECT_FALSE(printer.Running());
    ASSERT_TRUE(printer.Start());
    EXPECT_FALSE(printer.Start()); // already started
    const std::string first = printer.DevicePath();
    EXPECT_EQ(first.rfind("/dev/", 0), 0u);
    {
        Client client(first);
        ASSERT_TRUE(client.ok());
        EXPECT_EQ(client.Exchange(kHandshake, 1), "Y");
        const auto begin = Clock::now();
        printer.Stop();
        EXPECT_LT(Clock::now() - begin, 1s);
        EXPECT_FALSE(printer.Running());
        client.Read(1, 300ms);
        EXPECT_TRUE(client.eof());
    }
    printer.Stop(); // twice is harmless
    ASSERT_TRUE(printer.Start());
    Client again(printer.DevicePath());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.Exchange(kStatus, 31), "exist 128/headpos 7/ribbon 255/");
    // The log runs on over a restart until cleared.
    EXPECT_EQ(printer.TotalFrames(), 2);
    printer.ClearLog();
    EXPECT_EQ(printer.TotalFrames(), 0);
    EXPECT_EQ(printer.RawReceived(), "");
}

// The program tarvello-printer, next to the tests' folder in the build tree.
class PrinterProgram {
  public:
    static std::string Path() {
        char self[PATH_MAX] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
            return "";
        }
        std::string dir(self);
        dir.erase(dir.rfind('/'));
        dir.erase(dir.rfind('/') + 1);
        const std::string path = dir + "tarvello-printer";
        return access(path.c_str(), X_OK) == 0 ? path : "";
    }
    bool Spawn(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> all{Path()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        return rc == 0;
    }
    // The first line of output, without its newline.
    std::string FirstLine() {
        std::string line;
        char c;
        pollfd pfd{stdout_, POLLIN, 0};
        while (poll(&pfd, 1, 3000) > 0 && read(stdout_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }
    void CloseInput() {
        close(stdin_);
        stdin_ = -1;
    }
    // The exit status once the program has ended, -1 when it runs on after 3 s.
    int Wait() {
        for (int i = 0; i < 300; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }
    pid_t pid() const { return pid_; }
    ~PrinterProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdin_ >= 0) {
            close(stdin_);
        }
        if (stdout_ >= 0) {
            close(stdout_);
        }
    }

  private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
};

TEST(PrinterProgramE2E, ServesWithItsOptionsAndEndsOnRequest) {
    if (PrinterProgram::Path().empty()) {
        GTEST_SKIP() << "tarvello-printer is not built next to the tests";
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(
            program.Spawn({"--status", "1,2,3", "--reject-handshake", "--ke", "0e=0x14",
                           "--transmissive-reading", "99", "--ke=02=7", "--exit-on-stdin-eof"}));
        const std::string path = program.FirstLine();
        ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
        Client client(path);
        ASSERT_TRUE(client.ok());
        EXPECT_EQ(client.Exchange(kHandshake, 1), "N");
        EXPECT_EQ(client.Exchange(kStatus, 27), "exist 1/headpos 2/ribbon 3/");
        EXPECT_EQ(client.Exchange(std::string("\x02Ke0e", 5), 4), "0014");
        EXPECT_EQ(client.Exchange(std::string("\x02Ke02", 5), 4), "0007"); // each --ke its own
        EXPECT_EQ(client.ExchangeReading(Reading('T', "11", "000")), "99/");
        program.CloseInput();
        EXPECT_EQ(program.Wait(), 0);
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(program.Spawn({"--hangup-after", "1"}));
        Client client(program.FirstLine());
        ASSERT_TRUE(client.ok());
        client.Write(kHandshake);
        EXPECT_EQ(client.Read(1, 1000ms), "");
        EXPECT_TRUE(client.eof());
        EXPECT_EQ(program.Wait(), 0); // the program ends with its line
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(program.Spawn({}));
        ASSERT_FALSE(program.FirstLine().empty());
        kill(program.pid(), SIGTERM);
        EXPECT_EQ(program.Wait(), 0);
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(program.Spawn({"--split", "x"}));
        EXPECT_EQ(program.FirstLine(), "");
        EXPECT_EQ(program.Wait(), 2); // a bad option: no printer, exit status 2
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(program.Spawn({"COM1"}));
        EXPECT_EQ(program.FirstLine(), "");
        EXPECT_EQ(program.Wait(), 2); // an argument that is no option is refused too
    }
    {
        PrinterProgram program;
        ASSERT_TRUE(program.Spawn({"--silent", "--version"}));
        EXPECT_EQ(program.FirstLine().rfind("tarvello-printer ", 0), 0u);
        EXPECT_EQ(program.Wait(), 0); // the version, and no printer
    }
}

// --link: each printer points the link at its own device when it starts, and removes it at the
// end only while it still points there (a later printer may have taken it over).
TEST(PrinterProgramE2E, TheLinkFollowsTheLatestPrinter) {
    if (PrinterProgram::Path().empty()) {
        GTEST_SKIP() << "tarvello-printer is not built next to the tests";
    }
    const std::string link = "/tmp/tarvello-link-" + std::to_string(getpid());
    auto target = [&] {
        char buffer[256] = {};
        return readlink(link.c_str(), buffer, sizeof buffer - 1) > 0 ? std::string(buffer) : "";
    };
    PrinterProgram first, second;
    ASSERT_TRUE(first.Spawn({"--link", link}));
    const std::string firstPath = first.FirstLine();
    EXPECT_EQ(target(), firstPath);
    ASSERT_TRUE(second.Spawn({"--link", link}));
    const std::string secondPath = second.FirstLine();
    EXPECT_NE(secondPath, firstPath);
    EXPECT_EQ(target(), secondPath);
    Client client(link); // the link opens the printer's line
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(client.Exchange(kHandshake, 1), "Y");
    kill(first.pid(), SIGTERM);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(target(), secondPath) << "the first printer removed the second one's link";
    kill(second.pid(), SIGTERM);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(target(), "") << "the link outlived its printer";
}

TEST(VirtualPrinter, RenderBytes) {
    EXPECT_EQ(tarvello::sim::RenderBytes(std::string("\x02JC\x13", 4)), "STX \"JC\" DC3");
    EXPECT_EQ(tarvello::sim::RenderBytes(std::string("\x02&58203716\x13\0", 12)),
              "STX \"&58203716\" DC3 NUL");
    EXPECT_EQ(tarvello::sim::RenderBytes("\x01"
                                         "a\xff"),
              "0x01 \"a\" 0xFF");
    EXPECT_EQ(tarvello::sim::RenderBytes(""), "");
}

} // namespace

#endif // !_WIN32
