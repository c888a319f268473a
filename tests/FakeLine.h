// A scripted serial line on virtual time, for unit tests of the serial primitives and of the
// exchanges above them. Install() makes it the line backend and routes tarvello::Sleep to its
// clock, so every fixed wait advances the clock at once and is recorded.
//
// Input is modelled as arrivals: bytes that reach the driver's input queue at a virtual time.
// A reply to a write can be scripted with OnWrite. Output normally leaves at once; a held line
// (SetOutputHeld) keeps it queued, as a driver does while the handshake holds the line, and a
// close with output still queued waits the driver's closing wait of 30 s. Every call, and every
// wait, is logged as one letter (Calls). Everything is guarded by one mutex, so a monitor
// thread and the test thread may use the line together.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/LineBackend.h"
#include "device/PortState.h"
#include "device/Sleep.h"

class FakeLine : public LineBackend {
  public:
    using Bytes = std::vector<uint8_t>;

    FakeLine() = default;
    ~FakeLine() override { Uninstall(); }

    void Install() {
        Instance() = this;
        SetLineBackend(this);
        tarvello::SetSleepHook(&FakeLine::SleepHook);
    }
    void Uninstall() {
        if (Instance() == this) {
            tarvello::SetSleepHook(nullptr);
            SetLineBackend(nullptr);
            Instance() = nullptr;
        }
    }

    // --- Script ----------------------------------------------------------------------------
    // Bytes that arrive afterMs from now.
    void Arrive(const std::string& bytes, uint64_t afterMs = 0) {
        std::lock_guard<std::mutex> guard(mutex_);
        ArriveLocked(Bytes(bytes.begin(), bytes.end()), afterMs);
    }
    // Called (under the line's mutex) for every write with a non-empty chunk; returns the
    // reply and its delay through Reply().
    struct Reply {
        std::string bytes;
        uint64_t afterMs = 0;
    };
    void OnWrite(std::function<std::vector<Reply>(const Bytes&)> handler) {
        std::lock_guard<std::mutex> guard(mutex_);
        onWrite_ = std::move(handler);
    }
    void SetOpenFails(bool fails, PortOpenError why = PortOpenError::kNoDevice) {
        std::lock_guard<std::mutex> guard(mutex_);
        openFails_ = fails;
        openError_ = why;
    }
    // While held, written bytes stay in the output queue and reach nobody; a release sends
    // them (and gives their replies).
    void SetOutputHeld(bool held) {
        std::lock_guard<std::mutex> guard(mutex_);
        held_ = held;
        if (!held) {
            for (const Bytes& bytes : std::exchange(heldOutput_, {})) {
                ReplyLocked(bytes);
            }
        }
    }
    // Runs action (without the line's mutex) from the first wait that reaches atMs.
    void At(uint64_t atMs, std::function<void()> action) {
        std::lock_guard<std::mutex> guard(mutex_);
        actions_.emplace(atMs, std::move(action));
    }
    // The next n writes store only part of their bytes (a short write).
    void SetShortWrites(int n) {
        std::lock_guard<std::mutex> guard(mutex_);
        shortWrites_ = n;
    }
    // The next n reads (and clearings of the line's errors) are rejected by the platform.
    void SetFailingReads(int n, int clears = 0) {
        std::lock_guard<std::mutex> guard(mutex_);
        failingReads_ = n;
        failingClears_ = clears;
    }
    // Writes wait, as Win32's do on a held line, until CancelPending (at most 3 s).
    void SetWritesWaitForCancel(bool wait) {
        std::lock_guard<std::mutex> guard(mutex_);
        writesWait_ = wait;
    }

    // --- Observation -----------------------------------------------------------------------
    uint64_t NowMs() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return nowMs_;
    }
    std::vector<unsigned> Sleeps() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return sleeps_;
    }
    std::vector<Bytes> Writes() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return writes_;
    }
    // Number of writes of exactly these bytes.
    size_t CountWrites(const Bytes& bytes) const {
        std::lock_guard<std::mutex> guard(mutex_);
        return static_cast<size_t>(std::count(writes_.begin(), writes_.end(), bytes));
    }
    size_t WriteCount() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return writes_.size();
    }
    size_t ReadCount() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return readSizes_.size();
    }
    std::vector<uint64_t> WriteTimes() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return writeTimes_;
    }
    std::vector<size_t> ReadSizes() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return readSizes_;
    }
    std::vector<std::string> Opened() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return opened_;
    }
    std::vector<PortSettings> OpenedSettings() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return openedSettings_;
    }
    int Closes() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return closes_;
    }
    int Purges() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return purges_;
    }
    int OpenHandles() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return openHandles_;
    }
    // Calls on a handle that was not open (must never happen).
    int CallsOnClosedHandle() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return badCalls_;
    }
    size_t Queued() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return QueuedLocked();
    }
    size_t OutputQueuedBytes() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return OutputLocked();
    }
    // One letter per call and wait: O open, C close, W write, Q output queue asked, D output
    // discarded, E errors cleared, R read, P purge, S wait.
    std::string Calls() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return calls_;
    }
    // The writes as text: STX shown as '^', DC3 as "<DC3>".
    std::vector<std::string> WrittenFrames() const {
        std::vector<std::string> frames;
        for (const Bytes& bytes : Writes()) {
            std::string text;
            for (uint8_t c : bytes) {
                text += c == 0x02   ? std::string("^")
                        : c == 0x13 ? std::string("<DC3>")
                                    : std::string(1, c);
            }
            frames.push_back(text);
        }
        return frames;
    }

    // --- LineBackend -----------------------------------------------------------------------
    PortHandle Open(const std::string& device, const PortSettings& settings) override {
        std::lock_guard<std::mutex> guard(mutex_);
        calls_ += 'O';
        opened_.push_back(device);
        openedSettings_.push_back(settings);
        if (openFails_) {
            return kInvalidPortHandle;
        }
        // A number of its own for each opening (a pointer-sized handle on Windows).
        handle_ = (PortHandle)(nextHandle_++);
        ++openHandles_;
        return handle_;
    }
    PortOpenError OpenError() const override {
        std::lock_guard<std::mutex> guard(mutex_);
        return openError_;
    }
    void Close(PortHandle handle) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'C';
        if (OutputLocked() > 0) {
            nowMs_ += kClosingWaitMs; // the driver waits for its output before it closes
            heldOutput_.clear();
        }
        ++closes_;
        --openHandles_;
        handle_ = kInvalidPortHandle;
    }
    size_t Write(PortHandle handle, const uint8_t* data, size_t length) override {
        std::unique_lock<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'W';
        Bytes bytes(data, data + length);
        writes_.push_back(bytes);
        writeTimes_.push_back(nowMs_);
        if (writesWait_) {
            cancel_.wait_for(guard, std::chrono::seconds(3), [this] { return cancelled_; });
            return 0;
        }
        if (shortWrites_ > 0) {
            --shortWrites_;
            return length / 2;
        }
        if (held_) {
            heldOutput_.push_back(bytes); // sent (and answered) once released
        } else {
            ReplyLocked(bytes);
        }
        return length;
    }
    long OutputQueued(PortHandle handle) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'Q';
        return static_cast<long>(OutputLocked());
    }
    void CancelPending(PortHandle) override {
        std::lock_guard<std::mutex> guard(mutex_);
        cancelled_ = true;
        cancel_.notify_all();
    }
    void DiscardOutput(PortHandle handle) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'D';
        heldOutput_.clear();
    }
    long Read(PortHandle handle, uint8_t* buffer, size_t maxBytes) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'R';
        readSizes_.push_back(maxBytes);
        if (failingReads_ > 0) {
            --failingReads_;
            return -1;
        }
        Deliver();
        const size_t n = std::min(maxBytes, input_.size());
        std::copy(input_.begin(), input_.begin() + static_cast<long>(n), buffer);
        input_.erase(input_.begin(), input_.begin() + static_cast<long>(n));
        return static_cast<long>(n);
    }
    bool ClearErrors(PortHandle handle, size_t* queued) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'E';
        if (failingClears_ > 0 && failingClears_-- > 0)
            return false;
        if (queued != nullptr) {
            *queued = QueuedLocked();
        }
        return true;
    }
    void Purge(PortHandle handle) override {
        std::lock_guard<std::mutex> guard(mutex_);
        Check(handle);
        calls_ += 'P';
        ++purges_;
        Deliver();
        input_.clear();
    }

  private:
    static constexpr uint64_t kClosingWaitMs = 30000;
    struct Arrival {
        uint64_t atMs;
        Bytes bytes;
    };

    static FakeLine*& Instance() {
        static FakeLine* instance = nullptr;
        return instance;
    }
    static void SleepHook(unsigned ms) {
        FakeLine* line = Instance();
        if (line == nullptr) {
            return;
        }
        std::vector<std::function<void()>> due;
        {
            std::lock_guard<std::mutex> guard(line->mutex_);
            line->calls_ += 'S';
            line->sleeps_.push_back(ms);
            line->nowMs_ += ms;
            auto& actions = line->actions_;
            for (auto it = actions.begin(); it != actions.end() && it->first <= line->nowMs_;) {
                due.push_back(std::move(it->second));
                it = actions.erase(it);
            }
        }
        for (auto& action : due) {
            action();
        }
    }

    void ReplyLocked(const Bytes& bytes) {
        if (onWrite_ && !bytes.empty()) {
            for (const Reply& reply : onWrite_(bytes)) {
                ArriveLocked(Bytes(reply.bytes.begin(), reply.bytes.end()), reply.afterMs);
            }
        }
    }
    size_t OutputLocked() const {
        size_t n = 0;
        for (const Bytes& bytes : heldOutput_) {
            n += bytes.size();
        }
        return n;
    }

    void ArriveLocked(Bytes bytes, uint64_t afterMs) {
        Arrival arrival{nowMs_ + afterMs, std::move(bytes)};
        auto at = std::upper_bound(arrivals_.begin(), arrivals_.end(), arrival.atMs,
                                   [](uint64_t t, const Arrival& a) { return t < a.atMs; });
        arrivals_.insert(at, std::move(arrival));
    }
    void Deliver() {
        while (!arrivals_.empty() && arrivals_.front().atMs <= nowMs_) {
            input_.insert(input_.end(), arrivals_.front().bytes.begin(),
                          arrivals_.front().bytes.end());
            arrivals_.pop_front();
        }
    }
    size_t QueuedLocked() const {
        size_t n = input_.size();
        for (const Arrival& a : arrivals_) {
            if (a.atMs <= nowMs_) {
                n += a.bytes.size();
            }
        }
        return n;
    }
    void Check(PortHandle handle) {
        if (handle == kInvalidPortHandle || handle != handle_) {
            ++badCalls_;
        }
    }

    mutable std::mutex mutex_;
    uint64_t nowMs_ = 0;
    std::vector<unsigned> sleeps_;
    std::deque<Arrival> arrivals_;
    std::deque<uint8_t> input_;
    std::function<std::vector<Reply>(const Bytes&)> onWrite_;
    bool openFails_ = false;
    PortOpenError openError_ = PortOpenError::kNoDevice;
    bool held_ = false;
    std::vector<Bytes> heldOutput_;
    std::multimap<uint64_t, std::function<void()>> actions_;
    std::string calls_;
    int shortWrites_ = 0;
    int failingReads_ = 0;
    int failingClears_ = 0;
    bool writesWait_ = false, cancelled_ = false;
    std::condition_variable cancel_;
    PortHandle handle_ = kInvalidPortHandle;
    intptr_t nextHandle_ = 40;
    int openHandles_ = 0;
    int closes_ = 0;
    int purges_ = 0;
    int badCalls_ = 0;
    std::vector<std::string> opened_;
    std::vector<PortSettings> openedSettings_;
    std::vector<Bytes> writes_;
    std::vector<uint64_t> writeTimes_;
    std::vector<size_t> readSizes_;
};
