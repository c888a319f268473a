#include "store/IniFile.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/AtomicSave.h"

namespace {

const char kDefaultFileName[] = "parameterset.ini";

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

std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
    std::FILE* f = nullptr;
    if (fopen_s(&f, path.c_str(), "rb") != 0) {
        return nullptr;
    }
    return f;
#else
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st;
    // A directory opens for reading on POSIX; it is no parameter file.
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
    }
    return f;
#endif
}

bool ReadAll(std::FILE* f, std::string& data) {
    char buffer[65536];
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, f);
        data.append(buffer, n);
        if (n < sizeof buffer) {
            return !std::ferror(f);
        }
    }
}

} // namespace

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

CIniFile::CIniFile() : m_strFileName(kDefaultFileName) {}

CIniFile::~CIniFile() {
    m_lines.clear();
}

void CIniFile::SetFileName(std::string path) {
    m_strFileName = std::move(path);
}

std::string CIniFile::GetString(std::string section, std::string key, std::string def) {
    return FindValue(std::move(section), std::move(key), std::move(def));
}

int CIniFile::GetInt(std::string section, std::string key, int def) {
    return IniAtoi(FindValue(std::move(section), std::move(key), std::to_string(def)));
}

void CIniFile::WriteString(std::string section, std::string key, std::string value) {
    // Start from the file as it is now, so that a change saved since this object's last read
    // (through another object or by hand) is kept; when it cannot be read, from the list.
    LoadFile();
    SetValue(std::move(section), std::move(key), std::move(value));
    SaveFile();
}

void CIniFile::WriteInt(std::string section, std::string key, int value) {
    WriteString(std::move(section), std::move(key), std::to_string(value));
}

bool CIniFile::LoadFile() {
    m_pFile = OpenForReading(m_strFileName);
    m_bOpened = m_pFile != nullptr;
    if (!m_bOpened) {
        return false;
    }
    std::string data;
    bool ok = ReadAll(m_pFile, data);
    std::fclose(m_pFile);
    m_pFile = nullptr;
    if (!ok) {
        m_bOpened = false;
        return false;
    }
    // A byte-order mark is no part of the first line; a UTF-16 file is read as its text.
    const IniTextEncoding encoding = DetectTextEncoding(data);
    size_t pos = ByteOrderMark(encoding).size();
    if (encoding == IniTextEncoding::Utf16LE || encoding == IniTextEncoding::Utf16BE) {
        data =
            Utf16ToUtf8(std::string_view(data).substr(pos), encoding == IniTextEncoding::Utf16BE);
        pos = 0;
    }
    std::vector<std::string> lines;
    while (pos < data.size()) {
        size_t lf = data.find('\n', pos);
        if (lf == std::string::npos) {
            lines.emplace_back(data, pos); // the last line, without a terminator
            break;
        }
        size_t end = lf;
        if (end > pos && data[end - 1] == '\r') {
            --end; // CR LF ends the line as LF does
        }
        lines.emplace_back(data, pos, end - pos);
        pos = lf + 1;
    }
    m_lines.swap(lines);
    m_encoding = encoding;
    return true;
}

bool CIniFile::SaveFile() {
    const bool utf16 =
        m_encoding == IniTextEncoding::Utf16LE || m_encoding == IniTextEncoding::Utf16BE;
    const std::string_view mark = ByteOrderMark(m_encoding);
    size_t size = mark.size();
    for (const std::string& line : m_lines) {
        size += line.size() + 2;
    }
    std::string content;
    content.reserve(size);
    if (!utf16) {
        content.append(mark);
    }
    for (const std::string& line : m_lines) {
        content += line;
        content += "\r\n";
    }
    if (utf16) {
        content = std::string(mark) + Utf8ToUtf16(content, m_encoding == IniTextEncoding::Utf16BE);
    }
    errno = 0;
    m_bOpened = SaveThroughTempFile(m_strFileName, content, m_pFile);
    if (!m_bOpened && !m_bSaveFailed) {
        m_bSaveFailed = true;
        m_nSaveError = errno;
    }
    return m_bOpened;
}

std::string CIniFile::SaveErrorText() const {
    if (!m_bSaveFailed) {
        return std::string();
    }
    return m_nSaveError != 0 ? std::string(std::strerror(m_nSaveError))
                             : std::string("the file cannot be written");
}

void CIniFile::ClearSaveError() {
    m_bSaveFailed = false;
    m_nSaveError = 0;
}

std::string CIniFile::FindValue(std::string section, std::string key, std::string def) {
    LoadFile();
    if (!m_bOpened) {
        return def;
    }
    size_t i = FindSection(m_lines, section);
    if (i == m_lines.size()) {
        return def;
    }
    std::string_view name, lineKey, value;
    for (++i; i < m_lines.size(); ++i) {
        const std::string& line = m_lines[i];
        if (ParseHeader(line, name)) {
            return def; // the section ends without the key
        }
        if (ParseKey(line, lineKey, value) && lineKey == key) {
            return std::string(value);
        }
    }
    return def;
}

void CIniFile::SetValue(std::string section, std::string key, std::string value) {
    std::string line = key + "=" + value;
    size_t i = FindSection(m_lines, section);
    if (i == m_lines.size()) {
        m_lines.push_back("[" + section + "]");
        m_lines.push_back(std::move(line));
        return;
    }
    std::string_view name, lineKey, lineValue;
    for (++i; i < m_lines.size(); ++i) {
        if (ParseHeader(m_lines[i], name)) {
            break;
        }
        if (ParseKey(m_lines[i], lineKey, lineValue) && lineKey == key) {
            m_lines[i] = std::move(line);
            return;
        }
    }
    // The last line of the section: directly before the next header, or at the end.
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(i), std::move(line));
}
