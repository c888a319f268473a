// CIniFile: the engine of the parameter file "parameterset.ini", a plain text file of section
// headers '[name]' and key lines 'key=value'. It is the file shell around the line grammar of
// store/IniGrammar.h: a load reads the bytes and parses them, a save serialises the lines.
//
// Every read loads the whole file into a list of lines and searches that list; every write
// reloads the file (when it can be read), edits the list and rewrites the whole file at once.
// A save goes to a temporary file in the same folder, which is flushed to the disk and then
// renamed over the old file, so the file on disk is always either the old or the new one. A
// successful save also removes the temporary files that saves of processes which no longer
// exist (killed in the middle of a save) left next to the file.
// Strings are byte strings; every comparison is byte by byte. A file that begins with a
// byte-order mark is read as its text and saved in its encoding (store/TextEncoding.h). A read
// that cannot be served returns the caller's default, a write that cannot be saved changes only
// the list in memory; the caller can ask afterwards whether a save failed and why.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "store/IniGrammar.h"
#include "store/TextEncoding.h"

class CIniFile {
  public:
    // The path is "parameterset.ini", resolved against the current directory at each open.
    CIniFile();
    // Empties the list; the file is not touched.
    virtual ~CIniFile();

    void SetFileName(std::string path);
    const std::string& GetFileName() const { return m_strFileName; }

    // The trimmed value of key in the first section of that name, "" when the value is empty;
    // the default when the file, the section or the key is missing.
    std::string GetString(std::string section, std::string key, std::string def);
    // As GetString, converted as atoi converts (an empty value gives 0, not the default).
    int GetInt(std::string section, std::string key, int def);

    // Sets the key (reloading the file first when it can be read) and rewrites the whole file.
    void WriteString(std::string section, std::string key, std::string value);
    // As WriteString with the value in "%d" form.
    void WriteInt(std::string section, std::string key, int value);

    // Reads the file into the list. On failure returns false and keeps the list as it was.
    bool LoadFile();
    // Writes the list to the file (every line followed by CR LF), atomically. On failure returns
    // false, leaves the old file as it was and keeps the list.
    bool SaveFile();

    // Reloads the file and looks the key up; the default when the file cannot be read.
    std::string FindValue(std::string section, std::string key, std::string def);
    // Edits the list only: replaces the key's line in place, or adds it as the last line of the
    // section, or appends the section with the key.
    void SetValue(std::string section, std::string key, std::string value);

    // The outcome of the latest open attempt (load or save).
    bool IsOpened() const { return m_bOpened; }
    // The list as last loaded, with the edits made since.
    const std::vector<std::string>& GetLines() const { return m_lines; }
    // Whether the file as last loaded began with a UTF-8 byte-order mark (written back on save).
    bool HasByteOrderMark() const { return m_encoding == IniTextEncoding::Utf8Bom; }
    // The encoding of the file as last loaded; saves write it back in the same encoding.
    IniTextEncoding GetEncoding() const { return m_encoding; }

    // Whether a save has failed since the object was made or since the last ClearSaveError.
    bool SaveFailed() const { return m_bSaveFailed; }
    // Why the first of those saves failed: the system's error number (errno), 0 when the system
    // gave none, and the system's text for it.
    int SaveErrorNumber() const { return m_nSaveError; }
    std::string SaveErrorText() const;
    void ClearSaveError();

  private:
    std::string m_strFileName;
    std::FILE* m_pFile = nullptr; // open only during one LoadFile or SaveFile
    bool m_bOpened = false;
    std::vector<std::string> m_lines;
    IniTextEncoding m_encoding = IniTextEncoding::Bytes;
    bool m_bSaveFailed = false;
    int m_nSaveError = 0;
};
