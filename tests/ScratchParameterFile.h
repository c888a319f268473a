// A parameter file in a fresh folder of its own under the temporary folder, named after a
// prefix, the running test and the process (so runs of the same test from several builds at
// once never share it); the folder is removed again at the end.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "store/IniFile.h"

class ScratchParameterFile {
    static long ProcessId() {
#ifdef _WIN32
        return static_cast<long>(_getpid());
#else
        return static_cast<long>(::getpid());
#endif
    }

  public:
    explicit ScratchParameterFile(const std::string& prefix)
        : dir(std::filesystem::temp_directory_path() /
              (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(ProcessId()))),
          path((dir / "parameterset.ini").string()) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ini.SetFileName(path);
    }
    ~ScratchParameterFile() { std::filesystem::remove_all(dir); }
    ScratchParameterFile(const ScratchParameterFile&) = delete;
    ScratchParameterFile& operator=(const ScratchParameterFile&) = delete;

    // The file's bytes as they stand.
    std::string Text() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    const std::filesystem::path dir;
    const std::string path;
    CIniFile ini;
};
