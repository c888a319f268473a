#include "sensor/AdjustCurve.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "device/Protocol.h"

namespace {

struct CurveRecord {
    std::mutex mutex;
    CurveRun runs[2];
    std::vector<SensorSample> samples[2];
    uint32_t sampleCount[2] = {0, 0};
};

CurveRecord& TheCurveRecord() {
    static CurveRecord record;
    return record;
}

std::atomic<uint64_t> s_revision{0};

int IndexOf(Sensor sensor) {
    return sensor == Sensor::Reflective ? 0 : 1;
}

} // namespace

CurveBand BandOf(const SensorParams& params, float target) {
    const double t = static_cast<double>(target);
    return CurveBand{target, t - 0.1, params.band == Band::AroundTarget ? t + 0.1 : t};
}

void NoteCurveRunStart(Sensor sensor, float target) {
    CurveRecord& r = TheCurveRecord();
    {
        std::lock_guard<std::mutex> guard(r.mutex);
        CurveRun& run = r.runs[IndexOf(sensor)];
        run = CurveRun{};
        run.started = true;
        run.sensor = sensor;
        run.band = BandOf(ParamsOf(sensor), target);
        run.points.reserve(64);
    }
    ++s_revision;
}

void NoteCurveReading(Sensor sensor, const CurvePoint& point) {
    CurveRecord& r = TheCurveRecord();
    {
        std::lock_guard<std::mutex> guard(r.mutex);
        CurveRun& run = r.runs[IndexOf(sensor)];
        if (run.points.size() >= kCurveMaxPoints) {
            run.points.erase(run.points.begin());
            ++run.droppedPoints;
        }
        run.points.push_back(point);
    }
    ++s_revision;
}

void NoteCurveRunEnd(Sensor sensor, AdjustEnd end) {
    CurveRecord& r = TheCurveRecord();
    {
        std::lock_guard<std::mutex> guard(r.mutex);
        r.runs[IndexOf(sensor)].end = end;
    }
    ++s_revision;
}

void NoteSensorSample(Sensor sensor, SampleOrigin origin, SensorValue value, float volts) {
    CurveRecord& r = TheCurveRecord();
    {
        std::lock_guard<std::mutex> guard(r.mutex);
        const int i = IndexOf(sensor);
        std::vector<SensorSample>& samples = r.samples[i];
        if (samples.size() >= kMaxSensorSamples) {
            samples.erase(samples.begin());
        }
        samples.push_back(SensorSample{++r.sampleCount[i], origin, value, volts});
    }
    ++s_revision;
}

uint64_t CurveRevision() {
    return s_revision.load();
}

CurveRun LatestCurveRun(Sensor sensor) {
    CurveRecord& r = TheCurveRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.runs[IndexOf(sensor)];
}

std::vector<SensorSample> SensorSamples(Sensor sensor) {
    CurveRecord& r = TheCurveRecord();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.samples[IndexOf(sensor)];
}

std::string CurveCsv(const CurveRun& run) {
    std::string csv =
        "pass,level,level_code,intensity,raw,volts,in_band,target,band_low,band_high\n";
    for (const CurvePoint& p : run.points) {
        char line[160];
        std::snprintf(line, sizeof line, "%u,%d,%s,%d,%d,%.4f,%d,%.4f,%.4f,%.4f\n", p.pass, p.level,
                      SensitivityCode(p.level).c_str(), p.intensity, p.raw,
                      static_cast<double>(p.volts), p.inBand ? 1 : 0,
                      static_cast<double>(run.band.target), run.band.low, run.band.high);
        csv += line;
    }
    return csv;
}
