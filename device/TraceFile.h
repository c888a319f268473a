// The trace file: every entry of the line trace written to a file as it happens, one line each
// (FormatTraceLine), by a writer thread of its own, flushed after every line so that a crash of
// the program keeps every line written before it. Entries that the ring overwrote before the
// writer took them are reported by a line "# N entries dropped" in their place.
//
// Used by the tool's --trace FILE and by the command-line tool's --trace FILE alike.
#pragma once

#include <string>

// Creates (or truncates) the file, turns the line trace on and starts the writer with the
// entries recorded from now on. False, with the reason in *error (when given), when the file
// cannot be opened or a trace file is already being written.
bool StartTraceFile(const std::string& path, std::string* error);
// Writes what the ring holds that the writer has not yet written, ends the writer and closes
// the file. The line trace stays on. Harmless when no trace file is being written.
void StopTraceFile();
// True while a trace file is being written (between StartTraceFile and StopTraceFile): the
// diagnostics window leaves the line trace on when it closes.
bool TraceFileWriting();
