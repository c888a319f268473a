// The parameter set: the file's names as the windows and pages read and write them.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "store/IniFile.h"
#include "store/ParameterSet.h"

#ifdef _WIN32
#include <process.h>
#endif

namespace fs = std::filesystem;

namespace {

class ParameterSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        m_dir = (fs::temp_directory_path() /
                 ("tarvello-params-" + std::to_string(_getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                    .string();
        fs::remove_all(m_dir);
        ASSERT_TRUE(fs::create_directories(m_dir));
#else
        char templ[] = "/tmp/tarvello-params-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        m_dir = templ;
#endif
        m_oldCwd = fs::current_path();
        fs::current_path(m_dir);
    }
    void TearDown() override {
        fs::current_path(m_oldCwd);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    static void SetFile(const std::string& bytes) {
        std::ofstream out("parameterset.ini", std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string File() {
        std::ifstream in("parameterset.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string m_dir;
    fs::path m_oldCwd;
};

TEST_F(ParameterSetTest, WithoutAFileEveryReaderGetsItsDefault) {
    CIniFile ini;
    EXPECT_EQ(ReadSupplyIndex(ini), 2);
    EXPECT_EQ(ReadSupplyVoltage(ini), 5.0f);
    for (const SensorKeys* keys : {&kReflectiveKeys, &kTransmissiveKeys}) {
        EXPECT_EQ(ReadVoltStandard(ini, *keys), 0.0f);
        EXPECT_EQ(ReadSensitivity(ini, *keys), 0);
        EXPECT_EQ(ReadIntensity(ini, *keys), 0);
    }
    EXPECT_FALSE(fs::exists("parameterset.ini"));
}

TEST_F(ParameterSetTest, SupplyChoiceComparesTheTrimmedTextExactly) {
    CIniFile ini;
    const struct {
        const char* line;
        int index;
        float volts;
    } cases[] = {
        {"Voltage=2.5", 0, 2.5f},  {"Voltage = 2.5 ", 0, 2.5f}, {"Voltage=3.3", 1, 3.3f},
        {"Voltage=2.50", 2, 5.0f}, {"Voltage=2.5V", 2, 5.0f},   {"Voltage=3", 2, 5.0f},
        {"Voltage=", 2, 5.0f},     {"voltage=3.3", 2, 5.0f},
    };
    for (const auto& c : cases) {
        SetFile(std::string("[BaseVoltage]\r\n") + c.line + "\r\n");
        EXPECT_EQ(ReadSupplyIndex(ini), c.index) << c.line;
        EXPECT_EQ(ReadSupplyVoltage(ini), c.volts) << c.line;
    }
    EXPECT_EQ(SupplyVoltageOfIndex(1), 3.3f);
    EXPECT_EQ(SupplyVoltageOfIndex(-1), 0.0f);
    EXPECT_EQ(SupplyVoltageOfIndex(3), 0.0f);
}

TEST_F(ParameterSetTest, VoltageStandardsConvertAsAtof) {
    CIniFile ini;
    SetFile("[RVoltage]\r\nRBase= 2.45V\r\n[TVoltage]\r\nTBase=1.75abc\r\n");
    EXPECT_FLOAT_EQ(ReadVoltStandard(ini, kReflectiveKeys), 2.45f);
    EXPECT_FLOAT_EQ(ReadVoltStandard(ini, kTransmissiveKeys), 1.75f);
    EXPECT_EQ(VoltageOfText("abc"), 0.0);

    EXPECT_DOUBLE_EQ(VoltageOfText("-1.5e1x"), -15.0);
    EXPECT_DOUBLE_EQ(VoltageOfText(".5"), 0.5);
    EXPECT_DOUBLE_EQ(VoltageOfText(""), 0.0);
    EXPECT_DOUBLE_EQ(VoltageOfText("1,5"), 1.0);

    // A number beyond float's range becomes an infinity, not an undefined conversion.
    SetFile("[RVoltage]\r\nRBase=1e300\r\n");
    EXPECT_TRUE(std::isinf(ReadVoltStandard(ini, kReflectiveKeys)));
    EXPECT_TRUE(std::isinf(VoltageAsFloat(-1e300)));
}

// Back to the "C" locale (and the system's locale sources).
static void RestoreLocale() {
    std::setlocale(LC_NUMERIC, "C");
#ifndef _WIN32
    unsetenv("LOCPATH");
#endif
}

// The user interface may switch the process to the user's locale, where atof would read "2.5"
// as 2; the file's numbers always use a decimal point.
TEST_F(ParameterSetTest, VoltageTextIgnoresTheUserInterfaceLocale) {
    const char* found = nullptr;
#ifdef _WIN32
    const auto names = {"German_Germany.1252", "de-DE", "French_France.1252"};
#else
    const auto names = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
#endif
    for (const char* name : names) {
        if (std::setlocale(LC_NUMERIC, name)) {
            found = name;
            break;
        }
    }
#ifndef _WIN32
    if (!found) {
        // Build one from the system's locale sources, when they are there.
        std::string command =
            "localedef -i de_DE -f UTF-8 '" + m_dir + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            setenv("LOCPATH", m_dir.c_str(), 1);
            found = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        }
    }
#endif
    if (!found) {
        RestoreLocale();
        GTEST_SKIP() << "no locale with a decimal comma is available";
    }
    const double plain = std::atof("2.5");
    const double volts = VoltageOfText("2.5");
    SetFile("[RVoltage]\r\nRBase=2.45\r\n");
    CIniFile ini;
    const float standard = ReadVoltStandard(ini, kReflectiveKeys);
    RestoreLocale();
    EXPECT_EQ(plain, 2.0) << "the locale in use has a decimal comma";
    EXPECT_DOUBLE_EQ(volts, 2.5);
    EXPECT_FLOAT_EQ(standard, 2.45f);
}

TEST_F(ParameterSetTest, LevelsReachTheReaderUncheckedAndFollowAtoi) {
    SetFile(
        "[RConfig]\r\nRConfig1=7\r\nRConfig2=300abc\r\n[TConfig]\r\nTConfig1=-1\r\nTConfig2=\r\n");
    CIniFile ini;
    EXPECT_EQ(ReadSensitivity(ini, kReflectiveKeys), 7);
    EXPECT_EQ(ReadIntensity(ini, kReflectiveKeys), 300);
    EXPECT_EQ(ReadSensitivity(ini, kTransmissiveKeys), -1);
    EXPECT_EQ(ReadIntensity(ini, kTransmissiveKeys), 0);
}

TEST_F(ParameterSetTest, WritesUseTheFilesNamesInTheirOrder) {
    // A reflective adjustment that succeeded as the very first action.
    CIniFile page2;
    page2.WriteString(kSecRVoltage, kKeyRBase, "2.5");
    WriteLevels(page2, kReflectiveKeys, 1, 37);
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=1\r\nRConfig2=37\r\n");

    // A transmissive paper-voltage reading through another object.
    CIniFile page3;
    page3.WriteString(kSecTVoltage, kKeyTMid, "2.4000");
    page3.WriteString(kSecTVoltage, kKeyTHeigh, "0.1000");
    WriteLevels(page3, kTransmissiveKeys, -1, 255);
    EXPECT_EQ(File(), "[RVoltage]\r\nRBase=2.5\r\n[RConfig]\r\nRConfig1=1\r\nRConfig2=37\r\n"
                      "[TVoltage]\r\nTMid=2.4000\r\nTHeigh=0.1000\r\n"
                      "[TConfig]\r\nTConfig1=-1\r\nTConfig2=255\r\n");

    // The record-only keys sit beside the read ones without disturbing them.
    page2.WriteString(kSecRVoltage, kKeyRMid, "1.1");
    page2.WriteString(kSecRVoltage, kKeyRLow, "0.2");
    page2.WriteString(kSecRVoltage, kKeyRHeigh, "4.9");
    page3.WriteString(kSecTVoltage, kKeyTLow, "0.3");
    EXPECT_EQ(ReadVoltStandard(page2, kReflectiveKeys), 2.5f);
    EXPECT_EQ(ReadSensitivity(page3, kTransmissiveKeys), -1);
    EXPECT_EQ(ReadIntensity(page3, kTransmissiveKeys), 255);
    EXPECT_NE(File().find("[RVoltage]\r\nRBase=2.5\r\nRMid=1.1\r\nRLow=0.2\r\nRHeigh=4.9\r\n"
                          "[RConfig]"),
              std::string::npos);
    EXPECT_NE(File().find("THeigh=0.1000\r\nTLow=0.3\r\n[TConfig]"), std::string::npos);
}

} // namespace
