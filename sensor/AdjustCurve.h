// What the diagnostics draw, without widgets: the readings of the latest adjustment run of each
// sensor (the adjustment curve), and the sensor's samples since the program started (single
// readings and paper checks), so that mark, paper and no-paper voltages can be compared.
//
// The adjustment worker notes each reading right before it posts the page's update, so the
// record is never behind what the page shows; the paper check notes its samples as it passes
// them to its sink, and the page notes its single readings as it stores them. Everything is
// kept under one lock that nobody holds for longer than a copy: the worker never waits for a
// reader. Readers (the chart, on the UI thread) look at CurveRevision, which changes with every
// note, and take a copy when it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sensor/AdjustRun.h"
#include "sensor/SensorParams.h"

// One reading of an adjustment pass.
struct CurvePoint {
    uint32_t pass = 0;  // the pass of the run, from 1 (passes without a reading get no point)
    int level = 0;      // the sensitivity level the pass's frame carried, 0..3
    int intensity = 0;  // the intensity the pass's frame carried, 0..255
    int raw = 0;        // the printer's raw value, 0..255
    float volts = 0.0f; // the adjustment's voltage of it
    bool inBand = false;
};

// The success band of a run with its target: T - 0.1 .. T (reflective) or T - 0.1 .. T + 0.1.
struct CurveBand {
    float target = 0.0f;
    double low = 0.0;
    double high = 0.0;
};
CurveBand BandOf(const SensorParams& params, float target);

// A run keeps at most this many points, the latest ones; droppedPoints counts the others.
constexpr size_t kCurveMaxPoints = 4096;

struct CurveRun {
    bool started = false; // false until the sensor's first run
    Sensor sensor = Sensor::Reflective;
    CurveBand band;
    std::vector<CurvePoint> points;
    uint32_t droppedPoints = 0;
    AdjustEnd end = AdjustEnd::kRunning;
};

// Where a sample came from.
enum class SampleOrigin {
    kReading,     // a single reading
    kCheckFirst,  // the paper check's first sample (over the mark / the liner)
    kCheckSecond, // its second sample (over paper / a label)
    kCheckDerived // the voltage the check derived (reflective paper / transmissive no-paper)
};

struct SensorSample {
    uint32_t order = 0; // 1, 2, ... per sensor, in the order they were taken
    SampleOrigin origin = SampleOrigin::kReading;
    SensorValue value = SensorValue::Paper; // which of the page's voltages it is
    float volts = 0.0f;
};

// A sensor keeps at most this many samples, the latest ones.
constexpr size_t kMaxSensorSamples = 512;

// --- The notes ------------------------------------------------------------------------------
void NoteCurveRunStart(Sensor sensor, float target);
void NoteCurveReading(Sensor sensor, const CurvePoint& point);
void NoteCurveRunEnd(Sensor sensor, AdjustEnd end);
void NoteSensorSample(Sensor sensor, SampleOrigin origin, SensorValue value, float volts);

// --- The readers ----------------------------------------------------------------------------
// Changes with every note.
uint64_t CurveRevision();
// A copy of the sensor's latest run.
CurveRun LatestCurveRun(Sensor sensor);
// A copy of the sensor's samples, oldest first.
std::vector<SensorSample> SensorSamples(Sensor sensor);

// The run as CSV, one line per point after a header:
//   "pass,level,level_code,intensity,raw,volts,in_band,target,band_low,band_high"
std::string CurveCsv(const CurveRun& run);
