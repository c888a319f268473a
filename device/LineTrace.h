// The line trace: what went over the line to the printer, in order, for diagnosis.
//
// The serial primitives record every chunk they write once the line has sent it (bytes the
// driver took but threw away from its output queue are recorded as discarded, with that note),
// every read that returned bytes, and the bytes a flush, a purge or the open's purge discarded.
// Each entry holds its time (microseconds since the port was opened), its direction, the party that
// caused it and its bytes. The party is a tag of the calling thread, set by a ScopedTraceParty at
// the top of the monitor thread, the adjustment worker, the single reading, the paper check, the
// open sequence and the command-line tool; an inner scope overrides an outer one for its lifetime,
// and a thread that never set one records "untagged".
//
// The entries go into a ring of kTraceRingEntries. A full ring overwrites its oldest entry and
// counts it: a reader holds the sequence number of the last entry it took, asks for the entries
// after it and learns how many it missed. One entry holds at most kTraceEntryBytes bytes; a
// longer write (a chunk of up to 1024 bytes) is kept whole as consecutive entries.
//
// Off (the default) a primitive only tests an atomic flag. On, a record copies its bytes into
// the ring under the ring's own lock, which nobody holds for longer than such a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TraceDirection : uint8_t {
    kToPrinter,   // "->"
    kFromPrinter, // "<-"
    kDiscarded,   // "x": read by a flush or a purge and thrown away
    // "x", noted "output queue": taken by the driver for sending, then thrown away from its
    // output queue (a write held past its timeout) before they left
    kDiscardedOutput,
};

enum class TraceParty : uint8_t {
    kUntagged,
    kPortOpen,
    kMonitor,
    kAdjustment,
    kReading,
    kPaperCheck,
    kCommandLine,
};
constexpr int kTracePartyCount = 7;

constexpr size_t kTraceRingEntries = 4096;
constexpr size_t kTraceEntryBytes = 255;

struct TraceEntry {
    uint64_t sequence = 0; // 1 for the first entry ever recorded
    int64_t micros = 0;    // since the latest open of the port
    TraceDirection direction = TraceDirection::kToPrinter;
    TraceParty party = TraceParty::kUntagged;
    std::vector<uint8_t> bytes;
};

// Turns recording on or off. The ring is allocated when recording is first turned on and kept.
void SetLineTraceEnabled(bool enabled);
bool LineTraceEnabled();

// Called by the serial primitives. Does nothing while recording is off or n is 0.
void TraceLine(TraceDirection direction, const void* bytes, size_t n);
// Called by the open: the time base of later entries is now.
void TraceMarkPortOpened();

// The entries recorded after sequence number `after` that the ring still holds, oldest first,
// appended to out; *dropped (when given) receives how many of those after `after` were
// overwritten before this call. Returns the sequence number of the latest entry (pass it back
// as `after` next time), or `after` when nothing new came.
uint64_t ReadTraceSince(uint64_t after, std::vector<TraceEntry>& out, uint64_t* dropped);
// The sequence number of the latest entry (0 before the first).
uint64_t LatestTraceSequence();
// Waits until an entry after `after` exists, or until WakeTraceReaders is called, or up to
// timeoutMs. True when there is a newer entry.
bool WaitForTraceAfter(uint64_t after, unsigned timeoutMs);
void WakeTraceReaders();
// Bytes the ring holds allocated (0 before recording was first turned on).
size_t TraceRingMemoryBytes();

// The calling thread's party for the scope's lifetime.
class ScopedTraceParty {
  public:
    explicit ScopedTraceParty(TraceParty party);
    ~ScopedTraceParty();
    ScopedTraceParty(const ScopedTraceParty&) = delete;
    ScopedTraceParty& operator=(const ScopedTraceParty&) = delete;

  private:
    TraceParty previous_;
};
TraceParty CurrentTraceParty();

// Names as the trace file writes them: "open", "monitor", "adjust", "reading", "check", "cli",
// "untagged".
const char* TracePartyName(TraceParty party);
// "->", "<-", "x".
const char* TraceDirectionMark(TraceDirection direction);
// Which queue discarded bytes came from where the mark alone does not say: "output queue" for
// kDiscardedOutput, empty otherwise.
const char* TraceDirectionNote(TraceDirection direction);
// The bytes as two-digit upper-case hex separated by spaces: "02 59".
std::string TraceHex(const std::vector<uint8_t>& bytes);
// The bytes as text: printable ASCII as it is, control bytes by their names (<STX>, <CR>,
// <DC3>, <NUL>, ..., <DEL>), any byte above 0x7E as <HH> in hex.
std::string TraceText(const std::vector<uint8_t>& bytes);
// One entry as one line of the trace file, without the line end:
//   "    1.234 -> monitor  02 59 | <STX>Y"
// the time in seconds with three decimals (right-aligned in 9 characters), the direction
// (2 characters), the party (8 characters), the hex, " | " and the text; after bytes from the
// output queue also " | output queue".
std::string FormatTraceLine(const TraceEntry& entry);
// The line a reader writes for entries it missed: "# 17 entries dropped".
std::string FormatTraceDropped(uint64_t dropped);
