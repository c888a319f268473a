#include "store/IniFile.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/AtomicSave.h"
#include "store/IniGrammar.h"

namespace {

const char kDefaultFileName[] = "parameterset.ini";

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
    IniText text = ParseIniBytes(data);
    m_lines.swap(text.lines);
    m_encoding = text.encoding;
    return true;
}

bool CIniFile::SaveFile() {
    const std::string content = SerialiseIniBytes(m_lines, m_encoding);
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
    std::optional<std::string> value = FindIniValue(m_lines, section, key);
    return value ? std::move(*value) : std::move(def);
}

void CIniFile::SetValue(std::string section, std::string key, std::string value) {
    SetIniValue(m_lines, section, key, value);
}
