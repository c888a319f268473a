// The line grammar of the parameter file as pure functions on a list of lines: the file's bytes
// into lines (its encoding told by the byte-order mark), a key's value found, a key set, and the
// lines back into the bytes of a file. CIniFile (store/IniFile.h) is the shell that reads and
// saves the file around them.
//
// A header line is one whose first non-blank byte is '['; its name is the text between that '['
// and the first ']' of the line, trimmed (the empty name when the line has no ']'). Any other
// line is a key line: the trimmed text before its first '=' is the key, the trimmed text after
// it the value; a line without '=' holds no key. Blanks are space, tab, CR, LF, VT and FF.
// Strings are byte strings; every comparison is byte by byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/TextEncoding.h"

using IniLines = std::vector<std::string>;

// Text split at LF into lines; CR LF ends a line as LF does, the last line may lack either.
IniLines ParseIniLines(std::string_view text);

// A file's bytes: the encoding announced by its byte-order mark and its lines (the mark is no
// part of the first line; a UTF-16 file is read as its text in UTF-8).
struct IniText {
    IniLines lines;
    IniTextEncoding encoding = IniTextEncoding::Bytes;
};
IniText ParseIniBytes(std::string_view bytes);

// The bytes of a file holding the lines, each followed by CR LF, in the encoding (behind its
// byte-order mark).
std::string SerialiseIniBytes(const IniLines& lines, IniTextEncoding encoding);

// The trimmed value of key in the first section of that name; nothing when the section or the
// key is missing.
std::optional<std::string> FindIniValue(const IniLines& lines, std::string_view section,
                                        std::string_view key);

// Replaces the key's line in place, or adds it as the last line of the section, or appends the
// section with the key.
void SetIniValue(IniLines& lines, std::string_view section, std::string_view key,
                 std::string_view value);

// The atoi rules without undefined behaviour: leading whitespace, an optional sign, decimal
// digits up to the first other byte; no digits give 0; a value beyond int is clamped to
// INT_MIN / INT_MAX.
int IniAtoi(const std::string& text);
