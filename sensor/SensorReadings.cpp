#include "sensor/SensorReadings.h"

#include <locale>
#include <sstream>
#include <vector>

#include "device/ExchangeVoltage.h"
#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustWorker.h"
#include "store/IniFile.h"
#include "store/ParameterSet.h"

namespace {

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool AllDigits(const std::string& text) {
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !text.empty();
}

} // namespace

std::string IntensityCharsToSend(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    if (!AllDigits(trimmed)) {
        const std::optional<int> value = ValidateIntensityText(text);
        return IntensityDigits(value.value_or(0));
    }
    switch (trimmed.size()) {
    case 1:
        return "00" + trimmed;
    case 2:
        return "0" + trimmed;
    default:
        return trimmed.substr(0, 3);
    }
}

std::optional<float> TakeSingleReading(Sensor sensor, int comboIndex,
                                       const std::string& intensityText, float supply,
                                       ReadingEnd* end) {
    ReadingEnd ignored = ReadingEnd::kReading;
    ReadingEnd& how = end != nullptr ? *end : ignored;
    if (!g_bPortOpen.load()) {
        how = ReadingEnd::kPortNotOpen;
        return std::nullopt;
    }
    if (!ValidateIntensityText(intensityText)) {
        how = ReadingEnd::kRefusedText;
        return std::nullopt;
    }
    StopAdjustmentAndWait();
    const SensorParams& params = ParamsOf(sensor);
    ScopedTraceParty party(TraceParty::kReading);
    ScopedMonitorSuspend suspend; // resumed exactly once, on every return below

    const std::vector<uint8_t> prefix = BuildReadingPrefix(params.frameLetter);
    if (WritePort(prefix.data(), prefix.size()) != 0) {
        how = ReadingEnd::kWriteFailed;
        return std::nullopt;
    }
    if (comboIndex >= 0 && comboIndex <= 3) {
        const std::string code = SensitivityCode(comboIndex);
        (void)WritePort(code.data(), code.size()); // as ever, a failure here is not checked
    }
    const std::string chars = IntensityCharsToSend(intensityText);
    const float volts = ExchangeVoltage(chars.data(), chars.size(), supply);
    if (volts == 0.0f) {
        how = ReadingEnd::kNoReading;
        return std::nullopt; // no reply or no reading: nothing changes
    }
    how = ReadingEnd::kReading;
    if (params.readingVolts == ReadingVolts::SupplyMinus) {
        return supply - volts;
    }
    return volts;
}

void SaveReading(CIniFile& ini, const SensorParams& params, const SingleReading& reading,
                 const std::function<std::string(SensorValue)>& textOf, int comboIndex,
                 int intensity) {
    // The reading as the page shows it goes into the sensor's samples for the diagnostics.
    std::istringstream shown(textOf(reading.measures));
    shown.imbue(std::locale::classic());
    float volts = 0.0f;
    if (shown >> volts) {
        NoteSensorSample(params.sensor, SampleOrigin::kReading, reading.measures, volts);
    }
    for (const ReadingSaveText& save : reading.saves) {
        ini.WriteString(params.keys->szVoltageSection, save.key, textOf(save.from));
    }
    WriteLevels(ini, *params.keys, comboIndex, intensity);
    if (reading.measuredKey != nullptr) {
        ini.WriteString(params.keys->szVoltageSection, reading.measuredKey,
                        textOf(reading.measures));
    }
}
