#include "store/IniFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

std::atomic<unsigned> g_nTempCounter{0};

std::string TempName(const std::string& target) {
#ifdef _WIN32
    unsigned long pid = static_cast<unsigned long>(_getpid());
#else
    unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
    return target + ".tmp-" + std::to_string(pid) + "-" + std::to_string(++g_nTempCounter);
}

#ifdef _WIN32

// Writes content to target through a flushed temporary file that replaces it.
bool SaveThroughTempFile(const std::string& target, const std::string& content, std::FILE*& file) {
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false; // a read-only file stays as it is
    }
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TempName(target);
        fd = _open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    file = _fdopen(fd, "wb");
    if (!file) {
        _close(fd);
        _unlink(temp.c_str());
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ok && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesA(temp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    ok = ok && MoveFileExA(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        _unlink(temp.c_str());
    }
    return ok;
}

#else

// The file a save replaces: a symbolic link is followed, so the link stays and its target
// gets the new content.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved) {
            std::string target(resolved);
            ::free(resolved);
            return target;
        }
    }
    return path;
}

void SyncFolderOf(const std::string& target) {
    size_t slash = target.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    int fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // makes the rename itself durable; nothing to do when it fails
        ::close(fd);
    }
}

// The process id in a temporary file name "<file>.tmp-<pid>-<counter>" after its prefix;
// 0 when the rest of the name is not of that form.
pid_t TempFileOwner(std::string_view rest) {
    long long pid = 0;
    size_t i = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && i < 10; ++i) {
        pid = pid * 10 + (rest[i] - '0');
    }
    if (i == 0 || i >= rest.size() || rest[i] != '-' || i + 1 == rest.size()) {
        return 0;
    }
    for (size_t k = i + 1; k < rest.size(); ++k) {
        if (rest[k] < '0' || rest[k] > '9') {
            return 0;
        }
    }
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary files of target that saves of processes which no longer exist left
// behind (a process killed in the middle of a save leaves one each time). A temporary file of
// a live process is a save in progress and stays.
void RemoveStaleTempFiles(const std::string& target) {
    const size_t slash = target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string prefix =
        (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return;
    }
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const pid_t owner = TempFileOwner(name.substr(prefix.size()));
        if (owner == 0 || owner == self || ::kill(owner, 0) == 0 || errno != ESRCH) {
            continue; // not ours, or its process lives (or may: not ours to ask)
        }
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes content to target through a flushed temporary file in the same folder that is then
// renamed over it. On failure the temporary file is removed and target is left as it was.
bool SaveThroughTempFile(const std::string& path, const std::string& content, std::FILE*& file) {
    const std::string target = ResolveTarget(path);
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        // A file without any write permission is read-only for this tool even when the
        // process could override the permission (as the superuser can).
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            errno = EACCES;
            return false;
        }
        if (::access(target.c_str(), W_OK) != 0) {
            return false;
        }
    }
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TempName(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    if (exists) {
        // Keep the old file's owner (where allowed) and permission bits.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // not the owner's to give: the new file keeps ours
        }
        ::fchmod(fd, old.st_mode & 07777);
    }
    file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ok && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(target);
    RemoveStaleTempFiles(target);
    return true;
}

#endif

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
