// The two media sensors and the one description of what differs between them.
//
// The reflective and the transmissive sensor share one adjustment search, one single reading,
// one paper check and one sensor page; every place where the two differ reads it from this
// description, so there is no second copy of any of those procedures. What only the widgets
// need (the template, its control ids, the order in which the controls take the page font) is
// the page's own (pages/PageSensor.h).
#pragma once

#include <cstddef>

#include "store/ParameterSet.h"

enum class Sensor { Reflective, Transmissive };

// How a raw value N (0..255) becomes volts: N / 255 * supply, or (255 - N) / 255 * supply.
enum class RawVolts { Direct, Inverted };
// The adjustment's success band around the standard T: T - 0.1 <= r <= T, or
// T - 0.1 <= r <= T + 0.1. A reading above the band's top is too high.
enum class Band { BelowTarget, AroundTarget };
// The anchor of a coarse upward step: the intensity before the step, or the one after it.
enum class UpStepAnchor { BeforeStep, AfterStep };
// What a single reading makes of the voltage it exchanges: the voltage itself, or the supply
// minus it.
enum class ReadingVolts { AsExchanged, SupplyMinus };
// The paper check's voltage difference of its two samples, (first - second) * 5 / 2 or
// (second - first) * 5 / 2, and with it the derived voltage, first - difference or
// first + difference.
enum class CheckDifference { FirstMinusSecond, SecondMinusFirst };

// The voltages a sensor page shows, by what they are. A page shows five of them.
enum class SensorValue { Standard, Paper, Mark, NoPaper, Liner, Difference };
constexpr int kSensorValueCount = 6;

// One text that a single reading's save writes: under key, in the sensor's voltage section,
// the text of the value as the page displays it after the reading.
struct ReadingSaveText {
    const char* key;
    SensorValue from;
};

// One single reading: the value it measures, and the two texts its save writes, in the order
// the parameter file receives them, before the sensor's levels. measuredKey, when set, is the
// key that names the measured value where neither of the two texts is it: the save writes the
// measured value's text under it last, after the levels, so that the file always holds the
// reading just taken.
struct SingleReading {
    SensorValue measures;
    ReadingSaveText saves[2];
    const char* measuredKey = nullptr;
};

struct SensorParams {
    Sensor sensor;
    // The sensor's letter in the reading frames: STX "JF" / STX "JT".
    char frameLetter;
    // Bytes of the adjustment's discarding read and of each of its reply reads.
    size_t adjustReadBytes;
    // The adjustment's voltage of a raw reading.
    RawVolts adjustVolts;
    // The adjustment's success band.
    Band band;
    // The anchor of a coarse upward step of the search.
    UpStepAnchor upStepAnchor;
    // A coarse downward step is 32 from this intensity on, 16 below it.
    int coarseDownFrom;
    // The intensity the search restarts at when an underflow raises the level.
    int underflowRestart;
    // A single reading's value.
    ReadingVolts readingVolts;
    // The first frame of the paper check: STX "r" / STX "e".
    char checkStartLetter;
    // The paper check's voltage of a sample.
    RawVolts checkSampleVolts;
    // Wait between storing the paper check's first sample and showing it.
    unsigned firstSampleShowWaitMs;
    // The paper check's difference and derived voltage.
    CheckDifference checkDifference;
    // Parameter file names of the sensor's voltage standard and levels.
    const SensorKeys* keys;
    // The event type the page receives after every adjustment reading (QEvent::User + 101 for
    // the reflective page, QEvent::User + 100 for the transmissive page), as a plain int so
    // that this description needs no Qt.
    int updateEventType;
    // Where the page shows the adjustment's reading, the paper check's first sample and the
    // check's derived voltage.
    SensorValue adjustReading;
    SensorValue checkFirst;
    SensorValue checkDerived;
    // The two single readings, in the order of their buttons on the page.
    SingleReading readings[2];
};

// QEvent::User is 1000.
constexpr int kEventUser = 1000;
constexpr int kReflectiveUpdateEvent = kEventUser + 101;   // WM_RADJUST_UPDATE
constexpr int kTransmissiveUpdateEvent = kEventUser + 100; // WM_TADJUST_UPDATE

// The single readings by their index in SensorParams::readings.
constexpr int kMarkReading = 0;                // reflective "获取标记电压"
constexpr int kReflectiveNoPaperReading = 1;   // reflective "获取无纸电压"
constexpr int kTransmissiveNoPaperReading = 0; // transmissive "获取无纸电压"
constexpr int kPaperReading = 1;               // transmissive "获取有纸电压"

constexpr SensorParams kReflectiveParams{
    Sensor::Reflective,                // sensor
    'F',                               // frameLetter
    255,                               // adjustReadBytes
    RawVolts::Direct,                  // adjustVolts
    Band::BelowTarget,                 // band
    UpStepAnchor::BeforeStep,          // upStepAnchor
    255,                               // coarseDownFrom
    127,                               // underflowRestart
    ReadingVolts::AsExchanged,         // readingVolts
    'r',                               // checkStartLetter
    RawVolts::Direct,                  // checkSampleVolts
    200,                               // firstSampleShowWaitMs
    CheckDifference::FirstMinusSecond, // checkDifference
    &kReflectiveKeys,                  // keys
    kReflectiveUpdateEvent,            // updateEventType
    SensorValue::Paper,                // adjustReading
    SensorValue::Mark,                 // checkFirst
    SensorValue::Paper,                // checkDerived
    {
        // readings: the mark voltage; its save "RMid" = the mark, "RLow" = the paper voltage
        {SensorValue::Mark, {{kKeyRMid, SensorValue::Mark}, {kKeyRLow, SensorValue::Paper}}},
        // the no-paper voltage; "RHeigh" = the no-paper, "RLow" = the paper voltage
        {SensorValue::NoPaper,
         {{kKeyRHeigh, SensorValue::NoPaper}, {kKeyRLow, SensorValue::Paper}}},
    },
};

constexpr SensorParams kTransmissiveParams{
    Sensor::Transmissive,              // sensor
    'T',                               // frameLetter
    30,                                // adjustReadBytes
    RawVolts::Inverted,                // adjustVolts
    Band::AroundTarget,                // band
    UpStepAnchor::AfterStep,           // upStepAnchor
    223,                               // coarseDownFrom
    96,                                // underflowRestart
    ReadingVolts::SupplyMinus,         // readingVolts
    'e',                               // checkStartLetter
    RawVolts::Inverted,                // checkSampleVolts
    0,                                 // firstSampleShowWaitMs
    CheckDifference::SecondMinusFirst, // checkDifference
    &kTransmissiveKeys,                // keys
    kTransmissiveUpdateEvent,          // updateEventType
    SensorValue::Liner,                // adjustReading
    SensorValue::Liner,                // checkFirst
    SensorValue::NoPaper,              // checkDerived
    {
        // readings: the no-paper voltage; its save "TLow" = the paper voltage, "TMid" = the
        // standard
        // standard; last "THeigh" = the no-paper voltage just read
        {SensorValue::NoPaper,
         {{kKeyTLow, SensorValue::Paper}, {kKeyTMid, SensorValue::Standard}},
         kKeyTHeigh},
        // the paper voltage; "TMid" = the standard, "THeigh" = the no-paper voltage; last
        // "TLow" = the paper voltage just read
        {SensorValue::Paper,
         {{kKeyTMid, SensorValue::Standard}, {kKeyTHeigh, SensorValue::NoPaper}},
         kKeyTLow},
    },
};

constexpr const SensorParams& ParamsOf(Sensor sensor) {
    return sensor == Sensor::Reflective ? kReflectiveParams : kTransmissiveParams;
}
