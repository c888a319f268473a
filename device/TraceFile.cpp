#include "device/TraceFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "device/LineTrace.h"

namespace {

// The writer looks at its stop request at least this often while nothing is recorded (a stop
// also wakes it at once, unless it comes just before the writer starts to wait).
constexpr unsigned kIdleWakeMs = 100;

struct Writer {
    std::mutex mutex; // serialises start and stop
    std::thread thread;
    std::FILE* file = nullptr;
    std::atomic<bool> stop{false};
};

Writer& TheWriter() {
    static Writer writer;
    return writer;
}

void WriteLine(std::FILE* file, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fflush(file);
}

// Writes the entries after `after`; returns the sequence number written up to.
uint64_t WriteNew(std::FILE* file, uint64_t after) {
    std::vector<TraceEntry> entries;
    uint64_t dropped = 0;
    const uint64_t latest = ReadTraceSince(after, entries, &dropped);
    if (dropped > 0) {
        WriteLine(file, FormatTraceDropped(dropped));
    }
    for (const TraceEntry& entry : entries) {
        WriteLine(file, FormatTraceLine(entry));
    }
    return latest;
}

void WriterLoop(std::FILE* file, uint64_t after) {
    Writer& writer = TheWriter();
    while (!writer.stop.load()) {
        WaitForTraceAfter(after, kIdleWakeMs);
        after = WriteNew(file, after);
    }
    WriteNew(file, after);
}

} // namespace

bool StartTraceFile(const std::string& path, std::string* error) {
    Writer& writer = TheWriter();
    std::lock_guard<std::mutex> guard(writer.mutex);
    if (writer.file != nullptr) {
        if (error != nullptr) {
            *error = "a trace file is already being written";
        }
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        if (error != nullptr) {
            *error = path + ": " + std::strerror(errno);
        }
        return false;
    }
    WriteLine(file, "# time (s since the port opened), direction (-> to the printer, <- from "
                    "the printer, x discarded), party, bytes in hex | as text");
    SetLineTraceEnabled(true);
    writer.stop = false;
    writer.file = file;
    try {
        writer.thread = std::thread(WriterLoop, file, LatestTraceSequence());
    } catch (const std::system_error&) {
        std::fclose(file);
        writer.file = nullptr;
        if (error != nullptr) {
            *error = "the trace file's writer could not be started";
        }
        return false;
    }
    return true;
}

void StopTraceFile() {
    Writer& writer = TheWriter();
    std::lock_guard<std::mutex> guard(writer.mutex);
    if (writer.file == nullptr) {
        return;
    }
    writer.stop = true;
    WakeTraceReaders();
    writer.thread.join();
    std::fclose(writer.file);
    writer.file = nullptr;
}

bool TraceFileWriting() {
    Writer& writer = TheWriter();
    std::lock_guard<std::mutex> guard(writer.mutex);
    return writer.file != nullptr;
}
