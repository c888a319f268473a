#include "store/AtomicSave.h"

#include <atomic>
#include <cerrno>
#include <climits>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
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

std::atomic<unsigned> g_nTempCounter{0};

unsigned long ThisProcess() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

std::string TempName(const std::string& target) {
    return target + ".tmp-" + std::to_string(ThisProcess()) + "-" +
           std::to_string(++g_nTempCounter);
}

#ifdef _WIN32

// Whether the process with this id has ended: there is none, or it has exited. A process that
// exists but is not ours to ask counts as live, so its temporary file stays.
bool ProcessEnded(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER; // no process has this id
    }
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(process, &code) != 0 && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}

// Removes the temporary files of target whose process has ended. A temporary file of a live
// process is a save in progress and stays (and is held open while it is written).
void RemoveStaleTempFiles(const std::string& target) {
    const size_t slash = target.find_last_of("\\/:");
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string prefix = target.substr(folder.size()) + ".tmp-";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    const unsigned long self = ThisProcess();
    do {
        const std::string_view name(found.cFileName);
        // The pattern also matches short (8.3) names; only the exact prefix counts.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const unsigned long owner = TempFileOwner(name.substr(prefix.size()));
        if (owner != 0 && owner != self && ProcessEnded(static_cast<DWORD>(owner))) {
            DeleteFileA((folder + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

// Puts the written temporary file in the place of target. An existing file is replaced with
// ReplaceFileA, which keeps the replaced file's attributes and security (its ACL) rather than
// the temporary file's; where that fails, the temporary file is moved over it with the old
// attributes, as on a file system without ReplaceFileA. True once target holds the new file.
bool PutInPlace(const std::string& temp, const std::string& target, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // Full paths: some implementations (Wine's) refuse names relative to the current folder.
        const std::string fullTarget = FullPath(target);
        const std::string fullTemp = FullPath(temp);
        if (ReplaceFileA(fullTarget.c_str(), fullTemp.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0) {
            return true;
        }
        SetFileAttributesA(temp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return MoveFileExA(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
    const unsigned long self = ThisProcess();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const unsigned long owner = TempFileOwner(name.substr(prefix.size()));
        if (owner == 0 || owner == self || ::kill(static_cast<pid_t>(owner), 0) == 0 ||
            errno != ESRCH) {
            continue; // not ours, or its process lives (or may: not ours to ask)
        }
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

#endif

} // namespace

unsigned long TempFileOwner(std::string_view rest) {
    unsigned long long pid = 0;
    size_t i = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && i < 10; ++i) {
        pid = pid * 10 + static_cast<unsigned>(rest[i] - '0');
    }
    if (i == 0 || i >= rest.size() || rest[i] != '-' || i + 1 == rest.size()) {
        return 0;
    }
    for (size_t k = i + 1; k < rest.size(); ++k) {
        if (rest[k] < '0' || rest[k] > '9') {
            return 0;
        }
    }
    return pid <= INT_MAX ? static_cast<unsigned long>(pid) : 0;
}

#ifdef _WIN32

bool SaveThroughTempFile(const std::string& target, const std::string& content, std::FILE*& file) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        errno = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EISDIR : EACCES;
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
    ok = ok && PutInPlace(temp, target, attributes);
    if (!ok) {
        // A failed replace leaves the old file; only where it vanished on the way (a replace
        // that removed it and could not rename) the temporary file is the content and stays.
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES ||
            attributes == INVALID_FILE_ATTRIBUTES) {
            _unlink(temp.c_str());
        }
        return false;
    }
    RemoveStaleTempFiles(target);
    return true;
}

#else

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
            return false; // errno says why
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
