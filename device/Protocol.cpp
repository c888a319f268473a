#include "device/Protocol.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

void AppendText(std::vector<uint8_t>& frame, const std::string& text) {
    frame.insert(frame.end(), text.begin(), text.end());
}

int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

struct Keyword {
    const char* text;
    size_t length;
    int controlId;
};

const Keyword kKeywords[] = {
    {"exist", 5, kIdPresenceSensor},
    {"headpos", 7, kIdMicroSwitch},
    {"ribbon", 6, kIdRibbonSensor},
};

} // namespace

std::vector<uint8_t> BuildConnectFrame() {
    return {kStx, 'k', kCr};
}

std::vector<uint8_t> BuildAccessFrame() {
    std::vector<uint8_t> frame{kStx, '&'};
    AppendText(frame, kAccessCode);
    frame.push_back(kDc3);
    frame.push_back(0x00); // the printer has always received the formatted text's terminator
    return frame;
}

std::vector<uint8_t> BuildStatusFrame() {
    return {kStx, 'Y'};
}

std::vector<uint8_t> BuildReadingPrefix(char sensor) {
    return {kStx, 'J', static_cast<uint8_t>(sensor)};
}

std::string SensitivityCode(int level) {
    switch (level) {
    case 1:
        return "01";
    case 2:
        return "10";
    case 3:
        return "11";
    default:
        return "00";
    }
}

std::string IntensityDigits(int intensity) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", intensity);
    return text;
}

std::vector<uint8_t> BuildReadingFrame(char sensor, int level, int intensity) {
    std::vector<uint8_t> frame = BuildReadingPrefix(sensor);
    AppendText(frame, SensitivityCode(level));
    AppendText(frame, IntensityDigits(intensity));
    return frame;
}

std::vector<uint8_t> BuildCheckStartFrame(char which) {
    return {kStx, static_cast<uint8_t>(which)};
}

std::vector<uint8_t> BuildKeFrame(const char* selector) {
    uint8_t s1 = '0';
    uint8_t s2 = '0';
    if (selector != nullptr && selector[0] != '\0') {
        s1 = static_cast<uint8_t>(selector[0]);
        if (selector[1] != '\0') {
            s2 = static_cast<uint8_t>(selector[1]);
        }
    }
    return {kStx, 'K', 'e', s1, s2};
}

std::vector<uint8_t> BuildCheckFrame() {
    return {kStx, 'J', 'C', kDc3};
}

std::optional<int> ParseDecimalReading(const uint8_t* data, size_t n) {
    if (data == nullptr) {
        return std::nullopt;
    }
    const void* slash = std::memchr(data, '/', n);
    if (slash == nullptr) {
        return std::nullopt;
    }
    const size_t p = static_cast<size_t>(static_cast<const uint8_t*>(slash) - data);
    size_t digits = 0;
    while (digits < 3 && digits < p && IsDigit(data[p - 1 - digits])) {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    int value = 0;
    for (size_t k = p - digits; k < p; ++k) {
        value = value * 10 + (data[k] - '0');
    }
    if (value > 255) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseFourHex(const uint8_t* data, size_t n) {
    if (data == nullptr || n < 4) {
        return std::nullopt;
    }
    int value = 0;
    for (size_t k = 0; k < 4; ++k) {
        const int digit = HexValue(data[k]);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::string FormatVolts(double v) {
    // to_chars ignores the process locale (a UI may have set one with a decimal comma).
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 4);
    if (result.ec != std::errc()) {
        return "0.0000";
    }
    std::string s(text, result.ptr);
    if (s.size() < 6) { // "%6.4f": right-aligned in at least six characters
        s.insert(0, 6 - s.size(), ' ');
    }
    return s;
}

std::string ShownValue(double v) {
    // "%.6g" without the process locale (to_chars' general form is printf's in the C locale).
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

double RoundVolts(double v) {
    const std::string text = FormatVolts(v);
    const char* begin = text.c_str();
    while (*begin == ' ') {
        ++begin;
    }
    double value = 0.0;
    const auto result = std::from_chars(begin, text.c_str() + text.size(), value);
    if (result.ec != std::errc()) {
        return v; // not finite; nothing to round
    }
    return value;
}

float VoltsFromReading(int n, float supply) {
    return static_cast<float>(RoundVolts(n / 255.0 * static_cast<double>(supply)));
}

float InvertedVoltsFromReading(int n, float supply) {
    return static_cast<float>(RoundVolts((255.0 - n) / 255.0 * static_cast<double>(supply)));
}

std::vector<StatusText> ScanStatusReply(const uint8_t* data, size_t n, float supply) {
    std::vector<StatusText> texts;
    if (data == nullptr) {
        return texts;
    }
    for (size_t i = 0; i < n; ++i) {
        for (const Keyword& keyword : kKeywords) {
            if (keyword.length > n - i ||
                std::memcmp(data + i, keyword.text, keyword.length) != 0) {
                continue;
            }
            const std::optional<int> reading = ParseDecimalReading(data + i, n - i);
            if (reading) {
                texts.push_back({keyword.controlId,
                                 FormatVolts(*reading / 255.0 * static_cast<double>(supply))});
            }
        }
    }
    return texts;
}
