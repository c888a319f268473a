// Fuzzes the parameter file's line grammar and its encodings in memory: any file content and
// any section, key and value go through parse, find, set and serialise (store/IniGrammar.h), as
// a load, a read, a write and a save of CIniFile do. The file layer around them (the atomic
// save, no temporary file left, a kill during a save) is proven by the store_ tests and the
// crash test.
//
// Input: the section, the key and the value, each ending at the first LF, then the file's
// bytes. Seeds: tests/corpus/ini/.
//
// Invariants checked:
// - the bytes serialised are the lines each followed by CR LF (behind the byte-order mark when
//   the file had one), and parsed again give the same lines in the same encoding;
// - the code units of a UTF-16 file (an even number) come back unit for unit;
// - a write changes the list only by replacing one line, inserting one, or appending two;
// - after a write with a well-formed section and key, a read of the saved bytes returns the
//   trimmed value;
// - a read converts as strtol clamped to int, and a number written reads back.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/IniGrammar.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
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

bool IsUtf16(IniTextEncoding encoding) {
    return encoding == IniTextEncoding::Utf16LE || encoding == IniTextEncoding::Utf16BE;
}

// The bytes of a file of these lines, written out independently of the engine.
std::string Serialise(const IniLines& lines, IniTextEncoding encoding) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    const std::string mark(ByteOrderMark(encoding));
    if (IsUtf16(encoding)) {
        return mark + Utf8ToUtf16(text, encoding == IniTextEncoding::Utf16BE);
    }
    return mark + text;
}

// Whether a name or value written into the file reads back as it was: always, except in a
// UTF-16 file for bytes that are no UTF-8 text (they are saved as U+FFFD).
bool Survives(IniTextEncoding encoding, const std::string& text) {
    if (!IsUtf16(encoding)) {
        return true;
    }
    const bool big = encoding == IniTextEncoding::Utf16BE;
    return Utf16ToUtf8(Utf8ToUtf16(text, big), big) == text;
}

// The lines as a save writes them and a load reads them back, checked on the way.
IniLines SavedAndLoaded(const IniLines& lines, IniTextEncoding encoding) {
    const std::string bytes = SerialiseIniBytes(lines, encoding);
    Check(bytes == Serialise(lines, encoding), "saved bytes are the lines with CR LF");
    IniText again = ParseIniBytes(bytes);
    Check(again.encoding == encoding, "a saved file keeps its encoding");
    return std::move(again.lines);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
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
    const std::string_view content = std::string_view(input).substr(pos);

    IniText text = ParseIniBytes(content);
    const IniTextEncoding encoding = text.encoding;
    IniLines& lines = text.lines;
    const IniLines loaded = lines;
    for (const std::string& line : loaded) {
        Check(line.find('\n') == std::string::npos, "no line holds a LF");
    }
    const std::string_view body = content.substr(ByteOrderMark(encoding).size());
    if (IsUtf16(encoding) && body.size() % 2 == 0) {
        const bool big = encoding == IniTextEncoding::Utf16BE;
        Check(Utf8ToUtf16(Utf16ToUtf8(body, big), big) == body, "UTF-16 comes back unit for unit");
    }
    const std::optional<std::string> found = FindIniValue(lines, section, key);
    const int number = found ? IniAtoi(*found) : 12345;
    if (found) {
        Check(number == ReferenceAtoi(*found), "a read converts as atoi");
    }
    Check(SavedAndLoaded(lines, encoding) == loaded, "save and load round-trip");

    SetIniValue(lines, section, key, value);
    Check(OneEdit(loaded, lines), "a write is one edit of the list");
    const IniLines written = SavedAndLoaded(lines, encoding);
    const bool survives = Survives(encoding, section) && Survives(encoding, key);
    if (WellFormed(section, key) && survives && Survives(encoding, value) &&
        value.find('\n') == std::string::npos) {
        Check(FindIniValue(written, section, key) == Trim(value),
              "a read after a write returns the value");
    }

    SetIniValue(lines, section, key, std::to_string(number));
    if (WellFormed(section, key) && survives) {
        const std::optional<std::string> back =
            FindIniValue(SavedAndLoaded(lines, encoding), section, key);
        Check(back && IniAtoi(*back) == number, "a number written reads back");
    }
    return 0;
}
