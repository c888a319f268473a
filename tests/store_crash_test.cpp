// The parameter file under a dying process, a full disk and a read-only file system.
//
// A child process writes keys through CIniFile in a loop and is killed with SIGKILL at random
// moments, hundreds of times; after every kill the file must parse and hold the state after
// some whole number of writes: every key its old or its new value, nothing cut off. The disk
// cases run in a child with a private mount namespace on a small tmpfs (the superuser can
// mount one; elsewhere they are skipped, the size-limited file of the engine's own tests
// covers the same path).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "store/IniFile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Names in the folder other than the parameter file.
std::vector<std::string> Strays(const std::string& dir) {
    std::vector<std::string> names;
    for (auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name != "parameterset.ini") {
            names.push_back(name);
        }
    }
    return names;
}

// The writer's keys: the parameter file's own sections, so lines move between sections.
struct Key {
    const char* section;
    const char* name;
};
constexpr Key kKeys[] = {{"RVoltage", "RBase"},  {"RConfig", "RConfig1"},   {"TVoltage", "TLow"},
                         {"RVoltage", "RMid"},   {"TConfig", "TConfig2"},   {"RConfig", "RConfig2"},
                         {"TVoltage", "THeigh"}, {"SensorSupply", "Supply"}};
constexpr unsigned kKeyCount = sizeof kKeys / sizeof kKeys[0];

// Write number i sets key i % kKeyCount to "i:" and a run of 'x' whose length depends on i,
// so the file grows and shrinks from one save to the next and a cut shows.
std::string ValueOf(unsigned i) {
    return std::to_string(i) + ":" + std::string((i * 7919u) % 3000u, 'x');
}

// The write number a value stands for; 0 when the value is not exactly ValueOf of a number.
unsigned WriteNumberOf(const std::string& value) {
    const size_t colon = value.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 9) {
        return 0;
    }
    unsigned i = 0;
    for (size_t k = 0; k < colon; ++k) {
        if (value[k] < '0' || value[k] > '9') {
            return 0;
        }
        i = i * 10 + static_cast<unsigned>(value[k] - '0');
    }
    return value == ValueOf(i) ? i : 0;
}

// The child: continues the numbering from the file as it finds it, tells the parent through
// `started` that its first save begins, and writes for ever.
[[noreturn]] void WriteForEver(const std::string& path, int started) {
    CIniFile ini;
    ini.SetFileName(path);
    unsigned last = 0;
    for (const Key& key : kKeys) {
        const unsigned i = WriteNumberOf(ini.GetString(key.section, key.name, ""));
        last = i > last ? i : last;
    }
    const char go = 'g';
    if (write(started, &go, 1) != 1) {
        _exit(3);
    }
    for (unsigned i = last + 1;; ++i) {
        const Key& key = kKeys[i % kKeyCount];
        ini.WriteString(key.section, key.name, ValueOf(i));
    }
}

// How long after its start a writer is killed, at the most: a few times what a save takes
// here (the flush to the disk dominates it, and a busy disk or a sanitizer build makes it many
// times longer), so that writers complete saves between kills on any machine, and at least
// 6 ms, so that many kills land in the middle of a save.
long KillWindowUs(const std::string& dir) {
    CIniFile probe;
    probe.SetFileName(dir + "/probe.ini");
    long longest = 0;
    for (unsigned i = 1; i <= 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        probe.WriteString("RVoltage", "RBase", ValueOf(i));
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        longest = std::max<long>(longest, static_cast<long>(took.count()));
    }
    fs::remove(dir + "/probe.ini");
    return std::max<long>(6000, 4 * longest);
}

// Checks that the file is the state after exactly j writes for some j (returned through
// written): every value well formed, the highest write number j, and every key holding the
// value of the last write to it up to j.
::testing::AssertionResult IsStateAfterSomeWrites(const std::string& path, unsigned& written) {
    const std::string bytes = ReadBytes(path);
    if (bytes.empty()) {
        return ::testing::AssertionFailure() << "the file is empty or missing";
    }
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
        return ::testing::AssertionFailure()
               << "the file ends without its line end (" << bytes.size() << " bytes)";
    }
    CIniFile reader;
    reader.SetFileName(path);
    if (!reader.LoadFile()) {
        return ::testing::AssertionFailure() << "the file does not load";
    }
    unsigned values[kKeyCount] = {};
    unsigned j = 0;
    for (unsigned k = 0; k < kKeyCount; ++k) {
        const std::string value = reader.GetString(kKeys[k].section, kKeys[k].name, "");
        if (!value.empty()) {
            values[k] = WriteNumberOf(value);
            if (values[k] == 0 || values[k] % kKeyCount != k) {
                return ::testing::AssertionFailure()
                       << kKeys[k].name << " holds a broken value of " << value.size() << " bytes";
            }
        }
        j = values[k] > j ? values[k] : j;
    }
    for (unsigned k = 0; k < kKeyCount; ++k) {
        // The last write to key k up to write j (none when j < k or k == 0 and j < kKeyCount).
        unsigned expected = 0;
        if (j >= k) {
            expected = j - (j - k) % kKeyCount;
        }
        if (values[k] != expected) {
            return ::testing::AssertionFailure()
                   << kKeys[k].name << " holds write " << values[k] << ", the state after write "
                   << j << " holds write " << expected;
        }
    }
    if (reader.GetString("Other", "Keep", "") != "1") {
        return ::testing::AssertionFailure() << "the untouched key is gone";
    }
    written = j;
    return ::testing::AssertionSuccess();
}

class StoreCrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/tarvello-crash-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        m_dir = templ;
        m_path = m_dir + "/parameterset.ini";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string m_dir;
    std::string m_path;
};

// Hundreds of kills at random moments of a writer that saves as fast as it can (300 kills or
// 20 s, whichever comes first). The file never goes back to an earlier state either: a save
// that has replaced the file stays.
TEST_F(StoreCrashTest, KilledAtRandomMomentsEveryKeyHoldsItsOldOrItsNewValue) {
    // A key of another section that no write touches: it must survive every save.
    {
        CIniFile seed;
        seed.SetFileName(m_path);
        seed.WriteString("Other", "Keep", "1");
    }
    const unsigned seed = static_cast<unsigned>(std::random_device{}());
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    long windowUs = KillWindowUs(m_dir);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    unsigned previous = 0;
    int kills = 0;
    int advanced = 0;
    int advancedBefore = 0;
    for (; kills < 300 && std::chrono::steady_clock::now() < deadline; ++kills) {
        // A loaded machine can make saves far slower than the probe saw: a window in which
        // 25 writers in a row completed no save grows, so that the kills keep landing both in
        // and between saves.
        if (kills > 0 && kills % 25 == 0) {
            if (advanced == advancedBefore) {
                windowUs = std::min<long>(2 * windowUs, 500000);
            }
            advancedBefore = advanced;
        }
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(started[0]);
            WriteForEver(m_path, started[1]);
        }
        close(started[1]);
        char go = 0;
        ASSERT_EQ(read(started[0], &go, 1), 1) << "the writer did not start";
        close(started[0]);
        const long us = std::uniform_int_distribution<long>(0, windowUs)(random);
        timespec pause{0, us * 1000};
        nanosleep(&pause, nullptr);
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";

        unsigned written = 0;
        ASSERT_TRUE(IsStateAfterSomeWrites(m_path, written)) << "after kill " << kills + 1;
        ASSERT_GE(written, previous) << "a saved state was lost after kill " << kills + 1;
        advanced += written > previous ? 1 : 0;
        previous = written;
    }
    EXPECT_GE(kills, 100) << "too few kills to say anything";
    EXPECT_GE(advanced, 10) << "the writer hardly ever completed a save";
    // Kills in the middle of a save leave their temporary file; nothing else appears.
    for (const std::string& name : Strays(m_dir)) {
        EXPECT_EQ(name.rfind("parameterset.ini.tmp-", 0), 0u) << name;
    }
    const size_t left = Strays(m_dir).size();
    std::printf("[ stats    ] %d kills, file advanced after %d, %zu temporary files left, last "
                "write %u, kill window %ld us\n",
                kills, advanced, left, previous, windowUs);

    // The next save of a live process clears what the killed writers left.
    CIniFile survivor;
    survivor.SetFileName(m_path);
    survivor.WriteString("Other", "Keep", "1");
    EXPECT_TRUE(survivor.IsOpened());
    EXPECT_TRUE(Strays(m_dir).empty()) << Strays(m_dir).size() << " temporary files stay";
}

// Only the temporary files of this file whose process is gone are removed: a save in progress
// in a live process keeps its file, and other names stay whatever they look like.
TEST_F(StoreCrashTest, ASaveRemovesOnlyTheTemporaryFilesOfEndedProcesses) {
    const pid_t live = fork();
    ASSERT_GE(live, 0);
    if (live == 0) {
        pause();
        _exit(0);
    }
    const pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string liveTemp = "parameterset.ini.tmp-" + std::to_string(live) + "-3";
    const std::string endedTemp = "parameterset.ini.tmp-" + std::to_string(ended) + "-1";
    const std::vector<std::string> others = {
        "parameterset.ini.tmp-x1-2", "parameterset.ini.tmp-" + std::to_string(ended),
        "other.ini.tmp-" + std::to_string(ended) + "-1", "parameterset.ini.bak"};
    for (const std::string& name : others) {
        WriteFile(m_dir + "/" + name, "x");
    }
    WriteFile(m_dir + "/" + liveTemp, "[A]\r\nx=");
    WriteFile(m_dir + "/" + endedTemp, "[A]\r\nx=");

    CIniFile ini;
    ini.SetFileName(m_path);
    ini.WriteString("A", "x", "1");
    std::vector<std::string> expected = others;
    expected.push_back(liveTemp);
    std::vector<std::string> now = Strays(m_dir);
    std::sort(now.begin(), now.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(now, expected);

    // Once that process has ended, its file goes with the next save; a failed save removes
    // nothing.
    kill(live, SIGKILL);
    waitpid(live, nullptr, 0);
    ASSERT_EQ(chmod(m_path.c_str(), 0444), 0);
    ini.WriteString("A", "x", "2");
    EXPECT_EQ(Strays(m_dir).size(), others.size() + 1);
    ASSERT_EQ(chmod(m_path.c_str(), 0644), 0);
    ini.WriteString("A", "x", "3");
    now = Strays(m_dir);
    std::sort(now.begin(), now.end());
    expected = others;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(now, expected);
    EXPECT_EQ(ReadBytes(m_path), "[A]\r\nx=3\r\n");
}

// Runs body in a child process with a private mount namespace and a tmpfs of sizeKiB mounted
// on dir. The child's exit code: 0 passed, 77 no tmpfs could be mounted, otherwise the line
// of the failed check (its message on stderr).
int RunOnSmallTmpfs(const std::string& dir, int sizeKiB, void (*body)(const std::string& dir)) {
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            _exit(77);
        }
        const std::string options = "size=" + std::to_string(sizeKiB) + "k";
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            _exit(77);
        }
        body(dir);
        _exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A check inside the child: on failure the message goes to stderr and the line is the exit
// code.
#define CHILD_CHECK(condition)                                                                     \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);           \
            _exit(__LINE__ % 250 + 1);                                                             \
        }                                                                                          \
    } while (0)

std::string ManyKeys(const char* section, int count, const std::string& value) {
    std::string text = std::string("[") + section + "]\r\n";
    for (int i = 0; i < count; ++i) {
        text += "Key" + std::to_string(i) + "=" + value + "\r\n";
    }
    return text;
}

// Fills the file system until it refuses another byte, then frees freeBytes of it again.
void FillDisk(const std::string& filler, size_t freeBytes) {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    CHILD_CHECK(fd >= 0);
    const std::string block(4096, 'f');
    size_t total = 0;
    for (;;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n <= 0) {
            break;
        }
        total += static_cast<size_t>(n);
    }
    CHILD_CHECK(errno == ENOSPC || errno == EFBIG);
    CHILD_CHECK(::ftruncate(fd, static_cast<off_t>(total > freeBytes ? total - freeBytes : 0)) ==
                0);
    ::close(fd);
}

void FullDiskBody(const std::string& dir) {
    const std::string path = dir + "/parameterset.ini";
    const std::string filler = dir + "/filler";
    // About 12 KiB of parameters, written while there is room.
    const std::string old = ManyKeys("RVoltage", 400, "2.5000");
    CIniFile ini;
    ini.SetFileName(path);
    for (int i = 0; i < 400; ++i) {
        ini.SetValue("RVoltage", "Key" + std::to_string(i), "2.5000");
    }
    CHILD_CHECK(ini.SaveFile());
    CHILD_CHECK(ReadBytes(path) == old);

    // No room at all: the temporary file cannot take a byte.
    FillDisk(filler, 0);
    ini.WriteString("RVoltage", "Key7", "4.9000");
    CHILD_CHECK(!ini.IsOpened());
    CHILD_CHECK(ReadBytes(path) == old);
    CHILD_CHECK(Strays(dir) == std::vector<std::string>{"filler"});
    CIniFile reader;
    reader.SetFileName(path);
    CHILD_CHECK(reader.GetString("RVoltage", "Key7", "") == "2.5000");

    // Room for part of the file: the temporary file is cut off by the full disk and removed.
    FillDisk(filler, 4096);
    ini.WriteString("RVoltage", "Key8", "4.8000");
    CHILD_CHECK(!ini.IsOpened());
    CHILD_CHECK(ReadBytes(path) == old);
    CHILD_CHECK(Strays(dir) == std::vector<std::string>{"filler"});

    // A writer killed while the disk is full leaves the old file too.
    for (int round = 0; round < 20; ++round) {
        const pid_t writer = fork();
        CHILD_CHECK(writer >= 0);
        if (writer == 0) {
            CIniFile w;
            w.SetFileName(path);
            for (int i = 0;; ++i) {
                w.WriteString("RVoltage", "Key9", std::to_string(i));
            }
        }
        timespec pause{0, (round % 5) * 300000L};
        nanosleep(&pause, nullptr);
        kill(writer, SIGKILL);
        int status = 0;
        waitpid(writer, &status, 0);
        CHILD_CHECK(ReadBytes(path) == old);
    }

    // Once there is room again the next write goes through, whole.
    CHILD_CHECK(::unlink(filler.c_str()) == 0);
    for (const std::string& stray : Strays(dir)) {
        ::unlink((dir + "/" + stray).c_str()); // the killed writers' temporary files
    }
    ini.WriteString("RVoltage", "Key8", "4.8000");
    CHILD_CHECK(ini.IsOpened());
    std::string expected = old;
    const std::string from = "Key8=2.5000\r\n";
    expected.replace(expected.find(from), from.size(), "Key8=4.8000\r\n");
    CHILD_CHECK(ReadBytes(path) == expected);
    CHILD_CHECK(Strays(dir).empty());
}

TEST_F(StoreCrashTest, FullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
    const int code = RunOnSmallTmpfs(m_dir, 64, FullDiskBody);
    if (code == 77) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    EXPECT_EQ(code, 0) << "a check failed in the child (message above)";
}

// A read-only file system refuses every change even to the superuser: the file, a new file
// and the folder stay as they are; reads go on serving the file.
void ReadOnlyBody(const std::string& dir) {
    const std::string path = dir + "/parameterset.ini";
    const std::string old = "[RVoltage]\r\nRBase=2.5\r\n";
    WriteFile(path, old);
    CHILD_CHECK(mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);

    CIniFile ini;
    ini.SetFileName(path);
    ini.WriteString("RVoltage", "RBase", "4.0");
    CHILD_CHECK(!ini.IsOpened());
    CHILD_CHECK(ReadBytes(path) == old);
    CHILD_CHECK(ini.GetString("RVoltage", "RBase", "") == "2.5");
    CHILD_CHECK(ini.GetLines().size() == 2);

    CIniFile fresh;
    fresh.SetFileName(dir + "/new.ini");
    fresh.WriteInt("RConfig", "RConfig1", 3);
    CHILD_CHECK(!fresh.IsOpened());
    CHILD_CHECK(!fs::exists(dir + "/new.ini"));
    CHILD_CHECK(fresh.GetInt("RConfig", "RConfig1", -1) == -1);
    CHILD_CHECK(Strays(dir).empty());
}

TEST_F(StoreCrashTest, ReadOnlyFileSystemChangesNothing) {
    const int code = RunOnSmallTmpfs(m_dir, 64, ReadOnlyBody);
    if (code == 77) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    EXPECT_EQ(code, 0) << "a check failed in the child (message above)";
}

} // namespace
