// The two media sensors and the one table of what differs between them.
//
// The reflective and the transmissive sensor share one adjustment search, one single reading
// and one paper check; every place where the two differ reads it from this table, so there is
// no second copy of any of those procedures.
#pragma once

#include <cstddef>

#include "store/ParameterSet.h"

enum class Sensor { Reflective, Transmissive };

struct SensorParams {
    Sensor sensor;
    // The sensor's letter in the reading frames: STX "JF" / STX "JT".
    char frameLetter;
    // Bytes of the adjustment's discarding read and of each of its reply reads.
    size_t adjustReadBytes;
    // The adjustment's voltage from a raw reading N: false N / 255 * supply,
    // true (255 - N) / 255 * supply.
    bool invertedAdjustVolts;
    // Success band: false T - 0.1 <= r <= T; true T - 0.1 <= r <= T + 0.1. A reading above the
    // band's top is too high.
    bool bandAboveTarget;
    // Anchor on a coarse upward step: false the intensity before the step, true the one after.
    bool anchorAfterUpStep;
    // A coarse downward step is 32 from this intensity on, 16 below it.
    int coarseDownFrom;
    // The intensity the search restarts at when an underflow raises the level.
    int underflowRestart;
    // The first frame of the paper check: STX "r" / STX "e".
    char checkStartLetter;
    // Paper check samples: false value / 255 * supply; true (255 - value) / 255 * supply.
    bool invertedSamples;
    // Wait between storing the paper check's first sample and showing it.
    unsigned firstSampleShowWaitMs;
    // Parameter file names of the sensor's voltage standard and levels.
    const SensorKeys* keys;
    // The event type the page receives after every adjustment reading (QEvent::User + 101 for
    // the reflective page, QEvent::User + 100 for the transmissive page), as a plain int so that
    // this table needs no Qt.
    int updateEventType;
};

// QEvent::User is 1000.
constexpr int kEventUser = 1000;
constexpr int kReflectiveUpdateEvent = kEventUser + 101;   // WM_RADJUST_UPDATE
constexpr int kTransmissiveUpdateEvent = kEventUser + 100; // WM_TADJUST_UPDATE

constexpr SensorParams kReflectiveParams{
    Sensor::Reflective,
    'F',
    255,
    false,
    false,
    false,
    255,
    127,
    'r',
    false,
    200,
    &kReflectiveKeys,
    kReflectiveUpdateEvent,
};

constexpr SensorParams kTransmissiveParams{
    Sensor::Transmissive,     'T', 30, true, true, true, 223, 96, 'e', true, 0, &kTransmissiveKeys,
    kTransmissiveUpdateEvent,
};

constexpr const SensorParams& ParamsOf(Sensor sensor) {
    return sensor == Sensor::Reflective ? kReflectiveParams : kTransmissiveParams;
}
