// The vocabulary of "parameterset.ini": its five sections and thirteen keys, and the typed
// reads that the main window and the sensor pages make through their own CIniFile.
#pragma once

#include <string>

class CIniFile;

// Sections, in the order of the table of the file's keys.
inline constexpr char kSecBaseVoltage[] = "BaseVoltage";
inline constexpr char kSecRVoltage[] = "RVoltage";
inline constexpr char kSecRConfig[] = "RConfig";
inline constexpr char kSecTVoltage[] = "TVoltage";
inline constexpr char kSecTConfig[] = "TConfig";

// "BaseVoltage": the sensor supply voltage selected at start-up ("2.5", "3.3", else 5.0 V).
inline constexpr char kKeyVoltage[] = "Voltage";

// "RVoltage": the reflective voltage standard and the voltages last read.
inline constexpr char kKeyRBase[] = "RBase";
inline constexpr char kKeyRMid[] = "RMid";
inline constexpr char kKeyRLow[] = "RLow";
inline constexpr char kKeyRHeigh[] = "RHeigh";
// "RConfig": reflective sensitivity index and light intensity ("%d").
inline constexpr char kKeyRConfig1[] = "RConfig1";
inline constexpr char kKeyRConfig2[] = "RConfig2";

// "TVoltage": the transmissive voltage standard and the voltages last read.
inline constexpr char kKeyTBase[] = "TBase";
inline constexpr char kKeyTLow[] = "TLow";
inline constexpr char kKeyTMid[] = "TMid";
inline constexpr char kKeyTHeigh[] = "THeigh";
// "TConfig": transmissive sensitivity index and light intensity ("%d").
inline constexpr char kKeyTConfig1[] = "TConfig1";
inline constexpr char kKeyTConfig2[] = "TConfig2";

// The saved standard and levels of one sensor.
struct SensorKeys {
    const char* szVoltageSection; // "RVoltage" / "TVoltage"
    const char* szBaseKey;        // "RBase" / "TBase"
    const char* szConfigSection;  // "RConfig" / "TConfig"
    const char* szSensitivityKey; // "RConfig1" / "TConfig1"
    const char* szIntensityKey;   // "RConfig2" / "TConfig2"
};
inline constexpr SensorKeys kReflectiveKeys{kSecRVoltage, kKeyRBase, kSecRConfig, kKeyRConfig1,
                                            kKeyRConfig2};
inline constexpr SensorKeys kTransmissiveKeys{kSecTVoltage, kKeyTBase, kSecTConfig, kKeyTConfig1,
                                              kKeyTConfig2};

// Supply voltage choice: index 0 for the exact text "2.5", 1 for "3.3", 2 (5.0 V) for every
// other text, the empty text of a missing file or key included.
int SupplyIndexOfText(const std::string& text);
// 2.5f, 3.3f, 5.0f for the indices 0, 1, 2; 0.0f for any other index.
float SupplyVoltageOfIndex(int index);
// "BaseVoltage"/"Voltage" read with the empty default, as an index.
int ReadSupplyIndex(CIniFile& ini);
// The same as volts (2.5f, 3.3f or 5.0f).
float ReadSupplyVoltage(CIniFile& ini);

// The standard atof conversion, independent of the process's locale: the leading decimal number
// of the text (after leading whitespace), 0.0 when there is none.
double VoltageOfText(const std::string& text);
// VoltageOfText as a float; a value beyond the range of float becomes an infinity.
float VoltageAsFloat(double volts);

// The sensor's voltage standard ("RBase"/"TBase", empty default), converted as atof converts.
float ReadVoltStandard(CIniFile& ini, const SensorKeys& keys);
// The sensor's sensitivity index ("RConfig1"/"TConfig1", default 0), not range-checked.
int ReadSensitivity(CIniFile& ini, const SensorKeys& keys);
// The sensor's light intensity ("RConfig2"/"TConfig2", default 0), not range-checked.
int ReadIntensity(CIniFile& ini, const SensorKeys& keys);
// Saves both levels, sensitivity first (two whole-file rewrites).
void WriteLevels(CIniFile& ini, const SensorKeys& keys, int nSensitivity, int nIntensity);
