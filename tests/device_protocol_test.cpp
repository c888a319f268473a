// Frames byte for byte, the reply parsers on good, bad and hostile replies, and the volt
// conversion with its four-decimal rounding.
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "device/Protocol.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::optional<int> Decimal(const std::string& s) {
    // Copy into an exactly sized heap block so that AddressSanitizer sees any read past it.
    std::vector<uint8_t> copy(s.begin(), s.end());
    return ParseDecimalReading(copy.data(), copy.size());
}

std::optional<int> Hex(const std::string& s) {
    std::vector<uint8_t> copy(s.begin(), s.end());
    return ParseFourHex(copy.data(), copy.size());
}

std::vector<StatusText> Scan(const std::string& s, float supply) {
    std::vector<uint8_t> copy(s.begin(), s.end());
    return ScanStatusReply(copy.data(), copy.size(), supply);
}

TEST(DeviceFrames, FixedFramesAreByteExact) {
    EXPECT_EQ(BuildConnectFrame(), (Bytes{0x02, 0x6B, 0x0D}));
    EXPECT_EQ(BuildStatusFrame(), (Bytes{0x02, 0x59}));
    EXPECT_EQ(BuildReadingPrefix('F'), (Bytes{0x02, 'J', 'F'}));
    EXPECT_EQ(BuildReadingPrefix('T'), (Bytes{0x02, 'J', 'T'}));
    EXPECT_EQ(BuildCheckStartFrame('r'), (Bytes{0x02, 'r'}));
    EXPECT_EQ(BuildCheckStartFrame('e'), (Bytes{0x02, 'e'}));
    EXPECT_EQ(BuildCheckFrame(), (Bytes{0x02, 'J', 'C', 0x13}));
    for (const char* sel : {"0f", "02", "0e", "14", "13"}) {
        EXPECT_EQ(BuildKeFrame(sel), (Bytes{0x02, 'K', 'e', uint8_t(sel[0]), uint8_t(sel[1])}));
    }
}

TEST(DeviceFrames, AccessFrameIsTwelveBytesEndingInZero) {
    Bytes expected{0x02, '&'};
    for (char c : std::string("58203716")) {
        expected.push_back(uint8_t(c));
    }
    expected.push_back(0x13);
    expected.push_back(0x00);
    const Bytes frame = BuildAccessFrame();
    ASSERT_EQ(frame.size(), 12u);
    EXPECT_EQ(frame, expected);
}

TEST(DeviceFrames, SensitivityCodesAndIntensityDigits) {
    EXPECT_EQ(SensitivityCode(0), "00");
    EXPECT_EQ(SensitivityCode(1), "01");
    EXPECT_EQ(SensitivityCode(2), "10");
    EXPECT_EQ(SensitivityCode(3), "11");
    EXPECT_EQ(SensitivityCode(4), "00"); // the level of one pass after an underflow
    EXPECT_EQ(SensitivityCode(-1), "00");
    EXPECT_EQ(IntensityDigits(0), "000");
    EXPECT_EQ(IntensityDigits(7), "007");
    EXPECT_EQ(IntensityDigits(42), "042");
    EXPECT_EQ(IntensityDigits(255), "255");
}

TEST(DeviceFrames, ReadingFrameIsEightBytes) {
    EXPECT_EQ(BuildReadingFrame('F', 2, 7), (Bytes{0x02, 'J', 'F', '1', '0', '0', '0', '7'}));
    EXPECT_EQ(BuildReadingFrame('T', 3, 255), (Bytes{0x02, 'J', 'T', '1', '1', '2', '5', '5'}));
    EXPECT_EQ(BuildReadingFrame('F', 0, 0), (Bytes{0x02, 'J', 'F', '0', '0', '0', '0', '0'}));
}

TEST(DeviceDecimalReading, DigitsBeforeTheFirstSlash) {
    EXPECT_EQ(Decimal("128/"), 128);
    EXPECT_EQ(Decimal("7/"), 7);
    EXPECT_EQ(Decimal("0/"), 0);
    EXPECT_EQ(Decimal("255/"), 255);
    EXPECT_EQ(Decimal("12/34/"), 12);
    EXPECT_EQ(Decimal("x5/"), 5);
    EXPECT_EQ(Decimal("ab42/"), 42);
    EXPECT_EQ(Decimal("value 0042/"), 42); // the three digits directly before the '/'
    EXPECT_EQ(Decimal("exist 128/headpos 7/"), 128);
}

TEST(DeviceDecimalReading, NoReadingWithoutDigitsOrOutOfRange) {
    EXPECT_EQ(Decimal("/12"), std::nullopt);
    EXPECT_EQ(Decimal("exist/"), std::nullopt);
    EXPECT_EQ(Decimal("1x/"), std::nullopt);
    EXPECT_EQ(Decimal("128"), std::nullopt);
    EXPECT_EQ(Decimal(""), std::nullopt);
    EXPECT_EQ(Decimal("999/"), std::nullopt);
    EXPECT_EQ(Decimal("256/"), std::nullopt);
    EXPECT_EQ(ParseDecimalReading(nullptr, 0), std::nullopt);
}

TEST(DeviceDecimalReading, NeverLooksOutsideTheReply) {
    // Digits in memory right before the reply must not be taken: the reply "/" stands at the
    // start of a block whose preceding bytes are digits.
    const uint8_t block[] = {'1', '2', '3', '/', '4', '5'};
    EXPECT_EQ(ParseDecimalReading(block + 3, 3), std::nullopt);
    EXPECT_EQ(ParseDecimalReading(block + 2, 4), 3);
    // A '/' just past the reply's end is not part of it.
    EXPECT_EQ(ParseDecimalReading(block, 3), std::nullopt);

    // 64 KiB of noise without '/', then with '/' only at the very end and at the very start.
    std::mt19937 rng(7);
    std::vector<uint8_t> noise(64 * 1024);
    for (uint8_t& b : noise) {
        b = uint8_t(rng() % 255);
        if (b == '/') {
            b = '.';
        }
    }
    EXPECT_EQ(ParseDecimalReading(noise.data(), noise.size()), std::nullopt);
    noise[noise.size() - 3] = '2';
    noise[noise.size() - 2] = '9';
    noise[noise.size() - 1] = '/';
    noise[noise.size() - 4] = 'q';
    EXPECT_EQ(ParseDecimalReading(noise.data(), noise.size()), 29);
    noise[0] = '/';
    EXPECT_EQ(ParseDecimalReading(noise.data(), noise.size()), std::nullopt);
}

TEST(DeviceFourHex, UpperAndLowerCaseHexDigits) {
    EXPECT_EQ(Hex("00C0"), 192);
    EXPECT_EQ(Hex("00c0"), 192);
    EXPECT_EQ(Hex("0000"), 0);
    EXPECT_EQ(Hex("FFFF"), 65535);
    EXPECT_EQ(Hex("1a2B"), 0x1a2b);
    EXPECT_EQ(Hex("0123xyz"), 0x123); // only the first four bytes count
}

TEST(DeviceFourHex, ShortOrForeignBytesGiveNoValue) {
    EXPECT_EQ(Hex("1"), std::nullopt);
    EXPECT_EQ(Hex("123"), std::nullopt);
    EXPECT_EQ(Hex(""), std::nullopt);
    EXPECT_EQ(Hex("00G0"), std::nullopt);
    EXPECT_EQ(Hex("12 4"), std::nullopt);
    EXPECT_EQ(Hex(std::string("1\0\0\0", 4)), std::nullopt);
    EXPECT_EQ(ParseFourHex(nullptr, 4), std::nullopt);
}

TEST(DeviceVolts, ConversionAndRounding) {
    EXPECT_FLOAT_EQ(VoltsFromReading(128, 5.0f), 2.5098f);
    EXPECT_FLOAT_EQ(VoltsFromReading(7, 5.0f), 0.1373f);
    EXPECT_FLOAT_EQ(VoltsFromReading(5, 5.0f), 0.0980f);
    EXPECT_FLOAT_EQ(VoltsFromReading(12, 3.3f), 0.1553f);
    EXPECT_FLOAT_EQ(VoltsFromReading(255, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(VoltsFromReading(0, 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(InvertedVoltsFromReading(0, 5.0f), 5.0f);
    EXPECT_FLOAT_EQ(InvertedVoltsFromReading(127, 5.0f), 2.5098f);
    EXPECT_DOUBLE_EQ(RoundVolts(1.23456), 1.2346);
    // Shown values: six significant digits at most, no trailing zeros.
    EXPECT_EQ(ShownValue(static_cast<double>(2.4902f)), "2.4902");
    EXPECT_EQ(ShownValue(1e-7), "1e-07");
    EXPECT_EQ(ShownValue(123456789.0), "1.23457e+08");
    EXPECT_DOUBLE_EQ(RoundVolts(-0.00004), 0.0);
    EXPECT_EQ(FormatVolts(2.50980392), "2.5098");
    EXPECT_EQ(FormatVolts(0.0), "0.0000");
    EXPECT_EQ(FormatVolts(19.588235), "19.5882");
}

TEST(DeviceVolts, DecimalPointWhateverTheLocale) {
    // A UI toolkit may switch the process to the user's locale; a decimal comma there must not
    // reach the status texts or the rounding.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
#ifdef _WIN32
    const char* const names[] = {"German_Germany.1252", "French_France.1252"};
#else
    const char* const names[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};
#endif
    if (std::setlocale(LC_NUMERIC, names[0]) == nullptr &&
        std::setlocale(LC_NUMERIC, names[1]) == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(FormatVolts(2.50980392), "2.5098");
    EXPECT_DOUBLE_EQ(RoundVolts(2.50980392), 2.5098);
    EXPECT_EQ(ShownValue(2.5), "2.5"); // the saved readings and the pages' edits
    std::setlocale(LC_NUMERIC, saved.c_str());
}

std::map<int, std::string> LastTexts(const std::vector<StatusText>& texts) {
    std::map<int, std::string> last;
    for (const StatusText& t : texts) {
        last[t.controlId] = t.text;
    }
    return last;
}

TEST(DeviceStatusScan, ExampleReplyGivesTheThreeTexts) {
    const auto texts = Scan("exist 128/headpos 7/ribbon 255/", 5.0f);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].controlId, 1042);
    EXPECT_EQ(texts[0].text, "2.5098");
    EXPECT_EQ(texts[1].controlId, 1021);
    EXPECT_EQ(texts[1].text, "0.1373");
    EXPECT_EQ(texts[2].controlId, 1048);
    EXPECT_EQ(texts[2].text, "5.0000");
    const auto at33 = LastTexts(Scan("exist 128/headpos 7/ribbon 255/", 3.3f));
    EXPECT_EQ(at33.at(1042), "1.6565");
    EXPECT_EQ(at33.at(1048), "3.3000");
}

TEST(DeviceStatusScan, KeywordTwiceKeepsTheLaterValue) {
    const auto texts = Scan("exist 10/exist 255/", 5.0f);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "0.1961");
    EXPECT_EQ(texts.back().controlId, 1042);
    EXPECT_EQ(texts.back().text, "5.0000");
}

TEST(DeviceStatusScan, KeywordWithoutReadingShowsNothing) {
    EXPECT_TRUE(Scan("headpos 12", 5.0f).empty());
    EXPECT_TRUE(Scan("exist/", 5.0f).empty());
    EXPECT_TRUE(Scan("exist 999/", 5.0f).empty());
    EXPECT_TRUE(Scan("no keywords 12/", 5.0f).empty());
    EXPECT_TRUE(Scan("exis", 5.0f).empty());      // keyword cut by the reply's end
    EXPECT_TRUE(Scan("EXIST 12/", 5.0f).empty()); // case-sensitive
    // No reading is carried over from an earlier keyword to one without its own '/'.
    const auto texts = Scan("exist 12/ribbon", 5.0f);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].controlId, 1042);
}

TEST(DeviceStatusScan, ReadingIsTheFirstSlashAtOrAfterTheKeyword) {
    // "exist" and "headpos" share the one '/' after both.
    const auto texts = LastTexts(Scan("exist headpos 51/", 5.0f));
    EXPECT_EQ(texts.at(1042), "1.0000");
    EXPECT_EQ(texts.at(1021), "1.0000");
    // Digits before the keyword are not part of its reading.
    EXPECT_TRUE(Scan("12exist/", 5.0f).empty());
}

} // namespace
