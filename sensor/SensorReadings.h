// Single readings of the two sensors and the saves that follow a successful one.
//
// A page's reading handler, on a worker thread while the page takes no input:
//   1. if !g_bPortOpen: show "串口未打开!" and return;
//   2. if !ValidateIntensityText(text of the intensity edit): show the data exchange's message
//      and return (nothing is sent);
//   3. value = TakeSingleReading(sensor, selected combo index, intensity text, g_fSensorSupply);
//      nullopt: nothing changes (member, display and file stay as they were);
//   4. on the UI thread: store *value in the member of the reading's value, show the reading
//      buttons, refresh, then SaveReading with the button's reading and the edits' texts as
//      displayed.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "sensor/SensorParams.h"
#include "sensor/TextValidation.h"

class CIniFile;

// The three characters sent for an intensity text that ValidateIntensityText accepts: the text
// without its surrounding blanks, one character with "00" in front ("7" -> "007"), two with
// "0" ("42" -> "042"), three or more as their first three ("255", "0042" -> "004"). A text
// with a sign is sent as the three digits of its value ("+7" -> "007").
std::string IntensityCharsToSend(const std::string& text);

// How a single reading ended, for a caller that reports why there is no value.
enum class ReadingEnd {
    kReading,     // a value
    kPortNotOpen, // nothing was done
    kRefusedText, // the intensity text was refused; nothing was sent
    kWriteFailed, // STX "JF"/"JT" could not be written
    kNoReading,   // the exchange gave no reading (no reply, no '/', or a failed write or read)
};

// One single reading: the value the page stores, or nullopt when there is none. Does nothing
// when the port is not open or the intensity text is refused. Otherwise asks a running
// adjustment to stop and waits for it, suspends the status monitor (resumed exactly once on
// every way out), writes STX "JF"/"JT" (3 bytes; a failed write ends here), the sensitivity
// code of comboIndex (2 bytes, nothing when comboIndex is outside 0..3; the result is
// ignored), and exchanges the three intensity characters for a voltage. An exchange giving
// 0.0 (no reply, no reading) gives nullopt. The value is the voltage itself (reflective) or the
// supply minus the voltage (transmissive), as the sensor's readingVolts says. end, when given,
// receives how the reading ended.
std::optional<float> TakeSingleReading(Sensor sensor, int comboIndex,
                                       const std::string& intensityText, float supply,
                                       ReadingEnd* end = nullptr);

// The save after a successful reading, in the order the parameter file receives it: the two
// texts of reading.saves under their keys in the sensor's voltage section, then both levels
// (WriteLevels), then, where the reading has a measuredKey, the measured value's text under it.
// textOf gives a value's text as the page displays it after its refresh; comboIndex is the selected
// sensitivity index (-1 when none), intensity the page's intensity member. The reading's value as
// displayed also goes into the sensor's samples (AdjustCurve.h).
void SaveReading(CIniFile& ini, const SensorParams& params, const SingleReading& reading,
                 const std::function<std::string(SensorValue)>& textOf, int comboIndex,
                 int intensity);
