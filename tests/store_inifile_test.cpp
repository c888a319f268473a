// The parameter file engine: grammar, rewrite rules, and saves that never break the old file.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "store/IniFile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes the file read-only, or writable again, as the system's own tools do.
bool SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
    return SetFileAttributesA(path.c_str(),
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
#else
    return chmod(path.c_str(), readOnly ? 0444 : 0644) == 0;
#endif
}

// A fresh folder of the test's own under the temporary folder.
std::string NewScratchFolder() {
#ifdef _WIN32
    const fs::path dir = fs::temp_directory_path() /
                         ("tarvello-ini-" + std::to_string(GetCurrentProcessId()) + "-" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::error_code ec;
    fs::remove_all(dir, ec);
    return fs::create_directories(dir, ec) ? dir.string() : std::string();
#else
    char templ[] = "/tmp/tarvello-ini-XXXXXX";
    return mkdtemp(templ) != nullptr ? std::string(templ) : std::string();
#endif
}

// Every test runs in a fresh folder of its own, which is also the current directory, so the
// engine's bare file name "parameterset.ini" lands there.
class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = NewScratchFolder();
        ASSERT_FALSE(m_dir.empty());
        m_oldCwd = fs::current_path();
        fs::current_path(m_dir);
        m_path = m_dir + "/parameterset.ini";
    }
    void TearDown() override {
        fs::current_path(m_oldCwd);
        std::error_code ec;
        for (auto& entry : fs::recursive_directory_iterator(m_dir, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(m_dir, ec);
    }
    std::string File() const { return ReadBytes(m_path); }
    void SetFile(const std::string& bytes) const { WriteBytes(m_path, bytes); }
    // Names in the folder other than the parameter file (left-over temporary files).
    std::vector<std::string> Strays(const std::string& dir) const {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().filename().string();
            if (name != "parameterset.ini") {
                names.push_back(name);
            }
        }
        return names;
    }

    std::string m_dir;
    std::string m_path;
    fs::path m_oldCwd;
};

TEST_F(IniFileTest, CreatesTheFileAndAppendsSectionsAndKeysInWriteOrder) {
    CIniFile ini;
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", ""), "");
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig1", 0), 0);
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig1", -42), -42);
    EXPECT_FALSE(fs::exists(m_path)) << "reads never create the file";

    ini.WriteString("RVoltage", "RBase", "2.5");
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\n");

    ini.WriteInt("RConfig", "RConfig1", 2);
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=2\r\n");
    ini.WriteInt("RConfig", "RConfig2", 128);
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=2\r\nRConfig2=128\r\n");

    // A new key of the first section goes before the second header; a rewrite stays in place.
    ini.WriteString("RVoltage", "RMid", "1.2");
    ini.WriteInt("RConfig", "RConfig1", -1);
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\nRMid=1.2\r\n[RConfig]\r\nRConfig1=-1\r\n"
                      "RConfig2=128\r\n");
    EXPECT_EQ(ini.GetString("RVoltage", "RMid", "x"), "1.2");
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig1", 0), -1);
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig2", 0), 128);
    EXPECT_TRUE(Strays(m_dir).empty());
}

TEST_F(IniFileTest, NewKeyGoesAfterTheSectionsBlankLinesBeforeTheNextHeader) {
    SetFile("[A]\r\nx=1\r\n\r\n \t \r\n[B]\r\ny=2\r\n");
    CIniFile ini;
    ini.WriteString("A", "z", "3");
    EXPECT_EQ(File(), "[A]\r\nx=1\r\n\r\n \t \r\nz=3\r\n[B]\r\ny=2\r\n");
    ini.WriteString("B", "w", "4");
    EXPECT_EQ(File(), "[A]\r\nx=1\r\n\r\n \t \r\nz=3\r\n[B]\r\ny=2\r\nw=4\r\n");
    EXPECT_EQ(ini.GetString("A", "z", ""), "3");
}

TEST_F(IniFileTest, TrimsHeadersAndKeysAndRewritesTheLineInPlace) {
    SetFile("; hand notes\r\n  [ RVoltage ]\r\n   RBase =  2.50 \r\n\tRLow\v=\f1.0\r\n"
            "[ RConfig ] old\r\nRConfig1=3\r\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", "d"), "2.50");
    EXPECT_EQ(ini.GetString("RVoltage", "RLow", "d"), "1.0");
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig1", 0), 3) << "text after ']' is ignored";

    ini.WriteString("RVoltage", "RBase", "2.6");
    EXPECT_EQ(File(), "; hand notes\r\n  [ RVoltage ]\r\nRBase=2.6\r\n\tRLow\v=\f1.0\r\n"
                      "[ RConfig ] old\r\nRConfig1=3\r\n");
    // The value is written as passed, and read back trimmed.
    ini.WriteString("RVoltage", "RLow", " 0.9 ");
    EXPECT_NE(File().find("\r\nRLow= 0.9 \r\n"), std::string::npos);
    EXPECT_EQ(ini.GetString("RVoltage", "RLow", "d"), "0.9");
}

TEST_F(IniFileTest, NamesAreCaseSensitiveAndOnlyFoundInTheirOwnSection) {
    SetFile("RBase=9\r\n[rvoltage]\r\nRBase=1\r\n[RVoltage]\r\nrbase=2\r\n[Other]\r\nRMid=3\r\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", "d"), "d");
    EXPECT_EQ(ini.GetString("RVoltage", "RMid", "d"), "d");
    EXPECT_EQ(ini.GetString("rvoltage", "RBase", "d"), "1");

    ini.WriteString("RVoltage", "RBase", "2.5");
    ini.WriteString("RConfig", "RMid", "7");
    EXPECT_EQ(File(), "RBase=9\r\n[rvoltage]\r\nRBase=1\r\n[RVoltage]\r\nrbase=2\r\nRBase=2.5\r\n"
                      "[Other]\r\nRMid=3\r\n[RConfig]\r\nRMid=7\r\n");
}

TEST_F(IniFileTest, OnlyTheFirstOfTwoEqualHeadersIsUsed) {
    SetFile("[RConfig]\r\nRConfig1=1\r\n[X]\r\n[RConfig]\r\nRConfig1=5\r\nRConfig2=6\r\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig1", 0), 1);
    EXPECT_EQ(ini.GetInt("RConfig", "RConfig2", 99), 99);
    ini.WriteInt("RConfig", "RConfig2", 7);
    ini.WriteInt("RConfig", "RConfig1", 2);
    EXPECT_EQ(File(), "[RConfig]\r\nRConfig1=2\r\nRConfig2=7\r\n[X]\r\n[RConfig]\r\nRConfig1="
                      "5\r\nRConfig2=6\r\n");
}

TEST_F(IniFileTest, ValuesEmptyWithEqualsSignsAndFirstKeyWins) {
    SetFile("[RVoltage]\r\nRBase=\r\nK=a=b\r\nK=second\r\nnoequals\r\n[]\r\nE=empty-named\r\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", "default"), "");
    EXPECT_EQ(ini.GetInt("RVoltage", "RBase", 5), 0) << "present but empty is 0, not the default";
    EXPECT_EQ(ini.GetString("RVoltage", "K", ""), "a=b");
    EXPECT_EQ(ini.GetString("RVoltage", "noequals", "d"), "d");
    EXPECT_EQ(ini.GetString("", "E", "d"), "empty-named");
}

TEST_F(IniFileTest, GetIntFollowsAtoi) {
    SetFile("[S]\na=12abc\nb=2.5\nc= \t-7x\nd=+5\ne=abc\nf=- 3\n"
            "g=99999999999999999999\nh=-2147483648\ni=-99999999999999999999\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetInt("S", "a", 1), 12);
    EXPECT_EQ(ini.GetInt("S", "b", 1), 2);
    EXPECT_EQ(ini.GetInt("S", "c", 1), -7);
    EXPECT_EQ(ini.GetInt("S", "d", 1), 5);
    EXPECT_EQ(ini.GetInt("S", "e", 1), 0);
    EXPECT_EQ(ini.GetInt("S", "f", 1), 0);
    EXPECT_EQ(ini.GetInt("S", "g", 1), INT_MAX);
    EXPECT_EQ(ini.GetInt("S", "h", 1), INT_MIN);
    EXPECT_EQ(ini.GetInt("S", "i", 1), INT_MIN);
    EXPECT_EQ(ini.GetInt("S", "missing", INT_MIN), INT_MIN);
    EXPECT_EQ(ini.GetInt("S", "missing", INT_MAX), INT_MAX);
    EXPECT_EQ(IniAtoi("2147483648"), INT_MAX);
    EXPECT_EQ(IniAtoi("\v\f\r\n 42"), 42);
}

TEST_F(IniFileTest, LineEndsLongLinesAndRawBytes) {
    const std::string longValue(200000, 'v');
    std::string bytes = "[A]\nx=1\r\ncr=in\rside\n\n";
    bytes += "long=" + longValue + "\n";
    bytes += std::string("nul=a\0b", 7) + "\n";
    bytes += "hi=\xB5\xE7\xD1\xB9\n"; // GB2312 bytes as they are
    bytes += "last=end";              // no terminator
    SetFile(bytes);
    CIniFile ini;
    EXPECT_EQ(ini.GetString("A", "x", ""), "1");
    EXPECT_EQ(ini.GetString("A", "cr", ""), "in\rside");
    EXPECT_EQ(ini.GetString("A", "long", "").size(), longValue.size());
    EXPECT_EQ(ini.GetString("A", "nul", ""), std::string("a\0b", 3));
    EXPECT_EQ(ini.GetString("A", "hi", ""), "\xB5\xE7\xD1\xB9");
    EXPECT_EQ(ini.GetString("A", "last", ""), "end");
    ASSERT_EQ(ini.GetLines().size(), 8u);
    EXPECT_EQ(ini.GetLines()[3], "");

    ini.WriteString("A", "x", "2");
    std::string expected = "[A]\r\nx=2\r\ncr=in\rside\r\n\r\nlong=" + longValue + "\r\n" +
                           std::string("nul=a\0b", 7) + "\r\nhi=\xB5\xE7\xD1\xB9\r\nlast=end\r\n";
    EXPECT_EQ(File(), expected) << "every line ends in CR LF after a write, nothing else changes";
}

TEST_F(IniFileTest, EmptyAndTerminatorOnlyFiles) {
    SetFile("");
    CIniFile ini;
    EXPECT_EQ(ini.GetString("A", "x", "d"), "d");
    EXPECT_TRUE(ini.IsOpened());
    EXPECT_TRUE(ini.GetLines().empty());
    SetFile("\r\n\n");
    EXPECT_EQ(ini.GetString("A", "x", "d"), "d");
    EXPECT_EQ(ini.GetLines(), (std::vector<std::string>{"", ""}));
    ini.WriteString("A", "x", "1");
    EXPECT_EQ(File(), "\r\n\r\n[A]\r\nx=1\r\n");
}

TEST_F(IniFileTest, FailedLoadKeepsTheList) {
    SetFile("[A]\r\nx=1\r\n");
    CIniFile ini;
    ASSERT_TRUE(ini.LoadFile());
    fs::remove(m_path);
    EXPECT_FALSE(ini.LoadFile());
    EXPECT_FALSE(ini.IsOpened());
    EXPECT_EQ(ini.GetLines(), (std::vector<std::string>{"[A]", "x=1"}));
    EXPECT_EQ(ini.GetString("A", "x", "gone"), "gone") << "a read without a file gives the default";

    // A folder in the file's place cannot be loaded either.
    fs::create_directory(m_path);
    EXPECT_FALSE(ini.LoadFile());
    EXPECT_EQ(ini.GetLines().size(), 2u);
}

TEST_F(IniFileTest, BareNameResolvesAgainstTheCurrentDirectoryAtEachOpen) {
    CIniFile ini;
    EXPECT_EQ(ini.GetFileName(), "parameterset.ini");
    ini.WriteString("A", "x", "1");
    fs::create_directory(m_dir + "/other");
    fs::current_path(m_dir + "/other");
    EXPECT_EQ(ini.GetString("A", "x", "d"), "d");
    fs::current_path(m_dir);
    EXPECT_EQ(ini.GetString("A", "x", "d"), "1");

    CIniFile elsewhere;
    elsewhere.SetFileName(m_dir + "/other/custom.ini");
    elsewhere.WriteInt("B", "y", 3);
    EXPECT_EQ(ReadBytes(m_dir + "/other/custom.ini"), "[B]\r\ny=3\r\n");
}

// Sound behaviour: a write starts from the file as it is now.
TEST_F(IniFileTest, WriteKeepsChangesSavedSinceThisObjectsLastRead) {
    SetFile("[BaseVoltage]\r\nVoltage=3.3\r\n");
    CIniFile page2, page3, fresh;
    EXPECT_EQ(page2.GetString("RVoltage", "RBase", ""), "");
    EXPECT_EQ(page3.GetString("TVoltage", "TBase", ""), "");

    page3.WriteString("TVoltage", "TBase", "1.5");
    page2.WriteString("RVoltage", "RBase", "2.5"); // page2's list predates page3's write
    EXPECT_EQ(File(), "[BaseVoltage]\r\nVoltage=3.3\r\n[TVoltage]\r\nTBase=1.5\r\n"
                      "[RVoltage]\r\nRBase=2.5\r\n");

    // A hand edit since the last read survives the next write.
    SetFile(File() + "; checked by hand\r\n");
    page3.WriteInt("TConfig", "TConfig1", 1);
    EXPECT_NE(File().find("; checked by hand\r\n[TConfig]\r\nTConfig1=1\r\n"), std::string::npos);

    // An object that never read starts from the file, not from an empty list.
    fresh.WriteInt("RConfig", "RConfig2", 9);
    EXPECT_EQ(File().rfind("[BaseVoltage]\r\nVoltage=3.3\r\n", 0), 0u);
    EXPECT_NE(File().find("RConfig2=9"), std::string::npos);
    EXPECT_NE(File().find("TBase=1.5"), std::string::npos);
}

// Sound behaviour: a UTF-8 byte-order mark is skipped for reading and kept on save.
TEST_F(IniFileTest, ByteOrderMarkIsSkippedAndWrittenBack) {
    SetFile("\xEF\xBB\xBF[RVoltage]\r\nRBase=2.5\r\n");
    CIniFile ini;
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", "d"), "2.5");
    EXPECT_TRUE(ini.HasByteOrderMark());
    ini.WriteString("RVoltage", "RBase", "2.7");
    EXPECT_EQ(File(), "\xEF\xBB\xBF[RVoltage]\r\nRBase=2.7\r\n") << "no second header appended";

    // Only a mark at the very start counts; elsewhere the bytes are line content.
    SetFile("\r\n\xEF\xBB\xBF[RVoltage]\r\nRBase=1\r\n");
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", "d"), "d");
    EXPECT_FALSE(ini.HasByteOrderMark());
    ini.WriteString("RVoltage", "RBase", "3");
    EXPECT_EQ(File(), "\r\n\xEF\xBB\xBF[RVoltage]\r\nRBase=1\r\n[RVoltage]\r\nRBase=3\r\n");
}

// Sound behaviour: a read-only file stays as it is, even for a process that could override the
// permission bits; the change lives on only in the object's list.
TEST_F(IniFileTest, ReadOnlyFileIsLeftUnchanged) {
    const std::string old = "[RVoltage]\r\nRBase=2.5\r\n";
    SetFile(old);
    ASSERT_TRUE(SetReadOnly(m_path, true));
    CIniFile ini;
    ini.WriteString("RVoltage", "RBase", "4.0");
    EXPECT_FALSE(ini.IsOpened());
    EXPECT_EQ(ini.GetLines()[1], "RBase=4.0");
    EXPECT_EQ(File(), old);
    EXPECT_TRUE(Strays(m_dir).empty());
    EXPECT_EQ(ini.GetString("RVoltage", "RBase", ""), "2.5");

    // Made writable again, the next write goes through.
    ASSERT_TRUE(SetReadOnly(m_path, false));
    ini.WriteString("RVoltage", "RMid", "1");
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\nRMid=1\r\n");
}

#ifndef _WIN32 // POSIX file mechanics: size limits, fork, folder and permission bits, symlinks

// A save that fails part-way (here: the disk refuses the temporary file's bytes) leaves the
// old file whole and no temporary file behind, and keeps the change in the list.
TEST_F(IniFileTest, SaveFailingPartWayLeavesTheOldFileWhole) {
    std::string old = "[RVoltage]\r\nRBase=2.5\r\n";
    for (int i = 0; i < 50; ++i) {
        old += "Key" + std::to_string(i) + "=value\r\n";
    }
    SetFile(old);
    CIniFile ini;
    ASSERT_TRUE(ini.LoadFile());
    ini.SetValue("RVoltage", "RBase", "3.0");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64; // far less than the file
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved_ok = ini.SaveFile();
    ini.WriteString("RVoltage", "RLow", "1.0");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_FALSE(ini.IsOpened());
    EXPECT_EQ(File(), old);
    EXPECT_TRUE(Strays(m_dir).empty());
    EXPECT_EQ(ini.GetLines()[1], "RBase=2.5") << "the write reloaded the file first";
    EXPECT_EQ(ini.GetLines().back(), "RLow=1.0");

    // A later save through the same object writes what its list holds.
    EXPECT_TRUE(ini.SaveFile());
    EXPECT_EQ(File(), old + "RLow=1.0\r\n");
}

// A process killed at any moment of a save leaves either the old or the new file, whole.
TEST_F(IniFileTest, KilledDuringSavesTheFileIsAlwaysWhole) {
    const std::string small = "1.5";
    const std::string big(200000, '7');
    const std::string smallFile = "[A]\r\nx=" + small + "\r\n";
    const std::string bigFile = "[A]\r\nx=" + big + "\r\n";
    SetFile(smallFile);
    std::srand(12345);
    for (int round = 0; round < 30; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CIniFile ini;
            for (unsigned i = 0;; ++i) {
                ini.WriteString("A", "x", i % 2 ? big : small);
            }
        }
        struct stat st;
        for (int spin = std::rand() % 3000; spin > 0; --spin) {
            stat(m_path.c_str(), &st);
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = File();
        ASSERT_TRUE(now == smallFile || now == bigFile)
            << "round " << round << ": " << now.size() << " bytes";
    }
}

#endif // !_WIN32

TEST_F(IniFileTest, SavesThatCannotReplaceTheFileChangeNothing) {
    // A folder where the file should be.
    fs::create_directory(m_path);
    CIniFile ini;
    ini.WriteString("A", "x", "1");
    EXPECT_FALSE(ini.IsOpened());
    EXPECT_TRUE(fs::is_directory(m_path));
    EXPECT_TRUE(fs::is_empty(m_path));
    EXPECT_TRUE(Strays(m_dir).empty());
    EXPECT_EQ(ini.GetLines(), (std::vector<std::string>{"[A]", "x=1"}));

    // A file inside a folder that does not exist.
    CIniFile nowhere;
    nowhere.SetFileName(m_dir + "/missing/parameterset.ini");
    nowhere.WriteString("A", "x", "1");
    EXPECT_FALSE(nowhere.SaveFile());
    EXPECT_FALSE(fs::exists(m_dir + "/missing"));
    EXPECT_EQ(nowhere.GetString("A", "x", "d"), "d");

    // A path through a plain file as if it were a folder.
    WriteBytes(m_dir + "/plain", "x");
    CIniFile through;
    through.SetFileName(m_dir + "/plain/parameterset.ini");
    through.WriteString("A", "x", "1");
    EXPECT_FALSE(through.IsOpened());
    EXPECT_EQ(ReadBytes(m_dir + "/plain"), "x");
}

#ifndef _WIN32 // a folder's permission bits and symbolic links are POSIX matters

TEST_F(IniFileTest, FolderRefusingTheTemporaryFileLeavesTheOldFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser creates files in any folder";
    }
    SetFile("[A]\r\nx=1\r\n");
    ASSERT_EQ(chmod(m_dir.c_str(), 0555), 0);
    CIniFile ini;
    ini.WriteString("A", "x", "2");
    EXPECT_FALSE(ini.IsOpened());
    chmod(m_dir.c_str(), 0755);
    EXPECT_EQ(File(), "[A]\r\nx=1\r\n");
    EXPECT_TRUE(Strays(m_dir).empty());
}

TEST_F(IniFileTest, SaveKeepsPermissionBitsAndFollowsSymbolicLinks) {
    SetFile("[A]\r\nx=1\r\n");
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    CIniFile ini;
    ini.WriteString("A", "x", "2");
    struct stat st;
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(File(), "[A]\r\nx=2\r\n");

    fs::create_directory(m_dir + "/real");
    WriteBytes(m_dir + "/real/target.ini", "[B]\r\ny=1\r\n");
    fs::create_symlink("real/target.ini", m_dir + "/link.ini");
    CIniFile linked;
    linked.SetFileName(m_dir + "/link.ini");
    linked.WriteString("B", "y", "2");
    EXPECT_TRUE(fs::is_symlink(m_dir + "/link.ini"));
    EXPECT_EQ(ReadBytes(m_dir + "/real/target.ini"), "[B]\r\ny=2\r\n");
    EXPECT_EQ(Strays(m_dir + "/real"), (std::vector<std::string>{"target.ini"}));
}

#endif // !_WIN32

TEST_F(IniFileTest, SaveAndLoadRoundTripAnyLines) {
    const std::vector<std::string> lines = {"",
                                            "  [ x ] y",
                                            "k = v = w ",
                                            "\t",
                                            "trailing cr\r",
                                            "\r",
                                            std::string("\0", 1),
                                            "[",
                                            "]=",
                                            "=",
                                            "\xEF\xBB\xBF not at the start"};
    std::string content;
    for (const std::string& line : lines) {
        content += line + "\r\n";
    }
    SetFile(content);
    CIniFile writer;
    ASSERT_TRUE(writer.LoadFile());
    ASSERT_EQ(writer.GetLines(), lines);
    fs::remove(m_path);
    ASSERT_TRUE(writer.SaveFile());
    EXPECT_EQ(File(), content);
    CIniFile reader;
    ASSERT_TRUE(reader.LoadFile());
    EXPECT_EQ(reader.GetLines(), lines);
}

} // namespace
