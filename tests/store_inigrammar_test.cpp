// The parameter file's line grammar on its own, without a file: the bytes into lines and back in
// every encoding, and the find and set rules on a list of lines.
#include <gtest/gtest.h>

#include <string>

#include "store/IniGrammar.h"

namespace {

TEST(IniGrammar, FindAndSetWorkOnTheListAlone) {
    IniLines lines = ParseIniLines("[A]\r\n k = v \n\n[B]\nk=w\n[A]\nk=second");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(FindIniValue(lines, "A", "k"), "v");
    EXPECT_EQ(FindIniValue(lines, "B", "k"), "w");
    EXPECT_EQ(FindIniValue(lines, "B", "missing"), std::nullopt);
    EXPECT_EQ(FindIniValue(lines, "C", "k"), std::nullopt);

    SetIniValue(lines, "A", "k", "z"); // in place, in the first [A] only
    EXPECT_EQ(lines[1], "k=z");
    EXPECT_EQ(lines[6], "k=second");
    SetIniValue(lines, "A", "n", "1"); // the section's last line, before the next header
    EXPECT_EQ(lines[3], "n=1");
    EXPECT_EQ(lines[4], "[B]");
    SetIniValue(lines, "C", "x", "y"); // a new section at the end
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[8], "[C]");
    EXPECT_EQ(lines[9], "x=y");
}

TEST(IniGrammar, BytesRoundTripInEveryEncoding) {
    const IniLines lines = {"[S]", "k=\xC3\xA9", ""};
    EXPECT_EQ(SerialiseIniBytes(lines, IniTextEncoding::Bytes), "[S]\r\nk=\xC3\xA9\r\n\r\n");
    EXPECT_EQ(SerialiseIniBytes(lines, IniTextEncoding::Utf8Bom).substr(0, 4), "\xEF\xBB\xBF[");
    EXPECT_EQ(SerialiseIniBytes(lines, IniTextEncoding::Utf16LE).substr(0, 4),
              std::string("\xFF\xFE[\0", 4));
    EXPECT_EQ(SerialiseIniBytes(lines, IniTextEncoding::Utf16BE).substr(0, 4),
              std::string("\xFE\xFF\0[", 4));
    for (IniTextEncoding encoding : {IniTextEncoding::Bytes, IniTextEncoding::Utf8Bom,
                                     IniTextEncoding::Utf16LE, IniTextEncoding::Utf16BE}) {
        const IniText text = ParseIniBytes(SerialiseIniBytes(lines, encoding));
        EXPECT_EQ(text.encoding, encoding);
        EXPECT_EQ(text.lines, lines);
    }
}

} // namespace
