// The parameter file's save: the new content goes to a temporary file "<file>.tmp-<pid>-<n>" in
// the same folder, which is flushed to the disk and then put in the file's place in one step,
// so the file on disk is always either the old or the new one. A successful save also removes
// the temporary files that saves of processes which no longer exist (killed in the middle of a
// save) left next to the file. A read-only file (or a folder in its place) is never replaced.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writes content to path as above. file is the caller's file object, open only during the
// call. On failure the temporary file is removed and the old file is left as it was.
bool SaveThroughTempFile(const std::string& path, const std::string& content, std::FILE*& file);

// The process id in the rest of a temporary file's name after "<file>.tmp-" ("<pid>-<n>");
// 0 when the rest is not of that form.
unsigned long TempFileOwner(std::string_view rest);
