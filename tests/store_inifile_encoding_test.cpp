// The parameter file engine: files with a UTF-16 byte-order mark (Windows Notepad's "Unicode"
// and "Unicode big endian") read as their text and saved in their encoding, and what a caller
// learns about a save that failed.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "ScratchParameterFile.h"
#include "store/IniFile.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A byte-order mark and the text's UTF-16 code units in the given order.
std::string Units(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

TEST(IniFileEncoding, Utf16FilesReadAsTextAndSavedInTheirOwnOrder) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
        ScratchParameterFile file("tarvello_ini_utf16_");
        // A hand-edited file with a Chinese comment line and a character beyond the BMP.
        const std::u16string before = u"; 参数\r\n[RVoltage]\r\nRBase = 2.5\r\n"
                                      u"X=\xD83D\xDE00\r\n[RConfig]\r\nRConfig1=2\r\n";
        WriteBytes(file.path, Units(before, bigEndian));
        EXPECT_EQ(file.ini.GetString("RVoltage", "RBase", "d"), "2.5");
        EXPECT_EQ(file.ini.GetInt("RConfig", "RConfig1", 0), 2);
        EXPECT_EQ(file.ini.GetString("RVoltage", "X", ""), "\xF0\x9F\x98\x80");
        EXPECT_EQ(file.ini.GetLines()[0], "; \xE5\x8F\x82\xE6\x95\xB0");
        EXPECT_EQ(file.ini.GetEncoding(),
                  bigEndian ? IniTextEncoding::Utf16BE : IniTextEncoding::Utf16LE);

        file.ini.WriteString("RVoltage", "RBase", "3.0");
        file.ini.WriteInt("RConfig", "RConfig2", 77);
        EXPECT_EQ(file.Text(), Units(u"; 参数\r\n[RVoltage]\r\nRBase=3.0\r\nX=\xD83D\xDE00\r\n"
                                     u"[RConfig]\r\nRConfig1=2\r\nRConfig2=77\r\n",
                                     bigEndian));
    }
}

TEST(IniFileEncoding, BrokenUnitsComeBackAsTheyWereOrAsReplacement) {
    ScratchParameterFile file("tarvello_ini_utf16_");
    // A lone high and a lone low surrogate are written back unchanged.
    const std::string lone = Units(u"[A]\r\nx=\xD800y\xDC00\r\n", false);
    WriteBytes(file.path, lone);
    ASSERT_TRUE(file.ini.LoadFile());
    ASSERT_TRUE(file.ini.SaveFile());
    EXPECT_EQ(file.Text(), lone);
    // Half a unit at the end reads as U+FFFD.
    WriteBytes(file.path, Units(u"[A]\r\nx=1", false) + "7");
    EXPECT_EQ(file.ini.GetString("A", "x", ""), "1\xEF\xBF\xBD");
}

TEST(IniFileEncoding, AFailedSaveIsKeptWithItsReasonUntilCleared) {
    ScratchParameterFile file("tarvello_ini_savefail_");
    file.ini.WriteString("RVoltage", "RBase", "1.5");
    EXPECT_FALSE(file.ini.SaveFailed());
    EXPECT_EQ(file.ini.SaveErrorText(), "");
    ASSERT_EQ(chmod(file.path.c_str(), 0444), 0);
    file.ini.WriteString("RVoltage", "RBase", "3.0");
    ASSERT_EQ(chmod(file.path.c_str(), 0644), 0);
    file.ini.WriteString("RVoltage", "RMid", "1"); // goes through; the failure is kept
    EXPECT_TRUE(file.ini.SaveFailed());
    EXPECT_EQ(file.ini.SaveErrorNumber(), EACCES);
    EXPECT_FALSE(file.ini.SaveErrorText().empty());
    file.ini.ClearSaveError();
    EXPECT_FALSE(file.ini.SaveFailed());
    EXPECT_EQ(file.ini.SaveErrorNumber(), 0);

    // A folder that does not exist: the system's reason.
    CIniFile nowhere;
    nowhere.SetFileName(file.dir.string() + "/missing/parameterset.ini");
    nowhere.WriteString("A", "x", "1");
    EXPECT_TRUE(nowhere.SaveFailed());
    EXPECT_EQ(nowhere.SaveErrorNumber(), ENOENT);
}

} // namespace
