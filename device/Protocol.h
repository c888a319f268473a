// The printer's command frames, its reply grammars and the conversion of raw sensor values
// into volts. Pure functions: nothing here touches the line.
//
// Every frame starts with STX (0x02); the vectors hold exactly the bytes that go on the wire.
// Replies are never terminated: every parser looks only at the n bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kDc3 = 0x13;

// The access code sent after the printer has acknowledged the connection frame.
constexpr const char* kAccessCode = "58203716";

// Controls of the main window's status group that the monitor fills.
constexpr int kIdPresenceSensor = 1042; // "exist"
constexpr int kIdMicroSwitch = 1021;    // "headpos"
constexpr int kIdRibbonSensor = 1048;   // "ribbon"

// STX "k" CR: 02 6B 0D.
std::vector<uint8_t> BuildConnectFrame();
// STX "&" "58203716" DC3 followed by one 0x00 byte: 12 bytes.
std::vector<uint8_t> BuildAccessFrame();
// STX "Y": 02 59.
std::vector<uint8_t> BuildStatusFrame();
// STX "J" sensor, sensor 'F' (reflective) or 'T' (transmissive): 3 bytes.
std::vector<uint8_t> BuildReadingPrefix(char sensor);
// Sensitivity level 0..3 as sent: "00", "01", "10", "11"; any other level gives "00".
std::string SensitivityCode(int level);
// Light intensity as three decimal digits with leading zeros ("%03d").
std::string IntensityDigits(int intensity);
// STX "J" sensor, sensitivity code, intensity digits: 8 bytes (for intensities 0..999).
std::vector<uint8_t> BuildReadingFrame(char sensor, int level, int intensity);
// STX "r" (reflective) or STX "e" (transmissive): the first frame of a paper check.
std::vector<uint8_t> BuildCheckStartFrame(char which);
// STX "Ke" and the two selector characters ("0f", "02", "0e", "14", "13"): 5 bytes.
// A selector shorter than two characters is padded with '0'.
std::vector<uint8_t> BuildKeFrame(const char* selector);
// STX "JC" DC3: 4 bytes.
std::vector<uint8_t> BuildCheckFrame();

// The decimal reading of a reply: the one to three ASCII digits standing directly before the
// first '/' (the longest run of up to three digits). No '/', no digit directly before it, or a
// value above 255 give no reading. Never looks outside [data, data + n).
std::optional<int> ParseDecimalReading(const uint8_t* data, size_t n);
// A four-character value: bytes 0..3 as hexadecimal digits (0-9, A-F, a-f), most significant
// first. Fewer than four bytes or any other byte among them give no value.
std::optional<int> ParseFourHex(const uint8_t* data, size_t n);

// A value as the pages' edits and the saved readings show it: up to six significant digits
// ("%.6g", e.g. 2.4902, 0.5, 1e-07).
std::string ShownValue(double v);
// Rounds to four decimals the way the tool shows volts: formatted "%6.4f" and read back.
double RoundVolts(double v);
// n / 255.0 * supply, rounded to four decimals, held as float.
float VoltsFromReading(int n, float supply);
// (255.0 - n) / 255.0 * supply, rounded to four decimals, held as float (transmissive).
float InvertedVoltsFromReading(int n, float supply);
// "%6.4f", always with '.' as the decimal point whatever the process locale.
std::string FormatVolts(double v);

// One text for a status edit.
struct StatusText {
    int controlId;
    std::string text;
};
// Scans a status reply for the keywords "exist", "headpos" and "ribbon" (exact bytes, wholly
// within the reply) at every position. For a keyword at i the reading is the decimal reading
// of the bytes from i on; a keyword without one gives no text. The texts come in the order of
// the keywords in the reply, so a keyword found twice appears twice, the later value last.
std::vector<StatusText> ScanStatusReply(const uint8_t* data, size_t n, float supply);
