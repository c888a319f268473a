#include "store/IniGrammar.h"

#include <climits>
#include <cstddef>
#include <utility>

namespace {

// Whitespace of the line grammar: space, tab, CR, LF, vertical tab, form feed.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    return s.substr(i);
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) {
        --n;
    }
    return s.substr(0, n);
}

// A header line is one whose first non-blank byte is '['. Its name is the text between that
// '[' and the first ']' of the line, trimmed; the empty name when the line has no ']'.
bool ParseHeader(std::string_view line, std::string_view& name) {
    std::string_view s = TrimLeft(line);
    if (s.empty() || s[0] != '[') {
        return false;
    }
    size_t close = s.find(']');
    if (close == std::string_view::npos) {
        name = std::string_view();
    } else {
        name = Trim(s.substr(1, close - 1));
    }
    return true;
}

// A key line (any line that is not a header): the trimmed text before the first '=' is the
// key, the trimmed text after it the value. A line without '=' holds no key and matches none.
bool ParseKey(std::string_view line, std::string_view& key, std::string_view& value) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

// Index of the first header named section, or lines.size() when there is none.
size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
    std::string_view name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (ParseHeader(lines[i], name) && name == section) {
            return i;
        }
    }
    return lines.size();
}

} // namespace

IniLines ParseIniLines(std::string_view text) {
    IniLines lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos) {
            lines.emplace_back(text.substr(pos)); // the last line, without a terminator
            break;
        }
        size_t end = lf;
        if (end > pos && text[end - 1] == '\r') {
            --end; // CR LF ends the line as LF does
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = lf + 1;
    }
    return lines;
}

namespace {

bool IsUtf16(IniTextEncoding encoding) {
    return encoding == IniTextEncoding::Utf16LE || encoding == IniTextEncoding::Utf16BE;
}

} // namespace

IniText ParseIniBytes(std::string_view bytes) {
    IniText text;
    text.encoding = DetectTextEncoding(bytes);
    const std::string_view body = bytes.substr(ByteOrderMark(text.encoding).size());
    if (IsUtf16(text.encoding)) {
        text.lines = ParseIniLines(Utf16ToUtf8(body, text.encoding == IniTextEncoding::Utf16BE));
    } else {
        text.lines = ParseIniLines(body);
    }
    return text;
}

std::string SerialiseIniBytes(const IniLines& lines, IniTextEncoding encoding) {
    const bool utf16 = IsUtf16(encoding);
    const std::string_view mark = ByteOrderMark(encoding);
    size_t size = mark.size();
    for (const std::string& line : lines) {
        size += line.size() + 2;
    }
    std::string content;
    content.reserve(size);
    if (!utf16) {
        content.append(mark);
    }
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    if (utf16) {
        content = std::string(mark) + Utf8ToUtf16(content, encoding == IniTextEncoding::Utf16BE);
    }
    return content;
}

std::optional<std::string> FindIniValue(const IniLines& lines, std::string_view section,
                                        std::string_view key) {
    size_t i = FindSection(lines, section);
    if (i == lines.size()) {
        return std::nullopt;
    }
    std::string_view name, lineKey, value;
    for (++i; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (ParseHeader(line, name)) {
            return std::nullopt; // the section ends without the key
        }
        if (ParseKey(line, lineKey, value) && lineKey == key) {
            return std::string(value);
        }
    }
    return std::nullopt;
}

void SetIniValue(IniLines& lines, std::string_view section, std::string_view key,
                 std::string_view value) {
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append("=").append(value);
    size_t i = FindSection(lines, section);
    if (i == lines.size()) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(line));
        return;
    }
    std::string_view name, lineKey, lineValue;
    for (++i; i < lines.size(); ++i) {
        if (ParseHeader(lines[i], name)) {
            break;
        }
        if (ParseKey(lines[i], lineKey, lineValue) && lineKey == key) {
            lines[i] = std::move(line);
            return;
        }
    }
    // The last line of the section: directly before the next header, or at the end.
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), std::move(line));
}

int IniAtoi(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate up to one past INT_MAX's magnitude, then clamp.
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
        ++i;
    }
    if (negative) {
        return static_cast<int>(-magnitude); // -limit is INT_MIN
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}
