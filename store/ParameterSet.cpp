#include "store/ParameterSet.h"

#include <cfloat>
#include <clocale>
#ifndef _WIN32
#include <locale.h>
#endif
#include <cmath>
#include <cstdlib>

#include "store/IniFile.h"

#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace {

#ifdef _WIN32
// strtod in the "C" locale: the decimal point is '.' whatever locale the user interface set.
double StrtodC(const char* text) {
    static const _locale_t c_locale = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, nullptr, c_locale);
}
#else
double StrtodC(const char* text) {
    static const locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    if (c_locale == static_cast<locale_t>(0)) {
        return std::strtod(text, nullptr);
    }
    return strtod_l(text, nullptr, c_locale);
}
#endif

} // namespace

int SupplyIndexOfText(const std::string& text) {
    if (text == "2.5") {
        return 0;
    }
    if (text == "3.3") {
        return 1;
    }
    return 2;
}

float SupplyVoltageOfIndex(int index) {
    switch (index) {
    case 0:
        return 2.5f;
    case 1:
        return 3.3f;
    case 2:
        return 5.0f;
    default:
        return 0.0f;
    }
}

int ReadSupplyIndex(CIniFile& ini) {
    return SupplyIndexOfText(ini.GetString(kSecBaseVoltage, kKeyVoltage, ""));
}

float ReadSupplyVoltage(CIniFile& ini) {
    return SupplyVoltageOfIndex(ReadSupplyIndex(ini));
}

double VoltageOfText(const std::string& text) {
    // c_str() stops at an embedded NUL byte, as atof on the same bytes would.
    return StrtodC(text.c_str());
}

float VoltageAsFloat(double volts) {
    if (std::isnan(volts)) {
        return static_cast<float>(volts);
    }
    if (volts > FLT_MAX) {
        return HUGE_VALF;
    }
    if (volts < -FLT_MAX) {
        return -HUGE_VALF;
    }
    return static_cast<float>(volts);
}

float ReadVoltStandard(CIniFile& ini, const SensorKeys& keys) {
    return VoltageAsFloat(VoltageOfText(ini.GetString(keys.szVoltageSection, keys.szBaseKey, "")));
}

int ReadSensitivity(CIniFile& ini, const SensorKeys& keys) {
    return ini.GetInt(keys.szConfigSection, keys.szSensitivityKey, 0);
}

int ReadIntensity(CIniFile& ini, const SensorKeys& keys) {
    return ini.GetInt(keys.szConfigSection, keys.szIntensityKey, 0);
}

void WriteLevels(CIniFile& ini, const SensorKeys& keys, int nSensitivity, int nIntensity) {
    ini.WriteInt(keys.szConfigSection, keys.szSensitivityKey, nSensitivity);
    ini.WriteInt(keys.szConfigSection, keys.szIntensityKey, nIntensity);
}
