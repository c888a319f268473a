#include "device/LineTrace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

struct Slot {
    uint64_t sequence;
    int64_t micros;
    TraceDirection direction;
    TraceParty party;
    uint8_t length;
    uint8_t bytes[kTraceEntryBytes];
};

struct Ring {
    std::mutex mutex;
    std::condition_variable changed;
    std::unique_ptr<Slot[]> slots; // kTraceRingEntries, allocated on the first enable
    uint64_t latest = 0;           // sequence number of the latest entry
    unsigned wakeups = 0;          // WakeTraceReaders calls
};

Ring& TheRing() {
    static Ring ring;
    return ring;
}

std::atomic<bool> s_enabled{false};
std::atomic<int64_t> s_openedAtMicros{0};
thread_local TraceParty t_party = TraceParty::kUntagged;

int64_t NowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void Store(Ring& ring, int64_t micros, TraceDirection direction, TraceParty party,
           const uint8_t* bytes, size_t n) {
    Slot& slot = ring.slots[ring.latest % kTraceRingEntries];
    slot.sequence = ++ring.latest;
    slot.micros = micros;
    slot.direction = direction;
    slot.party = party;
    slot.length = static_cast<uint8_t>(n);
    std::memcpy(slot.bytes, bytes, n);
}

} // namespace

void SetLineTraceEnabled(bool enabled) {
    Ring& ring = TheRing();
    if (enabled) {
        std::lock_guard<std::mutex> guard(ring.mutex);
        if (!ring.slots) {
            ring.slots.reset(new Slot[kTraceRingEntries]);
        }
    }
    s_enabled.store(enabled);
}

bool LineTraceEnabled() {
    return s_enabled.load(std::memory_order_relaxed);
}

void TraceMarkPortOpened() {
    s_openedAtMicros.store(NowMicros());
}

void TraceLine(TraceDirection direction, const void* bytes, size_t n) {
    if (!s_enabled.load(std::memory_order_relaxed) || n == 0) {
        return;
    }
    const int64_t micros = NowMicros() - s_openedAtMicros.load();
    const uint8_t* data = static_cast<const uint8_t*>(bytes);
    Ring& ring = TheRing();
    {
        std::lock_guard<std::mutex> guard(ring.mutex);
        if (!ring.slots) {
            return;
        }
        // A write longer than one entry goes in as consecutive entries of the same moment.
        for (size_t offset = 0; offset < n; offset += kTraceEntryBytes) {
            Store(ring, micros, direction, t_party, data + offset,
                  std::min(kTraceEntryBytes, n - offset));
        }
    }
    ring.changed.notify_all();
}

uint64_t ReadTraceSince(uint64_t after, std::vector<TraceEntry>& out, uint64_t* dropped) {
    Ring& ring = TheRing();
    // The slots are copied under the ring's lock (at most two block copies, no allocation: the
    // line's writers take this lock under the line lock) and the entries built outside it.
    thread_local std::unique_ptr<Slot[]> copy;
    if (!copy) {
        copy.reset(new Slot[kTraceRingEntries]);
    }
    uint64_t first = 0;
    uint64_t latest = 0;
    {
        std::lock_guard<std::mutex> guard(ring.mutex);
        latest = ring.latest;
        const uint64_t oldestHeld = latest > kTraceRingEntries ? latest - kTraceRingEntries + 1 : 1;
        first = std::max(after + 1, oldestHeld);
        if (dropped != nullptr) {
            *dropped = first - (after + 1);
        }
        if (!ring.slots || latest <= after) {
            return std::max(after, latest);
        }
        const size_t count = static_cast<size_t>(latest - first + 1);
        const size_t start = static_cast<size_t>((first - 1) % kTraceRingEntries);
        const size_t head = std::min(count, kTraceRingEntries - start);
        std::memcpy(copy.get(), ring.slots.get() + start, head * sizeof(Slot));
        std::memcpy(copy.get() + head, ring.slots.get(), (count - head) * sizeof(Slot));
    }
    out.reserve(out.size() + static_cast<size_t>(latest - first + 1));
    for (size_t k = 0; k < latest - first + 1; ++k) {
        const Slot& slot = copy[k];
        out.push_back(TraceEntry{slot.sequence, slot.micros, slot.direction, slot.party,
                                 std::vector<uint8_t>(slot.bytes, slot.bytes + slot.length)});
    }
    return latest;
}

uint64_t LatestTraceSequence() {
    Ring& ring = TheRing();
    std::lock_guard<std::mutex> guard(ring.mutex);
    return ring.latest;
}

bool WaitForTraceAfter(uint64_t after, unsigned timeoutMs) {
    Ring& ring = TheRing();
    std::unique_lock<std::mutex> lock(ring.mutex);
    const unsigned wakeups = ring.wakeups;
    ring.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return ring.latest > after || ring.wakeups != wakeups; });
    return ring.latest > after;
}

void WakeTraceReaders() {
    Ring& ring = TheRing();
    {
        std::lock_guard<std::mutex> guard(ring.mutex);
        ++ring.wakeups;
    }
    ring.changed.notify_all();
}

size_t TraceRingMemoryBytes() {
    Ring& ring = TheRing();
    std::lock_guard<std::mutex> guard(ring.mutex);
    return ring.slots ? kTraceRingEntries * sizeof(Slot) : 0;
}

ScopedTraceParty::ScopedTraceParty(TraceParty party) : previous_(t_party) {
    t_party = party;
}

ScopedTraceParty::~ScopedTraceParty() {
    t_party = previous_;
}

TraceParty CurrentTraceParty() {
    return t_party;
}

const char* TracePartyName(TraceParty party) {
    switch (party) {
    case TraceParty::kPortOpen:
        return "open";
    case TraceParty::kMonitor:
        return "monitor";
    case TraceParty::kAdjustment:
        return "adjust";
    case TraceParty::kReading:
        return "reading";
    case TraceParty::kPaperCheck:
        return "check";
    case TraceParty::kCommandLine:
        return "cli";
    case TraceParty::kUntagged:
        break;
    }
    return "untagged";
}

const char* TraceDirectionMark(TraceDirection direction) {
    switch (direction) {
    case TraceDirection::kToPrinter:
        return "->";
    case TraceDirection::kFromPrinter:
        return "<-";
    case TraceDirection::kDiscarded:
    case TraceDirection::kDiscardedOutput:
        break;
    }
    return "x";
}

const char* TraceDirectionNote(TraceDirection direction) {
    return direction == TraceDirection::kDiscardedOutput ? "output queue" : "";
}

std::string TraceHex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string TraceText(const std::vector<uint8_t>& bytes) {
    static const char* const kNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                           "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                           "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                           "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    std::string text;
    for (uint8_t byte : bytes) {
        if (byte < 32) {
            text += '<';
            text += kNames[byte];
            text += '>';
        } else if (byte == 0x7F) {
            text += "<DEL>";
        } else if (byte > 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", byte);
            text += hex;
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

std::string FormatTraceLine(const TraceEntry& entry) {
    // Milliseconds rounded toward zero, printed as seconds with three decimals.
    const int64_t ms = entry.micros / 1000;
    const char* sign = ms < 0 ? "-" : "";
    const int64_t magnitude = ms < 0 ? -ms : ms;
    char time[40];
    std::snprintf(time, sizeof time, "%s%lld.%03lld", sign,
                  static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    char head[80];
    std::snprintf(head, sizeof head, "%9s %-2s %-8s ", time, TraceDirectionMark(entry.direction),
                  TracePartyName(entry.party));
    std::string line = head + TraceHex(entry.bytes) + " | " + TraceText(entry.bytes);
    if (*TraceDirectionNote(entry.direction) != '\0') {
        line += std::string(" | ") + TraceDirectionNote(entry.direction);
    }
    return line;
}

std::string FormatTraceDropped(uint64_t dropped) {
    return "# " + std::to_string(dropped) + " entries dropped";
}
