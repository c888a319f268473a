#include "sensor/TextValidation.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number (without sign) at text[pos]: digits, optional fraction,
// optional exponent; 0 when no digit stands in the mantissa. The exponent counts only when it
// has digits, as strtod reads it.
size_t DecimalLength(const std::string& text, size_t pos) {
    size_t i = pos;
    size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i - pos;
}

// The value of a decimal number already checked by DecimalLength.
double DecimalValue(const std::string& text, size_t pos, size_t length) {
    double value = 0.0;
    const char* begin = text.data() + pos;
    const auto result = std::from_chars(begin, begin + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // A negative exponent underflows toward 0; anything else overflows.
        const std::string number(begin, length);
        return number.find("e-") != std::string::npos || number.find("E-") != std::string::npos
                   ? 0.0
                   : HUGE_VAL;
    }
    return value;
}

// Skips blanks; reads an optional sign. Returns the position of the number.
size_t SkipBlanksAndSign(const std::string& text, size_t pos, bool& negative) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    return pos;
}

bool OnlyBlanksFrom(const std::string& text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos == text.size();
}

// The first character after the leading blanks (the data exchange's "could not convert" test).
char FirstAfterBlanks(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos < text.size() ? text[pos] : '\0';
}

} // namespace

std::optional<float> ValidateVoltageText(const std::string& text) {
    bool negative = false;
    const size_t pos = SkipBlanksAndSign(text, 0, negative);
    const size_t length = DecimalLength(text, pos);
    if (length == 0 || !OnlyBlanksFrom(text, pos + length)) {
        return std::nullopt;
    }
    double value = DecimalValue(text, pos, length);
    if (negative) {
        value = -value;
    }
    if (value == 0.0 && FirstAfterBlanks(text) != '0') {
        return std::nullopt;
    }
    const float f = static_cast<float>(value);
    if (!(f >= 0.0f && f <= 5.0f)) {
        return std::nullopt;
    }
    return f;
}

std::optional<int> ValidateIntensityText(const std::string& text) {
    bool negative = false;
    size_t pos = SkipBlanksAndSign(text, 0, negative);
    const size_t start = pos;
    long long value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (value < INT_MAX) { // saturate: anything this large is out of range anyway
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    if (pos == start || !OnlyBlanksFrom(text, pos)) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value == 0 && FirstAfterBlanks(text) != '0') {
        return std::nullopt;
    }
    if (value < 0 || value > 255) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}
