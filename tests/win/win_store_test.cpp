// The parameter file's save through the Win32 file calls: an existing file is replaced in a way
// that keeps its attributes and security, and a successful save removes the temporary files
// of ended processes only.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchParameterFile.h"
#include "Wine.h"
#include "store/IniFile.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Names in the folder other than the parameter file, sorted.
std::vector<std::string> Strays(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename() != "parameterset.ini") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A process of this program, created suspended: alive until it is terminated.
PROCESS_INFORMATION StartSuspended() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_list_tests";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &process));
    return process;
}

void End(PROCESS_INFORMATION& process) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST(WinStore, ASaveRemovesOnlyTheTemporaryFilesOfEndedProcesses) {
    ScratchParameterFile file("tarvello_win_store_");
    PROCESS_INFORMATION live = StartSuspended();
    PROCESS_INFORMATION ended = StartSuspended();
    ASSERT_NE(live.hProcess, nullptr);
    ASSERT_NE(ended.hProcess, nullptr);
    End(ended);
    const std::string liveTemp = "parameterset.ini.tmp-" + std::to_string(live.dwProcessId) + "-3";
    const std::string endedTemp =
        "parameterset.ini.tmp-" + std::to_string(ended.dwProcessId) + "-1";
    const std::vector<std::string> others = {
        "other.ini.tmp-" + std::to_string(ended.dwProcessId) + "-1", "parameterset.ini.bak",
        "parameterset.ini.tmp-" + std::to_string(ended.dwProcessId), "parameterset.ini.tmp-x1-2"};
    for (const std::string& name : others) {
        WriteFile(file.dir / name, "x");
    }
    WriteFile(file.dir / liveTemp, "[A]\r\nx=");
    WriteFile(file.dir / endedTemp, "[A]\r\nx=");

    file.ini.WriteString("A", "x", "1");
    std::vector<std::string> expected = others;
    expected.push_back(liveTemp);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Strays(file.dir), expected);

    // Once that process has ended its file goes with the next save; a failed save (the file
    // made read-only) removes nothing.
    End(live);
    ASSERT_TRUE(SetFileAttributesA(file.path.c_str(), FILE_ATTRIBUTE_READONLY));
    file.ini.WriteString("A", "x", "2");
    EXPECT_FALSE(file.ini.IsOpened());
    EXPECT_EQ(Strays(file.dir), expected);
    ASSERT_TRUE(SetFileAttributesA(file.path.c_str(), FILE_ATTRIBUTE_NORMAL));
    file.ini.WriteString("A", "x", "3");
    EXPECT_EQ(Strays(file.dir), others);
    EXPECT_EQ(file.Text(), "[A]\r\nx=3\r\n");
}

// The well-known group "Everyone" with the rights given, as an explicit access entry.
EXPLICIT_ACCESS_A Grant(PSID sid, DWORD rights) {
    EXPLICIT_ACCESS_A access{};
    access.grfAccessPermissions = rights;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(sid);
    return access;
}

// The access mask of the file's DACL entries, in order; empty when it cannot be read.
std::vector<ACCESS_MASK> DaclMasks(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::vector<ACCESS_MASK> masks;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
        return masks;
    }
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(dacl, i, &ace)) {
            masks.push_back(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask);
        }
    }
    LocalFree(sd);
    return masks;
}

TEST(WinStore, AReplacedFileKeepsItsAttributesAndItsSecurity) {
    if (RunningUnderWine()) {
        GTEST_SKIP() << "Wine's ReplaceFileA carries neither the attributes nor the security of "
                        "the replaced file over, and Wine derives a file's DACL from its Unix "
                        "permission bits";
    }
    ScratchParameterFile file("tarvello_win_store_");
    WriteFile(file.path, "[A]\r\nx=1\r\n");
    // A protected DACL of two entries for "Everyone" (S-1-1-0) and "Guests" (S-1-5-32-546).
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID everyone = nullptr;
    PSID guests = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_GUESTS, 0, 0, 0, 0, 0, 0, &guests));
    EXPLICIT_ACCESS_A entries[] = {Grant(everyone, FILE_ALL_ACCESS),
                                   Grant(guests, FILE_GENERIC_READ)};
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(2, entries, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
    std::string path = file.path;
    ASSERT_EQ(SetNamedSecurityInfoA(path.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, acl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(acl);
    FreeSid(everyone);
    FreeSid(guests);
    ASSERT_TRUE(SetFileAttributesA(file.path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::vector<ACCESS_MASK> before = DaclMasks(file.path);
    ASSERT_EQ(before.size(), 2u);

    file.ini.WriteString("A", "x", "2");
    ASSERT_TRUE(file.ini.IsOpened());
    EXPECT_EQ(file.Text(), "[A]\r\nx=2\r\n");
    EXPECT_NE(GetFileAttributesA(file.path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(DaclMasks(file.path), before) << "the file took the temporary file's security";
    EXPECT_TRUE(Strays(file.dir).empty());
}

} // namespace
