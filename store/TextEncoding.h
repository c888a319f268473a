// The text encodings a parameter file can come in, told apart by the byte-order mark at its
// start, and the conversion between UTF-16 and the byte strings the engine works on.
//
// The engine keeps lines as byte strings. A UTF-16 file (Windows Notepad's "Unicode" and
// "Unicode big endian") is turned into UTF-8 when it is read and back into UTF-16 of the same
// byte order when it is saved, so the grammar works on its text as on any other file's. Valid
// UTF-16 comes back unit for unit. A code unit without its partner surrogate is carried as the
// three-byte form of that code point, so it too is written back as it was read; a last odd
// byte of a file (half a unit) is read as U+FFFD.
#pragma once

#include <string>
#include <string_view>

enum class IniTextEncoding {
    Bytes,   // no byte-order mark: the bytes as they are
    Utf8Bom, // EF BB BF, then the bytes
    Utf16LE, // FF FE, then UTF-16 little endian
    Utf16BE, // FE FF, then UTF-16 big endian
};

// The encoding announced by the byte-order mark at the start of data.
IniTextEncoding DetectTextEncoding(std::string_view data);
// The byte-order mark of an encoding ("" for Bytes).
std::string_view ByteOrderMark(IniTextEncoding encoding);

// UTF-16 code units (after the mark) as UTF-8.
std::string Utf16ToUtf8(std::string_view units, bool bigEndian);
// UTF-8 as UTF-16 code units of the given byte order (no mark). The three-byte form of a lone
// surrogate becomes that unit; a byte that begins no valid sequence becomes U+FFFD.
std::string Utf8ToUtf16(std::string_view text, bool bigEndian);
