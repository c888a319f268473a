#include "store/TextEncoding.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        // A lone surrogate takes this form too, so it is written back as it was read.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnit(std::string& out, uint16_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at text[i] and its length; length 0 when no valid
// sequence begins there (overlong forms, code points above U+10FFFF, cut-off sequences).
char32_t DecodeUtf8At(std::string_view text, size_t i, size_t& length) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = at(0);
    length = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    // The sequence's length, the lead byte's bits and the least code point of that length.
    size_t n = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        cp = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        cp = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        cp = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        if (!IsContinuation(at(k))) {
            return 0;
        }
        cp = (cp << 6) | (at(k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF) {
        return 0;
    }
    length = n;
    return cp;
}

} // namespace

IniTextEncoding DetectTextEncoding(std::string_view data) {
    if (data.substr(0, 3) == ByteOrderMark(IniTextEncoding::Utf8Bom)) {
        return IniTextEncoding::Utf8Bom;
    }
    if (data.substr(0, 2) == ByteOrderMark(IniTextEncoding::Utf16LE)) {
        return IniTextEncoding::Utf16LE;
    }
    if (data.substr(0, 2) == ByteOrderMark(IniTextEncoding::Utf16BE)) {
        return IniTextEncoding::Utf16BE;
    }
    return IniTextEncoding::Bytes;
}

std::string_view ByteOrderMark(IniTextEncoding encoding) {
    switch (encoding) {
    case IniTextEncoding::Utf8Bom:
        return std::string_view("\xEF\xBB\xBF", 3);
    case IniTextEncoding::Utf16LE:
        return std::string_view("\xFF\xFE", 2);
    case IniTextEncoding::Utf16BE:
        return std::string_view("\xFE\xFF", 2);
    case IniTextEncoding::Bytes:
        break;
    }
    return std::string_view();
}

std::string Utf16ToUtf8(std::string_view units, bool bigEndian) {
    const auto unitAt = [&](size_t i) {
        const auto b0 = static_cast<unsigned char>(units[i]);
        const auto b1 = static_cast<unsigned char>(units[i + 1]);
        return static_cast<uint16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    std::string out;
    out.reserve(units.size());
    size_t i = 0;
    for (; i + 1 < units.size(); i += 2) {
        const uint16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < units.size()) {
            const uint16_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, unit);
    }
    if (i < units.size()) {
        AppendUtf8(out, kReplacement); // half a code unit at the end
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        char32_t cp = DecodeUtf8At(text, i, length);
        if (length == 0) {
            cp = kReplacement;
            length = 1;
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(out, static_cast<uint16_t>(0xD800 + (cp >> 10)), bigEndian);
            AppendUnit(out, static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)), bigEndian);
        } else {
            AppendUnit(out, static_cast<uint16_t>(cp), bigEndian);
        }
    }
    return out;
}
