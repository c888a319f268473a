// Fuzzes the parameter file engine: any file content and any section, key and value go through
// load, find, set and save in a private folder.
//
// Input: the section, the key and the value, each ending at the first LF, then the file's
// bytes. Seeds: tests/corpus/ini/.
//
// Invariants checked:
// - the list as loaded, saved and loaded again is the same, and the saved bytes are the lines
//   each followed by CR LF (behind the byte-order mark when the file had one);
// - a write changes the list only by replacing one line, inserting one, or appending two;
// - after a write with a well-formed section and key, a read returns the trimmed value;
// - no temporary file is left behind;
// - GetInt agrees with strtol clamped to int.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "store/IniFile.h"

namespace {

std::string g_dir;
std::string g_path;

void RemoveFolder() {
    if (DIR* d = opendir(g_dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") {
                unlink((g_dir + "/" + name).c_str());
            }
        }
        closedir(d);
    }
    rmdir(g_dir.c_str());
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

std::string ReadBytes(const std::string& path) {
    std::string data;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            data.append(buffer, n);
        }
        std::fclose(f);
    }
    return data;
}

size_t EntriesInFolder() {
    size_t count = 0;
    if (DIR* d = opendir(g_dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            count += name != "." && name != "..";
        }
        closedir(d);
    }
    return count;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) {
        ++b;
    }
    while (e > b && IsBlank(s[e - 1])) {
        --e;
    }
    return s.substr(b, e - b);
}

// Names that the file can hold as they are: trimmed, one line, a section without ']', a key
// without '=' that does not look like a header.
bool WellFormed(const std::string& section, const std::string& key) {
    if (Trim(section) != section || Trim(key) != key) {
        return false;
    }
    if (section.find_first_of("]\n") != std::string::npos) {
        return false;
    }
    if (key.find_first_of("=\n") != std::string::npos || (!key.empty() && key[0] == '[')) {
        return false;
    }
    return true;
}

bool IsUtf16(const CIniFile& ini) {
    return ini.GetEncoding() == IniTextEncoding::Utf16LE ||
           ini.GetEncoding() == IniTextEncoding::Utf16BE;
}

std::string Serialise(const CIniFile& ini) {
    std::string text;
    for (const std::string& line : ini.GetLines()) {
        text += line + "\r\n";
    }
    const std::string mark(ByteOrderMark(ini.GetEncoding()));
    if (IsUtf16(ini)) {
        return mark + Utf8ToUtf16(text, ini.GetEncoding() == IniTextEncoding::Utf16BE);
    }
    return mark + text;
}

// Whether a name or value written into the file reads back as it was: always, except in a
// UTF-16 file for bytes that are no UTF-8 text (they are saved as U+FFFD).
bool Survives(const CIniFile& ini, const std::string& text) {
    if (!IsUtf16(ini)) {
        return true;
    }
    const bool big = ini.GetEncoding() == IniTextEncoding::Utf16BE;
    return Utf16ToUtf8(Utf8ToUtf16(text, big), big) == text;
}

// The list after a write is the list before with one line replaced, one inserted, or two
// appended.
bool OneEdit(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    if (after.size() == before.size()) {
        size_t diff = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            diff += before[i] != after[i];
        }
        return diff <= 1;
    }
    if (after.size() == before.size() + 1) {
        size_t i = 0;
        while (i < before.size() && before[i] == after[i]) {
            ++i;
        }
        for (; i < before.size(); ++i) {
            if (before[i] != after[i + 1]) {
                return false;
            }
        }
        return true;
    }
    if (after.size() == before.size() + 2) {
        for (size_t i = 0; i < before.size(); ++i) {
            if (before[i] != after[i]) {
                return false;
            }
        }
        return true;
    }
    return false;
}

// strtol in the C locale skips the same blanks and stops where IniAtoi stops (a NUL byte
// included); its long result is clamped to int.
int ReferenceAtoi(const std::string& text) {
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (v > INT_MAX) {
        return INT_MAX;
    }
    if (v < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char templ[] = "/tmp/tarvello-fuzz-ini-XXXXXX";
    if (!mkdtemp(templ)) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_dir = templ;
    g_path = g_dir + "/parameterset.ini";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    size_t pos = 0;
    for (std::string& part : parts) {
        size_t lf = input.find('\n', pos);
        if (lf == std::string::npos) {
            lf = input.size();
        }
        part = input.substr(pos, lf - pos);
        pos = lf < input.size() ? lf + 1 : lf;
    }
    const std::string& section = parts[0];
    const std::string& key = parts[1];
    const std::string& value = parts[2];
    const std::string content = input.substr(pos);

    if (std::FILE* f = std::fopen(g_path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }

    CIniFile ini;
    ini.SetFileName(g_path);
    Check(ini.LoadFile(), "an existing file loads");
    const std::vector<std::string> loaded = ini.GetLines();
    for (const std::string& line : loaded) {
        Check(line.find('\n') == std::string::npos, "no line holds a LF");
    }
    std::string found = ini.GetString(section, key, "\x01 default");
    int number = ini.GetInt(section, key, 12345);
    if (found != "\x01 default") {
        Check(number == ReferenceAtoi(found), "GetInt converts as atoi");
    } else {
        Check(number == 12345, "a missing key gives the default number");
    }

    // Saved and loaded again, the list is the same.
    Check(ini.SaveFile(), "a save in a private folder succeeds");
    Check(ReadBytes(g_path) == Serialise(ini), "saved bytes are the lines with CR LF");
    CIniFile again;
    again.SetFileName(g_path);
    Check(again.LoadFile() && again.GetLines() == loaded, "save and load round-trip");

    ini.WriteString(section, key, value);
    Check(ini.IsOpened(), "the write was saved");
    Check(OneEdit(loaded, ini.GetLines()), "a write is one edit of the list");
    Check(ReadBytes(g_path) == Serialise(ini), "the write saved the list");
    Check(EntriesInFolder() == 1, "no temporary file is left");
    const bool survives = Survives(ini, section) && Survives(ini, key);
    if (WellFormed(section, key) && survives && Survives(ini, value) &&
        value.find('\n') == std::string::npos) {
        Check(ini.GetString(section, key, "\x01 default") == Trim(value),
              "a read after a write returns the value");
    }

    ini.WriteInt(section, key, number);
    if (WellFormed(section, key) && survives) {
        Check(ini.GetInt(section, key, 0) == number, "a number written reads back");
    }
    return 0;
}
