// The virtual printer: a label printer's serial side on a pseudo-terminal, for tests and for
// `tarvello --simulate`. Start() opens a pseudo-terminal pair; a client opens DevicePath() as it
// would open a serial port. A server thread reassembles the frames the client writes (from any
// split of writes) and answers them:
//   STX "k" CR                       'Y' (or 'N' when the handshake is refused)
//   STX "&" 8 digits DC3 (+ 0x00)    nothing
//   STX "Y"                          status reply, "exist 128/headpos 7/ribbon 255/"
//   STX "JF"/"JT" code 3 digits      decimal reading "N/" of the reflective/transmissive sensor
//   STX "JF"/"JT" 3 digits (no code) the same at the sensor's last level, once the line is idle
//   STX "r" / STX "e"                nothing; selects the sensor of the paper check
//   STX "Ke" selector                four upper-case hex characters ("0050", ...)
//   STX "JC" DC3                     nothing; takes the two samples of the paper check
// Faults can be switched on and off at any time from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/SensorModel.h"

namespace tarvello::sim {

enum class FrameKind {
    Handshake,           // STX "k" CR
    AccessCode,          // STX "&" + 8 digits + DC3
    Status,              // STX "Y"
    ReflectiveReading,   // STX "JF" + code + intensity
    TransmissiveReading, // STX "JT" + code + intensity
    ReflectiveCheck,     // STX "r"
    TransmissiveCheck,   // STX "e"
    KeValue,             // STX "Ke" + selector
    CheckMeasure,        // STX "JC" DC3
    Unknown,             // anything else (stray bytes, an unknown command, a cut-off frame)
};
const char* FrameKindName(FrameKind kind);

// One frame as received.
struct Frame {
    FrameKind kind = FrameKind::Unknown;
    std::string bytes; // exactly the bytes of the frame as they came in
    std::string text;  // readable: STX "JF11128", STX "k" CR, STX "JC" DC3, 0x41 ...
};

// Readable rendering of bytes: STX, CR, DC3 and NUL by name, printable runs in quotes, other
// bytes as 0xNN, separated by spaces.
std::string RenderBytes(const std::string& bytes);

class VirtualPrinter {
  public:
    // Values of the paper check (STX "Ke" selectors "0f", "02", "0e"): rate 200, q = 100, so
    // the tool's check wait is 100 / 200 * 1000 + 500 = 1000 ms.
    static constexpr int kDefaultK0f = 0x0050;
    static constexpr int kDefaultK02 = 0x0064;
    static constexpr int kDefaultK0e = 0x000A;

    VirtualPrinter();
    ~VirtualPrinter(); // stops the server and closes the pseudo-terminal
    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Opens the pseudo-terminal pair and starts the server thread. False when the pair cannot
    // be opened or the printer was started before and not stopped since (Stop, then Start,
    // restarts it on a new pseudo-terminal).
    bool Start();
    // The slave side's path (e.g. /dev/pts/3), valid after a successful Start.
    std::string DevicePath() const;
    // Stops the server thread (promptly) and closes both sides. Safe to call more than once.
    void Stop();
    // Serving: started, not stopped and not hung up.
    bool Running() const;

    // --- Model and printer state -------------------------------------------------------------
    // What lies under a sensor (start: paper under the reflective, liner under the
    // transmissive sensor); it may change at any time, as a technician changes the media.
    void SetMedia(Sensor sensor, Media media);
    Media GetMedia(Sensor sensor) const;
    // Dirt on both sensors and the media stock (see Conditions).
    void SetConditions(const Conditions& conditions);
    Conditions GetConditions() const;
    // The three values of the status reply.
    void SetStatus(int exist, int headpos, int ribbon);
    // Replaces the whole status reply with this text (empty text: back to the three values).
    void SetStatusReply(const std::string& reply);
    // A fixed raw value answered to every reading of the sensor, instead of the model's.
    void SetReadingOverride(Sensor sensor, std::optional<int> value);
    // The value answered to STX "Ke" + selector (two characters, e.g. "0f"). Selectors "14"
    // and "13" default to the samples taken by STX "JC" (see below); unknown selectors to 0.
    void SetKeValue(const std::string& selector, std::optional<int> value);
    // Level and intensity last sent to a sensor (start: level 3, intensity 128).
    int Level(Sensor sensor) const;
    int Intensity(Sensor sensor) const;
    // The two samples of the paper check, taken by STX "JC" at the checked sensor's last
    // settings: reflective check (STX "r"): "14" over a mark, "13" over paper; transmissive
    // check (STX "e"): "14" over liner (the gap), "13" over a label.

    // --- Faults ------------------------------------------------------------------------------
    // No reply to anything.
    void SetSilent(bool on);
    // No reply to frames of one kind.
    void SetSilentFor(FrameKind kind, bool on);
    // Replies replaced by bytes that hold no 'Y', no '/', no digit, no hex letter and no
    // control byte (8 bytes or the reply's length).
    void SetGarbage(bool on);
    // Replies written in pieces of pieceBytes bytes, gapMs apart (pieceBytes 0: whole).
    void SetSplit(int pieceBytes, int gapMs);
    // Delay before each reply (default 2 ms). A slow printer is a long delay.
    void SetReplyDelayMs(int ms);
    // Replies padded with '.' to this total size (0: off), e.g. 65536.
    void SetOversize(std::size_t totalBytes);
    // 'N' instead of 'Y' to STX "k" CR.
    void SetRejectHandshake(bool on);
    // Closes the master side now: the client's reads and writes fail or see end of file. The
    // server thread ends; DevicePath() keeps the old path. Waits until the side is closed.
    void HangUp();
    // Hangs up right after the n-th frame from now has been received, unanswered (0: off).
    // Stray bytes, unknown commands and cut-off frames are not counted.
    void SetHangUpAfterFrames(int n);
    bool HungUp() const;

    // --- Observation (thread-safe) -----------------------------------------------------------
    // The logs keep at least the latest 50,000 frames and 4 MiB of bytes each way; the counts
    // are exact. ClearLog empties all of them.
    int FrameCount(FrameKind kind) const;
    int TotalFrames() const;
    std::vector<Frame> FrameLog() const;
    std::vector<std::string> Frames() const; // the readable texts, in order
    std::string RawReceived() const;         // every byte the client wrote, in order
    std::string RawSent() const;             // every byte the printer wrote, in order
    void ClearLog();
    // Waits until FrameCount(kind) >= count; false after timeoutMs.
    bool WaitForFrames(FrameKind kind, int count, int timeoutMs) const;

  private:
    struct Outgoing {
        std::chrono::steady_clock::time_point due;
        std::string bytes;
    };

    // Platform side (pseudo-terminal, server loop).
    void Run();
    bool Serve(bool& blocked);
    void WriteDue(std::chrono::steady_clock::time_point now, bool& blocked);
    void ClosePipe();
    // The loop's work, platform independent.
    int SleepMs(std::chrono::steady_clock::time_point now, bool blocked) const;
    void Received(const char* data, std::size_t n, std::chrono::steady_clock::time_point now);
    void LogSent(const char* data, std::size_t n); // mutex_ held
    void CloseFds();
    void Wake();
    bool AwaitsQuiet() const;
    void Feed(unsigned char byte, std::chrono::steady_clock::time_point now);
    void FeedFrame(char c, std::chrono::steady_clock::time_point now);
    void FeedCommand(char cmd, std::chrono::steady_clock::time_point now);
    void FeedReadingOrCheck(char c, std::chrono::steady_clock::time_point now);
    void CheckIdleFrame(std::chrono::steady_clock::time_point now);
    void Complete(FrameKind kind, std::chrono::steady_clock::time_point now);
    void CompleteUnknown();
    void Record(const Frame& frame);  // mutex_ held
    std::string Answer(Frame& frame); // mutex_ held, as are the three below
    std::string StatusReply() const;
    std::string AnswerReading(Frame& frame);
    void TakeCheckSamples();
    std::string AnswerKe(const std::string& selector) const;
    void Reply(std::string reply, FrameKind kind, std::chrono::steady_clock::time_point now);
    std::string Garbage(std::size_t length);
    void Queue(std::string reply, std::chrono::steady_clock::time_point now);
    void DoHangUp();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> hangUpRequest_{false};
    std::atomic<bool> hungUp_{false};
    int master_ = -1;
    int slave_ = -1;         // kept open so a client's close never hangs up the master
    int wake_[2] = {-1, -1}; // self-pipe: Stop and HangUp wake the server thread
    std::string path_;

    // Frame being assembled (server thread only).
    std::string pending_;
    std::chrono::steady_clock::time_point lastByte_{};
    std::deque<Outgoing> out_;

    // Guarded by mutex_.
    Media media_[2] = {Media::Paper, Media::Liner};
    Conditions conditions_;
    int level_[2] = {3, 3};
    int intensity_[2] = {128, 128};
    std::optional<int> readingOverride_[2];
    int exist_ = 128, headpos_ = 7, ribbon_ = 255;
    std::string statusReply_;
    std::map<std::string, int> keValues_;
    Sensor checkSensor_ = Sensor::Reflective;
    int sample14_ = 0, sample13_ = 0;
    bool silentAll_ = false;
    std::set<FrameKind> silentKinds_;
    bool garbage_ = false;
    int splitPiece_ = 0, splitGapMs_ = 0;
    int replyDelayMs_ = 2;
    std::size_t oversize_ = 0;
    bool rejectHandshake_ = false;
    int hangUpAfter_ = 0;
    unsigned garbageSeed_ = 12345;
    std::vector<Frame> log_;
    std::map<FrameKind, int> counts_;
    std::string rawIn_, rawOut_;
};

} // namespace tarvello::sim
